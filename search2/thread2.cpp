#include "search2/thread2.hpp"

#include <cstdlib>
#include <cstring>

#include "board/analysis.hpp"
#include "board/board.hpp"
#include "board/board_scratch.hpp"
#include "board/fills.hpp"
#include "board/handover.hpp"
#include "board/system_memory.hpp"
#include "search/boxes.hpp"
#include "search2/area_clearing.hpp"
#include "search2/corral.hpp"
#include "search2/bidirectional_steps.hpp"
#include "search2/corridors.hpp"
#include "search2/macro_moves.hpp"
#include "search2/priorities.hpp"
#include "search2/node_table.hpp"
#include "solver/blocks.hpp"
#include "solver/control.hpp"
#include "solver/solve_stats.hpp"

namespace qm {

namespace {

BoardScratch thread2BoardScratch;  // the board routines' scratch while thread 2 runs them

constexpr int32_t kStartWeight = 90'000;        // visitWeight of a square occupied at the start
constexpr int32_t kPhaseANodes = 1'970'000;     // the forward phase ends beyond this many nodes
constexpr double kMeetBandsTimesThree = 54 * 3;  // numerator factors of meetScale

// Scratch maps of the search driver; thread 2 only.
struct DriverScratch {
    int32_t reach[kMaxSquares];    // one fill at a time
    int32_t covered[kMaxSquares];  // every region a backward root stands in
};
DriverScratch driver;

void placeBoxes(const int32_t* squares, int32_t n) {
    loadBoxes(handover.searchBoard, handover.t2Boxes, squares, n);
}

bool everyStartBoxOnAGoal() {
    for (int32_t j = 0; j < handover.t2BoxCount; ++j) {
        if (level.goalMap[handover.t2StartBoxes[j]] == 0) return false;
    }
    return true;
}

void storeRoot(int32_t square) {
    clearSquareMap(driver.reach);
    const int32_t p = reachFill(handover.searchBoard, driver.reach, square);
    reachFill(handover.searchBoard, driver.covered, square);
    SearchNode* slot = nodeLookup(p);
    if (slot->pusher != 0) return;  // an area listed twice
    storeNode(slot, p, handover.t2BoxCount, kBackwardTag, nullptr);
    nodes.backwardLists.push(0, slot);
}

// Stores the backward roots of the solved position (on searchBoard): one per listed pusher area,
// in the listed order, and then one for every other region a solution can end in. The areas are
// listed only when larger than four squares, so without the second kind a level whose pusher
// ends in a small region (a single push in a corridor, say) could never be solved here, and the
// backward search running empty would wrongly prove it impossible.
void storeBackwardRoots() {
    const int32_t cells = level.cellCount;
    const int32_t* board = handover.searchBoard;
    clearSquareMap(driver.covered);
    for (int32_t k = 0; k < handover.goalAreaCount; ++k) storeRoot(handover.goalAreaSquares[k]);
    for (int32_t s = 0; s < cells; ++s) {
        if (board[s] != 0 || driver.covered[s] != 0) continue;
        if (canEndASolutionOn(board, s)) storeRoot(s);
    }
}

}  // namespace

void releaseThread2Buffers() {
    releaseSteps();
    releasePlan();
}

namespace {

// Records a finished run of search k: the nodes stored and whether the node table filled.
void noteThread2Search(int32_t k) {
    noteSearch(thread2Stats(), k, nodeCountNow(), nodeCountNow() >= kNodeLimit);
}

}  // namespace

int32_t thread2Methods() {
    useBoardScratch(thread2BoardScratch);
    ThreadStats& stats = thread2Stats();
    // The analysis proved the level infeasible (a box that can never reach a goal, goals no box
    // can reach, or no assignment of boxes to goals): nothing to search, and its lists may be
    // half written.
    if (handover.analysisResult == kAnalysisInfeasible) return stats.result = kResultImpossible;
    // A node holds at most kNodeBoxes box squares.
    if (handover.t2BoxCount > kNodeBoxes) return stats.result = kResultBoxesOver;
    clearBlock2();
    bindThread2Tables();
    if (level.alreadySolved == 0 && handover.areaStrategyFlag != 0 &&
        handover.goalAreaCount == 1) {
        corral.clearingMode = 1;
        stats.phase = kStatsPhaseAreaClearing;
        const int32_t result = areaClearingSearch();
        noteThread2Search(kStatsAreaClearing);
        if (result == kResultSolved) control.solvedBy = 2;
        return stats.result = result;
    }
    corral.clearingMode = 0;
    stats.phase = kStatsPhaseBidirectional;
    const int32_t result = bidirectionalSearch();
    if (result == kResultSolved) control.solvedBy = 3;
    return stats.result = result;
}

void thread2Main() { control.thread2State = thread2Methods(); }

namespace {
int32_t bidirectionalSearchOnce();
}  // namespace

int32_t bidirectionalSearch() {
    corridorRules.corridorRulesOn = 1;
    const int32_t r = bidirectionalSearchOnce();
    noteThread2Search(kStatsBidirectional);
    if (r != kResultImpossible || corridorRules.corridorRuleUsed == 0) return r;
    // The corridor rules left moves out, so running dry proved nothing: search again without
    // them, which either finds a solution or proves the level impossible.
    corridorRules.corridorRulesOn = 0;
    const int32_t again = bidirectionalSearchOnce();
    noteThread2Search(kStatsBidirectional);
    corridorRules.corridorRulesOn = 1;
    return again;
}

namespace {

// One bidirectional search with the corridor rules as corridorRules.corridorRulesOn says.
int32_t bidirectionalSearchOnce() {
    if (blocks.memoryReady != 1) return kResultFailed;
    const int32_t n = handover.t2BoxCount, cells = level.cellCount;
    int32_t* board = handover.searchBoard;

    for (int32_t s = 0; s < cells; ++s) corral.t2CorralBoard[s] = board[s] & WALL;
    corridorAnalysis();
    corridorRules.corridorRuleUsed = 0;
    resetSteps();
    resetTables();
    nodes.forwardLists.clear();
    nodes.backwardLists.clear();

    int32_t stops = 0;  // squares a box from the start may end a macro move on
    for (int32_t s = 0; s < cells; ++s) {
        priorityTables.visitWeight[s] = board[s] != 0 ? kStartWeight : 0;
        if (handover.t2StartMask[s] != 0 && corridorRules.noStopMark[s] == 0) ++stops;
    }
    priorityTables.meetScale = n == 0 ? 0.0
                             : static_cast<double>(stops) * kMeetBandsTimesThree / n / n /
                                   static_cast<double>(kNodeLimit);

    // Backward roots: the solved position, once per listed pusher area.
    liftAllBoxes(board);
    placeBoxes(handover.t2Goals, n);
    storeBackwardRoots();

    // The start position.
    liftAllBoxes(board);
    placeBoxes(handover.t2StartBoxes, n);
    clearSquareMap(driver.reach);
    const int32_t start = reachFill(board, driver.reach, handover.t2PusherSquare);
    // A level given solved needs no step: no box in play, every box already on a goal (whatever
    // region the pusher stands in), or the start is a root.
    if (n == 0 || everyStartBoxOnAGoal()) return kResultSolved;
    const SearchNode* startSlot = nodeLookup(start);
    if (startSlot->pusher != 0 && startSlot->tag == kBackwardTag) return kResultSolved;

    if (forwardSeed(start) == kResultSolved) return kResultSolved;
    liftAllBoxes(board);

    // Phase A: forward, until the lists run empty or a tenth of the table is used.
    for (;;) {
        if (stopOrDeadlinePassed()) return kResultTimeout;
        const int32_t r = forwardExpand();
        if (r == kResultSolved) return kResultSolved;
        if (r != kExpanded) break;
        if (nodeCountNow() > kPhaseANodes) break;
    }

    // Phase B: backward, steered towards the stored forward nodes.
    for (;;) {
        if (stopOrDeadlinePassed()) return kResultTimeout;
        const int32_t r = backwardExpand();
        if (r == kExpanded) continue;
        if (r == kResultSolved) {
            writeBackwardSteps();
            return kResultSolved;
        }
        return r;
    }
}

}  // namespace

}  // namespace qm
