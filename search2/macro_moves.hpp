#pragma once
// Macro moves of the bidirectional search: one box moved as far as it goes by pushes (forward) or
// pulls (backward), with the corridor rules, the tests and the store step.
#include <cstdint>

#include "board/board.hpp"

namespace qm {

struct SearchNode;

// Expands the start position (t2Boxes marked on searchBoard, pusher region pusher) into forward
// nodes without parents and without a node limit. 8 when a child is a stored backward root (the
// one step is written), else 2; the boxes are off searchBoard afterwards either way.
int32_t forwardSeed(int32_t pusher);
// Expand one node: 2 expanded, 7 no node left, 8 the searches met (steps written), 9 node limit.
int32_t forwardExpand();
int32_t backwardExpand();

}  // namespace qm
