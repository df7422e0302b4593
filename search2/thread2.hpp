#pragma once
// Solver thread 2: its body and the bidirectional macro-move search; its solutions go to the
// step list.
#include <cstdint>

#include "search/step_list.hpp"

namespace qm {

// Frees the storage thread 2 grows as it goes (step list and plan); the next solve grows it again.
void releaseThread2Buffers();

// Thread 2's methods on the hand-over's position: returns the result (and writes
// control.solvedBy on 8) without publishing it as the thread's state.
int32_t thread2Methods();
// The thread body: writes the result of thread2Methods to control.thread2State.
void thread2Main();
// 8 solved, 7 proved impossible, 9 failed, 10 stopped.
int32_t bidirectionalSearch();

}  // namespace qm
