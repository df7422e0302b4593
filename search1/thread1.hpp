#pragma once
// Solver thread 1: the main phase (goal by goal, segment by segment), then the companion search
// alone, then the final search over all of memory block 1.
#include <cstdint>

namespace qm {

// The thread body: writes its result to control.thread1State, and 1 to solvedBy when solved.
void thread1Main();

// The main phase: 8 solved (solution text written), 10 stopped, any other code a failure; sets
// searchExhausted when the analysis proves the position infeasible.
int32_t mainPhase();

// Frees the storage thread 1 grows as it goes (the main line); the next solve grows it again.
void releaseThread1Buffers();

}  // namespace qm
