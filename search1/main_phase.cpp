#include <cstring>

#include "board/analysis.hpp"
#include "board/board.hpp"
#include "board/single_box.hpp"
#include "search1/companion.hpp"
#include "search1/entry_search.hpp"
#include "search1/main_line.hpp"
#include "search1/segment_search.hpp"
#include "search1/thread1.hpp"
#include "solver/control.hpp"
#include "solver/solve_stats.hpp"

namespace qm {

namespace {

constexpr int32_t kCompanionTurnAbove = 4;  // boxes above which the companion gets a turn
constexpr int32_t kAllSides = 15;
constexpr int32_t kEnclosedGoal = 2;        // lockingGoal: the goal is enclosed
constexpr int32_t kLockingGoal = 1;         // lockingGoal: filling it early locks other goals

// The first entry search, and a second pass when the first found a path without usable entries.
int32_t firstEntrySearch() {
    EntrySearch& es = entrySearchTables;
    computeNoParkSquares();
    clearSquareMap(es.secondPassBan);
    es.secondPass = 0;
    int32_t r = entrySearch();
    if (entryList.entryMode == kEntryModeNone && r == kResultSolved &&
        control.secondaryState != kCompanionSolved) {
        es.secondPass = 1;
        r = entrySearch();
    }
    return r;
}

// Copies the analysis of the current position and its entry list into the forward tables; the
// analysis board is box-free afterwards.
void copyForwardTables(int32_t n) {
    SegmentTables& st = segment;
    const int32_t cells = level.cellCount;
    clearSquareMap(st.lockingGoal);
    std::memcpy(st.segClass, analysis.squareClass, sizeof(int32_t) * cells);
    std::memcpy(st.segGoalMask, analysis.goalReachMask, sizeof(uint64_t) * cells);
    std::memcpy(st.segBoard, analysis.analysisBoard, sizeof(int32_t) * cells);
    for (int32_t i = 0; i < n; ++i) {
        st.segBoxes[i] = analysis.boxList[i];
        analysis.analysisBoard[analysis.boxList[i]] = 0;
    }
    st.segPusher = analysis.analysisPusherSquare;
    st.segBoxCount = n;
    st.segEntryMode = entryList.entryMode;
    st.segEntryCount = entryList.entryCount;
    const bool allSides = entryList.entryMode == kEntryModePath && n <= 2;
    for (int32_t k = 0; k < entryList.entryCount; ++k) {
        st.segEntrySquare[k] = entryList.entrySquare[k];
        st.segEntrySides[k] = allSides ? kAllSides : entryList.entrySides[k];
        for (int32_t j = 0; j < n; ++j) st.segEntryBoxes[k][j] = entryList.entryBoxes[k][j];
    }
    clearSquareMap(st.entryMark);
    if (entryList.entryMode == kEntryModePath) {
        for (int32_t k = 0; k < entryList.entryCount; ++k) st.entryMark[st.segEntrySquare[k]] = 1;
    }
}

// Can a box on goal l be pulled off it on the board: two free squares in a line beside it. The
// nearer square is tested first, so a goal beside the border never reads past it.
bool pullableOff(const int32_t* board, int32_t l) {
    for (int32_t d = 0; d < 4; ++d) {
        const int32_t offset = level.dirOffset[d];
        if (board[l - offset] == 0 && board[l - 2 * offset] == 0) return true;
    }
    return false;
}

// Marks the goals no box may be pushed onto yet: a box there could never move again, and the
// goal is enclosed (2) or filling it now would lock boxes on other goals (1).
void markLockingGoals(int32_t n) {
    SegmentTables& st = segment;
    int32_t* board = analysis.analysisBoard;
    for (int32_t i = 0; i < n; ++i) {
        const int32_t g = analysis.goalList[i];
        if (st.entryMark[g] != 0) continue;
        board[g] = BOX;
        if (frozenTest(board, g) == 2) {
            bool enclosed = true;
            for (int32_t d = 0; d < 4; ++d) {
                const int32_t nb = g + level.dirOffset[d];
                if (board[nb] != WALL && analysis.squareClass[nb] == 0) enclosed = false;
            }
            if (enclosed) st.lockingGoal[g] = kEnclosedGoal;
            for (int32_t k = 0; k < n; ++k) board[analysis.goalList[k]] = BOX;
            for (bool changed = true; changed;) {
                changed = false;
                for (int32_t k = 0; k < n; ++k) {
                    const int32_t l = analysis.goalList[k];
                    if (l == g || board[l] != BOX || !pullableOff(board, l)) continue;
                    board[l] = 0;
                    changed = true;
                }
            }
            for (int32_t k = 0; k < n; ++k) {
                const int32_t l = analysis.goalList[k];
                if (l != g && board[l] == BOX) st.lockingGoal[g] = kLockingGoal;
            }
            for (int32_t k = 0; k < n; ++k) board[analysis.goalList[k]] = 0;
        }
        board[g] = 0;
    }
}

// Solves the level segment by segment from the analysed position and its entry list.
int32_t segmentLoop() {
    int32_t n = analysis.analysisBoxCount;
    if (n == 0) return kResultSolved;
    for (;;) {
        if (n > kCompanionTurnAbove) {
            if (companionStart() == kResultSolved) return kResultSolved;
            n = analysis.analysisBoxCount;
            if (n == 0) return kResultSolved;
        }
        copyForwardTables(n);
        markLockingGoals(n);
        segment.checkFailCount = 0;
        segment.checkFailCountFixed = 0;
        ThreadStats& stats = thread1Stats();
        stats.segment = stats.segmentsCommitted + 1;
        const int32_t r = segmentSearch();
        if (r != kResultSolved) return r;
        ++stats.segmentsCommitted;
        n = analysis.analysisBoxCount;
        if (n == 0) return kResultSolved;
    }
}

}  // namespace

int32_t mainPhase() {
    entryList.entryCount = 0;
    entryList.entryMode = kEntryModeNone;
    segment.segEntryCount = 0;
    segment.segEntryMode = kEntryModeNone;
    resetMainLine();
    int32_t r = prepareAnalysis(level.obstacleMap, level.pusherSquare);
    static_assert(kAnalysisAllOnGoals == kResultSolved, "a start with every box on a goal is solved");
    if (r != kAnalysisDone) {
        if (r == kAnalysisInfeasible) control.searchExhausted = 1;
        return r;
    }
    thread1Stats().phase = kStatsPhaseMain;
    thread1Stats().segmentTotal = analysis.analysisBoxCount;
    thread1Stats().segment = 1;
    companionStart();
    r = firstEntrySearch();
    if (r != kResultSolved) return r;
    return segmentLoop();
}

}  // namespace qm
