#pragma once
// The relaxed search of the segment check: a small best-first push search over the analysed
// position in which boxes that can move freely are dropped; it only has to bring the remaining
// boxes onto goals. Its states live in the first 1,433 slots of the entry table.
#include <cstdint>

#include "board/board.hpp"
#include "board/single_box.hpp"
#include "search/side_stamps.hpp"

namespace qm {

constexpr uint32_t kRelaxedSlots = 1'433;   // the first slots of the entry table
constexpr int32_t kRelaxedStateLimit = 1'024;
constexpr uint8_t kItemDropped = 2;         // status of a box judged free and taken off the board
inline bool isDropped(uint8_t status) { return status == kItemDropped; }

struct RelaxedSearch {
    int32_t lineGoalReach[kMaxSquares];    // 1 where a goal's box that moves along one line can go
    SideStamps visitedPushSides;           // sides reached by freeBoxTest's walk
    uint8_t localStatus[kMaxBoxes];        // statuses of the state being inserted
    bool droppedNow[kMaxBoxes] = {};       // items the running insertion took off pullBoard
    // The push list of freeBoxTest, copied before the relaxed search inserts from it.
    int32_t listSquare[kMaxStates];
    int32_t listPusher[kMaxStates];
    int32_t board[kMaxSquares];
    int32_t sideMap[kMaxSquares];
    int32_t matrix[kMaxBoxes * kMaxBoxes];
};
extern RelaxedSearch relaxedSearchTables;

// The relaxed search on the analysed position: 8 (the boxes left can be placed), 0 (exhausted),
// 9 (1,024 states stored) or 10 (stopped).
int32_t relaxedSearch();

}  // namespace qm
