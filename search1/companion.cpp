#include "search1/companion.hpp"

#include <cstring>

#include "board/analysis.hpp"
#include "board/fills.hpp"
#include "board/phase_tables.hpp"
#include "board/single_box.hpp"
#include "board/solution.hpp"
#include "search1/corral.hpp"
#include "search1/main_line.hpp"
#include "search/mask_rows.hpp"
#include "solver/blocks.hpp"
#include "solver/control.hpp"

namespace qm {

Companion companion;

namespace {

constexpr double kPushFactor = 5.0;
constexpr double kPullFactor = 0.8;
// Push expansions wait for this many open pull nodes, and then run only while bit 11 or 12
// of the open pull count is set.
constexpr int32_t kPushThrottleOpen = 12'288;
constexpr int32_t kPushThrottleBits = 6'144;
// Rounds per slice: dense or small levels get 4, levels of at most 12 boxes 2, others 1.
constexpr int32_t kDenseRoundsPerMille = 300;
constexpr int32_t kFewBoxes = 9;
constexpr int32_t kMediumBoxes = 12;

void restoreRow(int32_t j) { copyMatrixRow(companion.matrix, companion.savedMatrix, j); }

// Squares a box may end a macro move on; with notGoalOrOrdinary, goals of class 1 are left out.
int32_t countCandidateSquares(bool notGoalOrOrdinary) {
    int32_t count = 0;
    for (int32_t s = 0; s < level.cellCount; ++s) {
        if (analysis.goalReachMask[s] == 0 || analysis.squareClass[s] == 2) continue;
        if (notGoalOrOrdinary && analysis.squareClass[s] != 0 && level.goalMap[s] != 0) continue;
        ++count;
    }
    return count;
}

// Counts the node's boxes in its side's visits; its priority is the number of boxes standing
// where the other side's visits reach the threshold.
int32_t countWellVisited(int32_t* ownVisits, const int32_t* otherVisits) {
    int32_t priority = 0;
    for (int32_t i = 0; i < phase.phaseBoxCount; ++i) {
        const int32_t s = phase.phaseBoxes[i];
        ++ownVisits[s];
        if (otherVisits[s] >= companion.meetThreshold) ++priority;
    }
    return priority;
}

int32_t insertState(int32_t movedBox, int32_t p, int32_t origin) {
    CompanionSearch& s = companion.search;
    CompanionNode* node = nullptr;
    const int32_t found = findOrStore(s, movedBox, p, origin, &node);
    if (found != kStoredNew) return found;
    if (origin == kOriginPull) {
        s.pullQueue.push(countWellVisited(phase.pullVisits, phase.pushVisits), node);
    } else {
        s.pushQueue.push(countWellVisited(phase.pushVisits, phase.pullVisits), node);
    }
    return kBidiGoesOn;
}

// Loads the popped node's rows of the matrix from mask: one row per box.
void loadRows(const uint64_t* mask) {
    const int32_t n = phase.phaseBoxCount;
    for (int32_t i = 0; i < n; ++i) writeMaskRow(companion.matrix, i, mask[phase.phaseBoxes[i]], n);
    std::memcpy(companion.savedMatrix, companion.matrix, sizeof(companion.matrix));
}

// A move to t that changes the box's mask must leave the boxes assignable to their targets.
bool stillAssignable(const MoveCandidate& m, const uint64_t* mask) {
    if (mask[m.to] == mask[m.from]) return true;
    const int32_t n = phase.phaseBoxCount;
    writeMaskRow(companion.matrix, m.box, mask[m.to], n);
    return assignmentFeasible(companion.matrix, n, 0) != 0;
}

template <bool kPull>
int32_t expand() {
    CompanionSearch& s = companion.search;
    CompanionNode* node = popAndLoad(s, kPull);
    if (node == nullptr) return kBidiEmptyQueue;
    const double factor = kPull ? companion.pullThresholdFactor : companion.pushThresholdFactor;
    const int32_t otherOpen = kPull ? s.pushQueue.open : s.pullQueue.open;
    companion.meetThreshold = static_cast<int32_t>(otherOpen * factor);
    const uint64_t* mask = kPull ? phase.pullMask : phase.pushMask;
    loadRows(mask);

    const int32_t n = phase.phaseBoxCount;
    const int32_t origin = kPull ? kOriginPull : kOriginGenerated;
    auto accept = [&](const MoveCandidate& m) {
        if constexpr (kPull) {
            return stillAssignable(m, mask);
        } else {
            if (frozenTest(phase.phaseBoard, m.to) == 1) return false;
            if (!stillAssignable(m, mask)) return false;
            return corralTest(companionCorral, phase.phaseBoard, phase.phaseBoxes, n, m.to,
                              m.pusher, m.region) == kCorralNotProved;
        }
    };
    auto insert = [&](int32_t j, int32_t p) { return insertState(j, p, origin); };
    int32_t result = kBidiGoesOn;
    for (int32_t j = 0; j < n && result == kBidiGoesOn; ++j) {
        if (j == node->movedBox) continue;
        result = macroMoves<kPull>(j, mask, accept, insert);
        restoreRow(j);
    }
    liftPhaseBoxes();
    return result;
}

// Puts the companion's current main-line position on phaseBoard.
void placeCompanionBoxes() {
    for (int32_t i = 0; i < phase.phaseBoxCount; ++i) {
        phase.phaseBoxes[i] = companion.companionBoxes[i];
        phase.phaseBoard[phase.phaseBoxes[i]] = BOX;
    }
}

// Writes the solution of a meeting, or of a main-line state met during the catch-up.
bool writeMeeting(int32_t catchUpOrigin, CompanionNode* found) {
    if (catchUpOrigin >= 0) return assembleFromMainLine(catchUpOrigin, found);
    return assembleHalves(companion.search);
}

// After a failed assembly the solution text holds the main phase's committed transfers again.
void restoreMainLineText() {
    resetSolution();
    for (int32_t i = 0; i < mainLine.mainLineLength; ++i) {
        const MainLineEntry& e = mainLine.entries[i];
        appendBoxTransfer(e.to, e.pusher, e.from);
    }
}

bool finishMeeting(int32_t catchUpOrigin, CompanionNode* found) {
    if (writeMeeting(catchUpOrigin, found)) {
        control.secondaryState = kCompanionSolved;
        return true;
    }
    restoreMainLineText();
    control.secondaryState = kCompanionFull;
    return false;
}

void firstStart() {
    loadPhaseTables();
    const int32_t n = phase.phaseBoxCount;
    const int32_t squares = countCandidateSquares(false);
    // Without a candidate square there is nothing to scale by: thresholds stay 0.
    companion.pushThresholdFactor = squares == 0 ? 0.0 : n * kPushFactor / squares;
    companion.pullThresholdFactor = squares == 0 ? 0.0 : n * kPullFactor / squares;
    std::memcpy(companion.companionBoxes, phase.phaseBoxes, sizeof(int32_t) * n);

    // Block 1 was cleared when thread 1 started: every slot reads free.
    startBidiSearch(companion.search, blocks.layout1.companionTable, kCompanionSlots,
                    kCompanionNodeLimit);
    resetCorral(companionCorral, blocks.layout1.companionCorralTable, phase.pushMask,
                phase.phaseBoard, true);
    companion.meetThreshold = 0;
    companion.companionInserted = mainLine.mainLineLength;

    insertState(kNoMovedBox, analysis.analysisPusherSquare, mainLine.mainLineLength);
    liftPhaseBoxes();
    insertSolvedRoots([](int32_t p) { insertState(kNoMovedBox, p, kOriginPull); });

    control.secondaryState = kCompanionRunning;
    companion.companionRounds = 1;
    const int32_t k = countCandidateSquares(true);
    const bool dense = k == 0 || static_cast<int32_t>(static_cast<double>(n) / k * 1000 + 0.5) >=
                                     kDenseRoundsPerMille;
    if (dense || n < kFewBoxes) companion.companionRounds = 4;
    else if (n <= kMediumBoxes) companion.companionRounds = 2;
}

int32_t catchUp() {
    CompanionSearch& s = companion.search;
    s.currentNode = nullptr;
    placeCompanionBoxes();
    int32_t* reach = macroScratch.rootReach;
    int32_t i = companion.companionInserted;
    for (; i < mainLine.mainLineLength; ++i) {
        const MainLineEntry& e = mainLine.entries[i];
        if (!applyMainLineEntry(e.from, e.to)) {
            // The line does not fit the companion's position: it cannot follow it any more.
            liftPhaseBoxes();
            control.secondaryState = kCompanionFull;
            return kResultNoLevel;
        }
        clearSquareMap(reach);
        const int32_t r = insertState(kNoMovedBox, reachFill(phase.phaseBoard, reach, e.pusher), i + 1);
        if (r == kResultSolved) {
            liftPhaseBoxes();
            return finishMeeting(i + 1, s.meetSlot) ? kResultSolved : kResultNoLevel;
        }
        if (r == kResultFailed) {
            liftPhaseBoxes();
            control.secondaryState = kCompanionFull;
            return kResultNoLevel;
        }
    }
    std::memcpy(companion.companionBoxes, phase.phaseBoxes, sizeof(int32_t) * phase.phaseBoxCount);
    liftPhaseBoxes();
    companion.companionInserted = i;
    return kBidiGoesOn;
}

}  // namespace

int32_t companionStart() {
    const int32_t state = control.secondaryState;
    if (state == kCompanionNotStarted) {
        if (analysis.analysisBoxCount > kCompanionMaxBoxes) return kBidiGoesOn;
        firstStart();
        return kBidiGoesOn;
    }
    if (state != kCompanionRunning) return kBidiGoesOn;
    return catchUp();
}

int32_t companionSlice() {
    if (control.secondaryState != kCompanionRunning) return kBidiGoesOn;
    for (int32_t round = 0; round < companion.companionRounds; ++round) {
        int32_t r = pullExpand();
        if (r == kBidiGoesOn) r = pushExpand();
        if (r == kBidiGoesOn) continue;
        if (r == kResultSolved) {
            if (!assembleSolution()) return kResultFailed;
            analysis.analysisBoxCount = 0;
            return kResultSolved;
        }
        if (r == kResultFailed) control.secondaryState = kCompanionFull;
        return r;
    }
    return kBidiGoesOn;
}

int32_t pullExpand() { return expand<true>(); }

int32_t pushExpand() {
    const int32_t open = companion.search.pullQueue.open;
    if (open < kPushThrottleOpen || (open & kPushThrottleBits) == 0) return kBidiGoesOn;
    return expand<false>();
}

bool assembleSolution() { return finishMeeting(-1, nullptr); }

}  // namespace qm
