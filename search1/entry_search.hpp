#pragma once
// The backward entry search: from the solved position, items standing for the boxes that will
// finally rest on the goals are pulled, parked aside or released, best first, until the position
// matches the start position in an abstracted form. Read forwards, the steps of the path found
// that take an item off its goal are the pushes that fill goals; those that can come first form
// the entry list that the forward segment search works towards.
#include <cstdint>

#include "board/analysis.hpp"
#include "board/board.hpp"
#include "search/bucket_queue.hpp"

namespace qm {

constexpr uint32_t kEntrySlots = 372'013;
constexpr int32_t kEntryStateLimit = 312'490;
constexpr int32_t kEntryBuckets = 322;  // priorities 0 .. 321: at most 5 per item
constexpr uint8_t kRootItem = 255;      // movedItem of a root

// Item statuses.
constexpr uint8_t kItemOnGoal = 0;       // unmoved, on its own goal
constexpr uint8_t kItemPulled = 1;       // pulled once off its goal
constexpr uint8_t kItemParked = 2;       // set aside, no longer an obstacle
constexpr uint8_t kItemReleased = 3;     // off the board: any box of its mask may fill its goal
constexpr uint8_t kItemPulledAgain = 4;  // pulled after status 1, 2 or 4

// One item per box of the analysed position.
inline int32_t itemCount() { return analysis.analysisBoxCount; }

// One state of the entry search (and, in its first slots, of the segment check's relaxed search).
struct EntryState {
    uint64_t itemMask[kMaxBoxes];
    int16_t itemSquare[kMaxBoxes];  // 0 for released items
    uint8_t itemStatus[kMaxBoxes];
    int16_t pusher;                 // normalised pusher square; 0 marks an empty slot
    uint8_t freeCount;              // items of status 0, 1 or 4
    uint8_t parkedCount;
    uint8_t movedItem;              // kRootItem for a root
    EntryState* parent;
    EntryState* bucketNext;
};
static_assert(sizeof(EntryState) == 728, "an entry state is 728 bytes in block 1");

// Entry modes.
constexpr int32_t kEntryModeNone = 0;
constexpr int32_t kEntryModePath = 1;      // entries taken from the found path
constexpr int32_t kEntryModeFallback = 2;  // one fallback entry

// The entry list the main phase reads.
struct EntryList {
    int32_t entryCount = 0;
    int32_t entrySquare[kMaxBoxes];            // goal square of the entry
    int32_t entrySides[kMaxBoxes];             // sides of it the pusher could reach
    int32_t entryBoxes[kMaxBoxes][kMaxBoxes];  // row k, column j: box j may be pushed in
    int32_t entryMode = kEntryModeNone;
};
extern EntryList entryList;

// The steps of a found path; index 0 is the step that produced the goal state.
struct EntryPath {
    uint8_t pathItem[kEntryStateLimit];
    int16_t pathFrom[kEntryStateLimit];     // the item's square in the parent state
    int16_t pathTo[kEntryStateLimit];       // its square in the child state
    int16_t pathPusher[kEntryStateLimit];   // the child's pusher
    uint8_t pathFromStatus[kEntryStateLimit];  // 4 recorded as 1
    uint8_t pathToStatus[kEntryStateLimit];
    uint8_t pathSides[kEntryStateLimit];    // sides of pathFrom the pusher reaches before the step
    int32_t pathLength = 0;
    bool marked[kEntryStateLimit];          // steps inside a repeated item's span (second pass)
};

struct EntrySearch {
    EntryState* entryTable = nullptr;
    BucketQueue<EntryState, kEntryBuckets> queue;
    EntryState* currentEntryState = nullptr;
    EntryState* lastEntryState = nullptr;  // the slot the lookup touched last
    int32_t rootPusher = 0;

    // The work position: items of status 0, 1 and 4 on pullBoard, parked ones on parkedBoard.
    int32_t pullBoard[kMaxSquares];
    int32_t parkedBoard[kMaxSquares];
    int32_t curSquare[kMaxBoxes];
    uint8_t curStatus[kMaxBoxes];
    uint64_t curMask[kMaxBoxes];
    int32_t pullPusher = 0;
    int32_t itemMatrix[kMaxBoxes * kMaxBoxes];
    int32_t itemMatrixSaved[kMaxBoxes * kMaxBoxes];
    int32_t goalTestMatrix[kMaxBoxes * kMaxBoxes];
    int32_t sideMap[kMaxSquares];
    int32_t startBoxIndex[kMaxSquares];  // boxList index of the start box on a square, or -1

    // Controls the main phase sets.
    int32_t noParkSquare[kMaxSquares];   // 1 where no item is ever parked
    int32_t secondPass = 0;
    int32_t secondPassBan[kMaxSquares];  // squares the second pass keeps released items off

    EntryPath path;
    int32_t rootCovered[kMaxSquares];    // regions the roots already stand in
    // Widening the entries: walls only, one box's side sets, and the squares boxes reach.
    int32_t widenWalls[kMaxSquares];
    int32_t widenSides[kMaxSquares];
    int32_t widenReached[kMaxSquares];
    // Slots the last search stored into, so that the next one empties only those.
    int32_t usedSlots[kEntryStateLimit];
    int32_t usedSlotCount = 0;
};
extern EntrySearch entrySearchTables;

// The next state of the entry queue for a search loop (the entry search, or the segment check's
// relaxed search, which shares the queue): 1 with *state set and made current, 8 when a companion
// slice solved the level, 0 when the queue is empty, 10 at the stop word or the deadline.
int32_t nextEntryState(EntryState** state);

// Marks the squares where the entry search never parks an item: walls and start boxes of the
// analysis, gate and corridor squares, and goals.
void computeNoParkSquares();

// Runs the entry search on the analysed position. Returns 0 (every state expanded), 8 (a goal
// state was found and the entry list written, or the companion solved the level), 9 (table full)
// or 10 (stopFlag or the deadline).
int32_t entrySearch();

// The entry search for the segment check: newSquare is where the entered box now stands (0 when
// it has become a wall), oldSquare the entry goal it came from. Returns as entrySearch.
int32_t entrySearchRun(int32_t oldSquare, int32_t newSquare);

}  // namespace qm
