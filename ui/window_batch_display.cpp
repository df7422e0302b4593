#include "ui/window_batch_display.hpp"

#include <chrono>
#include <mutex>
#include <thread>

#include "solver/control.hpp"
#include "ui/board_view.hpp"
#include "ui/state.hpp"
#include "ui/texts.hpp"
#include "ui/trace.hpp"
#include "ui/window_system.hpp"
#include "ui/worker.hpp"

namespace qm {

namespace {

using Guard = std::lock_guard<std::mutex>;

}  // namespace

void WindowBatchDisplay::batchBegins() {
    Guard guard(worker.displayLock);
    worker.liveView = 0;
    WindowSystem& ws = windowSystem();
    ws.startTimer(kTimerSolve, kSolvePeriodMs);
    windowState.batchFlag = 1;
    windowState.solvingFlag = 1;
    applyEnabling();
    ws.setText(kCtlSolve, "Skip");
    ws.setText(kCtlOption, "Cancel");
}

void WindowBatchDisplay::reportStarted() { windowSystem().show(kCtlLookIn, true); }

// Called first after each solve, so the live view stops here, before the batch moves on.
void WindowBatchDisplay::showCounts(int32_t solved, int32_t failed) {
    Guard guard(worker.displayLock);
    worker.liveView = 0;
    WindowSystem& ws = windowSystem();
    ws.setText(kCtlSolvedCounter, formatText("%d", solved));
    ws.setText(kCtlFailedCounter, formatText("%d", failed));
}

void WindowBatchDisplay::showLevel() {
    Guard guard(worker.displayLock);
    qm::showLevel();
    worker.liveView = 1;
}

void WindowBatchDisplay::levelFinished(int32_t result) {
    if (result == kResultSolved) optimizeWindowSolution();
}

void WindowBatchDisplay::clearSolution() {
    Guard guard(worker.displayLock);
    qm::clearSolution();
    drawStart(1);
}

void WindowBatchDisplay::playSolution() {
    WindowSystem& ws = windowSystem();
    {
        Guard guard(worker.displayLock);
        ws.stopTimer(kTimerSolve);
        traceTop();
        windowState.playingFlag = 1;
        ws.startTimer(kTimerTrace, kPlayAfterPeriodMs);
    }
    // The trace viewer's last tick clears playingFlag on the window's thread.
    while (windowState.playingFlag != 0 && control.stopFlag == 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(kPlayAfterPollMs));
    }
    Guard guard(worker.displayLock);
    ws.stopTimer(kTimerTrace);
    // A cancel leaves the run with the board where the playback stopped, so the window keeps it;
    // after a skip the run goes on with the next level.
    if (control.stopFlag != 0 && control.skipRequest == 0) return;
    windowState.playingFlag = 0;
    ws.startTimer(kTimerSolve, kSolvePeriodMs);
}

void WindowBatchDisplay::reportFailed(const std::string&) { worker.reportFailed = 1; }

void WindowBatchDisplay::batchEnds(int32_t lastResult) {
    Guard guard(worker.displayLock);
    worker.liveView = 0;
    if (lastResult == kResultSolved) traceTop();
}

}  // namespace qm
