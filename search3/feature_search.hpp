#pragma once
// The feature search: a third method for the second core. Every position is projected onto a few
// features (boxes on goals, goals filled ahead of the filling order, separate regions of the
// pusher's floor); the positions that share their values make a cell, and the search visits
// the cells in turn, taking from each the position reached with the fewest moves that no
// advisor proposed. A move takes one box to any square it can reach while the others stay; the
// advisors propose the move that fills the next goal and the move that joins regions.
#include <cstddef>
#include <cstdint>

namespace qm {

// Searches the hand-over's start position with the given memory (read as zero), which it owns
// until it returns; a backward half takes one expansion every backwardEvery forward ones (none
// for 0). Returns 8 (solved: the step list holds the solution), 9 (every position tried, or
// the table full) or 10 (stopped, or the deadline passed).
int32_t featureSearch(unsigned char* memory, size_t bytes, int32_t backwardEvery);

// Whether the last solution of featureSearch joined a forward and a backward half.
bool featureSearchJoinedHalves();

}  // namespace qm
