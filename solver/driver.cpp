#include "solver/driver.hpp"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "board/analysis.hpp"
#include "board/board.hpp"
#include "board/handover.hpp"
#include "board/solution.hpp"
#include "search/shared_line.hpp"
#include "search1/thread1.hpp"
#include "search2/node_table.hpp"
#include "search2/thread2.hpp"
#include "search3/feature_search.hpp"
#include "solver/blocks.hpp"
#include "solver/control.hpp"
#include "solver/preparation.hpp"
#include "solver/solve_stats.hpp"

namespace qm {

DriverOptions driverOptions;

namespace {

bool pastDeadline() { return nowSeconds() >= control.solveDeadline; }

// The poll loop sleeps 100 ms at a time but wakes at once when a thread ends, so that a quickly
// solved level does not wait out the interval.
struct PollWake {
    std::mutex mutex;
    std::condition_variable wake;
    int32_t threadsEnded = 0;
};
PollWake pollWake;

void threadEnded() {
    std::lock_guard<std::mutex> lock(pollWake.mutex);
    ++pollWake.threadsEnded;
    pollWake.wake.notify_all();
}

void waitPollInterval() {
    std::unique_lock<std::mutex> lock(pollWake.mutex);
    const int32_t ended = pollWake.threadsEnded;
    pollWake.wake.wait_for(lock, std::chrono::milliseconds(kPollMilliseconds),
                           [ended] { return pollWake.threadsEnded != ended; });
}

std::chrono::steady_clock::time_point threadsStarted;  // written before the threads start

double secondsSinceThreadsStarted() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - threadsStarted).count();
}

void runThread1IfChosen() {
    if (driverOptions.runThread1) thread1Main();
    else control.thread1State = kResultFailed;
    thread1Stats().seconds = secondsSinceThreadsStarted();
    threadEnded();
}

// Thread 2's methods get the first part of the time when the feature search follows them; the
// rest goes to the feature search, and back to them when it ends early.
constexpr int64_t kThread2ShareDivisor = 8;

// The last second of thread 2's first turn: an eighth of the limit, at least the first second.
int64_t thread2TurnDeadline() {
    const int64_t share = control.timeLimit / kThread2ShareDivisor;
    return control.solveStart + (share > 1 ? share : 1) - 1;
}

// Whether the feature search can work on the level: it was analysed, and it is not given solved.
bool featureSearchSuits() {
    return level.alreadySolved == 0 && handover.analysisResult == kAnalysisDone;
}

// Whether a result leaves time for more work on the second core: neither solved nor proved
// impossible, no stop asked, and the solve's deadline not passed.
bool timeLeftAfter(int32_t result) {
    if (result == kResultSolved || result == kResultImpossible) return false;
    return !stopOrDeadlinePassed();
}

// Forward expansions per expansion of the feature search's backward half: one on levels with
// more boxes than thread 2's bidirectional search takes, which have no other search from the
// solved position; none elsewhere, where the halves would only share the time of the forward
// search.
int32_t backwardEvery() { return handover.t2BoxCount > kNodeBoxes ? 1 : 0; }

int32_t runFeatureSearch() {
    thread2Stats().phase = kStatsPhaseFeature;
    clearBlock2();
    const int32_t found = featureSearch(blocks.block2, kBlock2Bytes, backwardEvery());
    if (found == kResultSolved) control.solvedBy = kSolvedByFeatureSearch;
    return found;
}

// The second core: thread 2's methods for their turn, then the feature search until the
// deadline, then thread 2's methods again if the feature search ended early. Its state is
// published once, at the end, so the driver sees one thread running throughout.
int32_t runSecondCore() {
    const bool methods = driverOptions.runThread2Methods;
    const bool feature = driverOptions.runFeatureSearch && featureSearchSuits();
    // The feature search does not take a level given solved; thread 2's methods answer it at
    // once, with no moves.
    if (!feature) return methods || level.alreadySolved != 0 ? thread2Methods() : kResultFailed;
    int32_t result = kResultFailed;
    if (methods) {
        setThreadDeadline(thread2TurnDeadline());
        result = thread2Methods();
        setThreadDeadline(kNoThreadDeadline);
        if (!timeLeftAfter(result)) return result;
    }
    const int32_t found = runFeatureSearch();
    if (!methods || !timeLeftAfter(found) || result != kResultTimeout) return found;
    return thread2Methods();
}

void runThread2IfChosen() {
    if (driverOptions.runThread2) control.thread2State = runSecondCore();
    else control.thread2State = kResultFailed;
    thread2Stats().seconds = secondsSinceThreadsStarted();
    threadEnded();
}

// Completes both threads' statistics once they are joined, while the stop word still tells a
// user's cancel from the driver's stop.
void finishStats() {
    const bool canceled = control.stopFlag == kStopCancel;
    const int32_t s1 = control.thread1State, s2 = control.thread2State;
    ThreadStats& t1 = thread1Stats();
    ThreadStats& t2 = thread2Stats();
    t1.result = s1;
    t2.result = s2;
    if (driverOptions.runThread1) t1.endReason = endReasonOf(t1, s1, s2, canceled);
    if (driverOptions.runThread2) t2.endReason = endReasonOf(t2, s2, s1, canceled);
}

int32_t mergeResults() {
    if (control.stopFlag == kStopNow) control.stopFlag = kStopRun;
    const int32_t s1 = control.thread1State, s2 = control.thread2State;
    if (s1 == kResultSolved) return kResultSolved;
    if (s2 == kResultSolved) {
        rebuildThread2Solution();
        return kResultSolved;
    }
    if (s2 == kResultImpossible) return kResultImpossible;
    if (control.stopFlag == kStopCancel) return kResultCanceled;
    if (s1 == kResultTimeout || s2 == kResultTimeout) return kResultTimeout;
    return kResultFailed;
}

}  // namespace

void rebuildThread2Solution() {
    resetSolution();
    for (int32_t i = 0; i < stepList.stepCount; ++i) {
        const Step& step = stepList.steps[i];
        appendBoxTransfer(step.to, step.pusher, step.from);
    }
    if (stepList.stepOverflow != 0) solution.traceOverflow = 1;
}

void countResult(int32_t result) {
    if (result < kResultRunning || result > kResultTraceMiss || result == kResultStopNow ||
        result == kResultCanceled)
        return;
    if (result == kResultIrregular || result == kResultImpossible) ++control.skippedCount;
    else if (result == kResultSolved) ++control.solvedCount;
    else ++control.failedCount;
}

int32_t solveLevel() {
    control.solvedBy = 0;
    control.stopFlag = kStopRun;
    resetSolveStats();
    control.elapsedSeconds = 0;
    int32_t result = level.levelVerdict;
    if (result == kResultRunning) {
        control.thread1State = 0;
        control.thread2State = 0;
        const int64_t now = nowSeconds();
        control.solveDeadline = now + control.timeLimit;
        control.solveStart = now;
        prepareSolve();
        resetSharedLine();

        threadsStarted = std::chrono::steady_clock::now();
        control.thread1State = kResultRunning;
        std::thread thread1(runThread1IfChosen);
        control.thread2State = kResultRunning;
        std::thread thread2(runThread2IfChosen);
        while (control.thread1State == kResultRunning || control.thread2State == kResultRunning) {
            if (control.thread1State == kResultSolved || control.thread2State == kResultSolved) {
                control.stopFlag = kStopNow;
            }
            if (pastDeadline()) control.stopFlag = kStopNow;
            waitPollInterval();
        }
        // Joining makes everything the threads wrote visible here before it is read.
        thread1.join();
        thread2.join();
        finishStats();
        result = mergeResults();
        control.batchResult = result;
        control.stopFlag = kStopRun;
        control.elapsedSeconds = nowSeconds() - control.solveStart;
    }
    control.batchResult = result;
    if (result == kResultSolved && verifySolution() == 0) {
        result = kResultTraceMiss;
        control.batchResult = result;
    }
    countResult(result);
    return result;
}

void releaseSolverBuffers() {
    releaseThread1Buffers();
    releaseThread2Buffers();
}

}  // namespace qm
