#include "search1/thread1.hpp"

#include "board/board.hpp"
#include "search1/final_search.hpp"
#include "solver/blocks.hpp"
#include "solver/control.hpp"

namespace qm {

namespace {

enum SolverPhase : int32_t { kPhaseMain = 0, kPhaseCompanion = 1, kPhaseFinal = 2 };

void refreshElapsed() { control.elapsedSeconds = nowSeconds() - control.solveStart; }

// The state a thread ends with after a stop: 3 when the user asked, else 10.
int32_t stoppedState() { return control.stopFlag != 0 ? kResultCanceled : kResultTimeout; }

void endThread1(int32_t state) {
    if (state == kResultSolved) control.solvedBy = 1;
    control.thread1State = state;
}

void clearPhaseCounters() {
    control.phaseNodeCount = 0;
    control.segNodeCount = 0;
    control.entryStateCount = 0;
}

}  // namespace

void thread1Main() {
    if (level.alreadySolved != 0) return endThread1(kResultFailed);
    clearBlock1();
    control.searchExhausted = 0;
    control.secondaryState = 0;
    control.solverPhase = kPhaseMain;
    clearPhaseCounters();

    int32_t r = mainPhase();
    refreshElapsed();
    if (r == kResultSolved) return endThread1(kResultSolved);
    if (r == kResultTimeout) return endThread1(stoppedState());
    if (control.searchExhausted != 0) return endThread1(kResultFailed);

    control.solverPhase = kPhaseCompanion;
    refreshElapsed();

    control.solverPhase = kPhaseFinal;
    clearBlock1();
    control.phaseNodeCount = 0;
    r = finalSearch();
    refreshElapsed();
    if (r == kResultSolved) return endThread1(kResultSolved);
    if (r == kResultTimeout) return endThread1(stoppedState());
    endThread1(r);
}

}  // namespace qm
