#include "board/board.hpp"

#include <cstring>

namespace qm {

void clearSquareMap(int32_t* map) { std::memset(map, 0, sizeof(int32_t) * level.cellCount); }

Level level;

int32_t letterDirection(char letter) {
    switch (letter) {
        case 'u': case 'U': return UP;
        case 'r': case 'R': return RIGHT;
        case 'd': case 'D': return DOWN;
        case 'l': case 'L': return LEFT;
        default: return -1;
    }
}

void setBoardGeometry(int32_t width, int32_t height) {
    const int32_t w = width;
    level.boardWidth = width;
    level.boardHeight = height;
    level.cellCount = width * height;
    level.dirOffset[UP] = -w;
    level.dirOffset[RIGHT] = 1;
    level.dirOffset[DOWN] = w;
    level.dirOffset[LEFT] = -1;
    for (int32_t& v : level.dirBitOffset) v = 0;
    level.dirBitOffset[1] = -w;
    level.dirBitOffset[2] = 1;
    level.dirBitOffset[4] = w;
    level.dirBitOffset[8] = -1;
    const int32_t ring[8] = {-w, 1 - w, 1, w + 1, w, w - 1, -1, -w - 1};
    for (int32_t i = 0; i < 8; ++i) level.ringOffset[i] = ring[i];
}

int32_t neighbourInside(int32_t s, int32_t d) {
    const int32_t row = squareRow(s), column = squareColumn(s);
    switch (d) {
        case UP: return row > 0 ? s - level.boardWidth : -1;
        case RIGHT: return column + 1 < level.boardWidth ? s + 1 : -1;
        case DOWN: return row + 1 < level.boardHeight ? s + level.boardWidth : -1;
        default: return column > 0 ? s - 1 : -1;
    }
}

}  // namespace qm
