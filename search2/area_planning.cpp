// The planning stage of the area-clearing search: backwards from the solved position, boxes
// are pulled out of the goal room and taken out of play once they reach storage.
#include "search2/area_clearing.hpp"

#include <cstdlib>
#include <cstring>
#include <utility>

#include "board/board.hpp"
#include "board/fills.hpp"
#include "board/handover.hpp"
#include "board/single_box.hpp"
#include "board/system_memory.hpp"
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

constexpr int32_t kRoomPriorityCap = 26;      // room part of a planning priority: 0 .. 26
constexpr double kRoomDepthSpan = 44.0;       // depth sum of a full deep room maps to 44
constexpr int32_t kRemovalPriority = 58;      // planning priority 58 - k with k boxes in play

// Start box squares from which no pull can take the box away: nothing is ever pushed onto them.
void markFixedStarts() {
    const int32_t* board = handover.searchBoard;
    clearSquareMap(areaClearing.fixedStart);
    for (int32_t j = 0; j < boxCount(); ++j) {
        const int32_t b = handover.t2StartBoxes[j];
        bool pullable = false;
        for (int32_t d = 0; d < 4 && !pullable; ++d) {
            const int32_t o = level.dirOffset[d];
            pullable = board[b + o] != WALL && handover.t2StartMask[b + o] != 0 &&
                       board[b + 2 * o] != WALL;
        }
        if (!pullable) areaClearing.fixedStart[b] = 1;
    }
}

// Scratch board of the solved position's room: 8 walls, 2 goals, 1 room floor, 0 outside floor.
void buildRoomBoard() {
    int32_t* board = work.board;
    for (int32_t s = 0; s < level.cellCount; ++s) {
        board[s] = (handover.searchBoard[s] & WALL) != 0 ? WALL : 0;
    }
    for (int32_t j = 0; j < boxCount(); ++j) board[handover.t2Goals[j]] = BOX;
    clearSquareMap(work.region);
    reachFill(board, work.region, handover.goalAreaSquares[0]);
    for (int32_t s = 0; s < level.cellCount; ++s) {
        if (work.region[s] != 0 && board[s] == 0) board[s] = 1;
    }
}

// Outside floor a box can be pulled to out of a goal, in pull regions of more than 4 squares
// that hold a start box. Reads the start boxes on searchBoard.
void computeStorage() {
    constexpr int32_t kMinRegion = 5;
    buildRoomBoard();
    int32_t* board = work.board;
    clearSquareMap(areaClearing.storageMark);
    for (int32_t j = 0; j < boxCount(); ++j) {
        const int32_t g = handover.t2Goals[j];
        for (int32_t d = 0; d < 4; ++d) {
            const int32_t y = g + level.dirOffset[d];
            if (board[y] != 0 || areaClearing.storageMark[y] != 0) continue;
            clearSquareMap(work.sideMap);
            if (boxPullReachTemp(board, work.sideMap, g, y) == 0) continue;
            int32_t size = 0;
            bool holdsStartBox = false;
            for (int32_t s = 0; s < level.cellCount; ++s) {
                if (work.sideMap[s] == 0) continue;
                ++size;
                if (s != g && handover.searchBoard[s] == BOX) holdsStartBox = true;
            }
            if (size < kMinRegion || !holdsStartBox) continue;
            for (int32_t s = 0; s < level.cellCount; ++s) {
                if (work.sideMap[s] != 0 && s != g) areaClearing.storageMark[s] = 1;
            }
        }
    }
}

// Breadth-first depth from the goals through the room floor boxes can use.
void computeRoomDepth() {
    buildRoomBoard();
    const int32_t* board = work.board;
    int32_t* depth = areaClearing.roomDepth;
    int32_t* room = work.region;  // room floor a box may stand on
    for (int32_t s = 0; s < level.cellCount; ++s) {
        room[s] = board[s] == 1 && handover.t2StartMask[s] != 0 ? 1 : 0;
    }
    clearSquareMap(depth);
    int32_t head = 0, tail = 0;
    for (int32_t j = 0; j < boxCount(); ++j) {
        const int32_t g = handover.t2Goals[j];
        for (int32_t d = 0; d < 4; ++d) {
            const int32_t y = g + level.dirOffset[d];
            if (room[y] == 0 || depth[y] != 0) continue;
            depth[y] = 1;
            work.queue[tail++] = y;
        }
    }
    int32_t deepest = 0;
    while (head < tail) {
        const int32_t s = work.queue[head++];
        if (depth[s] > deepest) deepest = depth[s];
        for (int32_t d = 0; d < 4; ++d) {
            const int32_t y = s + level.dirOffset[d];
            if (room[y] == 0 || depth[y] != 0) continue;
            depth[y] = depth[s] + 1;
            work.queue[tail++] = y;
        }
    }
    // A room without usable floor gives every position the same depth part.
    areaClearing.depthScale = deepest > 0 ? kRoomDepthSpan / deepest / boxCount() : 0.0;
}

// 0 .. 30: deeper boxes in the room and fewer cut-off regions rank higher.
int32_t roomPriority(int32_t p) {
    int32_t sum = 0;
    for (int32_t j = 0; j < boxCount(); ++j) {
        if (handover.t2Boxes[j] != 0) sum += areaClearing.roomDepth[handover.t2Boxes[j]];
    }
    int32_t v = static_cast<int32_t>(sum * areaClearing.depthScale + 0.5);
    if (v > kRoomPriorityCap) v = kRoomPriorityCap;
    return v + connectivityScore(p);
}

// Takes out of play every box that can be pulled to a storage square, with the pusher on a;
// returns the number of boxes still in play.
int32_t removeBoxes(int32_t a, int32_t k) {
    const int32_t n = boxCount();
    int32_t pusher = regionOf(work.reach, a);
    for (bool removed = true; k > 0 && removed;) {
        removed = false;
        for (int32_t i = 0; i < n && k > 0; ++i) {
            const int32_t b = handover.t2Boxes[i];
            if (b == 0 || !sideTouches(work.reach, b)) continue;
            const int32_t count = boxPullReach(handover.searchBoard, work.sideMap, b, pusher,
                                               work.listBoxes, work.listPushers);
            bool toStorage = false;
            for (int32_t l = 0; l < count && !toStorage; ++l) {
                toStorage = areaClearing.storageMark[work.listBoxes[l]] != 0;
            }
            if (!toStorage) continue;
            handover.searchBoard[b] = 0;
            handover.t2Boxes[i] = 0;
            pusher = regionOf(work.reach, a);
            --k;
            removed = true;
        }
    }
    return k;
}

// Expands one planning node: removes boxes that can reach storage, or else pulls every box.
// 2 expanded, 8 the plan is complete (nodes.meetNode), 9 node limit.
int32_t planExpand(SearchNode* r) {
    const int32_t n = boxCount();
    loadNode(r);
    const int32_t k = r->tag;
    const int32_t a = r->pusher;

    const int32_t kept = removeBoxes(a, k);
    if (kept < k) {
        const int32_t p = regionOf(work.reach, a);
        SearchNode* slot = nodeLookupByCount(p, kept);
        if (slot->pusher == 0) {
            if (nodeLimitReached()) {
                liftBoxes();
                return kResultFailed;
            }
            storeNode(slot, p, n, kept, r);
            int32_t home = 0;
            for (int32_t j = 0; j < n; ++j) {
                const int32_t b = handover.t2Boxes[j];
                if (b != 0 && areaClearing.fixedStart[b] != 0) ++home;
            }
            if (home == kept) {
                nodes.meetNode = slot;
                liftBoxes();
                return kResultSolved;
            }
            nodes.areaLists.push(kRemovalPriority - kept, slot);
        }
        liftBoxes();
        return kExpanded;
    }

    regionOf(work.reach, a);
    for (int32_t i = 0; i < n; ++i) {
        const int32_t b = handover.t2Boxes[i];
        if (i == r->movedBox || b == 0 || !sideTouches(work.reach, b)) continue;
        const int32_t count = boxPullReach(handover.searchBoard, work.sideMap, b, a,
                                           work.listBoxes, work.listPushers);
        handover.searchBoard[b] = 0;
        for (int32_t l = 1; l < count; ++l) {
            const int32_t h = work.listBoxes[l];
            if (handover.t2StartMask[h] == 0) continue;
            handover.t2Boxes[i] = h;
            if (k == n && handover.t2StartMask[h] != handover.t2StartMask[b] &&
                goalAssignmentTest(handover.t2StartMask, n) == 0) {
                continue;
            }
            handover.searchBoard[h] = BOX;
            const int32_t p = regionOf(work.childReach, work.listPushers[l]);
            SearchNode* slot = nodeLookupByCount(p, k);
            if (slot->pusher == 0) {
                if (nodeLimitReached()) {
                    handover.searchBoard[h] = 0;
                    handover.t2Boxes[i] = b;
                    handover.searchBoard[b] = BOX;
                    liftBoxes();
                    return kResultFailed;
                }
                storeNode(slot, p, i, k, r);
                nodes.areaLists.push(k == n ? roomPriority(p) : kRemovalPriority - k, slot);
            }
            handover.searchBoard[h] = 0;
        }
        handover.t2Boxes[i] = b;
        handover.searchBoard[b] = BOX;
    }
    liftBoxes();
    return kExpanded;
}


}  // namespace

void prepareAreaClearing() {
    for (int32_t s = 0; s < level.cellCount; ++s) {
        corral.t2CorralBoard[s] = handover.searchBoard[s] & WALL;
    }
    // The start position, which the storage squares are judged by.
    liftAllBoxes();
    for (int32_t j = 0; j < boxCount(); ++j) handover.t2Boxes[j] = handover.t2StartBoxes[j];
    placeBoxes();
    work.distanceFrom = kNoSquare;
    markFixedStarts();
    computeStorage();
    computeRoomDepth();
    liftAllBoxes();
}

int32_t reservePlan(int32_t count) {
    AreaClearing& ac = areaClearing;
    if (count <= ac.planCapacity) return 1;
    void* grown = resizeMemory(ac.planRecords, sizeof(PlanRecord) * static_cast<size_t>(count));
    if (grown == nullptr) return 0;
    ac.planRecords = static_cast<PlanRecord*>(grown);
    ac.planCapacity = count;
    return 1;
}

void releasePlan() {
    AreaClearing& ac = areaClearing;
    std::free(ac.planRecords);
    ac.planRecords = nullptr;
    ac.planCapacity = 0;
    ac.planLength = 0;
}

int32_t buildPlan() {
    AreaClearing& ac = areaClearing;
    const int32_t n = boxCount();
    const SearchNode* first = nodes.meetNode;
    bool allOut = true;
    for (int32_t j = 0; j < n && allOut; ++j) allOut = first->boxes[j] == 0;
    if (allOut) first = first->parent;
    int32_t length = 0;
    for (const SearchNode* q = first; q != nullptr; q = q->parent) ++length;
    if (reservePlan(length) == 0) return 0;
    int32_t m = 0;
    for (const SearchNode* q = first; q != nullptr; q = q->parent, ++m) {
        PlanRecord& record = ac.planRecords[m];
        std::memcpy(record.boxes, q->boxes, sizeof(record.boxes));
        record.pusher = q->pusher;
        record.boxesInPlay = q->tag;
    }
    ac.planLength = length;
    return 1;
}

int32_t planSearch() {
    const int32_t n = boxCount();
    resetTables();
    liftAllBoxes();
    for (int32_t j = 0; j < n; ++j) handover.t2Boxes[j] = handover.t2Goals[j];
    placeBoxes();
    const int32_t p = regionOf(work.reach, handover.goalAreaSquares[0]);
    SearchNode* root = nodeLookupByCount(p, n);
    storeNode(root, p, n, n, nullptr);
    nodes.areaLists.push(roomPriority(p), root);
    liftBoxes();
    if (control.stopFlag != kStopRun) return kResultTimeout;
    nodes.meetNode = nullptr;

    for (;;) {
        if (stopOrDeadlineReached()) return kResultTimeout;
        SearchNode* r = nodes.areaLists.pop();
        if (r == nullptr) return kResultFailed;
        const int32_t result = planExpand(r);
        if (result == kExpanded) continue;
        if (result != kResultSolved) return result;
        return buildPlan() != 0 ? kResultSolved : kResultFailed;
    }
}


}  // namespace qm
