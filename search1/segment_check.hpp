#pragma once
// The segment check: may the position an entry push reached become the start of the next
// segment? Three tests of growing cost: the whole-board analysis, a relaxed push search in which
// boxes that move freely are dropped, and the entry search that must produce the next entry list.
#include <cstdint>

#include "board/board.hpp"
#include "board/single_box.hpp"
#include "search1/relaxed_search.hpp"

namespace qm {

constexpr int32_t kCheckFailLimit = 50;            // rejections per segment outside entry mode 1
constexpr int32_t kCheckFailLimitFixed = 900'000;  // in entry mode 1
// The failed relaxed search's states, kept for pruning the segment queue.
struct SegmentCheck {
    uint8_t stateRegion[kRelaxedStateLimit][kMaxSquares];
    int32_t stateSquares[kRelaxedStateLimit][kMaxBoxes];
    int32_t stateSquareCount[kRelaxedStateLimit];
    int32_t board[kMaxSquares];
    uint32_t nodeStamp[kMaxSquares];
    uint32_t nodeStampValue = 0;
};
extern SegmentCheck segmentCheckTables;

// Checks the position on segBoard with the pusher on segPusher; the arguments go to the entry
// search. Returns 1 (accepted: the analysis and the entry list describe the position), 0
// (rejected), 9 (too many rejections, or the entry table is full) or 10 (stopped).
int32_t segmentCheck(int32_t oldSquare, int32_t newSquare);

}  // namespace qm
