#include "ui/worker.hpp"

#include <system_error>

#include "batch/batch.hpp"
#include "batch/report.hpp"
#include "optimize/found_solution.hpp"
#include "solver/driver.hpp"
#include "ui/settings.hpp"
#include "ui/state.hpp"
#include "ui/window_batch_display.hpp"
#include "ui/window_system.hpp"

namespace qm {

Worker worker;

namespace {

// The body: the job, then message 1025, which returns once the window has handled it.
void workerBody(int32_t mode, std::string reportPath) {
    if (mode == kWorkerSolve) {
        worker.solveResult = solveLevel();
        if (worker.solveResult == kResultSolved) optimizeWindowSolution();
    } else {
        WindowBatchDisplay display;
        FileReportSink report(std::move(reportPath));
        worker.solveResult = runBatch(display, &report);  // unused unless the report is enabled
    }
    windowSystem().postMessage(kMsgWorkerDone);
    worker.running = 0;
}

}  // namespace

void optimizeWindowSolution() {
    worker.optimizedFromMoves = 0;
    worker.optimizedFromPushes = 0;
    const int32_t metric = windowOptimizeMetric();
    if (metric < 0) return;
    const FoundOptimization found = optimizeFoundSolution(metric, kDefaultOptimizeSeconds);
    const OptimizeOutcome& o = found.outcome;
    if (!found.ran || found.replayFailed || o.letters.empty()) return;
    if (o.moves == o.givenMoves && o.pushes == o.givenPushes) return;
    worker.optimizedFromMoves = o.givenMoves;
    worker.optimizedFromPushes = o.givenPushes;
}

Worker::~Worker() {
    if (!thread.joinable()) return;
    if (running == 0) thread.join();
    else thread.detach();
}

bool startWorker(int32_t mode) {
    joinWorker();
    windowState.workerMode = mode;
    worker.cancelRequest = 0;
    worker.liveView = 0;
    worker.reportFailed = 0;
    worker.solveResult = 0;
    worker.optimizedFromMoves = 0;
    worker.optimizedFromPushes = 0;
    control.stopFlag = 0;
    control.skipRequest = 0;
    worker.running = 1;
    try {
        worker.thread = std::thread(workerBody, mode, worker.reportPath);
    } catch (const std::system_error&) {
        worker.running = 0;
        return false;
    }
    return true;
}

void joinWorker() {
    if (worker.thread.joinable()) worker.thread.join();
}

void requestCancel() {
    worker.cancelRequest = 1;
    control.skipRequest = 0;
    control.stopFlag = kStopCancel;
}

}  // namespace qm
