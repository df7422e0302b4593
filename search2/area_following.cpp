// The following stage of the area-clearing search: forwards from the start, one sub-search per
// plan record, each filling the record's targets in the room.
#include "search2/area_clearing.hpp"

#include <cstdlib>
#include <cstring>
#include <utility>

#include "board/board.hpp"
#include "board/fills.hpp"
#include "board/handover.hpp"
#include "board/single_box.hpp"
#include "search/boxes.hpp"
#include "search/chain_walk.hpp"
#include "search2/area_work.hpp"
#include "search2/corral.hpp"
#include "search2/bidirectional_steps.hpp"
#include "search2/corridors.hpp"
#include "search2/macro_moves.hpp"
#include "search2/priorities.hpp"
#include "search2/node_table.hpp"
#include "search2/thread2.hpp"
#include "solver/blocks.hpp"
#include "solver/control.hpp"

namespace qm {

using namespace area;

namespace {

// Sub-goal targets of a plan record: its boxes not yet marked, ordered so that entry 0 is the
// box that would leave the room first going backwards. Boxes that cannot be pulled out to
// storage are left to a later record, except in the record with every box in play: there they
// follow the listed ones (filled before them), so that the last sub-goal is the whole record.
void orderTargets(const PlanRecord& record, bool lastSubGoal) {
    AreaClearing& ac = areaClearing;
    int32_t candidates[kMaxBoxes], weights[kMaxBoxes];
    int32_t count = 0;
    for (int32_t j = 0; j < boxCount(); ++j) {
        const int32_t s = record.boxes[j];
        if (s == 0 || ac.targetMark[s] != 0) continue;
        candidates[count] = s;
        weights[count++] = level.goalMap[s] != 0 ? 1 : ac.roomDepth[s] + 1;
    }
    for (int32_t i = 0; i < count; ++i) {
        int32_t best = i;
        for (int32_t j = i + 1; j < count; ++j) {
            if (weights[j] < weights[best]) best = j;
        }
        std::swap(candidates[i], candidates[best]);
        std::swap(weights[i], weights[best]);
    }

    int32_t* board = work.board;
    for (int32_t s = 0; s < level.cellCount; ++s) {
        board[s] = ac.targetMark[s] != 0 ? BOX : handover.searchBoard[s] & WALL;
    }
    for (int32_t i = 0; i < count; ++i) board[candidates[i]] = BOX;

    bool listed[kMaxBoxes] = {};
    ac.targetCount = 0;
    for (bool found = true; found && ac.targetCount < count;) {
        found = false;
        for (int32_t i = 0; i < count && !found; ++i) {
            if (listed[i]) continue;
            const int32_t states = boxPullReach(board, work.sideMap, candidates[i], record.pusher,
                                                work.listBoxes, work.listPushers);
            for (int32_t l = 1; l < states && !found; ++l) {
                found = ac.storageMark[work.listBoxes[l]] != 0;
            }
            if (!found) continue;
            listed[i] = true;
            ac.targetList[ac.targetCount++] = candidates[i];
            board[candidates[i]] = 0;
        }
    }
    if (!lastSubGoal) return;
    for (int32_t i = 0; i < count; ++i) {
        if (!listed[i]) ac.targetList[ac.targetCount++] = candidates[i];
    }
}

bool allOnStartSquares(const PlanRecord& record) {
    for (int32_t j = 0; j < boxCount(); ++j) {
        const int32_t s = record.boxes[j];
        if (s != 0 && level.obstacleMap[s] != BOX) return false;
    }
    return true;
}

// Distances from s over the walls of searchBoard only; kept while s stays the same.
void distancesFrom(int32_t s) {
    if (work.distanceFrom == s) return;
    for (int32_t q = 0; q < level.cellCount; ++q) work.board[q] = handover.searchBoard[q] & WALL;
    distanceFill(work.board, work.distance, s);
    work.distanceFrom = s;
}

// Reorders t2Boxes by walking distance from s, nearest first (unreached squares count 0);
// keeps the order when there is no square to fill.
void sortBoxesByDistance(int32_t s) {
    if (s == kNoSquare) return;
    distancesFrom(s);
    int32_t* boxes = handover.t2Boxes;
    for (int32_t i = 0; i < boxCount(); ++i) {
        int32_t best = i;
        for (int32_t j = i + 1; j < boxCount(); ++j) {
            if (work.distance[boxes[j]] < work.distance[boxes[best]]) best = j;
        }
        std::swap(boxes[i], boxes[best]);
    }
}


// Stores the root of a sub-search for the position on searchBoard and t2Boxes.
SearchNode* storeRoot(int32_t pusher) {
    SearchNode* root = nodeLookupByCount(pusher, boxCount());
    storeNode(root, pusher, boxCount(), boxCount(), nullptr);
    return root;
}

void setTargetSlots() {
    AreaClearing& ac = areaClearing;
    clearSquareMap(ac.targetSlot);
    for (int32_t i = 0; i < ac.targetCount; ++i) ac.targetSlot[ac.targetList[i]] = i + 1;
}


}  // namespace

int32_t nextSubGoal() {
    AreaClearing& ac = areaClearing;
    const int32_t n = boxCount();
    int32_t b = ac.planIndex;
    if (b >= ac.planLength) return 0;
    const PlanRecord* record = &ac.planRecords[b];
    int32_t k = record->boxesInPlay;
    if (ac.planMode == kPlanStart) {
        clearSquareMap(ac.targetMark);
        ac.targetPusher = record->pusher;
        if (k < n && b + 1 < ac.planLength && allOnStartSquares(*record)) {
            for (int32_t j = 0; j < n; ++j) {
                if (record->boxes[j] != 0) ac.targetMark[record->boxes[j]] = 1;
            }
            record = &ac.planRecords[++b];
            k = record->boxesInPlay;
            ac.targetPusher = record->pusher;
        }
        orderTargets(*record, k == n);
    } else {
        for (int32_t i = 0; i < ac.targetCount; ++i) ac.targetMark[ac.targetList[i]] = 1;
        int32_t marked = 0;
        for (int32_t s = 0; s < level.cellCount; ++s) marked += ac.targetMark[s];
        ac.targetPusher = record->pusher;
        if (marked == k) {
            // One box moved inside the room: its new square is the only target, and the square
            // it left is no longer held.
            int32_t* board = work.board;
            clearSquareMap(board);
            ac.targetCount = 0;
            for (int32_t j = 0; j < n; ++j) {
                const int32_t s = record->boxes[j];
                if (s == 0) continue;
                board[s] = BOX;
                if (ac.targetMark[s] == 0 && ac.targetCount == 0) {
                    ac.targetList[ac.targetCount++] = s;
                }
            }
            for (int32_t s = 0; s < level.cellCount; ++s) {
                if (ac.targetMark[s] != 0 && board[s] == 0) ac.targetMark[s] = 0;
            }
        } else {
            orderTargets(*record, k == n);
        }
    }
    ac.planMode = k < n ? kPlanOutOfPlay : kPlanLast;
    ac.planIndex = b + 1;
    setTargetSlots();
    return 1;
}

void buildFillMap() {
    AreaClearing& ac = areaClearing;
    int32_t* map = ac.fillMap;
    for (int32_t s = 0; s < level.cellCount; ++s) {
        map[s] = level.goalMap[s] + (handover.searchBoard[s] & WALL);
    }
    clearSquareMap(work.region);
    reachFill(map, work.region, handover.goalAreaSquares[0]);
    for (int32_t s = 0; s < level.cellCount; ++s) {
        if (work.region[s] != 0 && map[s] == 0) map[s] = 2;
    }
    for (int32_t i = 0; i < ac.targetCount; ++i) map[ac.targetList[i]] = 3;
}

int32_t fillPriority(int32_t p) {
    const AreaClearing& ac = areaClearing;
    const int32_t* board = handover.searchBoard;
    int32_t i = ac.targetCount - 1;
    for (; i >= 0; --i) {
        const int32_t t = ac.targetList[i];
        if (board[t] != BOX) break;
        bool looseNeighbour = false;
        for (int32_t r = 0; r < 8 && !looseNeighbour; ++r) {
            const int32_t x = t + level.ringOffset[r];
            looseNeighbour = board[x] == BOX && ac.targetMark[x] == 0 && ac.fillMap[x] != 3;
        }
        if (looseNeighbour) break;
    }
    if (i < 0) {
        clearSquareMap(work.region);
        reachFill(board, work.region, p);
        if (work.region[ac.targetPusher] != 0) return kSubGoalMet;
    }
    return (ac.targetCount - 1 - i) + connectivityScore(p);
}

int32_t fillExpand() {
    const AreaClearing& ac = areaClearing;
    const int32_t n = boxCount();
    int32_t* board = handover.searchBoard;
    SearchNode* r = nodes.areaLists.pop();
    if (r == nullptr) return kResultFailed;
    loadNode(r);
    const int32_t a = r->pusher;

    // Targets from the last entry down that already hold a box stay; the first empty one is
    // the next to fill. With none empty every target stays.
    int32_t next = kNoSquare, nextIndex = -1;
    for (int32_t i = ac.targetCount - 1; i >= 0; --i) {
        if (board[ac.targetList[i]] != BOX) {
            next = ac.targetList[i];
            nextIndex = i;
            break;
        }
    }
    const int32_t moved = r->movedBox < n ? r->boxes[r->movedBox] : kNoSquare;
    sortBoxesByDistance(next);
    regionOf(work.reach, a);

    for (int32_t i = 0; i < n; ++i) {
        const int32_t e = handover.t2Boxes[i];
        if (e == moved || ac.targetMark[e] != 0 || ac.targetSlot[e] - 1 > nextIndex) continue;
        if (!sideTouches(work.reach, e)) continue;
        const int32_t count = boxPushReach(board, work.sideMap, e, a, work.listBoxes,
                                           work.listPushers);
        board[e] = 0;
        const bool fromOutside = ac.fillMap[e] == 0;
        for (int32_t l = 1; l < count; ++l) {
            const int32_t f = work.listBoxes[l];
            const int32_t g = work.listPushers[l];
            if (fromOutside && ac.fillMap[f] == 1) continue;
            handover.t2Boxes[i] = f;
            board[f] = BOX;
            bool alive = (f == next || frozenTest(board, f) == 0) &&
                         (handover.t2GoalMask[f] == handover.t2GoalMask[e] ||
                          goalAssignmentTest(handover.t2GoalMask, n) != 0);
            // The child's pusher area, needed by the lookup, also answers most corral tests.
            const int32_t u = alive ? regionOf(work.childReach, g) : kNoSquare;
            alive = alive && t2CorralTestInRegion(f, g, work.childReach) == 0;
            if (alive) {
                SearchNode* slot = nodeLookupByCount(u, n);
                if (slot->pusher == 0) {
                    if (nodeLimitReached()) {
                        board[f] = 0;
                        handover.t2Boxes[i] = e;
                        board[e] = BOX;
                        liftBoxes();
                        return kResultFailed;
                    }
                    storeNode(slot, u, i, n, r);
                    const int32_t q = fillPriority(u);
                    if (q >= kSubGoalMet) {
                        nodes.meetNode = slot;
                        board[f] = 0;
                        handover.t2Boxes[i] = e;
                        board[e] = BOX;
                        liftBoxes();
                        return kResultSolved;
                    }
                    nodes.areaLists.push(q, slot);
                }
            }
            board[f] = 0;
        }
        handover.t2Boxes[i] = e;
        board[e] = BOX;
    }
    liftBoxes();
    return kExpanded;
}

int32_t followPlan() {
    AreaClearing& ac = areaClearing;
    const int32_t n = boxCount();
    resetSteps();
    resetTables();
    liftAllBoxes();
    for (int32_t j = 0; j < n; ++j) handover.t2Boxes[j] = handover.t2StartBoxes[j];
    placeBoxes();
    int32_t u = regionOf(work.reach, handover.t2PusherSquare);
    SearchNode* root = storeRoot(u);
    ac.planIndex = 0;
    ac.planMode = kPlanStart;

    for (;;) {
        if (stopOrDeadlineReached()) return kResultTimeout;
        if (nextSubGoal() == 0) return kResultFailed;
        buildFillMap();
        const int32_t rootPriority = fillPriority(u);
        nodes.meetNode = nullptr;
        int32_t result = kResultSolved;
        if (rootPriority >= kSubGoalMet) {
            // The sub-goal is met before any move: the stage adds no step.
            nodes.meetNode = root;
            liftBoxes();
        } else {
            nodes.areaLists.push(rootPriority, root);
            liftBoxes();
            do {
                if (stopOrDeadlineReached()) return kResultTimeout;
                result = fillExpand();
            } while (result == kExpanded);
        }
        if (result != kResultSolved) return result;
        SearchNode* meet = nodes.meetNode;
        writeStageSteps(meet);
        if (ac.planMode == kPlanLast) break;
        // The next sub-search starts from the position just reached.
        loadNode(meet);
        u = meet->pusher;
        resetTables();
        root = storeRoot(u);
    }
    if (ac.planIndex < ac.planLength) writeDirectSteps();
    return kResultSolved;
}


}  // namespace qm
