#pragma once
// Putting a position's boxes on a working board and taking them off again, loading them from a
// stored node, and finding the one box move between two positions.
#include <cstdint>

#include "board/board.hpp"

namespace qm {

constexpr int32_t kNoSquare = -1;
constexpr int32_t kOutOfPlay = 0;  // a box square of 0: the box takes no part any more

// Marks the n squares as boxes on board; squares of 0 (boxes out of play) are passed over.
inline void placeBoxes(int32_t* board, const int32_t* squares, int32_t n) {
    for (int32_t i = 0; i < n; ++i) {
        if (squares[i] != kOutOfPlay) board[squares[i]] = BOX;
    }
}

// Takes the n boxes off board again.
inline void liftBoxes(int32_t* board, const int32_t* squares, int32_t n) {
    for (int32_t i = 0; i < n; ++i) {
        if (squares[i] != kOutOfPlay) board[squares[i]] = 0;
    }
}

// Takes every box off board: only the walls stay.
inline void liftAllBoxes(int32_t* board) {
    for (int32_t s = 0; s < level.cellCount; ++s) board[s] &= WALL;
}

// Copies a stored node's n box squares into the working list and marks them on board.
template <typename Square>
void loadBoxes(int32_t* board, int32_t* list, const Square* stored, int32_t n) {
    for (int32_t i = 0; i < n; ++i) list[i] = stored[i];
    placeBoxes(board, list, n);
}

// The box move that leads from the position on before to the one on after (both boards of walls
// and boxes, of which walls are passed over): arrived is the first square holding a box after but
// not before, left the first holding one before but not after; kNoSquare when there is none.
inline void findMovedBox(const int32_t* after, const int32_t* before, int32_t& arrived,
                         int32_t& left) {
    arrived = kNoSquare;
    left = kNoSquare;
    for (int32_t s = 0; s < level.cellCount && (arrived < 0 || left < 0); ++s) {
        if (after[s] == WALL) continue;
        const bool nowBox = after[s] == BOX, thenBox = before[s] == BOX;
        if (nowBox && !thenBox && arrived < 0) arrived = s;
        if (thenBox && !nowBox && left < 0) left = s;
    }
}

}  // namespace qm
