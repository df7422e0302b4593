#pragma once
// The pusher's region after one push or pull of a box that moves alone: from the area of the
// pusher with that box lifted, when the box's new square splits nothing, else by a flood fill.
#include <cstdint>
#include <cstring>

#include "board/board.hpp"
#include "board/fills.hpp"
#include "board/lifted_area.hpp"

namespace qm {

// The box stands on t of board, the pusher on stand. Returns the normalised pusher square, sets
// *sides to the sides of t it reaches and *region to a map marking the region (the area, which
// also marks t, or fillMap after a fill).
inline int32_t regionAfterMove(const int32_t* board, const LiftedArea& area, int32_t t, int32_t stand,
                               int32_t* fillMap, int32_t* sides, const int32_t** region) {
    const int32_t quick = areaWithoutSquare(area, t);
    if (quick >= 0 && area.inArea[stand] != 0) {
        int32_t open = 0;
        for (int32_t bit = 1; bit <= 8; bit <<= 1) {
            const int32_t nb = t + level.dirBitOffset[bit];
            if (board[nb] == 0 && area.inArea[nb] != 0) open |= bit;
        }
        *sides = open;
        *region = area.inArea;
        return quick;
    }
    clearSquareMap(fillMap);
    const int32_t p = reachFill(board, fillMap, stand);
    int32_t open = 0;
    for (int32_t bit = 1; bit <= 8; bit <<= 1) {
        if (fillMap[t + level.dirBitOffset[bit]] != 0) open |= bit;
    }
    *sides = open;
    *region = fillMap;
    return p;
}

}  // namespace qm
