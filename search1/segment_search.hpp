#pragma once
// The forward segment search of the main phase: breadth first over single-box macro pushes from
// the current position, until an allowed box is pushed into an entry goal from an allowed side
// and the segment check accepts the position. The segment's transfers are then appended to the
// solution text and the main line.
#include <cstdint>

#include "board/board.hpp"
#include "board/lifted_area.hpp"
#include "board/single_box.hpp"
#include "search/side_stamps.hpp"

namespace qm {

constexpr uint32_t kSegmentSlots = 46'219;
constexpr int32_t kSegmentPopLimit = 38'300;  // a node is popped only below this many
constexpr int32_t kSegmentRestarts = 40;
constexpr uint8_t kSegmentRootBox = 255;

struct SegmentNode {
    int16_t squares[kMaxBoxes];  // square of each box, in the order of segBoxes
    int16_t pusher;              // normalised pusher square; 0 marks an empty slot
    uint8_t movedBox;            // kSegmentRootBox for the root
    uint8_t mark;                // keep-mark of the pruning between restarts
    SegmentNode* parent;
    SegmentNode* queueNext;
};
static_assert(sizeof(SegmentNode) == 152, "a segment node is 152 bytes in block 1");

// The forward tables of the main phase, copied from the analysis before every segment search
// (the segment check rebuilds the analysis under them), and the segment search's own tables.
struct SegmentTables {
    int32_t segBoard[kMaxSquares];      // 0 floor, 2 box, 8 wall
    int32_t segBoxes[kMaxBoxes];
    int32_t segBoxCount = 0;
    uint64_t segGoalMask[kMaxSquares];  // goals a box on the square can still be pushed to
    int32_t segClass[kMaxSquares];      // square classes of the analysis
    int32_t segPusher = 0;
    int32_t segEntryCount = 0;
    int32_t segEntrySquare[kMaxBoxes];
    int32_t segEntrySides[kMaxBoxes];
    int32_t segEntryBoxes[kMaxBoxes][kMaxBoxes];
    int32_t segEntryMode = 0;
    int32_t entryMark[kMaxSquares];     // 1 on the entry goals in entry mode 1
    int32_t lockingGoal[kMaxSquares];   // non-zero: no box is ever pushed onto the goal
    int32_t checkFailCount = 0;         // rejected checks while segEntryMode is not 1
    int32_t checkFailCountFixed = 0;    // rejected checks while it is 1

    SegmentNode* segmentTable = nullptr;
    SegmentNode* segQueueHead = nullptr;
    SegmentNode* segQueueTail = nullptr;
    SegmentNode* currentSegmentNode = nullptr;
    SegmentNode* lastSegmentNode = nullptr;  // the slot segmentInsert touched last
    bool tableFull = false;                  // an insert was refused: the run ends after this expansion
    int32_t segMatrix[kMaxBoxes * kMaxBoxes];
    int32_t segMatrixSaved[kMaxBoxes * kMaxBoxes];

    // Scratch of one box's expansion.
    PlacementList pushList;
    int32_t reach[kMaxSquares];
    int32_t moveReach[kMaxSquares];
    LiftedArea area;

    // Repeat test: the position after the whole main line, and the one after each entry.
    int32_t repeatFinalBoard[kMaxSquares];
    int32_t repeatBoard[kMaxSquares];
};
extern SegmentTables segment;

// Makes one segment. Returns 8 (segment made and written, or the companion solved the level),
// 0 (queue empty, or the segment led back to an earlier position), 2 (table full after 40
// restarts), 9 or 10 (from the segment check or the stop test).
int32_t segmentSearch();

}  // namespace qm
