#pragma once
// Single-box questions: where one box can go alone (pushing, or pulling back from a goal),
// whether a box is frozen for good, and whether boxes can still be matched to goals.
// Every routine writes the board it is given temporarily and restores it before returning.
#include <cstdint>

namespace qm {

struct LiftedArea;

constexpr int32_t kMaxStates = 10000;  // at most four states per square

// The global state lists of boxPullStates and boxPushStates; used by the analysis and thread 1.
struct SingleBoxStates {
    int32_t stateBox[kMaxStates];      // box square
    int32_t statePusher[kMaxStates];   // pusher's normalised square
    int32_t stateSides[kMaxStates];    // side set
    int32_t stateCount = 0;
    int32_t pushSidesUsed = 0;         // every push side used by boxPushStates
    int32_t frozenOffGoal = 0;         // raised by frozenTestFlag; cleared by its callers
};
extern SingleBoxStates singleBox;

// Push reachability on the handover's searchBoard; the box's square entry of sideMap stays 0
// unless a later state brings the box back there. Returns the number of states, 0 when the
// pusher reaches no side of the box.
int32_t boxPushReachSearch(int32_t* sideMap, int32_t box, int32_t pusher, int32_t* boxes,
                           int32_t* pushers, const LiftedArea* area = nullptr);
// Push reachability of the box on box (marked 2 on board). Lists the box square and the
// pusher's square after the last push per state; entry 0 is the start.
// area, when given, is the mover's area with this box lifted (findLiftedArea): it answers the
// side sets of most states without a walk.
int32_t boxPushReach(int32_t* board, int32_t* sideMap, int32_t box, int32_t pusher, int32_t* boxes,
                     int32_t* pushers, const LiftedArea* area = nullptr);
// Pull reachability: the puller steps back from the box, drawing it along.
int32_t boxPullReach(int32_t* board, int32_t* sideMap, int32_t box, int32_t puller, int32_t* boxes,
                     int32_t* pullers, const LiftedArea* area = nullptr);
// boxPullReach with lists of its own.
int32_t boxPullReachTemp(int32_t* board, int32_t* sideMap, int32_t box, int32_t puller);
// Pull reachability into the global state lists; 1 when no side is reachable.
int32_t boxPullStates(int32_t* board, int32_t* sideMap, int32_t box, int32_t puller);
// Push reachability into the global state lists; ORs every push side into pushSidesUsed.
int32_t boxPushStates(int32_t* board, int32_t* sideMap, int32_t box, int32_t pusher);

// 0 movable; 1 frozen with a box off goal; 2 frozen with all its boxes on goals.
int32_t frozenTest(int32_t* board, int32_t square);
// 1 frozen, 0 movable; raises frozenOffGoal when a frozen box stands off goal.
int32_t frozenTestFlag(int32_t* board, int32_t square);

// Hall test over identical rows and columns of an n by n 0/1 matrix with row stride 64.
// 0 when the condition is violated, else 1. With prune set, columns of tight groups are cleared
// in the other rows.
int32_t assignmentFeasible(int32_t* matrix, int32_t n, int32_t prune);
// assignmentFeasible without pruning over the first n boxes of handover.t2Boxes, row i holding
// bits 0 .. n-1 of masks at box i's square. At most 32 boxes.
int32_t goalAssignmentTest(const uint32_t* masks, int32_t n);
// On thread 1's phaseBoard: 1 when the box on square is deadlocked, 0 when not proved.
int32_t deadlockTest(int32_t square, int32_t pusher);

}  // namespace qm
