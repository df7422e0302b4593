#pragma once
// The worker thread that runs a single solve or a batch beside the window's thread, and the few
// words the two threads share about it.
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "solver/control.hpp"

namespace qm {

// windowState.workerMode: what the worker runs.
constexpr int32_t kWorkerSolve = 1;
constexpr int32_t kWorkerBatch = 2;

struct Worker {
    std::thread thread;                 // started and joined by the window's thread only
    SharedWord<int32_t> running;        // 1 from the start until the body has returned
    SharedWord<int32_t> solveResult;    // the single solve's result, or the batch's last result
    SharedWord<int32_t> cancelRequest;  // a cancel is pending: every solve clears stopFlag at its
                                        // start, so the window sets it again on each timer-1 tick
    SharedWord<int32_t> liveView;       // during a batch: a level is being solved and timer 1 may
                                        // draw it (the batch changes levels while it is 0)
    SharedWord<int32_t> reportFailed;   // the batch could not write its report
    // The optimizer made the last solve's solution shorter: its counts before; 0 when it did not.
    SharedWord<int32_t> optimizedFromMoves, optimizedFromPushes;
    std::string reportPath;             // the batch's report file; set before the start
    // During a batch both threads draw into the view and the trace: the batch display holds this
    // lock for each of its steps, the window's timers only try it and skip a tick when it is taken.
    std::mutex displayLock;
    Worker() = default;
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;
    // At exit: joins an ended worker; one still blocked (its window is gone) is left to the end
    // of the process.
    ~Worker();
};
extern Worker worker;

// On the worker, after a solve that found a solution: the optimizer, when the settings ask for
// it, makes the solution shorter and notes the counts it had before.
void optimizeWindowSolution();

// Starts the worker in mode (kWorkerSolve or kWorkerBatch) after joining the previous one, whose
// message has been handled by then. Clears stopFlag, skipRequest and the pending cancel.
// Returns false when no thread could be started.
bool startWorker(int32_t mode);
// Waits for the worker thread to end and joins it. Call it only when the worker's message has
// been handled (the worker waits for that), or from a thread that is not the window's.
void joinWorker();
// Asks the running solve or batch to stop as a cancel (not a skip).
void requestCancel();

}  // namespace qm
