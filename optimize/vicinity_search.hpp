#pragma once
// One round of the optimizer: an exact search over single pushes, with the pusher's walks between
// them as cost, restricted to positions near the ones a solution passes through.
#include <chrono>
#include <cstdint>
#include <string>

#include "optimize/path_positions.hpp"

namespace qm {

// What the optimizer makes short first.
constexpr int32_t kMetricMoves = 0;   // fewest moves, then fewest pushes
constexpr int32_t kMetricPushes = 1;  // fewest pushes, then fewest moves

// The space searched: positions in which at most `boxes` boxes stand off the squares of one of
// the solution's positions, each within `distance` squares (rows plus columns) of a square of
// that position left free.
struct VicinityLimits {
    int32_t boxes = 1;
    int32_t distance = 2;
};

// How a round ended.
constexpr int32_t kVicinityBetter = 1;     // letters hold a solution better than the path's
constexpr int32_t kVicinityNoBetter = 2;   // the space holds no better solution
constexpr int32_t kVicinityTableFull = 3;  // the table filled before the search ended
constexpr int32_t kVicinityStopped = 4;    // the deadline passed or the user cancelled

using OptimizerClock = std::chrono::steady_clock;

// Searches the space around path on the loaded level in positionTable (carved here); on
// kVicinityBetter writes the solution's letters. Nodes gets the positions stored.
int32_t searchVicinity(const PathPositions& path, VicinityLimits limits, int32_t metric,
                       OptimizerClock::time_point deadline, std::string& letters, int64_t& nodes);

}  // namespace qm
