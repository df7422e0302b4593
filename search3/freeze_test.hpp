#pragma once
// Frozen boxes: a box that can move along neither axis, because of walls, squares no box may
// stand on, or boxes that are frozen themselves, never moves again. A frozen box off a goal
// makes the position unsolvable.
#include <cstdint>

namespace qm {

// True when the box on s, or a box beside it, is frozen together with a box off a goal. board
// holds 0 free, 2 box, 8 wall and is restored before the return; dead marks the squares no box
// may stand on; goal is 1 on goals. A test that runs past its budget answers false.
bool frozenOffGoal(int32_t* board, const uint8_t* dead, const int32_t* goalIndex, int32_t s);

}  // namespace qm
