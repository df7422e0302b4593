#pragma once
// The main window's state flags, the enabling of its command controls, and the steps that show a
// level, finish a load and update the progress display.
#include <cstdint>

#include "solver/control.hpp"

namespace qm {

// The command controls whose enabling follows the window state, in the order of enableState.
constexpr int32_t kCommandControls = 14;
enum CommandIndex : int32_t {
    kCmdSample, kCmdText, kCmdFile, kCmdFolder, kCmdPrev, kCmdLevelEdit, kCmdGo, kCmdNext,
    kCmdSolve, kCmdTop, kCmdBack, kCmdPlay, kCmdForward, kCmdOption,
};
extern const int32_t commandControlIds[kCommandControls];

// Progress display: bar ranges, values that fill a bar, and the shift from value to position.
constexpr int32_t kBar1Max = 7470;
constexpr int32_t kBar2Max = 4809;
constexpr int32_t kProgressShift = 12;
constexpr int64_t kThread1Full = 30597740;
constexpr int64_t kThread1MainCap = 18358644;    // the main phase's share of bar 1
constexpr int64_t kThread1FinalBase = 20897740;  // where the final search starts on bar 1
constexpr int64_t kSegmentWeight = 200;          // one segment node counts as 200 entry states
constexpr int64_t kThread2Full = 19700000;
constexpr int32_t kThread2TooManyBoxes = 5;      // thread 2's state when it cannot take the level

// Flags the worker thread also reads or writes are shared words; the rest belong to the window's
// thread. memoryReady is blocks.memoryReady.
struct WindowState {
    SharedWord<int32_t> solvingFlag;  // a single solve or a batch level is being solved
    SharedWord<int32_t> batchFlag;    // a batch run is in progress
    SharedWord<int32_t> playingFlag;  // the trace viewer is playing
    SharedWord<int32_t> workerMode;   // 1 single solve, 2 batch run
    int32_t enableState[kCommandControls] = {};  // last applied enabling, 1 enabled
};
extern WindowState windowState;

// Both solver memory blocks were allocated at start-up.
bool memoryReady();
// A found solution is held: its letters are counted. Every path that ends without a solution
// clears it, and a solution always holds at least one push.
bool solutionPresent();
// Empties the solution text and its counters, and puts the trace back at the start.
void clearSolution();

// Recomputes the enable state of the fourteen command controls and applies it.
void applyEnabling();
// Shows the current level: status texts, cleared solution and progress, the start display.
void showLevel();
// After opening a level source: the set's line and level 1, or "Load Error!!" and the question
// mark when nothing was loaded.
void afterLoad();

// Ranges and colours of both progress bars (once, at start-up).
void setupProgressBars();
// Progress values of the two solver threads from their states and counters.
int64_t thread1Progress();
int64_t thread2Progress();
// Sets both bars' positions from the progress values.
void updateProgress();

// 1017 while solving ("%4d sec") and at the end of a solve ("%5d sec").
void showSolveSeconds();
void showFinalSeconds();
// Timer 1: elapsed seconds, the live board and the progress bars.
void solveTimerTick();

}  // namespace qm
