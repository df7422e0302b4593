// Path extraction of the entry search: the path to a goal state is recorded and replayed, and
// its first pushes in forward order become the entry list.
#include "search1/entry_search.hpp"

#include <cstring>

#include "board/analysis.hpp"
#include "board/single_box.hpp"
#include "search/boxes.hpp"
#include "search/mask_rows.hpp"
#include "search1/entry_work.hpp"
#include "solver/control.hpp"

namespace qm::entry {

namespace {

// ---- Path extraction and the entry list -----------------------------------------------------

void recordPath() {
    EntryPath& path = es.path;
    int32_t length = 0;
    const EntryState* child = es.lastEntryState;
    for (; child->parent != nullptr; child = child->parent) {
        const EntryState* parent = child->parent;
        const int32_t item = child->movedItem;
        path.pathItem[length] = static_cast<uint8_t>(item);
        path.pathFrom[length] = parent->itemSquare[item];
        path.pathTo[length] = child->itemSquare[item];
        path.pathPusher[length] = child->pusher;
        path.pathFromStatus[length] = statusForPath(parent->itemStatus[item]);
        path.pathToStatus[length] = statusForPath(child->itemStatus[item]);
        ++length;
    }
    path.pathLength = length;
    es.rootPusher = child->pusher;
}

void startReplay() {
    buildInitialPosition();
    es.pullPusher = es.rootPusher;
}

// Moves pullPusher off a parked square to the next reached square that is not parked.
void pusherOffParkedSquare() {
    if (es.parkedBoard[es.pullPusher] == 0) return;
    region.fill(es.pullBoard, es.pullPusher);
    for (int32_t s = es.pullPusher + 1; s < level.cellCount; ++s) {
        if (region.reached(s) && es.parkedBoard[s] == 0) {
            es.pullPusher = s;
            return;
        }
    }
}

// Replays step s of the path on the work position. False when it cannot be made.
bool replayStep(int32_t s) {
    const EntryPath& path = es.path;
    const int32_t x = path.pathItem[s];
    const int32_t q = es.curSquare[x];
    if (es.curStatus[x] == kItemReleased) return false;
    if (es.curStatus[x] == kItemParked) {
        if (es.pullBoard[q] != 0) return false;
        es.parkedBoard[q] = 0;
    }
    es.pullBoard[q] = BOX;
    const int32_t states = boxPullStates(es.pullBoard, es.sideMap, q, es.pullPusher);
    es.pullBoard[q] = 0;
    const uint8_t to = path.pathToStatus[s];
    if (to == kItemReleased) {
        if (!releaseTest(x, q, states)) return false;
        setItemRow(x);
        return true;
    }
    if (to == kItemParked) return parkTest(x, q, states, true) != kNoSquare;
    const int32_t t = path.pathTo[s];
    const int32_t sides = es.sideMap[t];
    if (sides == 0) return false;
    es.pullBoard[t] = BOX;
    int32_t lastFree = kNoSquare;
    bool found = false;
    for (int32_t bit = 1; bit <= 8 && !found; bit <<= 1) {
        if ((sides & bit) == 0) continue;
        const int32_t stand = t + level.dirBitOffset[bit];
        if (es.pullBoard[stand] != 0) continue;
        lastFree = stand;
        testRegion.fill(es.pullBoard, stand);
        found = testRegion.reached(path.pathPusher[s]);
    }
    if (lastFree == kNoSquare) {
        es.pullBoard[t] = 0;
        return false;
    }
    es.pullPusher = lastFree;
    es.curSquare[x] = t;
    es.curStatus[x] = kItemPulled;
    es.curMask[x] = analysis.boxReachMask[t];
    setItemRow(x);
    return true;
}

// Can step s come first in forward order: replay every other step (and, for a pull, no other
// step of the same item) and then s, and the pusher's start must still be reachable.
bool postponeTest(int32_t s) {
    const EntryPath& path = es.path;
    const bool pull = path.pathToStatus[s] == kItemPulled;
    startReplay();
    for (int32_t t = path.pathLength - 1; t >= 0; --t) {
        if (t == s || (pull && path.pathItem[t] == path.pathItem[s])) continue;
        if (!replayStep(t)) return false;
    }
    pusherOffParkedSquare();
    if (!replayStep(s)) return false;
    region.fill(es.pullBoard, es.pullPusher);
    return region.reached(analysis.analysisPusherSquare);
}

void appendEntry(int32_t s) {
    EntryList& list = entryList;
    const EntryPath& path = es.path;
    const int32_t k = list.entryCount++;
    list.entrySquare[k] = path.pathFrom[s];
    list.entrySides[k] = path.pathSides[s];
    const int32_t* row = es.goalTestMatrix + path.pathItem[s] * kMatrixStride;
    for (int32_t j = 0; j < kMaxBoxes; ++j) list.entryBoxes[k][j] = j < itemCount() ? row[j] : 0;
}

// Allows, in each entry, every box whose start square an allowed box could be pushed to alone.
void widenEntryBoxes() {
    const int32_t n = itemCount();
    int32_t* walls = es.widenWalls;
    int32_t* sides = es.widenSides;
    int32_t* reached = es.widenReached;
    for (int32_t s = 0; s < level.cellCount; ++s) {
        walls[s] = analysis.analysisBoard[s] == WALL ? WALL : 0;
    }
    for (int32_t k = 0; k < entryList.entryCount; ++k) {
        int32_t* row = entryList.entryBoxes[k];
        clearSquareMap(reached);
        for (int32_t j = 0; j < n; ++j) {
            if (row[j] == 0) continue;
            const int32_t b = analysis.boxList[j];
            walls[b] = BOX;
            boxPushStates(walls, sides, b, analysis.analysisPusherSquare);
            walls[b] = 0;
            for (int32_t i = 0; i < singleBox.stateCount; ++i) reached[singleBox.stateBox[i]] = 1;
        }
        for (int32_t j = 0; j < n; ++j) {
            if (reached[analysis.boxList[j]] != 0) row[j] = 1;
        }
    }
}

// The first pass found no entry: bans the squares the item of the step before the first step
// outside every repeated item's span can be pulled to, for the second pass.
void banForSecondPass() {
    EntryPath& path = es.path;
    const int32_t length = path.pathLength;
    if (length <= 0) return;
    bool* marked = path.marked;
    int32_t first[kMaxBoxes], last[kMaxBoxes];
    for (int32_t i = 0; i < kMaxBoxes; ++i) first[i] = last[i] = -1;
    for (int32_t m = 0; m < length; ++m) {
        const int32_t item = path.pathItem[m];
        if (first[item] < 0) first[item] = m;
        last[item] = m;
    }
    for (int32_t m = 0; m < length; ++m) marked[m] = false;
    for (int32_t i = 0; i < kMaxBoxes; ++i) {
        if (first[i] < 0 || first[i] == last[i]) continue;
        for (int32_t m = first[i]; m <= last[i]; ++m) marked[m] = true;
    }
    int32_t s = 0;
    while (s < length && marked[s]) ++s;
    if (s == length) s = 0;
    startReplay();
    for (int32_t t = length - 1; t >= s; --t) {
        if (!replayStep(t)) break;
        pusherOffParkedSquare();
    }
    // With no step before s, the item of s itself is taken.
    const int32_t x = path.pathItem[s > 0 ? s - 1 : s];
    for (int32_t i = 0; i < itemCount(); ++i) {
        if (es.curStatus[i] == kItemPulled && es.startBoxIndex[es.curSquare[i]] >= 0) {
            es.pullBoard[es.curSquare[i]] = 0;
        }
    }
    const int32_t q = es.curSquare[x];
    if (q == 0) return;
    const int32_t before = es.pullBoard[q];
    es.pullBoard[q] = BOX;
    boxPullStates(es.pullBoard, es.secondPassBan, q, es.pullPusher);
    es.pullBoard[q] = before;
    es.secondPassBan[q] = 0;
}

}  // namespace

int32_t extractEntries() {
    assignmentFeasible(es.goalTestMatrix, itemCount(), 1);
    recordPath();
    EntryPath& path = es.path;
    startReplay();
    for (int32_t s = path.pathLength - 1; s >= 0; --s) {
        region.fill(es.pullBoard, es.pullPusher);
        path.pathSides[s] = static_cast<uint8_t>(region.sidesOf(path.pathFrom[s]));
        if (!replayStep(s)) {
            for (int32_t t = s - 1; t >= 0; --t) path.pathSides[t] = 0;
            break;
        }
    }

    entryList.entryCount = 0;
    for (int32_t s = 0; s < path.pathLength; ++s) {
        if (path.pathFromStatus[s] != kItemOnGoal) continue;
        const uint8_t to = path.pathToStatus[s];
        const bool entering = to == kItemReleased ||
                              (to == kItemPulled && es.startBoxIndex[path.pathTo[s]] >= 0);
        // A step whose sides could not be replayed can never be entered.
        if (!entering || path.pathSides[s] == 0) continue;
        if (s > 0) {
            if (stopOrDeadlineReached()) {
                entryList.entryCount = 0;
                return kResultTimeout;
            }
            if (!postponeTest(s)) continue;
        }
        appendEntry(s);
    }
    if (entryList.entryCount > 0) {
        entryList.entryMode = kEntryModePath;
        widenEntryBoxes();
    } else if (es.secondPass != 0) {
        // The first step whose from-square holds no start box; without one, the first step.
        int32_t s = 0;
        while (s < path.pathLength && es.startBoxIndex[path.pathFrom[s]] >= 0) ++s;
        if (s == path.pathLength) s = 0;
        if (path.pathLength > 0) appendEntry(s);
        entryList.entryMode = entryList.entryCount > 0 ? kEntryModeFallback : kEntryModeNone;
    } else {
        banForSecondPass();
    }
    return kResultSolved;
}

}  // namespace qm::entry
