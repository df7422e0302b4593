#include "search1/relaxed_search.hpp"

#include <cstring>

#include "board/analysis.hpp"
#include "board/fills.hpp"
#include "search/mask_rows.hpp"
#include "search/region_stamp.hpp"
#include "search1/companion.hpp"
#include "search1/corral.hpp"
#include "search1/entry_search.hpp"
#include "search1/segment_search.hpp"
#include "solver/blocks.hpp"
#include "solver/control.hpp"

namespace qm {

RelaxedSearch relaxedSearchTables;

namespace {

constexpr uint32_t kRelaxedProbeStep = 491;
constexpr int32_t kGoodPlacesNeeded = 3;  // non-splitting places that make a box free
constexpr int32_t kVerticalSides = 1 | 4;
constexpr int32_t kHorizontalSides = 2 | 8;
constexpr int32_t kInsertGoesOn = 1;

RelaxedSearch& rs = relaxedSearchTables;
EntrySearch& es = entrySearchTables;
RegionStamp region;

// 1 when a box on q separates free space around it on pullBoard.
int32_t ringSplitTest(int32_t q) {
    const int32_t* board = es.pullBoard;
    bool occupied[8];
    for (int32_t r = 0; r < 8; r += 2) occupied[r] = board[q + level.ringOffset[r]] != 0;
    for (int32_t r = 1; r < 8; r += 2) occupied[r] = occupied[r - 1] && occupied[(r + 1) % 8];
    int32_t steps = 0;
    bool previous = occupied[7];
    for (int32_t r = 0; r < 8; ++r) {
        if (previous && !occupied[r]) ++steps;
        previous = occupied[r];
    }
    return steps >= 2 ? 1 : 0;
}

// The corral test over the boxes of the relaxed position: items neither dropped in the state nor
// by the insertion running now.
int32_t relaxedCorralTest(int32_t w, int32_t pusher) {
    int32_t boxes[kMaxBoxes];
    int32_t n = 0;
    for (int32_t i = 0; i < itemCount(); ++i) {
        const int32_t s = es.curSquare[i];
        if (s != 0 && !isDropped(es.curStatus[i]) && !rs.droppedNow[i]) boxes[n++] = s;
    }
    return corralTest(relaxedCorral, es.pullBoard, boxes, n, w, pusher, nullptr);
}

// After a push that froze the box on w on its goal: true when that leaves a neighbouring box
// frozen off its goal.
bool freezesANeighbour(int32_t w) {
    int32_t* board = es.pullBoard;
    board[w] = WALL;
    bool frozen = false;
    for (int32_t r = 0; r < 8 && !frozen; ++r) {
        const int32_t n = w + level.ringOffset[r];
        if (board[n] == BOX && level.goalMap[n] == 0) frozen = frozenTestFlag(board, n) != 0;
    }
    board[w] = BOX;
    return frozen;
}

// Can the box of item i on q be moved around freely? Leaves its push list in the global state
// lists. With anywhere unset, a box on a square of lineGoalReach never is.
int32_t freeBoxTest(int32_t i, int32_t q, int32_t p, bool anywhere) {
    if (!anywhere && rs.lineGoalReach[q] == 1) return 0;
    SideStamps& visited = rs.visitedPushSides;
    visited.begin();
    int32_t* board = es.pullBoard;
    const int32_t p0 = region.fill(board, p);
    const int32_t s0 = region.sidesOf(q);
    singleBox.stateBox[0] = q;
    singleBox.statePusher[0] = p0;
    singleBox.stateSides[0] = s0;
    singleBox.stateCount = 1;
    visited.add(q, s0);
    if (s0 == 0) return 0;
    int32_t good = ringSplitTest(q) == 0 ? 1 : 0;
    board[q] = 0;
    int32_t count = 1;
    for (int32_t k = 0; k < count && good < kGoodPlacesNeeded; ++k) {
        const int32_t t = singleBox.stateBox[k];
        const int32_t sides = singleBox.stateSides[k];
        for (int32_t o = 1; o <= 8; o <<= 1) {
            if ((sides & o) == 0) continue;
            const int32_t w = t - level.dirBitOffset[o];
            if (board[w] != 0 || analysis.goalReachMask[w] == 0) continue;
            if (visited.seenFrom(w, o)) continue;
            if (count == kMaxStates) break;
            board[w] = BOX;
            es.curSquare[i] = w;
            const int32_t d = region.fill(board, t + level.dirBitOffset[o]);
            const int32_t e = region.sidesOf(w);
            visited.add(w, e);
            singleBox.frozenOffGoal = 0;
            bool keep = true;
            if (frozenTestFlag(board, w) != 0) keep = singleBox.frozenOffGoal == 0 && !freezesANeighbour(w);
            if (keep) keep = relaxedCorralTest(w, d) == kCorralNotProved;
            if (keep) {
                singleBox.stateBox[count] = w;
                singleBox.statePusher[count] = d;
                singleBox.stateSides[count] = e;
                ++count;
                if (ringSplitTest(w) == 0) ++good;
            }
            board[w] = 0;
        }
    }
    singleBox.stateCount = count;
    board[q] = BOX;
    es.curSquare[i] = q;
    return rs.lineGoalReach[q] == 0 && good >= kGoodPlacesNeeded ? 1 : 0;
}

// Can the boxes still be matched to goals when the unmoved ones stay where they are?
bool unmovedBoxTest(const uint8_t* statuses, int32_t pusher) {
    const int32_t n = itemCount();
    int32_t* board = rs.board;
    for (int32_t s = 0; s < level.cellCount; ++s) {
        board[s] = analysis.analysisBoard[s] == WALL ? WALL : 0;
    }
    for (int32_t i = 0; i < n; ++i) {
        if (statuses[i] == kItemOnGoal) board[es.curSquare[i]] = WALL;
    }
    for (int32_t j = 0; j < n; ++j) {
        const int32_t b = analysis.boxList[j];
        int32_t* row = rs.matrix + j * kMatrixStride;
        if (board[b] == WALL) {
            for (int32_t g = 0; g < n; ++g) row[g] = analysis.goalList[g] == b ? 1 : 0;
            continue;
        }
        board[b] = BOX;
        boxPushStates(board, rs.sideMap, b, pusher);
        board[b] = 0;
        // The box's own square is always among the squares it reaches.
        for (int32_t g = 0; g < n; ++g) {
            const int32_t goal = analysis.goalList[g];
            row[g] = goal == b || rs.sideMap[goal] != 0 ? 1 : 0;
        }
    }
    return assignmentFeasible(rs.matrix, n, 0) != 0;
}

// Puts back every item the insertion dropped.
void restoreDropped() {
    for (int32_t i = 0; i < itemCount(); ++i) {
        if (!isDropped(es.curStatus[i])) es.pullBoard[es.curSquare[i]] = BOX;
        rs.droppedNow[i] = false;
    }
}

bool sameRelaxedState(const EntryState& slot, int32_t p, int32_t kept) {
    if (slot.pusher != p || slot.freeCount != kept) return false;
    for (int32_t i = 0; i < itemCount(); ++i) {
        if (!isDropped(slot.itemStatus[i]) && es.pullBoard[slot.itemSquare[i]] != BOX) return false;
    }
    return true;
}

// Drops the boxes that can move freely, then stores the relaxed state with pusher p. Returns 1,
// 8 (every box left can be placed) or 9 (the state cap).
int32_t relaxedInsert(int32_t p) {
    const int32_t n = itemCount();
    uint8_t* local = rs.localStatus;
    std::memcpy(local, es.curStatus, sizeof(uint8_t) * n);
    for (bool dropped = true; dropped;) {
        dropped = false;
        for (int32_t i = 0; i < n; ++i) {
            if (isDropped(local[i]) || freeBoxTest(i, es.curSquare[i], p, false) != 1) continue;
            local[i] = kItemDropped;
            rs.droppedNow[i] = true;
            es.pullBoard[es.curSquare[i]] = 0;
            dropped = true;
        }
    }
    const int32_t pusher = region.fill(es.pullBoard, p);
    const uint32_t pu = static_cast<uint32_t>(pusher);
    uint32_t h1 = pu, h2 = pu, h3 = pu;
    int32_t priority = 0, kept = 0, unmoved = 0, placed = 0;
    for (int32_t i = 0; i < n; ++i) {
        const uint32_t s = static_cast<uint32_t>(es.curSquare[i]);
        if (isDropped(local[i])) {
            priority += 4;
            ++placed;
            continue;
        }
        if (level.goalMap[s] != 0) {
            priority += 3;
            ++placed;
        } else {
            priority += local[i] == kItemOnGoal ? 2 : local[i] == kItemPulled ? 1 : 0;
        }
        h1 *= s;
        h2 ^= s;
        h3 += s;
        ++kept;
        if (local[i] == kItemOnGoal) ++unmoved;
    }
    if (placed == n && (kept == 0 || unmoved == 0 || unmovedBoxTest(local, pusher))) {
        restoreDropped();
        return kResultSolved;
    }
    uint32_t slot = (h1 + h2 + h3) % kRelaxedSlots;
    for (;; slot = (slot + kRelaxedProbeStep) % kRelaxedSlots) {
        const EntryState& e = es.entryTable[slot];
        if (e.pusher == 0) break;
        if (sameRelaxedState(e, pusher, kept)) {
            restoreDropped();
            return kInsertGoesOn;
        }
    }
    if (control.entryStateCount >= kRelaxedStateLimit) {
        restoreDropped();
        return kResultFailed;
    }
    ++control.entryStateCount;
    EntryState& e = es.entryTable[slot];
    for (int32_t i = 0; i < n; ++i) {
        e.itemSquare[i] = static_cast<int16_t>(es.curSquare[i]);
        e.itemStatus[i] = local[i];
    }
    e.pusher = static_cast<int16_t>(pusher);
    e.freeCount = static_cast<uint8_t>(kept);
    es.queue.push(priority, &e);
    restoreDropped();
    return kInsertGoesOn;
}

// Marks the squares a goal's box can be pushed to alone when it moves along one line only.
void buildLineGoalReach() {
    const int32_t n = itemCount();
    int32_t* board = analysis.analysisBoard;
    clearSquareMap(rs.lineGoalReach);
    for (int32_t j = 0; j < n; ++j) board[analysis.boxList[j]] = 0;
    for (int32_t g = 0; g < n; ++g) {
        const int32_t goal = analysis.goalList[g];
        board[goal] = BOX;
        boxPushStates(board, rs.sideMap, goal, analysis.analysisPusherSquare);
        board[goal] = 0;
        const int32_t used = singleBox.pushSidesUsed;
        if ((used & kVerticalSides) != 0 && (used & kHorizontalSides) != 0) continue;
        for (int32_t k = 0; k < singleBox.stateCount; ++k) rs.lineGoalReach[singleBox.stateBox[k]] = 1;
    }
    for (int32_t j = 0; j < n; ++j) board[analysis.boxList[j]] = BOX;
}

// Tries the places item i (status d, on q) can be pushed to: one relaxed state each.
int32_t expandRelaxedItem(int32_t i, int32_t pusher) {
    const uint8_t d = es.curStatus[i];
    const int32_t q = es.curSquare[i];
    freeBoxTest(i, q, pusher, true);
    const int32_t count = singleBox.stateCount;
    if (count <= 1) return kInsertGoesOn;
    // Each insertion runs freeBoxTest again, which rewrites the global lists: work on a copy.
    std::memcpy(rs.listSquare, singleBox.stateBox, sizeof(int32_t) * count);
    std::memcpy(rs.listPusher, singleBox.statePusher, sizeof(int32_t) * count);
    es.pullBoard[q] = 0;
    int32_t r = kInsertGoesOn;
    for (int32_t k = count - 1; k >= 1 && r == kInsertGoesOn; --k) {
        const int32_t w = rs.listSquare[k];
        if (analysis.squareClass[w] == 2) continue;
        es.pullBoard[w] = BOX;
        es.curSquare[i] = w;
        es.curStatus[i] = d == kItemOnGoal ? kItemPulled : kItemPulledAgain;
        r = relaxedInsert(rs.listPusher[k]);
        es.pullBoard[w] = 0;
    }
    es.curSquare[i] = q;
    es.curStatus[i] = d;
    es.pullBoard[q] = BOX;
    return r;
}

}  // namespace

int32_t relaxedSearch() {
    const int32_t n = itemCount();
    resetCorral(relaxedCorral, blocks.layout1.relaxedCorralTable, analysis.goalReachMask,
                analysis.analysisBoard, true);
    es.entryTable = blocks.layout1.entryTable;
    for (uint32_t k = 0; k < kRelaxedSlots; ++k) es.entryTable[k].pusher = 0;
    es.queue.clear();
    control.entryStateCount = 0;
    es.currentEntryState = nullptr;
    clearSquareMap(es.parkedBoard);
    std::memcpy(es.pullBoard, analysis.analysisBoard, sizeof(int32_t) * level.cellCount);
    for (int32_t i = 0; i < n; ++i) {
        es.curSquare[i] = analysis.boxList[i];
        es.curStatus[i] = kItemOnGoal;
    }
    buildLineGoalReach();
    if (relaxedInsert(analysis.analysisPusherSquare) == kResultSolved) return kResultSolved;
    for (int32_t i = 0; i < n; ++i) es.pullBoard[es.curSquare[i]] = 0;

    for (;;) {
        EntryState* state = nullptr;
        const int32_t next = nextEntryState(&state);
        if (next != kInsertGoesOn) return next;
        for (int32_t i = 0; i < n; ++i) {
            es.curSquare[i] = state->itemSquare[i];
            es.curStatus[i] = state->itemStatus[i];
            if (!isDropped(es.curStatus[i])) es.pullBoard[es.curSquare[i]] = BOX;
        }
        int32_t r = kInsertGoesOn;
        for (int32_t i = 0; i < n && r == kInsertGoesOn; ++i) {
            if (!isDropped(es.curStatus[i])) r = expandRelaxedItem(i, state->pusher);
        }
        for (int32_t i = 0; i < n; ++i) {
            if (!isDropped(es.curStatus[i])) es.pullBoard[es.curSquare[i]] = 0;
        }
        if (r != kInsertGoesOn) return r;
    }
}

}  // namespace qm
