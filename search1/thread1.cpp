#include "search1/thread1.hpp"

#include "board/board.hpp"
#include "board/board_scratch.hpp"
#include "search1/companion.hpp"
#include "search1/final_search.hpp"
#include "search1/main_line.hpp"
#include "solver/blocks.hpp"
#include "solver/control.hpp"
#include "solver/solve_stats.hpp"

namespace qm {

namespace {

BoardScratch thread1BoardScratch;  // the board routines' scratch while thread 1 runs them

enum SolverPhase : int32_t { kPhaseMain = 0, kPhaseCompanion = 1, kPhaseFinal = 2 };

void refreshElapsed() { control.elapsedSeconds = nowSeconds() - control.solveStart; }

// The state a thread ends with after a stop: 3 when the user asked, else 10.
int32_t stoppedState() { return control.stopFlag != kStopRun ? kResultCanceled : kResultTimeout; }

// Records the companion's stored nodes once it has stopped for good (the final search reuses
// the progress counter).
void noteCompanion() {
    if (control.secondaryState == kCompanionNotStarted) return;
    ThreadStats& stats = thread1Stats();
    if (stats.nodes[kStatsCompanion] != 0) return;
    noteSearch(stats, kStatsCompanion, control.phaseNodeCount,
               control.secondaryState == kCompanionFull);
}

void endThread1(int32_t state) {
    ThreadStats& stats = thread1Stats();
    if (stats.phase == kStatsPhaseFinal) {
        noteSearch(stats, kStatsFinal, control.phaseNodeCount,
                   state == kResultFailed && control.searchExhausted == 0);
    } else {
        noteCompanion();
    }
    if (state == kResultFailed && control.searchExhausted != 0) stats.endReason = kEndExhausted;
    stats.result = state;
    if (state == kResultSolved) control.solvedBy = 1;
    control.thread1State = state;
}

// The companion search alone after the main phase: two pull expansions to one push expansion
// until it meets, runs dry, fills up, or the time is up.
int32_t continueCompanion() {
    for (;;) {
        if (stopOrDeadlineReached()) return kResultTimeout;
        int32_t r = pullExpand();
        if (r == kBidiGoesOn) r = pullExpand();
        if (r == kBidiGoesOn) r = pushExpand();
        if (r == kBidiGoesOn) continue;
        if (r != kResultSolved) return r;
        // A solution that cannot be written is no solution.
        return assembleSolution() ? kResultSolved : kResultFailed;
    }
}

void clearPhaseCounters() {
    control.phaseNodeCount = 0;
    control.segNodeCount = 0;
    control.entryStateCount = 0;
}

}  // namespace

void thread1Main() {
    useBoardScratch(thread1BoardScratch);
    if (level.alreadySolved != 0) {
        thread1Stats().endReason = kEndNotSuited;
        return endThread1(kResultFailed);
    }
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
    if (control.secondaryState == kCompanionRunning) {
        thread1Stats().phase = kStatsPhaseCompanion;
        r = continueCompanion();
        refreshElapsed();
        if (r == kResultSolved) return endThread1(kResultSolved);
        if (r == kResultTimeout) return endThread1(stoppedState());
    } else {
        refreshElapsed();
    }

    noteCompanion();
    control.solverPhase = kPhaseFinal;
    thread1Stats().phase = kStatsPhaseFinal;
    clearBlock1();
    control.phaseNodeCount = 0;
    r = finalSearch();
    refreshElapsed();
    if (r == kResultSolved) return endThread1(kResultSolved);
    if (r == kResultTimeout) return endThread1(stoppedState());
    endThread1(r);
}

void releaseThread1Buffers() { releaseMainLine(); }

}  // namespace qm
