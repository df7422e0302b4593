#pragma once
// The boxes a corral sub-problem keeps: those beside floor the pusher cannot reach. A box the
// pusher can walk all around borders no such floor and leaves the sub-problem.
#include <cstdint>

#include "board/board.hpp"

namespace qm {

// Verdicts of a stored corral state; only the root state of a sub-search gets one.
constexpr uint8_t kCorralVerdictNone = 0;
constexpr uint8_t kCorralVerdictOpen = 1;  // not a deadlock
constexpr uint8_t kCorralVerdictDead = 2;  // deadlock

// True when one of the eight squares around s is floor of board outside region.
inline bool bordersUnreached(const int32_t* board, const int32_t* region, int32_t s) {
    for (int32_t r = 0; r < 8; ++r) {
        const int32_t n = s + level.ringOffset[r];
        if (board[n] == 0 && region[n] == 0) return true;
    }
    return false;
}

// The boxes split, in their order, into kept (bordering unreached floor) and dropped.
struct CorralSplit {
    int32_t keptCount = 0;
    int32_t droppedCount = 0;
    bool keptAllOnGoals = true;  // every kept box stands on a goal (true when none is kept)
};

inline CorralSplit splitCorralBoxes(const int32_t* board, const int32_t* region, const int32_t* boxes,
                                    int32_t n, int32_t* kept, int32_t* dropped) {
    CorralSplit split;
    for (int32_t i = 0; i < n; ++i) {
        const int32_t b = boxes[i];
        if (bordersUnreached(board, region, b)) {
            kept[split.keptCount++] = b;
            if (level.goalMap[b] == 0) split.keptAllOnGoals = false;
        } else {
            dropped[split.droppedCount++] = b;
        }
    }
    return split;
}

}  // namespace qm
