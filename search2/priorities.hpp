#pragma once
// The priorities of thread 2's bidirectional search.
#include <cstdint>

#include "board/board.hpp"

namespace qm {

struct PriorityTables {
    int32_t visitWeight[kMaxSquares];  // 90,000 on start-occupied squares, +1 per forward node
    double meetScale = 0;              // scale of the backward priority
};
extern PriorityTables priorityTables;

// 0..4: 4 when all free floor of searchBoard is one region with the pusher on p.
int32_t connectivityScore(int32_t p);
// 0..57: how strongly the backward position in t2Boxes points at the forward nodes.
int32_t backwardPriority(int32_t p);

}  // namespace qm
