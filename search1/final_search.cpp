#include "search1/final_search.hpp"

#include <cstring>

#include "board/analysis.hpp"
#include "board/fills.hpp"
#include "board/phase_tables.hpp"
#include "search1/corral.hpp"
#include "search1/main_line.hpp"
#include "solver/blocks.hpp"
#include "solver/control.hpp"

namespace qm {

FinalSearch finalTables;

namespace {

constexpr int32_t kRemotenessBands = 7;
constexpr double kRemotenessScale = 7.5;
constexpr int32_t kPullsPerPush = 3;

// Squares a box may end a macro move on whose bands are tracked.
void buildBandSquares() {
    phase.bandSquareCount = 0;
    for (int32_t s = 0; s < level.cellCount; ++s) {
        if (analysis.goalReachMask[s] != 0 && analysis.squareClass[s] != 2) {
            phase.bandSquares[phase.bandSquareCount++] = s;
        }
    }
}

// How far a square lies from the goals, in eight bands: the sum of walking distances from every
// goal, spread over 0 .. 7 between the nearest and the farthest square a box can reach.
void computeGoalRemoteness() {
    const int32_t cells = level.cellCount;
    int32_t* walls = macroScratch.wallBoard;
    int32_t* distance = macroScratch.distance;
    int32_t* sum = phase.goalRemoteness;  // sums first, banded in place at the end
    for (int32_t s = 0; s < cells; ++s) {
        walls[s] = analysis.analysisBoard[s] == WALL ? WALL : 0;
        sum[s] = 0;
    }
    for (int32_t i = 0; i < analysis.analysisBoxCount; ++i) {
        distanceFill(walls, distance, analysis.goalList[i]);
        for (int32_t s = 0; s < cells; ++s) {
            if (analysis.boxReachMask[s] != 0) sum[s] += distance[s];
        }
    }
    int32_t smallest = 0;
    for (int32_t s = 0; s < cells; ++s) {
        if (sum[s] != 0 && (smallest == 0 || sum[s] < smallest)) smallest = sum[s];
    }
    int32_t largest = 0;
    for (int32_t s = 0; s < cells; ++s) {
        if (sum[s] != 0) sum[s] -= smallest;
        if (sum[s] > largest) largest = sum[s];
    }
    for (int32_t s = 0; s < cells; ++s) {
        // Equal sums everywhere carry no direction: every square gets band 0.
        const int32_t band =
            largest == 0 ? 0 : static_cast<int32_t>(sum[s] * kRemotenessScale / largest);
        phase.goalRemoteness[s] = band < kRemotenessBands ? band : kRemotenessBands;
    }
}

int32_t pullPriority() {
    int32_t priority = 0;
    for (int32_t i = 0; i < phase.phaseBoxCount; ++i) {
        const int32_t s = phase.phaseBoxes[i];
        ++phase.pullVisits[s];
        priority += phase.goalRemoteness[s] + phase.crossBand7[s];
    }
    return priority;
}

int32_t pushPriority() {
    int32_t across7 = 0, remote = 0, across14 = 0;
    for (int32_t i = 0; i < phase.phaseBoxCount; ++i) {
        const int32_t s = phase.phaseBoxes[i];
        ++phase.pushVisits[s];
        across7 += phase.crossBand7[s];
        remote += phase.goalRemoteness[s];
        across14 += phase.crossBand14[s];
    }
    return across7 <= remote ? across7 + remote : across14;
}

// Stores the state of phaseBoard / phaseBoxes with pusher p and queues it on its side.
// Returns 1 (stored or known), 8 (meeting) or 9 (table full).
int32_t insertState(int32_t movedBox, int32_t p, int32_t origin) {
    FinalSearch& s = finalTables;
    MeetNode* node = nullptr;
    const int32_t found = findOrStore(s, movedBox, p, origin, &node);
    if (found != kStoredNew) return found;
    const bool pull = origin == kOriginPull;
    int32_t priority = pull ? pullPriority() : pushPriority();
    if (priority < 0) priority = 0;
    if (priority >= kFinalBuckets) priority = kFinalBuckets - 1;
    (pull ? s.pullQueue : s.pushQueue).push(priority, node);
    return kBidiGoesOn;
}

// Inserts the states along the main line that end a segment, as push-side roots. An entry that
// does not fit the position ends the roots: later states could not be replayed.
void insertMainLineStates() {
    int32_t* reach = macroScratch.rootReach;
    for (int32_t i = 0; i < mainLine.mainLineLength; ++i) {
        const MainLineEntry& e = mainLine.entries[i];
        if (!applyMainLineEntry(e.from, e.to)) break;
        if (e.segmentEnd == 0) continue;
        clearSquareMap(reach);
        insertState(kNoMovedBox, reachFill(phase.phaseBoard, reach, e.pusher), i + 1);
    }
}

void setUp() {
    prepareAnalysis(level.obstacleMap, level.pusherSquare);
    loadPhaseTables();
    buildBandSquares();

    // The block was cleared before the search: every slot and corral entry reads empty.
    startBidiSearch(finalTables, blocks.layout1.meetTable, kMeetTableSlots, kMeetNodeLimit);
    resetCorral(finalCorral, blocks.layout1.finalCorralTable, phase.pushMask, phase.phaseBoard,
                false);
    computeGoalRemoteness();

    insertState(kNoMovedBox, analysis.analysisPusherSquare, kOriginStart);
    insertMainLineStates();
    liftPhaseBoxes();
    insertSolvedRoots([](int32_t p) { insertState(kNoMovedBox, p, kOriginPull); });
}

// One expansion of a side: 1 expanded, 8 meeting, 9 side empty (searchExhausted) or table full.
template <bool kPull>
int32_t expand() {
    FinalSearch& s = finalTables;
    MeetNode* node = popAndLoad(s, kPull);
    if (node == nullptr) {
        control.searchExhausted = 1;
        return kResultFailed;
    }
    // The bands always describe the side opposite to the nodes about to be inserted.
    bandDistances(kPull ? phase.pushVisits : phase.pullVisits);
    const int32_t n = phase.phaseBoxCount;
    const uint64_t* mask = kPull ? phase.pullMask : phase.pushMask;
    const int32_t origin = kPull ? kOriginPull : kOriginGenerated;
    auto accept = [&](const MoveCandidate& m) {
        if constexpr (kPull) return true;
        if (deadlockTest(m.to, m.pusher) != 0) return false;
        return corralTest(finalCorral, phase.phaseBoard, phase.phaseBoxes, n, m.to, m.pusher,
                          m.region) == kCorralNotProved;
    };
    auto insert = [&](int32_t j, int32_t p) { return insertState(j, p, origin); };
    int32_t result = kBidiGoesOn;
    for (int32_t j = 0; j < n && result == kBidiGoesOn; ++j) {
        if (j == node->movedBox) continue;
        result = macroMoves<kPull>(j, mask, accept, insert);
    }
    liftPhaseBoxes();
    return result;
}

}  // namespace

int32_t finalSearch() {
    setUp();
    FinalSearch& s = finalTables;
    while (!stopOrDeadlinePassed()) {
        int32_t result = kBidiGoesOn;
        for (int32_t k = 0; k < kPullsPerPush && result == kBidiGoesOn; ++k) result = expand<true>();
        if (result == kBidiGoesOn) result = expand<false>();
        if (result == kBidiGoesOn) continue;
        if (result != kResultSolved) return result;
        // A transfer that cannot be written must not pass for a solution.
        return assembleHalves(s) ? kResultSolved : kResultFailed;
    }
    return kResultTimeout;
}

}  // namespace qm
