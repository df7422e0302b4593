#pragma once
// The cheapest assignment of boxes to goals: each box to its own goal, the sum of the pushes
// each needs at least. Positions whose boxes cannot all be matched to goals are unsolvable.
#include <cstdint>

#include "board/board.hpp"

namespace qm {

constexpr int32_t kNoPath = 10'000;  // the cost of a box that cannot reach a goal

constexpr int32_t kInfiniteCost = 1'000'000'000;

// One instance of the assignment: its targets' distances and its working tables. The forward
// searches match boxes to goals; a backward search matches them to the squares they start on.
struct Assignment {
    // Per target and square: the moves that bring a box from the square to the target on the
    // empty board (kNoPath when none does).
    int32_t distance[kMaxBoxes][kMaxSquares];
    // The Hungarian method's tables (rows the boxes, columns the targets, 1-based).
    int32_t queue[kMaxSquares];
    int32_t rowPotential[kMaxBoxes + 1];
    int32_t columnPotential[kMaxBoxes + 1];
    int32_t columnRow[kMaxBoxes + 1];   // row matched to each column, 0 for none
    int32_t way[kMaxBoxes + 1];
    int32_t slack[kMaxBoxes + 1];
    bool used[kMaxBoxes + 1];
    // The optimal assignment of the last cheapestAssignment, for prepareMovedBoxes.
    int32_t baseRowPotential[kMaxBoxes + 1];
    int32_t baseColumnPotential[kMaxBoxes + 1];
    int32_t baseColumnRow[kMaxBoxes + 1];
    // The costs of moving one box, from prepareMovedBoxes.
    int32_t path[kMaxBoxes][kMaxBoxes];  // see prepareMovedBoxes
    int32_t targetOfBox[kMaxBoxes];      // the target each box has in the assignment
    int32_t matched[kMaxBoxes];          // by target: the cost of its box
    int32_t total = 0;
    int32_t count = 0;
};
extern Assignment goalAssignment;   // boxes to goals, by pushes

// How boxes travel to the targets.
enum class Travel { kPushed, kPulled };

// Fills a.distance for the n targets on a board of walls (0 floor, 8 wall): the pushes (or the
// pulls) that bring a box from each square to each target.
void prepareDistances(Assignment& a, const int32_t* walls, const int32_t* targets, int32_t n, Travel travel);
// The same for goals reached by pushes.
inline void prepareGoalDistances(Assignment& a, const int32_t* walls, const int32_t* goals, int32_t n) {
    prepareDistances(a, walls, goals, n, Travel::kPushed);
}

// The cost of the cheapest assignment of the n boxes on squares to the n targets, or kNoPath or
// more when some box cannot be matched. Keeps the assignment for prepareMovedBoxes.
int32_t cheapestAssignment(Assignment& a, const int32_t* squares, int32_t n);
// Prepares the costs of moving any one box alone, from the assignment of the last
// cheapestAssignment on the same squares: for every pair of targets, what it costs the other
// boxes to leave the first free when the second is given up (shortest paths over all pairs).
void prepareMovedBoxes(Assignment& a, const int32_t* squares, int32_t n);
// The cost of the cheapest assignment with box `moved` (an index into squares) on square t and
// the others where they were: the value cheapestAssignment gives, in n steps.
int32_t costWithMovedBoxOn(const Assignment& a, int32_t moved, int32_t t);

}  // namespace qm
