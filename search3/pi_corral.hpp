#pragma once
// Corral pruning. A corral is a free region the pusher cannot enter. When every push of the boxes
// bordering it leads into it (I) and the pusher can reach every such push (P), and the corral
// still has work in it, some push into it must come before the level can be solved, and the
// pushes elsewhere can wait: only its border boxes need moving now.
#include <cstdint>

#include "board/board.hpp"

namespace qm {

struct CorralInput {
    const int32_t* board;       // 0 free, 2 box, 8 wall
    const int32_t* boxes;       // box squares
    int32_t boxCount;
    const int32_t* label;       // region label of every free square
    int32_t regions;            // labels 0 .. regions - 1
    int32_t pusherLabel;        // the pusher's region
    const uint32_t* reach;      // marks of the pusher's region
    uint32_t reachStamp;
    const uint8_t* dead;        // squares no box may stand on
    const int32_t* goalIndex;   // -1 off goals
    const int32_t* goals;
    int32_t goalCount;
};

// Sets movable[j] for the boxes that need moving: the border boxes of the corral of the kind
// above with the fewest of them, or every box when there is none. Returns the boxes marked.
int32_t markCorralBoxes(const CorralInput& in, uint8_t* movable);

}  // namespace qm
