#pragma once
// Thread 2's corral deadlock test: boxes around floor the pusher can no longer reach are tested
// by a bounded push search on a board holding only walls and those boxes; verdicts are cached.
#include <cstdint>

#include "board/board.hpp"
#include "search/bucket_queue.hpp"

namespace qm {

constexpr uint32_t kCorralSlots = 99'991;     // a prime
constexpr int32_t kCorralBoxes = 12;
constexpr int32_t kCorralInsertLimit = 10'000;
constexpr int32_t kCorralBudgetLimit = 83'400;
constexpr int32_t kCorralLevels = 12;         // queue levels: 12 - boxes of the state
constexpr int32_t kCorralLabelList = 12;      // candidate and neighbour corrals kept per list

// Answers of the corral test and its sub-search.
constexpr int32_t kT2CorralOpen = 0;          // not a deadlock, or not decided
constexpr int32_t kT2CorralDead = 1;          // deadlock
constexpr int32_t kT2CorralTooManyBoxes = 9;  // more than 12 boxes touch the corrals
constexpr int32_t kT2CorralStopped = 10;

struct CorralEntry {
    int32_t stamp;                 // serial of the sub-search that stored or last queued it
    int16_t boxes[kCorralBoxes];
    int16_t pusher;                // 0 marks an empty slot
    int8_t count;                  // boxes in boxes
    int8_t verdict;                // 0 none, 1 not a deadlock, 2 deadlock
    CorralEntry* next;             // successor in the sub-search's queue level
};
static_assert(sizeof(CorralEntry) == 40, "a corral slot is 40 bytes in block 2");

struct CorralState {
    CorralEntry* t2CorralTable = nullptr;  // kCorralSlots slots in block 2
    int32_t t2CorralBoard[kMaxSquares];    // 8 walls, 2 boxes of the sub-problem, 0 elsewhere
    int32_t t2CorralSerial = 0;
    int32_t clearingMode = 0;              // 1 in the area-clearing search
    // Working tables of one corral test and its sub-searches.
    int32_t regionLabels[kMaxSquares];     // free regions of searchBoard, 1 = the pusher's
    int32_t subBoxes[kCorralBoxes];        // boxes of the state being stored or expanded
    int32_t subBoxCount = 0;
    int32_t insertCount = 0;               // inserts of the current sub-search
    int32_t budgetCount = 0;               // starts at the serial before the sub-search
    BucketQueue<CorralEntry, kCorralLevels, &CorralEntry::next> queue;  // by 12 - boxes
    CorralEntry* storeSlot = nullptr;      // slot the last t2CorralStore matched or filled
    int32_t expandReach[kMaxSquares];      // pusher reach of the state being expanded
    int32_t storeReach[kMaxSquares];       // pusher reach of the state being stored
};
extern CorralState corral;

// Empties the corral table and sets the serial to 0.
void resetCorralTable();
// 1 when the move that put a box on u (pusher then on t) left a dead corral; 0 when not proved.
int32_t t2CorralTest(int32_t u, int32_t t);
// The same, given the pusher's region after the move (marked non-zero), which it often answers
// from without labelling the board.
int32_t t2CorralTestInRegion(int32_t u, int32_t t, const int32_t* pusherRegion);
// Push search of the boxes touching region L1 (and L2 unless it is -1) of labels, pusher on t:
// 1 dead, 0 resolvable or not decided, 9 more than 12 boxes, 10 stopped.
int32_t t2CorralSubSearch(int32_t t, const int32_t* labels, int32_t l1, int32_t l2);
// Looks up or queues the state of subBoxes with the pusher on p, keeping only the boxes that
// still border floor the pusher cannot reach: 0 not a deadlock (or limits reached), 1 a cached
// deadlock, 2 queued now or earlier in this sub-search.
int32_t t2CorralStore(int32_t p);

}  // namespace qm
