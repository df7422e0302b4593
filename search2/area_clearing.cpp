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
#include "search2/corral.hpp"
#include "search2/macro_moves.hpp"
#include "search2/node_table.hpp"
#include "search2/thread2.hpp"
#include "solver/blocks.hpp"
#include "solver/control.hpp"

namespace qm {

AreaClearing areaClearing;

namespace {

constexpr int32_t kRoomPriorityCap = 26;      // room part of a planning priority: 0 .. 26
constexpr double kRoomDepthSpan = 44.0;       // depth sum of a full deep room maps to 44
constexpr int32_t kRemovalPriority = 58;      // planning priority 58 - k with k boxes in play

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
AreaScratch work;


int32_t boxCount() { return handover.t2BoxCount; }

// Marks the boxes of t2Boxes that are in play on searchBoard, or takes them off.
void placeBoxes() { qm::placeBoxes(handover.searchBoard, handover.t2Boxes, boxCount()); }
void liftBoxes() { qm::liftBoxes(handover.searchBoard, handover.t2Boxes, boxCount()); }
void liftAllBoxes() { qm::liftAllBoxes(handover.searchBoard); }

void loadNode(const SearchNode* node) {
    loadBoxes(handover.searchBoard, handover.t2Boxes, node->boxes, boxCount());
}

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
int32_t regionOf(int32_t* map, int32_t start) {
    clearSquareMap(map);
    return reachFill(handover.searchBoard, map, start);
}

bool touchesRegion(const int32_t* map, int32_t s) {
    for (int32_t d = 0; d < 4; ++d) {
        if (map[s + level.dirOffset[d]] != 0) return true;
    }
    return false;
}

bool nodeLimitReached() { return nodeCountNow() >= kNodeLimit; }

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
            if (b == 0 || !touchesRegion(work.reach, b)) continue;
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
        if (i == r->movedBox || b == 0 || !touchesRegion(work.reach, b)) continue;
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

// Appends the step of one node of a sub-search, found by comparing its boxes with stepBoard.
void writeNodeStep(const SearchNode* node) {
    buildStepScratch(node->boxes);
    int32_t from = kNoSquare, to = kNoSquare;
    findMovedBox(work.board, stepList.stepBoard, to, from);
    if (from == kNoSquare) from = to = node->boxes[node->movedBox];
    if (to == kNoSquare) to = from;
    appendStep(from, to, node->pusher);
}

// Appends the steps from the sub-search's root to node, oldest first; the root adds none.
void writeStageSteps(SearchNode* node) {
    forEachStepOldestFirst(node, [](SearchNode*, SearchNode* newer) { writeNodeStep(newer); });
}

// Box transfers for the plan records that follow the last sub-goal: each record differs from
// the one before by one macro move inside the full room.
void writeDirectSteps() {
    AreaClearing& ac = areaClearing;
    int32_t* board = work.board;
    int32_t pusher = stepList.lastStepPusher;
    for (int32_t b = ac.planIndex; b < ac.planLength; ++b) {
        const PlanRecord& record = ac.planRecords[b];
        buildStepScratch(record.boxes);
        const int32_t end = record.pusher;
        int32_t from = kNoSquare, to = kNoSquare;
        findMovedBox(board, stepList.stepBoard, to, from);
        if (from == kNoSquare) {
            // The same boxes, the pusher in another area: a box went round and came back.
            clearSquareMap(work.region);
            reachFill(board, work.region, end);
            for (int32_t j = 0; j < boxCount(); ++j) {
                const int32_t f = record.boxes[j];
                if (f == 0) continue;
                from = f;
                const int32_t states = boxPushReach(board, work.sideMap, f, pusher, work.listBoxes,
                                                    work.listPushers);
                bool back = false;
                for (int32_t l = 1; l < states && !back; ++l) {
                    back = work.listBoxes[l] == f && work.region[work.listPushers[l]] != 0;
                }
                if (back) break;
            }
            if (from == kNoSquare) continue;
            to = from;
        }
        if (to == kNoSquare) to = from;
        appendStep(from, to, end);
        pusher = end;
    }
    ac.planIndex = ac.planLength;
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
    void* grown = std::realloc(ac.planRecords, sizeof(PlanRecord) * static_cast<size_t>(count));
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
    if (control.stopFlag != 0) return kResultTimeout;
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
        if (!touchesRegion(work.reach, e)) continue;
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

int32_t areaClearingSearch() {
    if (blocks.memoryReady != 1) return kResultFailed;
    // A node has room for kNodeBoxes squares (the thread body refuses larger levels first), and
    // the plan starts from the one listed area of the solved position.
    if (boxCount() > kNodeBoxes || handover.goalAreaCount < 1) return kResultFailed;
    prepareAreaClearing();
    const int32_t planned = planSearch();
    if (planned != kResultSolved) return planned;
    return followPlan();
}

}  // namespace qm
