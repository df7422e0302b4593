#pragma once
// The cheapest assignment of boxes to goals: each box to its own goal, the sum of the pushes
// each needs at least. Positions whose boxes cannot all be matched to goals are unsolvable.
#include <cstdint>

#include "board/board.hpp"

namespace qm {

constexpr int32_t kNoPath = 10'000;  // the cost of a box that cannot reach a goal

// Per goal and square: the pulls that bring a box from the goal to the square on the empty board
// (kNoPath when none does). Filled by prepareGoalDistances.
struct GoalDistances {
    int32_t distance[kMaxBoxes][kMaxSquares];
};
extern GoalDistances goalDistances;

// Fills goalDistances for the n goals on a board of walls (0 floor, 8 wall).
void prepareGoalDistances(const int32_t* walls, const int32_t* goals, int32_t n);

// The cost of the cheapest assignment of the n boxes on squares to the n goals, or kNoPath or
// more when some box cannot be matched. Keeps the assignment for reassignMovedBox.
int32_t cheapestAssignment(const int32_t* squares, int32_t n);
// The same after box `moved` (an index into squares) alone has moved since the last
// cheapestAssignment: one augmenting path from that assignment instead of n.
int32_t reassignMovedBox(const int32_t* squares, int32_t n, int32_t moved);

}  // namespace qm
