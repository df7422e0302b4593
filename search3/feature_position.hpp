#pragma once
// The position the feature search is expanding, on a board of its own: its boxes, which goals of
// the filling order they fill, and the regions of the pusher's floor.
#include <cstdint>

#include "board/board.hpp"
#include "search3/feature_level.hpp"
#include "search3/feature_table.hpp"

namespace qm {

struct FeaturePosition {
    int32_t board[kMaxSquares];     // walls and the boxes: 0 free, 2 box, 8 wall
    int32_t boxes[kMaxBoxes];       // the box squares
    int32_t boxCount = 0;
    uint64_t rankMask = 0;          // bit r: the goal of filling rank r holds a box
    int32_t regions = 0;            // separate regions of the free squares
    int32_t label[kMaxSquares];     // region of each free square, from 0
    uint32_t labelStamp = 0;
    uint32_t labelSeen[kMaxSquares];
    int32_t labelQueue[kMaxSquares];
};
extern FeaturePosition position;

// The board of walls from featureLevel, no box on it.
void clearPosition();
// Puts the position of node on the board in place of the one there.
void loadPosition(const FeatureNode& node);
// Puts boxes on the n squares in place of the position there.
void loadSquares(const int32_t* squares, int32_t n);
// Labels the regions of the free squares; sets and returns position.regions.
int32_t labelRegions();
// Regions of the free squares once the box on s is lifted.
int32_t regionsWithLifted(int32_t s);

// Bit r of the rank mask for a box on square: the goal's filling rank, 0 off the goals.
inline uint64_t rankBit(int32_t square) {
    const int32_t g = featureLevel.goalIndex[square];
    return g < 0 ? 0 : uint64_t{1} << featureLevel.fillRank[g];
}
// Goals filled ahead of the order: filled goals whose rank is at least the number filled.
int32_t outOfPlanOf(uint64_t rankMask);

inline void setBoxBit(uint64_t* set, int32_t square) {
    const int32_t bit = featureLevel.floorBit[square];
    set[bit >> 6] |= uint64_t{1} << (bit & 63);
}
inline void clearBoxBit(uint64_t* set, int32_t square) {
    const int32_t bit = featureLevel.floorBit[square];
    set[bit >> 6] &= ~(uint64_t{1} << (bit & 63));
}

}  // namespace qm
