#include "search3/feature_level.hpp"

#include <cstring>

#include "board/handover.hpp"

namespace qm {

FeatureLevel featureLevel;

namespace {

constexpr int32_t kUnreached = -1;

// Scratch of the preparation.
struct LevelScratch {
    int32_t queue[kMaxSquares];
    int32_t distance[kMaxSquares];
    int32_t region[kMaxSquares];
    int32_t work[kMaxSquares];      // walls and the goal boxes still in place
    uint8_t target[kMaxSquares];    // squares a box may be pulled back to
    uint8_t removed[kMaxBoxes];     // by goal index: taken out by the backward pass
};
LevelScratch prep;

uint64_t mixKey(uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// Marks with 1 in mark every square reachable from start over squares that are 0 on board.
void fillFrom(const int32_t* board, int32_t* mark, int32_t start) {
    int32_t count = 0;
    mark[start] = 1;
    prep.queue[count++] = start;
    for (int32_t head = 0; head < count; ++head) {
        const int32_t s = prep.queue[head];
        for (int32_t d = 0; d < 4; ++d) {
            const int32_t n = s + level.dirOffset[d];
            if (board[n] != 0 || mark[n] != 0) continue;
            mark[n] = 1;
            prep.queue[count++] = n;
        }
    }
}

// The floor: every square the pusher reaches from its start when no box stands anywhere.
void buildFloor(FeatureLevel& fl) {
    const int32_t cells = level.cellCount;
    for (int32_t s = 0; s < cells; ++s) fl.board[s] = handover.searchBoard[s] == WALL ? WALL : 0;
    std::memset(prep.region, 0, sizeof prep.region);
    fillFrom(fl.board, prep.region, fl.startPusher);
    fl.floorCount = 0;
    for (int32_t s = 0; s < cells; ++s) {
        fl.floorBit[s] = -1;
        if (prep.region[s] == 0) {
            fl.board[s] = WALL;
            continue;
        }
        fl.floorBit[s] = fl.floorCount;
        fl.floorSquare[fl.floorCount++] = s;
    }
    fl.words = (fl.floorCount + 63) / 64;
}

// Squares a box can be pulled to from some goal on the empty board are live; the rest dead.
void markDeadSquares(FeatureLevel& fl) {
    const int32_t cells = level.cellCount;
    for (int32_t s = 0; s < cells; ++s) fl.dead[s] = fl.board[s] == 0 ? 1 : 0;
    int32_t count = 0;
    for (int32_t i = 0; i < fl.boxCount; ++i) {
        const int32_t g = fl.goals[i];
        if (fl.dead[g] == 0) continue;
        fl.dead[g] = 0;
        prep.queue[count++] = g;
    }
    for (int32_t head = 0; head < count; ++head) {
        const int32_t s = prep.queue[head];
        for (int32_t d = 0; d < 4; ++d) {
            const int32_t n = s + level.dirOffset[d];
            const int32_t beyond = n + level.dirOffset[d];
            if (fl.board[n] != 0 || fl.board[beyond] != 0 || fl.dead[n] == 0) continue;
            fl.dead[n] = 0;
            prep.queue[count++] = n;
        }
    }
}

// Fewest pulls that bring the box on goal square g, pulled alone on work, to a target square;
// the first pull starts from a square of region. kUnreached when none does. The puller's walk
// between pulls is not checked: the answer orders the goals, it proves nothing.
int32_t pullsToTarget(int32_t g) {
    const int32_t cells = level.cellCount;
    int32_t* work = prep.work;
    for (int32_t s = 0; s < cells; ++s) prep.distance[s] = kUnreached;
    work[g] = 0;
    int32_t count = 0;
    for (int32_t d = 0; d < 4; ++d) {
        const int32_t n = g + level.dirOffset[d];
        const int32_t beyond = n + level.dirOffset[d];
        if (work[n] != 0 || work[beyond] != 0 || prep.region[n] == 0) continue;
        if (prep.distance[n] != kUnreached) continue;
        prep.distance[n] = 1;
        prep.queue[count++] = n;
    }
    int32_t found = kUnreached;
    for (int32_t head = 0; head < count && found == kUnreached; ++head) {
        const int32_t s = prep.queue[head];
        if (prep.target[s] != 0) {
            found = prep.distance[s];
            break;
        }
        for (int32_t d = 0; d < 4; ++d) {
            const int32_t n = s + level.dirOffset[d];
            const int32_t beyond = n + level.dirOffset[d];
            if (work[n] != 0 || work[beyond] != 0 || prep.distance[n] != kUnreached) continue;
            prep.distance[n] = prep.distance[s] + 1;
            prep.queue[count++] = n;
        }
    }
    work[g] = BOX;
    return found;
}

// The pusher's region on work: from its start square, or, when its start is taken or
// widen is set, from every free square.
void pusherRegion(const FeatureLevel& fl, bool widen) {
    const int32_t cells = level.cellCount;
    std::memset(prep.region, 0, sizeof prep.region);
    if (!widen && prep.work[fl.startPusher] == 0) {
        fillFrom(prep.work, prep.region, fl.startPusher);
        return;
    }
    for (int32_t s = 0; s < cells; ++s) {
        if (prep.work[s] == 0) prep.region[s] = 1;
    }
}

// The goal whose box comes out most easily, or -1.
int32_t easiestGoal(const FeatureLevel& fl) {
    int32_t best = -1, bestPulls = 0;
    for (int32_t i = 0; i < fl.boxCount; ++i) {
        if (prep.removed[i] != 0) continue;
        const int32_t pulls = pullsToTarget(fl.goals[i]);
        if (pulls == kUnreached) continue;
        if (best < 0 || pulls < bestPulls) {
            best = i;
            bestPulls = pulls;
        }
    }
    return best;
}

// The filling order, found backwards: from the solved position the box that can most easily be
// pulled back towards the squares the boxes start on is taken out, then the next; the goal
// emptied first is filled last. A goal none can be taken from ends the pass: the rest follow in
// list order.
void orderGoals(FeatureLevel& fl) {
    const int32_t cells = level.cellCount, n = fl.boxCount;
    std::memcpy(prep.work, fl.board, sizeof(int32_t) * cells);
    std::memset(prep.target, 0, sizeof prep.target);
    bool anyTarget = false;
    for (int32_t j = 0; j < n; ++j) {
        if (fl.goalIndex[fl.startBoxes[j]] >= 0) continue;
        prep.target[fl.startBoxes[j]] = 1;
        anyTarget = true;
    }
    // Boxes that all start on goals: any square off the goals will do.
    for (int32_t s = 0; s < cells && !anyTarget; ++s) {
        if (fl.board[s] == 0 && fl.goalIndex[s] < 0) prep.target[s] = 1;
    }
    for (int32_t i = 0; i < n; ++i) {
        prep.work[fl.goals[i]] = BOX;
        prep.removed[i] = 0;
    }
    int32_t rank = n - 1;
    for (; rank >= 0; --rank) {
        pusherRegion(fl, false);
        int32_t g = easiestGoal(fl);
        if (g < 0) {
            pusherRegion(fl, true);
            g = easiestGoal(fl);
        }
        if (g < 0) break;
        prep.removed[g] = 1;
        prep.work[fl.goals[g]] = 0;
        fl.fillRank[g] = rank;
    }
    for (int32_t i = n - 1; i >= 0 && rank >= 0; --i) {
        if (prep.removed[i] == 0) fl.fillRank[i] = rank--;
    }
}

}  // namespace

void prepareFeatureLevel() {
    FeatureLevel& fl = featureLevel;
    const int32_t cells = level.cellCount;
    fl.boxCount = handover.t2BoxCount;
    fl.startPusher = handover.t2PusherSquare;
    for (int32_t j = 0; j < fl.boxCount; ++j) {
        fl.startBoxes[j] = handover.t2StartBoxes[j];
        fl.goals[j] = handover.t2Goals[j];
    }
    buildFloor(fl);
    for (int32_t s = 0; s < cells; ++s) fl.goalIndex[s] = -1;
    for (int32_t i = 0; i < fl.boxCount; ++i) fl.goalIndex[fl.goals[i]] = i;
    markDeadSquares(fl);
    for (int32_t s = 0; s < cells; ++s) fl.liveMask[s] = fl.board[s] == 0 && fl.dead[s] == 0 ? 1 : 0;
    for (int32_t s = 0; s < cells; ++s) {
        fl.boxKey[s] = mixKey(static_cast<uint64_t>(s) * 2 + 1);
        fl.pusherKey[s] = mixKey(static_cast<uint64_t>(s) * 2 + 2 + (uint64_t{1} << 40));
    }
    orderGoals(fl);
}

}  // namespace qm
