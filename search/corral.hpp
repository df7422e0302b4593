#pragma once
// The corral deadlock test of thread 1 and the feature search. After a push, each free region
// next to the pushed box that the pusher cannot enter (a corral) is tested: only the boxes
// bordering it are kept, on a board of walls, and a small best-first push search tries to bring
// them all onto goals or away from the region. When the search runs dry the position is dead.
// Verdicts are cached per corral state.
//
// One algorithm, one instance per owning search with its own tables and limits: thread 1's final
// search, companion search and the main phase's relaxed and segment tests, and the feature
// search's.
#include <cstdint>

#include "board/board.hpp"
#include "search/bucket_queue.hpp"
#include "search/corral_boxes.hpp"

namespace qm {

// Answers of corralTest and of one region test.
constexpr int32_t kCorralNotProved = 0;
constexpr int32_t kCorralDeadlock = 1;
constexpr int32_t kCorralNotTested = 3;  // too many boxes, or the sub-search was stopped

// One stored corral state. A pusher of 0 marks a free entry.
template <int32_t kBoxes>
struct CorralRecord {
    uint32_t generation;   // sub-search that stored it
    int16_t boxes[kBoxes]; // kept boxes, in order
    int16_t pusher;        // normalised pusher square on the sub-board
    uint8_t count;         // kept boxes
    uint8_t verdict;
    CorralRecord* bucketNext;
};
using CorralEntry56 = CorralRecord<18>;
using CorralEntry32 = CorralRecord<6>;
static_assert(sizeof(CorralEntry56) == 56, "a corral entry of 18 boxes is 56 bytes in block 1");
static_assert(sizeof(CorralEntry32) == 32, "a corral entry of 6 boxes is 32 bytes in block 1");

// How an instance's sub-search watches the clock.
enum class CorralClock : uint8_t {
    kNone,            // never polled: the state cap bounds the search
    kUntilDeadline,   // goes on while the current second is not later than the deadline
    kBeforeDeadline,  // goes on while the current second is earlier than the deadline
};

// How an instance judges a push that may freeze the pushed box.
enum class CorralFreeze : uint8_t {
    kOffGoal,       // frozenTest: a box frozen off goal drops the push
    kGoalNeighbours // frozenTestFlag, and a box frozen on its goal must not freeze its neighbours
};

struct CorralLimits {
    uint32_t slots;          // entries of the table
    uint32_t usedLimit;      // stored entries, counted from the generation, the table may take
    int32_t stateLimit;      // entries one sub-search may store
    bool regionPairs;        // also test pairs of regions
    bool untestedSkipsPairs; // a region answering "not tested" takes no part in pairs
    CorralClock clock;
    CorralFreeze freeze;
    bool sharesItsRegion;    // other tables overwrite the entries between runs: clear at reset
};

// The shared scalars and working tables of one instance; kBoxes is the most boxes a corral may
// have. The record table lives in the owning search's memory block.
template <int32_t kBoxes>
struct CorralInstance {
    using Entry = CorralRecord<kBoxes>;
    static constexpr int32_t kMaxCorralBoxes = kBoxes;

    explicit CorralInstance(const CorralLimits& instanceLimits) : limits(instanceLimits) {}

    const CorralLimits limits;
    Entry* table = nullptr;
    const uint64_t* goalMask = nullptr;  // a push needs a non-zero mask at its target

    uint32_t generationBase = 0;  // entries of earlier generations are free
    uint32_t generation = 0;      // sub-searches started, absolute
    uint32_t used = 0;            // counted against usedLimit
    int32_t states = 0;           // stored by the current sub-search
    BucketQueue<Entry, kBoxes + 1> queue;  // bucket kBoxes - count: fewest boxes served first

    int32_t corralBoxes[kBoxes];  // boxes of the state being worked on
    int32_t corralBoxCount = 0;
    int32_t board[kMaxSquares];   // walls, plus the boxes of the current corral state

    // Working maps of one test; the pusher's region and the labels of the other regions.
    int32_t ownRegion[kMaxSquares];
    int32_t labels[kMaxSquares];
    int32_t lookupReach[kMaxSquares];
    int32_t expandReach[kMaxSquares];
    bool coveredLabel[kMaxSquares + 1];  // by label: regions already tested by themselves
    bool pairedLabel[kMaxSquares + 1];   // by label: regions already tested with the current one
};

// Starts an instance for a new owning search: walls of positionBoard on its sub-board, the
// generation back to 0. With clearTable every entry is emptied; otherwise entries of earlier
// generations are merely treated as free (the table must hold entries of this instance or zeros).
template <int32_t kBoxes>
void resetCorral(CorralInstance<kBoxes>& c, CorralRecord<kBoxes>* table, const uint64_t* goalMask,
                 const int32_t* positionBoard, bool clearTable);

// Tests the position after a push that put a box on square t, the pusher on pusherSquare.
// positionBoard holds the position (2 boxes, 8 walls), boxes its n box squares (0 entries are
// skipped). pusherRegion, when given, marks the pusher's region non-zero; otherwise it is filled.
// Returns kCorralDeadlock when a corral next to t is proved dead, kCorralNotProved otherwise.
template <int32_t kBoxes>
int32_t corralTest(CorralInstance<kBoxes>& c, const int32_t* positionBoard, const int32_t* boxes,
                   int32_t n, int32_t t, int32_t pusherSquare, const int32_t* pusherRegion);

}  // namespace qm
