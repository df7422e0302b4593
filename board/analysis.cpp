#include "board/analysis.hpp"

#include <cstring>

#include "board/fills.hpp"
#include "board/phase_tables.hpp"
#include "board/single_box.hpp"

namespace qm {

Analysis analysis;

namespace {

// Scratch maps of the analysis; it runs on one thread at a time (the driver, then thread 1).
struct AnalysisScratch {
    int32_t reach[kMaxSquares];
    int32_t distance[kMaxSquares];
    int32_t sideMap[kMaxSquares];
    int32_t covered[kMaxSquares];
    int32_t keys[kMaxSquares];
    int32_t local[kMaxSquares];
};
AnalysisScratch scratch;


bool boxCanMove(const int32_t* board, const int32_t* region, int32_t s) {
    for (int32_t d = 0; d < 4; ++d) {
        const int32_t offset = level.dirOffset[d];
        if (region[s - offset] != 0 && board[s + offset] == 0) return true;
    }
    return false;
}

// Removes every box that can move, sweeping until nothing changes; the pusher's region is
// recomputed between sweeps.
void removeMovableBoxes(int32_t* board, int32_t pusher) {
    for (bool changed = true; changed;) {
        changed = false;
        clearSquareMap(scratch.reach);
        reachFill(board, scratch.reach, pusher);
        for (int32_t s = 0; s < level.cellCount; ++s) {
            if (board[s] != BOX || !boxCanMove(board, scratch.reach, s)) continue;
            board[s] = 0;
            changed = true;
        }
    }
}

// Lists boxes and goals in square order, skipping walls. Returns false beyond 64 of either.
bool listBoxesAndGoals(const int32_t* board, int32_t& boxes, int32_t& goals) {
    boxes = goals = 0;
    for (int32_t s = 0; s < level.cellCount; ++s) {
        if (board[s] == WALL) continue;
        if (board[s] == BOX) {
            if (boxes == kMaxBoxes) return false;
            analysis.boxList[boxes++] = s;
        }
        if (level.goalMap[s] != 0) {
            if (goals == kMaxBoxes) return false;
            analysis.goalList[goals++] = s;
        }
    }
    return true;
}

bool everyBoxOnGoal(const int32_t* board) {
    for (int32_t s = 0; s < level.cellCount; ++s) {
        if (board[s] == WALL) continue;
        if ((board[s] == BOX) != (level.goalMap[s] != 0)) return false;
    }
    return true;
}

// Goal boxes that could be pulled out are removed; the rest stay.
void removePullableGoalBoxes(int32_t* board, int32_t goals) {
    for (bool changed = true; changed;) {
        changed = false;
        for (int32_t i = 0; i < goals; ++i) {
            const int32_t g = analysis.goalList[i];
            if (board[g] != BOX) continue;
            for (int32_t d = 0; d < 4; ++d) {
                const int32_t offset = level.dirOffset[d];
                if (board[g + offset] == 0 && board[g + 2 * offset] == 0) {
                    board[g] = 0;
                    changed = true;
                    break;
                }
            }
        }
    }
}

int32_t wallNeighbours(const int32_t* board, int32_t s) {
    int32_t walls = 0;
    for (int32_t d = 0; d < 4; ++d) walls += board[s + level.dirOffset[d]] == WALL ? 1 : 0;
    return walls;
}

// Walls dead-end squares; the pusher backs out of a dead end it stands in.
void fillDeadEnds(int32_t* board, int32_t& pusher) {
    for (bool changed = true; changed;) {
        changed = false;
        for (int32_t s = 0; s < level.cellCount; ++s) {
            if (board[s] != 0 || level.goalMap[s] != 0 || wallNeighbours(board, s) != 3) continue;
            int32_t open = s;
            for (int32_t d = 0; d < 4; ++d) {
                if (board[s + level.dirOffset[d]] != WALL) open = s + level.dirOffset[d];
            }
            if (s == pusher) {
                if (board[open] != 0) continue;
                pusher = open;
            }
            board[s] = WALL;
            changed = true;
        }
    }
}

// Stable sort of list by keys of its squares, by adjacent swaps on a strictly smaller key.
void sortByKeys(int32_t* list, int32_t n, const int32_t* keys) {
    for (bool swapped = true; swapped;) {
        swapped = false;
        for (int32_t i = 0; i + 1 < n; ++i) {
            if (keys[list[i + 1]] < keys[list[i]]) {
                const int32_t t = list[i];
                list[i] = list[i + 1];
                list[i + 1] = t;
                swapped = true;
            }
        }
    }
}

void orderBoxes(const int32_t* board, int32_t n) {
    clearSquareMap(scratch.keys);
    for (int32_t i = 0; i < n; ++i) {
        const int32_t g = analysis.goalList[i];
        const int32_t weight = 1 + wallNeighbours(board, g);
        distanceFill(board, scratch.distance, g);
        for (int32_t j = 0; j < n; ++j) {
            const int32_t b = analysis.boxList[j];
            scratch.keys[b] += weight * scratch.distance[b];
        }
    }
    sortByKeys(analysis.boxList, n, scratch.keys);
}

void orderGoals(const int32_t* board, int32_t n) {
    clearSquareMap(scratch.keys);
    for (int32_t j = 0; j < n; ++j) {
        distanceFill(board, scratch.distance, analysis.boxList[j]);
        for (int32_t i = 0; i < n; ++i) {
            const int32_t g = analysis.goalList[i];
            scratch.keys[g] += scratch.distance[g];
        }
    }
    sortByKeys(analysis.goalList, n, scratch.keys);
}

void shiftMasks(uint64_t* masks, const int32_t* reached) {
    for (int32_t s = 0; s < level.cellCount; ++s) masks[s] = (masks[s] << 1) | (reached[s] ? 1 : 0);
}

void markStateBoxes(int32_t* reached) {
    for (int32_t k = 0; k < singleBox.stateCount; ++k) reached[singleBox.stateBox[k]] = 1;
}

void buildGoalReachMasks(int32_t* board, int32_t n) {
    std::memset(analysis.goalReachMask, 0, sizeof(uint64_t) * level.cellCount);
    for (int32_t i = 0; i < n; ++i) {
        const int32_t g = analysis.goalList[i];
        board[g] = BOX;
        clearSquareMap(scratch.covered);
        clearSquareMap(scratch.local);
        for (int32_t d = 0; d < 4; ++d) {
            const int32_t puller = g + level.dirOffset[d];
            if (board[puller] != 0 || scratch.covered[puller] != 0) continue;
            reachFill(board, scratch.covered, puller);
            boxPullStates(board, scratch.sideMap, g, puller);
            markStateBoxes(scratch.local);
        }
        board[g] = 0;
        shiftMasks(analysis.goalReachMask, scratch.local);
    }
}

void buildBoxReachMasks(int32_t* board, int32_t n) {
    std::memset(analysis.boxReachMask, 0, sizeof(uint64_t) * level.cellCount);
    for (int32_t j = 0; j < n; ++j) {
        const int32_t b = analysis.boxList[j];
        board[b] = BOX;
        clearSquareMap(scratch.local);
        boxPushStates(board, scratch.sideMap, b, analysis.analysisPusherSquare);
        markStateBoxes(scratch.local);
        board[b] = 0;
        shiftMasks(analysis.boxReachMask, scratch.local);
    }
}

void dropOneSidedMasks() {
    for (int32_t s = 0; s < level.cellCount; ++s) {
        if (analysis.goalReachMask[s] == 0 || analysis.boxReachMask[s] == 0) {
            analysis.goalReachMask[s] = 0;
            analysis.boxReachMask[s] = 0;
        }
    }
}

// Both directions of the box/goal reachability must admit an assignment.
bool assignmentsFeasible(int32_t n) {
    int32_t* m = analysis.assignMatrix;
    for (int32_t r = 0; r < n; ++r) {
        for (int32_t j = 0; j < n; ++j) {
            m[r * kMaxBoxes + j] = (analysis.goalReachMask[analysis.boxList[j]] & listBit(r, n)) ? 1 : 0;
        }
    }
    if (assignmentFeasible(m, n, 1) == 0) return false;
    for (int32_t j = 0; j < n; ++j) {
        for (int32_t k = 0; k < n; ++k) {
            m[j * kMaxBoxes + k] = (analysis.boxReachMask[analysis.goalList[j]] & listBit(k, n)) ? 1 : 0;
        }
    }
    return assignmentFeasible(m, n, 1) != 0;
}

// A free square whose blocked ring neighbours form two or more separate runs is a gate.
bool isGateSquare(const int32_t* board, int32_t s) {
    bool blocked[8];
    for (int32_t i = 0; i < 8; ++i) {
        const int32_t value = board[s + level.ringOffset[i]];
        if (i % 2 == 0) {
            blocked[i] = value != 0;
        } else {
            const bool sidesBlocked = board[s + level.ringOffset[i - 1]] != 0 &&
                                      board[s + level.ringOffset[(i + 1) % 8]] != 0;
            blocked[i] = value != 0 || sidesBlocked;
        }
    }
    int32_t runs = 0;
    for (int32_t i = 0; i < 8; ++i) {
        if (blocked[i] && !blocked[(i + 7) % 8]) ++runs;
    }
    return runs >= 2;
}

void classifyGates(const int32_t* board) {
    for (int32_t s = 0; s < level.cellCount; ++s) {
        analysis.squareClass[s] = 0;
        if (board[s] == 0 && isGateSquare(board, s)) analysis.squareClass[s] = 1;
    }
}

// Classes of one closed corridor run of squares run[0 .. length - 1].
void classifyCorridorRun(const int32_t* board, const int32_t* run, int32_t length) {
    bool holdsGoal = false;
    int32_t kept = -1;
    for (int32_t i = 0; i < length; ++i) {
        if (level.goalMap[run[i]] != 0) holdsGoal = true;
        if (board[run[i]] == BOX) kept = run[i];
    }
    if (!holdsGoal && kept < 0) kept = run[length / 2];
    for (int32_t i = 0; i < length; ++i) {
        const int32_t s = run[i];
        const bool box = board[s] == BOX;
        const bool keep = holdsGoal ? (box || level.goalMap[s] != 0) : (box || s == kept);
        analysis.squareClass[s] = keep ? 1 : 2;
    }
}

// Walks one line of squares from first, count squares, step apart; across is the offset to the
// squares beside the line. Closed runs of two or more corridor squares are classified.
void classifyCorridorLine(const int32_t* board, int32_t first, int32_t count, int32_t step,
                          int32_t across) {
    int32_t run[kMaxSide];
    int32_t length = 0;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t s = first + i * step;
        const bool corridor =
            board[s] != WALL && board[s - across] == WALL && board[s + across] == WALL;
        if (corridor) {
            run[length++] = s;
            continue;
        }
        if (length >= 2) classifyCorridorRun(board, run, length);
        length = 0;
    }
}

void classifyCorridors(const int32_t* board) {
    const int32_t w = level.boardWidth, h = level.boardHeight;
    if (w < 3 || h < 3) return;
    for (int32_t x = 1; x <= w - 2; ++x) classifyCorridorLine(board, w + x, h - 2, w, 1);
    for (int32_t y = 1; y <= h - 2; ++y) classifyCorridorLine(board, y * w + 1, w - 2, 1, w);
}

// The squares the pusher can never reach, even with every movable box gone, are walled next: a
// box there off a goal can never be moved onto one, and a goal there without a box never filled.
bool outOfReachIsSettled(const int32_t* a, const int32_t* board, const int32_t* reach, int32_t boxes,
                         int32_t goals) {
    for (int32_t j = 0; j < boxes; ++j) {
        const int32_t b = analysis.boxList[j];
        if (a[b] != WALL && reach[b] == 0 && level.goalMap[b] == 0) return false;
    }
    for (int32_t i = 0; i < goals; ++i) {
        const int32_t g = analysis.goalList[i];
        if (a[g] != WALL && reach[g] == 0 && board[g] != BOX) return false;
    }
    return true;
}

}  // namespace

int32_t prepareAnalysis(const int32_t* board, int32_t pusherSquare) {
    int32_t* a = analysis.analysisBoard;
    const int32_t cells = level.cellCount;
    int32_t pusher = pusherSquare;
    // Defined even when the analysis stops before it normalises the pusher.
    analysis.analysisPusherSquare = pusherSquare;
    std::memcpy(a, board, sizeof(int32_t) * cells);
    int32_t boxes = 0, goals = 0;
    if (!listBoxesAndGoals(a, boxes, goals)) return kAnalysisInfeasible;
    analysis.analysisBoxCount = boxes;
    if (everyBoxOnGoal(a) && level.alreadySolved == 0) {
        analysis.analysisBoxCount = 0;
        return kAnalysisAllOnGoals;
    }

    removeMovableBoxes(a, pusher);
    for (int32_t j = 0; j < boxes; ++j) {
        const int32_t b = analysis.boxList[j];
        if (a[b] != BOX) continue;
        if (level.goalMap[b] == 0) return kAnalysisInfeasible;
        a[b] = WALL;
    }
    for (int32_t i = 0; i < goals; ++i) {
        if (a[analysis.goalList[i]] != WALL) a[analysis.goalList[i]] = BOX;
    }
    removePullableGoalBoxes(a, goals);
    for (int32_t i = 0; i < goals; ++i) {
        const int32_t g = analysis.goalList[i];
        if (a[g] != BOX) continue;
        if (board[g] != BOX) return kAnalysisInfeasible;
        a[g] = WALL;
    }

    clearSquareMap(scratch.reach);
    reachFill(a, scratch.reach, pusher);
    if (!outOfReachIsSettled(a, board, scratch.reach, boxes, goals)) return kAnalysisInfeasible;
    for (int32_t s = 0; s < cells; ++s) {
        if (scratch.reach[s] == 0) a[s] = WALL;
    }
    for (int32_t j = 0; j < boxes; ++j) {
        if (a[analysis.boxList[j]] != WALL) a[analysis.boxList[j]] = BOX;
    }
    fillDeadEnds(a, pusher);

    clearSquareMap(scratch.reach);
    analysis.analysisPusherSquare = reachFill(a, scratch.reach, pusher);
    if (!listBoxesAndGoals(a, boxes, goals)) return kAnalysisInfeasible;
    for (int32_t s = 0; s < cells; ++s) {
        if (a[s] != WALL) a[s] = 0;
    }
    if (boxes != goals) return kAnalysisInfeasible;
    const int32_t n = boxes;
    analysis.analysisBoxCount = n;

    orderBoxes(a, n);
    orderGoals(a, n);
    buildGoalReachMasks(a, n);
    buildBoxReachMasks(a, n);
    dropOneSidedMasks();
    if (!assignmentsFeasible(n)) return kAnalysisInfeasible;
    classifyGates(a);
    for (int32_t j = 0; j < n; ++j) a[analysis.boxList[j]] = BOX;
    classifyCorridors(a);
    return kAnalysisDone;
}

namespace {

// Number of squares in the region of start on board.
int32_t regionSize(const int32_t* board, int32_t start) {
    return distanceFill(board, scratch.distance, start);
}

bool goalBoxCanBePulled(const int32_t* board, const int32_t* region, int32_t g) {
    for (int32_t d = 0; d < 4; ++d) {
        const int32_t offset = level.dirOffset[d];
        if (region[g + offset] != 0 && board[g + 2 * offset] == 0) return true;
    }
    return false;
}

void fillRegion(const int32_t* board, int32_t start) {
    clearSquareMap(scratch.reach);
    reachFill(board, scratch.reach, start);
}

// Pulls goal boxes out of the solved position from one area; returns how many came out.
int32_t pullGoalBoxesFrom(int32_t* board, int32_t areaSquare) {
    const int32_t n = analysis.analysisBoxCount;
    int32_t removed = 0;
    fillRegion(board, areaSquare);
    for (bool changed = true; changed;) {
        changed = false;
        for (int32_t i = 0; i < n; ++i) {
            const int32_t g = analysis.goalList[i];
            if (board[g] != BOX || !goalBoxCanBePulled(board, scratch.reach, g)) continue;
            board[g] = 0;
            ++removed;
            changed = true;
            fillRegion(board, areaSquare);
        }
    }
    return removed;
}

void sortAreasBySize() {
    const int32_t count = analysis.goalAreaCount;
    for (int32_t i = 0; i < count; ++i) {
        int32_t best = i;
        for (int32_t j = i + 1; j < count; ++j) {
            if (analysis.goalAreaSizes[j] > analysis.goalAreaSizes[best]) best = j;
        }
        if (best == i) continue;
        const int32_t square = analysis.goalAreaSquares[best], size = analysis.goalAreaSizes[best];
        analysis.goalAreaSquares[best] = analysis.goalAreaSquares[i];
        analysis.goalAreaSizes[best] = analysis.goalAreaSizes[i];
        analysis.goalAreaSquares[i] = square;
        analysis.goalAreaSizes[i] = size;
    }
}

}  // namespace

void analyseAreas() {
    const int32_t cells = level.cellCount;
    const int32_t n = analysis.analysisBoxCount;
    int32_t* board = scratch.local;
    analysis.goalAreaCount = 0;
    for (int32_t s = 0; s < cells; ++s) board[s] = analysis.analysisBoard[s] == WALL ? WALL : 0;
    for (int32_t i = 0; i < n; ++i) board[analysis.goalList[i]] = BOX;

    int32_t areaSquares[kMaxSquares], areaSizes[kMaxSquares];
    int32_t areas = 0;
    clearSquareMap(scratch.covered);
    for (int32_t s = 0; s < cells; ++s) {
        if (board[s] != 0 || scratch.covered[s] != 0) continue;
        reachFill(board, scratch.covered, s);
        const int32_t size = regionSize(board, s);
        if (size > 4) {
            areaSquares[areas] = s;
            areaSizes[areas++] = size;
        }
    }
    if (areas == 0) return;
    if (areas == 1) {
        analysis.goalAreaSquares[0] = areaSquares[0];
        analysis.goalAreaSizes[0] = areaSizes[0];
        analysis.goalAreaCount = 1;
        return;
    }
    for (int32_t k = 0; k < areas; ++k) {
        const int32_t removed = pullGoalBoxesFrom(board, areaSquares[k]);
        if (removed == n) {
            analysis.goalAreaSquares[analysis.goalAreaCount] = areaSquares[k];
            analysis.goalAreaSizes[analysis.goalAreaCount++] = areaSizes[k];
        } else {
            int32_t startBoxes = 0;
            for (int32_t s = 0; s < cells; ++s) {
                if (scratch.reach[s] != 0 && level.obstacleMap[s] == BOX) ++startBoxes;
            }
            if (startBoxes > removed + 3) analysis.areaStrategyFlag = 1;
        }
        for (int32_t i = 0; i < n; ++i) board[analysis.goalList[i]] = BOX;
    }
    sortAreasBySize();
}

void bandDistances(const int32_t* values) {
    const int32_t count = phase.bandSquareCount;
    if (count == 0) return;
    int32_t smallest = values[phase.bandSquares[0]];
    for (int32_t i = 1; i < count; ++i) {
        if (values[phase.bandSquares[i]] < smallest) smallest = values[phase.bandSquares[i]];
    }
    int32_t largest = 0;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t diff = values[phase.bandSquares[i]] - smallest;
        if (diff > largest) largest = diff;
    }
    for (int32_t i = 0; i < count; ++i) {
        const int32_t s = phase.bandSquares[i];
        if (largest == 0) {
            // Equal values carry no direction: every band is 0.
            phase.crossBand14[s] = 0;
            phase.crossBand7[s] = 0;
            continue;
        }
        const double diff = values[s] - smallest;
        const int32_t b14 = static_cast<int32_t>(diff * 14.5 / largest);
        const int32_t b7 = static_cast<int32_t>(diff * 7.5 / largest);
        phase.crossBand14[s] = b14 > 14 ? 14 : b14;
        phase.crossBand7[s] = b7 > 7 ? 7 : b7;
    }
}

}  // namespace qm
