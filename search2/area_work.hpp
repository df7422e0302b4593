#pragma once
// The working tables and small helpers the files of the area-clearing search share: planning,
// following and step writing. Thread 2 alone uses them.
#include <cstdint>

#include "board/board.hpp"
#include "board/handover.hpp"
#include "board/single_box.hpp"
#include "search/boxes.hpp"
#include "search2/area_clearing.hpp"
#include "search2/node_table.hpp"

namespace qm {

// The stages of areaClearingSearch, one file each.
// Fills the corral board, fixedStart, storageMark and roomDepth from the start position;
// leaves searchBoard without boxes.
void prepareAreaClearing();
// Planning: 8 with the plan built, 9 failed (no plan, node limit, no storage), 10 stopped.
int32_t planSearch();
// Copies the chain ending at nodes.meetNode into planRecords. 1, or 0 when the storage for
// the records cannot be had.
int32_t buildPlan();
// Makes room for at least count plan records. 1, or 0 when the memory cannot be had.
int32_t reservePlan(int32_t count);
// Following: starts the step list and solves forwards through planRecords from the start.
// 8, 9 or 10.
int32_t followPlan();

// The steps of the following stage's sub-searches.
// Sets up the sub-goal of the next plan record; 0 when no record is left.
int32_t nextSubGoal();
void buildFillMap();
// Priority of the position on searchBoard with the pusher on p; kSubGoalMet when it meets the
// sub-goal.
int32_t fillPriority(int32_t p);
// Expands the best waiting node: 2 expanded, 8 sub-goal met (nodes.meetNode), 9 no node left or
// node limit.
int32_t fillExpand();

}  // namespace qm

namespace qm::area {

// Scratch maps and lists of the method. A routine that calls another never keeps a map the
// callee writes: region, board and sideMap are taken and given back within one step.
struct AreaScratch {
    int32_t reach[kMaxSquares];       // pusher's region of the position being expanded
    int32_t childReach[kMaxSquares];  // pusher's region of a child
    int32_t region[kMaxSquares];      // fillPriority, orderTargets and the direct steps
    int32_t board[kMaxSquares];       // scratch obstacle board
    int32_t sideMap[kMaxSquares];
    int32_t distance[kMaxSquares];    // walking distance from distanceFrom over walls only
    int32_t distanceFrom = kNoSquare;
    int32_t queue[kMaxSquares];
    int32_t listBoxes[kMaxStates];    // single-box reach lists
    int32_t listPushers[kMaxStates];
};
extern AreaScratch work;

inline int32_t boxCount() { return handover.t2BoxCount; }

// Marks the boxes of t2Boxes that are in play on searchBoard, or takes them off.
inline void placeBoxes() { qm::placeBoxes(handover.searchBoard, handover.t2Boxes, boxCount()); }
inline void liftBoxes() { qm::liftBoxes(handover.searchBoard, handover.t2Boxes, boxCount()); }
inline void liftAllBoxes() { qm::liftAllBoxes(handover.searchBoard); }
inline void loadNode(const SearchNode* node) {
    loadBoxes(handover.searchBoard, handover.t2Boxes, node->boxes, boxCount());
}
inline bool nodeLimitReached() { return nodeCountNow() >= kNodeLimit; }

// Puts the walls of searchBoard and the in-play squares of boxes on the scratch board.
template <typename Square>
void buildStepScratch(const Square* boxes) {
    int32_t* board = work.board;
    for (int32_t s = 0; s < level.cellCount; ++s) board[s] = handover.searchBoard[s] & WALL;
    for (int32_t j = 0; j < boxCount(); ++j) {
        if (boxes[j] != kOutOfPlay) board[boxes[j]] = BOX;
    }
}

// The pusher's region from start on searchBoard into map (cleared first); its smallest square.
int32_t regionOf(int32_t* map, int32_t start);
// True when one of the four squares beside s is marked in map.
bool sideTouches(const int32_t* map, int32_t s);

// The step writers of the following stage: the steps from a sub-search's root to node, oldest
// first; and the box transfers of the plan records after the last sub-goal.
void writeStageSteps(SearchNode* node);
void writeDirectSteps();

}  // namespace qm::area
