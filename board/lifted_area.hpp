#pragma once
// The pusher's area with one box lifted, and which of its squares would split it if a box stood
// there. A macro move leaves the moved box on a square of that area; when that square splits
// nothing, the pusher's area after the move is the lifted area less that square, which spares a
// flood fill per generated position.
#include <cstdint>

#include "board/board.hpp"

namespace qm {

struct LiftedArea {
    int32_t inArea[kMaxSquares];   // 1 on the squares of the area
    uint8_t cut[kMaxSquares];      // 1 where a box would split the area
    int32_t smallest = 0;          // smallest square of the area
    int32_t secondSmallest = 0;    // next smallest, or -1 when the area has one square
    bool usable = false;           // false when the start was no free square: nothing is known
};

// Fills area from start over squares that are 0 on board and marks its cut squares. A start that
// is not free itself (a pusher square the analysis walled) leaves the area unusable.
void findLiftedArea(const int32_t* board, int32_t start, LiftedArea& area);

// The smallest square of the pusher's area once a box stands on u, when u is in the area and
// does not split it; -1 when a flood fill is needed.
inline int32_t areaWithoutSquare(const LiftedArea& area, int32_t u) {
    if (!area.usable || area.inArea[u] == 0 || area.cut[u] != 0) return -1;
    return u == area.smallest ? area.secondSmallest : area.smallest;
}

}  // namespace qm
