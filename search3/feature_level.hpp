#pragma once
// The level as the feature search sees it, prepared once per solve from the hand-over copies:
// walls, the floor squares a box set is written over, the squares from which no box reaches a
// goal, the hash keys and the order in which the goals are best filled.
#include <cstdint>

#include "board/board.hpp"

namespace qm {

constexpr int32_t kMaxFloorWords = (kMaxSquares + 63) / 64;  // words of a box set

struct FeatureLevel {
    int32_t boxCount = 0;
    int32_t floorCount = 0;          // floor squares, each with a bit of a box set
    int32_t words = 0;               // 64-bit words of a box set
    int32_t startPusher = 0;         // on the start position
    int32_t board[kMaxSquares];      // walls only: 0 floor, 8 wall
    int32_t floorBit[kMaxSquares];   // bit of a floor square in a box set; -1 on walls
    int32_t floorSquare[kMaxSquares];  // the square of each bit
    uint8_t dead[kMaxSquares];       // 1 where a box can reach no goal
    int32_t goalDistance[kMaxSquares];
    uint64_t liveMask[kMaxSquares];  // 1 where a box may stand: the corral test's push mask  // pulls from the nearest goal on the empty board
    int32_t goalIndex[kMaxSquares];  // -1 off the goals
    int32_t goals[kMaxBoxes];
    int32_t startBoxes[kMaxBoxes];
    int32_t fillRank[kMaxBoxes];     // by goal index: 0 for the goal best filled first
    uint64_t boxKey[kMaxSquares];    // hash key of a box on each square
    uint64_t pusherKey[kMaxSquares]; // hash key of the pusher's normalised square
};
extern FeatureLevel featureLevel;

// Prepares featureLevel from the hand-over (walls, start boxes, goals, pusher).
void prepareFeatureLevel();

}  // namespace qm
