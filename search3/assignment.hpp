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
// more when some box cannot be matched. Keeps the assignment for prepareMovedBoxes.
int32_t cheapestAssignment(const int32_t* squares, int32_t n);
// Prepares the costs of moving any one box alone, from the assignment of the last
// cheapestAssignment on the same squares: for every pair of goals, what it costs the other boxes
// to leave the first free when the second is given up (shortest paths over all pairs).
void prepareMovedBoxes(const int32_t* squares, int32_t n);
// The cost of the cheapest assignment with box `moved` (an index into squares) on square t and
// the others where they were: the value cheapestAssignment gives, in n steps.
int32_t costWithMovedBoxOn(int32_t moved, int32_t t);

}  // namespace qm
