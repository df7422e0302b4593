#pragma once
// Where one box can be pushed while every other box stays: the squares it can end on, and for
// each the pusher's side, grouped by the region the pusher is left in. The pusher's walks
// around the moving box are answered from the blocks (biconnected components) of the free
// squares with the box lifted, so a push needs no flood fill: two sides of the box's square are
// joined around it exactly when their edges lie in one block.
#include <cstdint>

#include "board/board.hpp"

namespace qm {

struct BoxDestination {
    int32_t square;       // where the box ends
    int32_t pusher;       // the pusher's square after the last push
    int32_t pushes;       // pushes of the fewest that bring it there
};

struct BoxReach {
    // Blocks of the component of free squares around the lifted box.
    uint32_t blockStamp = 0;
    uint32_t visited[kMaxSquares];
    int32_t order[kMaxSquares];      // discovery time
    int32_t low[kMaxSquares];
    int32_t parent[kMaxSquares];
    int8_t parentDir[kMaxSquares];
    int16_t splits[kMaxSquares];     // children whose subtree a box on the square cuts off
    int32_t edgeBlock[kMaxSquares * 4];  // block of the edge from a square in a direction
    int32_t frameSquare[kMaxSquares];
    int8_t frameDir[kMaxSquares];
    int32_t edgeFrom[kMaxSquares * 2];
    int8_t edgeDir[kMaxSquares * 2];
    int32_t root = 0;
    int32_t smallest = 0, secondSmallest = -1;  // of the component
    // The push search over (box square, direction of the last push).
    uint32_t stateStamp = 0;
    uint32_t stateSeen[kMaxSquares * 4];
    uint32_t stateKept[kMaxSquares * 4];
    int32_t stateQueue[kMaxSquares * 4];
    int32_t statePushes[kMaxSquares * 4];  // by queue position
    BoxDestination destinations[kMaxSquares * 4];
    int32_t destinationCount = 0;
};

// Labels the blocks of the component of squares that are 0 on board around root.
void labelBlocks(BoxReach& r, const int32_t* board, int32_t root);

// Regions the component falls into when a box stands on s (s in the component).
inline int32_t piecesWithBoxOn(const BoxReach& r, int32_t s) {
    return s == r.root ? r.splits[s] : r.splits[s] + 1;
}

// The smallest square of the pusher's region once a box stands on s, when s does not split the
// component; -1 when it does.
inline int32_t smallestWithout(const BoxReach& r, int32_t s) {
    if (piecesWithBoxOn(r, s) > 1) return -1;
    return s == r.smallest ? r.secondSmallest : r.smallest;
}

// Lists the destinations of the box lifted from start (board holds the other boxes and walls,
// 0 on start): a push needs the pusher on a square of reach (marked reachStamp: the pusher's region with
// the box still on start) for the first push, and never ends on a square marked dead. Call labelBlocks
// for start first. One destination per square and pusher region; the start square again when the
// pusher can end in another region.
void findDestinations(BoxReach& r, const int32_t* board, const uint8_t* dead, const uint32_t* reach,
                      uint32_t reachStamp, int32_t start);

// The same for pulls: the squares the box lifted from start can be pulled to, the puller standing
// beside it on a square of reach for the first pull and never pulling it onto a square marked
// barred. A destination's pusher is the puller's square after the last pull.
void findPullDestinations(BoxReach& r, const int32_t* board, const uint8_t* barred,
                          const uint32_t* reach, uint32_t reachStamp, int32_t start);

}  // namespace qm
