#pragma once
// The pusher's region by visit stamps: filling it needs no cleared map, so searches that fill
// once per generated state do not clear a whole board each time.
#include <cstdint>
#include <cstring>

#include "board/board.hpp"

namespace qm {

struct RegionStamp {
    uint32_t stamp[kMaxSquares] = {};
    uint32_t current = 0;
    int32_t queue[kMaxSquares];

    // Fills the region of start over squares that are 0 on board; the start itself is marked
    // even when it is not free. Returns the smallest square marked.
    int32_t fill(const int32_t* board, int32_t start) {
        if (++current == 0) {
            std::memset(stamp, 0, sizeof stamp);
            current = 1;
        }
        int32_t head = 0, tail = 0, smallest = start;
        stamp[start] = current;
        queue[tail++] = start;
        while (head < tail) {
            const int32_t s = queue[head++];
            for (int32_t d = 0; d < 4; ++d) {
                const int32_t n = s + level.dirOffset[d];
                if (board[n] != 0 || stamp[n] == current) continue;
                stamp[n] = current;
                if (n < smallest) smallest = n;
                queue[tail++] = n;
            }
        }
        return smallest;
    }

    bool reached(int32_t s) const { return stamp[s] == current; }

    // The direction bits of the neighbours of s in the region.
    int32_t sidesOf(int32_t s) const {
        int32_t sides = 0;
        for (int32_t bit = 1; bit <= 8; bit <<= 1) {
            if (reached(s + level.dirBitOffset[bit])) sides |= bit;
        }
        return sides;
    }
};

}  // namespace qm
