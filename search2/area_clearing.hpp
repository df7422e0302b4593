#pragma once
// Thread 2's method for levels whose goals lie in one room: plan backwards the order in which
// boxes enter the room, then solve forwards sub-goal by sub-goal.
#include <cstdint>

#include "board/board.hpp"
#include "search2/node_table.hpp"

namespace qm {

// One position of the plan: box squares by box index (0 = out of play), the normalised pusher
// square and the number of boxes in play.
struct PlanRecord {
    int16_t boxes[kNodeBoxes];
    int16_t pusher;
    int8_t boxesInPlay;
};

constexpr int32_t kSubGoalMet = 59;  // fillPriority of a position that meets its sub-goal

// The tables of the area-clearing search. Thread 2 alone uses them.
// Plan modes of the following stage.
constexpr int32_t kPlanStart = 0;       // before the first sub-goal
constexpr int32_t kPlanOutOfPlay = 1;   // sub-goals with boxes out of play
constexpr int32_t kPlanLast = 2;        // the last sub-goal: every box in play

struct AreaClearing {
    int32_t fixedStart[kMaxSquares];   // 1 on start box squares no pull can leave
    int32_t storageMark[kMaxSquares];  // 1 on outside floor a box pulled out of a goal can reach
    int32_t roomDepth[kMaxSquares];    // walking depth from the goals through usable room floor
    double depthScale = 0;             // 44 / largest roomDepth / boxes
    // The plan, from the position with the fewest boxes in play to the solved position. The
    // storage grows to the longest plan met so far, so a plan of any length is kept whole.
    PlanRecord* planRecords = nullptr;
    int32_t planCapacity = 0;          // records the storage holds
    int32_t planLength = 0;            // records of the current plan
    int32_t planIndex = 0;             // next plan record to use
    int32_t planMode = 0;              // kPlanStart, kPlanOutOfPlay or kPlanLast
    int32_t targetMark[kMaxSquares];   // room squares filled by earlier sub-goals, never moved
    int32_t targetList[kMaxBoxes];     // current targets; the last entry is filled first
    int32_t targetCount = 0;
    int32_t targetSlot[kMaxSquares];   // index + 1 of the square in targetList, 0 elsewhere
    int32_t targetPusher = 0;          // pusher square of the current plan record
    int32_t fillMap[kMaxSquares];      // 0 outside, 1 other goal, 2 room floor, 3 target, 8 wall
};
extern AreaClearing areaClearing;

// 8 solved (step list written), 9 failed, 10 stopped.
int32_t areaClearingSearch();
// Frees the plan storage.
void releasePlan();

}  // namespace qm
