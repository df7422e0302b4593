#pragma once
// The segment check: may the position an entry push reached become the start of the next
// segment? Three tests of growing cost: the whole-board analysis, a relaxed push search in which
// boxes that move freely are dropped, and the entry search that must produce the next entry list.
#include <cstdint>

#include "board/board.hpp"
#include "board/single_box.hpp"
#include "search/side_stamps.hpp"

namespace qm {

constexpr int32_t kCheckFailLimit = 50;            // rejections per segment outside entry mode 1
constexpr int32_t kCheckFailLimitFixed = 900'000;  // in entry mode 1
constexpr uint32_t kRelaxedSlots = 1'433;          // the first slots of the entry table
constexpr int32_t kRelaxedStateLimit = 1'024;

struct SegmentCheck {
    int32_t lineGoalReach[kMaxSquares];    // 1 where a goal's box that moves along one line can go
    SideStamps visitedPushSides;           // sides reached by freeBoxTest's walk
    uint8_t localStatus[kMaxBoxes];        // statuses of the state being inserted
    bool droppedNow[kMaxBoxes] = {};       // items the running insertion took off pullBoard
    // The push list of freeBoxTest, copied before the relaxed search inserts from it.
    int32_t listSquare[kMaxStates];
    int32_t listPusher[kMaxStates];
    int32_t reach[kMaxSquares];
    int32_t board[kMaxSquares];
    int32_t sideMap[kMaxSquares];
    int32_t matrix[kMaxBoxes * kMaxBoxes];
    // The failed relaxed search's states, for pruning the segment queue.
    uint8_t stateRegion[kRelaxedStateLimit][kMaxSquares];
    int32_t stateSquares[kRelaxedStateLimit][kMaxBoxes];
    int32_t stateSquareCount[kRelaxedStateLimit];
    uint32_t nodeStamp[kMaxSquares];
    uint32_t nodeStampValue = 0;
};
extern SegmentCheck segmentCheckTables;

// Checks the position on segBoard with the pusher on segPusher; the arguments go to the entry
// search. Returns 1 (accepted: the analysis and the entry list describe the position), 0
// (rejected), 9 (too many rejections, or the entry table is full) or 10 (stopped).
int32_t segmentCheck(int32_t oldSquare, int32_t newSquare);

// The relaxed search on the analysed position: 8 (the boxes left can be placed), 0 (exhausted),
// 9 (1,024 states stored) or 10 (stopped).
int32_t relaxedSearch();

}  // namespace qm
