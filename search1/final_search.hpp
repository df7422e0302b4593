#pragma once
// Thread 1's last phase: a bidirectional best-first search over macro moves that owns all of
// memory block 1. The push side grows from the start position and the segment-end states of the
// main line, the pull side from the solved positions; the search ends when one side makes a state
// the other side holds, and the joined half-paths become the solution text.
#include <cstdint>

#include "search1/bidirectional.hpp"

namespace qm {

constexpr uint32_t kMeetTableSlots = 11'628'667;
constexpr int32_t kMeetNodeLimit = 9'700'000;
constexpr int32_t kFinalBuckets = 897;  // priorities 0 .. 896: 64 boxes times 14

using FinalSearch = BidiSearch<64, kFinalBuckets>;
extern FinalSearch finalTables;

// Runs the final search on the loaded level; block 1 must have been cleared. Returns 8 (solution
// text written), 9 (a side ran out of nodes, which sets searchExhausted, or the table is full, or
// the solution could not be written) or 10 (stopFlag or the deadline).
int32_t finalSearch();

}  // namespace qm
