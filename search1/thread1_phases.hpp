#pragma once
// The phases of solver thread 1, as the thread body calls them. Each returns a result code:
// 8 solved (solution text written), 10 stopped, 1 (expansions) the search goes on; any other
// code ends the phase without a solution.
#include <cstdint>

namespace qm {

// The goal-entry segment search from the start position.
int32_t mainPhase();
// The companion search's expansions and its solution writer, for its continuation after the
// main phase.
int32_t pullExpand();
int32_t pushExpand();
void assembleSolution();
// The last phase: bidirectional search over the whole block 1.
int32_t finalSearch();
// Clears the counters of the phases.
void clearPhaseCounters();

}  // namespace qm
