#include "search1/entry_search.hpp"

#include <cstring>

#include "board/analysis.hpp"
#include "board/fills.hpp"
#include "board/single_box.hpp"
#include "search/boxes.hpp"
#include "search/mask_rows.hpp"
#include "search/region_stamp.hpp"
#include "search/state_hash.hpp"
#include "search1/companion.hpp"
#include "search1/corral.hpp"
#include "search1/entry_work.hpp"
#include "solver/blocks.hpp"
#include "solver/control.hpp"
#include "solver/solve_stats.hpp"

namespace qm {

EntryList entryList;
EntrySearch entrySearchTables;

namespace {

constexpr uint32_t kEntryProbeStep = 491;
constexpr int32_t kParkSquaresNeeded = 3;
constexpr int32_t kFewItems = 4;            // with at most this many items ...
constexpr int32_t kReleaseListMinimum = 11; // ... a release needs this many pull states
constexpr int32_t kParkListMinimum = 11;    // ... and a park more than 10
constexpr int32_t kInsertGoesOn = 1;
// Slots at the front of the table that the segment check's relaxed search and its corral table
// (which overlaps the table from slot 1,433 on) write without the entry search knowing.
constexpr uint32_t kRelaxedSpanSlots = static_cast<uint32_t>(
    (kRelaxedCorralOffset - kEntryTableOffset + kRelaxedCorralLimits.slots * sizeof(CorralEntry56)) /
        sizeof(EntryState) +
    1);


}  // namespace

namespace entry {

RegionStamp region;
RegionStamp testRegion;

void setItemRow(int32_t i) {
    writeMaskRow(es.itemMatrix, i, es.curMask[i], itemCount());
    writeMaskRow(es.itemMatrixSaved, i, es.curMask[i], itemCount());
}

void buildInitialPosition() {
    const int32_t n = itemCount();
    clearSquareMap(es.parkedBoard);
    for (int32_t s = 0; s < level.cellCount; ++s) {
        es.pullBoard[s] = analysis.analysisBoard[s] == WALL ? WALL : 0;
    }
    for (int32_t i = 0; i < n; ++i) {
        const int32_t g = analysis.goalList[i];
        es.curSquare[i] = g;
        es.curStatus[i] = kItemOnGoal;
        es.curMask[i] = analysis.boxReachMask[g];
        es.pullBoard[g] = BOX;
        setItemRow(i);
    }
    if (es.rootPusher != 0) es.pullPusher = es.rootPusher;
}

int32_t parkTest(int32_t i, int32_t q, int32_t states, bool apply) {
    const int32_t n = itemCount(), w = level.boardWidth;
    if ((n <= kFewItems && states < kParkListMinimum) || states == 1) return kNoSquare;
    const int32_t* board = es.pullBoard;
    int32_t found = 0, first = kNoSquare;
    for (int32_t k = states - 1; k >= 1 && found < kParkSquaresNeeded; --k) {
        const int32_t g = singleBox.stateBox[k];
        if (es.secondPass != 0 && es.secondPassBan[g] != 0) continue;
        if (g == q || es.parkedBoard[g] != 0 || es.noParkSquare[g] != 0) continue;
        if (analysis.boxReachMask[g] != es.curMask[i]) continue;
        const bool acrossRow = board[g - 1] == 0 || board[g + 1] == 0;
        const bool acrossColumn = board[g - w] == 0 || board[g + w] == 0;
        if (!acrossRow || !acrossColumn) continue;
        es.pullBoard[g] = BOX;
        testRegion.fill(es.pullBoard, singleBox.statePusher[k]);
        es.pullBoard[g] = 0;
        if (!testRegion.reached(q)) continue;
        if (first == kNoSquare) first = g;
        ++found;
    }
    if (found < kParkSquaresNeeded) return kNoSquare;
    if (apply) {
        es.parkedBoard[first] = BOX;
        es.curSquare[i] = first;
        es.curStatus[i] = kItemParked;
        es.pullPusher = region.fill(es.pullBoard, es.pullPusher);
    }
    return first;
}

bool releaseTest(int32_t i, int32_t q, int32_t states) {
    const int32_t n = itemCount();
    if (n < 1 || (n <= kFewItems && states < kReleaseListMinimum)) return false;
    uint64_t mask = 0;
    for (int32_t j = 0; j < n; ++j) {
        if (es.sideMap[analysis.boxList[j]] != 0) mask |= listBit(j, n);
    }
    writeMaskRow(es.itemMatrix, i, mask, n);
    int32_t apart = 0;
    for (int32_t j = 0; j < n; ++j) {
        const int32_t b = analysis.boxList[j];
        if ((mask & listBit(j, n)) == 0 || es.secondPassBan[b] != 0 || b == q) continue;
        bool neighbour = false;
        for (int32_t r = 0; r < 8; ++r) neighbour = neighbour || b == q + level.ringOffset[r];
        if (!neighbour) ++apart;
    }
    if (mask == 0 || assignmentFeasible(es.itemMatrix, n, 0) == 0) return false;
    if (apart <= 1 && parkTest(i, q, states, false) == kNoSquare) return false;
    es.curSquare[i] = 0;
    es.curStatus[i] = kItemReleased;
    es.curMask[i] = mask;
    es.pullPusher = region.fill(es.pullBoard, es.pullPusher);
    return true;
}

}  // namespace entry

using namespace entry;

namespace {

void restoreItemRow(int32_t i) { copyMatrixRow(es.itemMatrix, es.itemMatrixSaved, i); }

void liftItems() {
    for (int32_t i = 0; i < itemCount(); ++i) {
        const int32_t s = es.curSquare[i];
        if (s == 0) continue;
        if (es.curStatus[i] == kItemParked) es.parkedBoard[s] = 0;
        else if (es.curStatus[i] != kItemReleased) es.pullBoard[s] = 0;
    }
}

void loadState(const EntryState& state) {
    for (int32_t i = 0; i < itemCount(); ++i) {
        es.curSquare[i] = state.itemSquare[i];
        es.curStatus[i] = state.itemStatus[i];
        es.curMask[i] = state.itemMask[i];
        setItemRow(i);
        const int32_t s = es.curSquare[i];
        if (es.curStatus[i] == kItemParked) es.parkedBoard[s] = BOX;
        else if (es.curStatus[i] != kItemReleased) es.pullBoard[s] = BOX;
    }
    es.pullPusher = state.pusher;
}
// The goal test of a state whose free items all stand on start boxes.
bool isGoalState() {
    const int32_t n = itemCount();
    for (int32_t i = 0; i < n; ++i) {
        int32_t* row = es.goalTestMatrix + i * kMatrixStride;
        if (es.curStatus[i] == kItemReleased) {
            writeMaskRow(es.goalTestMatrix, i, es.curMask[i], n);
            for (int32_t j = 0; j < n; ++j) {
                if (es.secondPassBan[analysis.boxList[j]] != 0) row[j] = 0;
            }
        } else {
            for (int32_t j = 0; j < n; ++j) row[j] = analysis.boxList[j] == es.curSquare[i] ? 1 : 0;
        }
    }
    return assignmentFeasible(es.goalTestMatrix, n, 1) != 0 &&
           region.reached(analysis.analysisPusherSquare);
}

bool sameState(const EntryState& slot, int32_t p, int32_t freeItems, int32_t parkedItems) {
    if (slot.pusher != p || slot.freeCount != freeItems || slot.parkedCount != parkedItems) return false;
    for (int32_t i = 0; i < itemCount(); ++i) {
        const uint8_t status = slot.itemStatus[i];
        const int32_t s = slot.itemSquare[i];
        if ((status == kItemOnGoal || status == kItemPulled) && es.pullBoard[s] != BOX) return false;
        if (status == kItemParked && es.parkedBoard[s] != BOX) return false;
    }
    return true;
}

// Stores the work position with the pusher on p. Returns 1 (stored or known, or no square for
// the pusher), 8 (a goal state), 9 (table full).
int32_t insertState(int32_t movedItem, int32_t p) {
    const int32_t n = itemCount();
    int32_t pusher = region.fill(es.pullBoard, p);
    if (es.parkedBoard[pusher] != 0) {
        int32_t next = pusher + 1;
        while (next < level.cellCount && !(region.reached(next) && es.parkedBoard[next] == 0)) ++next;
        if (next >= level.cellCount) return kInsertGoesOn;
        pusher = next;
    }
    const uint32_t pu = static_cast<uint32_t>(pusher);
    uint32_t h1 = pu, h2 = pu, h3 = pu;
    int32_t parkedItems = 0, freeItems = 0, matched = 0, priority = 0;
    for (int32_t i = 0; i < n; ++i) {
        const uint32_t s = static_cast<uint32_t>(es.curSquare[i]);
        const uint8_t status = es.curStatus[i];
        if (status == kItemParked) {
            h1 += s;
            h2 *= s;
            h3 ^= s;
            ++parkedItems;
            priority += 3;
            continue;
        }
        if (status == kItemReleased) {
            ++matched;
            priority += 5;
            continue;
        }
        h1 ^= s;
        h2 += s;
        h3 *= s;
        ++freeItems;
        int32_t share = status == kItemOnGoal ? 2 : status == kItemPulled ? 1 : 0;
        const int32_t box = es.startBoxIndex[s];
        if (box >= 0) {
            // Standing on a start box: matched when that box can be the one for this goal.
            int32_t saved[kMatrixStride];
            int32_t* row = es.itemMatrix + i * kMatrixStride;
            std::memcpy(saved, row, sizeof saved);
            for (int32_t j = 0; j < n; ++j) row[j] = j == box ? 1 : 0;
            const bool feasible = assignmentFeasible(es.itemMatrix, n, 0) != 0;
            std::memcpy(row, saved, sizeof saved);
            if (feasible) {
                ++matched;
                share = 4;
            }
        }
        priority += share;
    }

    uint32_t slot = (h1 + h2 + h3) % kEntrySlots;
    for (;; slot = (slot + kEntryProbeStep) % kEntrySlots) {
        EntryState& e = es.entryTable[slot];
        touchForWrite(&e.pusher);
        es.lastEntryState = &e;
        if (e.pusher == 0) break;
        if (sameState(e, pusher, freeItems, parkedItems)) return kInsertGoesOn;
    }
    if (control.entryStateCount >= kEntryStateLimit) return kResultFailed;
    ++control.entryStateCount;
    es.usedSlots[es.usedSlotCount++] = static_cast<int32_t>(slot);
    EntryState& e = es.entryTable[slot];
    for (int32_t i = 0; i < n; ++i) {
        e.itemMask[i] = es.curMask[i];
        e.itemSquare[i] = static_cast<int16_t>(es.curSquare[i]);
        e.itemStatus[i] = es.curStatus[i];
    }
    e.pusher = static_cast<int16_t>(pusher);
    e.freeCount = static_cast<uint8_t>(freeItems);
    e.parkedCount = static_cast<uint8_t>(parkedItems);
    e.movedItem = movedItem < 0 ? kRootItem : static_cast<uint8_t>(movedItem);
    e.parent = es.currentEntryState;
    es.queue.push(priority, &e);
    if (matched == n && isGoalState()) return kResultSolved;
    return kInsertGoesOn;
}

// Ordinary pulls of item i from q: one state per reachable placement.
int32_t pullItem(int32_t i, uint8_t status, uint64_t mask, int32_t states) {
    const int32_t n = itemCount();
    for (int32_t k = 1; k < states; ++k) {
        const int32_t w = singleBox.stateBox[k];
        if (analysis.squareClass[w] == 2 || es.parkedBoard[w] != 0) continue;
        const uint64_t placed = analysis.boxReachMask[w];
        if (placed != mask) {
            writeMaskRow(es.itemMatrix, i, placed, n);
            const bool feasible = assignmentFeasible(es.itemMatrix, n, 0) != 0;
            restoreItemRow(i);
            if (!feasible) continue;
        }
        es.curSquare[i] = w;
        es.curMask[i] = placed;
        es.curStatus[i] = status == kItemOnGoal ? kItemPulled : kItemPulledAgain;
        es.pullBoard[w] = BOX;
        const int32_t r = insertState(i, singleBox.statePusher[k]);
        es.pullBoard[w] = 0;
        if (r != kInsertGoesOn) return r;
    }
    return kInsertGoesOn;
}

// Expands item i of the loaded state: a release, else a park, else ordinary pulls.
int32_t expandItem(int32_t i) {
    const int32_t q = es.curSquare[i];
    const uint8_t status = es.curStatus[i];
    const uint64_t mask = es.curMask[i];
    const int32_t pusher = es.pullPusher;
    if (status == kItemParked) {
        if (es.pullBoard[q] != 0) return kInsertGoesOn;  // another item stands on the park square
        es.parkedBoard[q] = 0;
        es.pullBoard[q] = BOX;
    }
    const int32_t states = boxPullStates(es.pullBoard, es.sideMap, q, pusher);
    es.pullBoard[q] = 0;
    int32_t r = kInsertGoesOn;
    if (states > 1) {
        int32_t parked = kNoSquare;
        if (releaseTest(i, q, states)) {
            r = insertState(i, es.pullPusher);
        } else if (status != kItemParked && (parked = parkTest(i, q, states, true)) != kNoSquare) {
            r = insertState(i, es.pullPusher);
            es.parkedBoard[parked] = 0;
        } else {
            r = pullItem(i, status, mask, states);
        }
    }
    restoreItemRow(i);
    es.curSquare[i] = q;
    es.curStatus[i] = status;
    es.curMask[i] = mask;
    if (status == kItemParked) es.parkedBoard[q] = BOX;
    else es.pullBoard[q] = BOX;
    es.pullPusher = pusher;
    return r;
}

// Roots: the one listed area, or every listed area, and then every other region of the solved
// position a solution can end in; squares that have become walls are passed over.
void insertRoots() {
    int32_t* covered = es.rootCovered;
    clearSquareMap(covered);
    auto root = [covered](int32_t square) {
        if (es.pullBoard[square] != 0 || covered[square] != 0) return;
        reachFill(es.pullBoard, covered, square);
        insertState(-1, square);
    };
    if (es.rootPusher != 0) {
        root(es.rootPusher);
    } else {
        for (int32_t k = 0; k < analysis.goalAreaCount; ++k) root(analysis.goalAreaSquares[k]);
    }
    for (int32_t s = 0; s < level.cellCount; ++s) {
        if (es.pullBoard[s] == 0 && covered[s] == 0 && canEndASolutionOn(es.pullBoard, s)) {
            root(s);
        }
    }
}

void startSearch() {
    // Emptying only the slots written since keeps the untouched part of the table unmapped.
    es.entryTable = blocks.layout1.entryTable;
    for (int32_t k = 0; k < es.usedSlotCount; ++k) es.entryTable[es.usedSlots[k]].pusher = 0;
    es.usedSlotCount = 0;
    for (uint32_t k = 0; k < kRelaxedSpanSlots; ++k) es.entryTable[k].pusher = 0;
    es.queue.clear();
    es.rootPusher = analysis.goalAreaCount == 1 ? analysis.goalAreaSquares[0] : 0;
    if (es.rootPusher != 0 && analysis.analysisBoard[es.rootPusher] == WALL) es.rootPusher = 0;
    control.entryStateCount = 0;
    es.currentEntryState = nullptr;
    std::memset(es.startBoxIndex, 0xFF, sizeof(int32_t) * level.cellCount);
    for (int32_t j = 0; j < itemCount(); ++j) es.startBoxIndex[analysis.boxList[j]] = j;
    buildInitialPosition();
}
}  // namespace

void computeNoParkSquares() {
    for (int32_t s = 0; s < level.cellCount; ++s) {
        es.noParkSquare[s] = (analysis.analysisBoard[s] != 0 || analysis.squareClass[s] != 0 ||
                              level.goalMap[s] == 1)
                                 ? 1
                                 : 0;
    }
}

int32_t nextEntryState(EntryState** state) {
    if (stopOrDeadlineReached()) return kResultTimeout;
    if (companionSlice() == kResultSolved) return kResultSolved;
    *state = es.queue.pop();
    if (*state == nullptr) return kResultNoLevel;
    es.currentEntryState = *state;
    return kInsertGoesOn;
}

namespace {
int32_t runEntrySearch() {
    startSearch();
    insertRoots();
    for (int32_t i = 0; i < itemCount(); ++i) es.pullBoard[es.curSquare[i]] = 0;

    for (;;) {
        EntryState* state = nullptr;
        const int32_t next = nextEntryState(&state);
        if (next != kInsertGoesOn) return next;
        loadState(*state);
        for (int32_t i = 0; i < itemCount(); ++i) {
            if (i == state->movedItem || es.curStatus[i] == kItemReleased) continue;
            const int32_t r = expandItem(i);
            if (r == kInsertGoesOn) continue;
            liftItems();
            if (r == kResultSolved) return extractEntries();
            return r;
        }
        liftItems();
    }
}
}  // namespace

int32_t entrySearch() {
    const int32_t r = runEntrySearch();
    noteSearch(thread1Stats(), kStatsEntry, control.entryStateCount,
               r == kResultFailed && control.entryStateCount >= kEntryStateLimit);
    return r;
}

int32_t entrySearchRun(int32_t oldSquare, int32_t newSquare) {
    EntryList& list = entryList;
    list.entryMode = kEntryModeNone;
    list.entryCount = 0;
    computeNoParkSquares();
    clearSquareMap(es.secondPassBan);
    es.secondPass = 0;
    int32_t r = entrySearch();
    const int32_t newBox = newSquare != 0 ? es.startBoxIndex[newSquare] : -1;
    if (newBox >= 0 && list.entryMode != kEntryModeNone) {
        for (int32_t k = 0; k < list.entryCount; ++k) list.entryBoxes[k][newBox] = 0;
    }
    if (list.entryMode != kEntryModeNone || r != kResultSolved ||
        control.secondaryState == kCompanionSolved) {
        return r;
    }
    es.secondPass = 1;
    r = entrySearch();
    if (r != kResultSolved || newBox < 0) return r;
    const int32_t* board = analysis.analysisBoard;
    const int32_t w = level.boardWidth;
    for (int32_t k = 0; k < list.entryCount; ++k) {
        const int32_t g = list.entrySquare[k];
        const bool up = board[g - w] == WALL, down = board[g + w] == WALL;
        const bool left = board[g - 1] == WALL, right = board[g + 1] == WALL;
        const bool corner = (up && (left || right)) || (down && (left || right));
        if (g == oldSquare || corner) list.entryBoxes[k][newBox] = 0;
    }
    return r;
}

}  // namespace qm
