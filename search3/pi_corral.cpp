#include "search3/pi_corral.hpp"

namespace qm {

namespace {

struct CorralWork {
    uint8_t emptyGoal[kMaxSquares];   // by label: the region holds a goal without a box
    uint8_t border[kMaxBoxes];        // by box: borders the region being judged
};
CorralWork cw;

bool bordersRegion(const CorralInput& in, int32_t s, int32_t r) {
    for (int32_t d = 0; d < 4; ++d) {
        const int32_t n = s + level.dirOffset[d];
        if (in.board[n] == 0 && in.label[n] == r) return true;
    }
    return false;
}

// The border boxes of region r when it is a corral of the prunable kind; 0 when it is not.
int32_t prunableBorder(const CorralInput& in, int32_t r) {
    int32_t count = 0, inward = 0;
    bool work = cw.emptyGoal[r] != 0;
    for (int32_t j = 0; j < in.boxCount; ++j) {
        const int32_t b = in.boxes[j];
        cw.border[j] = bordersRegion(in, b, r) ? 1 : 0;
        if (cw.border[j] == 0) continue;
        ++count;
        if (in.goalIndex[b] < 0) work = true;
        for (int32_t d = 0; d < 4; ++d) {
            const int32_t offset = level.dirOffset[d];
            const int32_t behind = b - offset, ahead = b + offset;
            if (in.board[ahead] != 0 || in.dead[ahead] != 0 || in.board[behind] == WALL) continue;
            const bool reachable = in.board[behind] == 0 && in.reach[behind] == in.reachStamp;
            const bool intoCorral = in.label[ahead] == r;
            if (reachable && !intoCorral) return 0;   // a push elsewhere: not I
            if (!reachable && intoCorral) return 0;   // a push in the pusher cannot make: not P
            if (intoCorral) ++inward;
        }
    }
    return work && inward > 0 ? count : 0;
}

}  // namespace

int32_t markCorralBoxes(const CorralInput& in, uint8_t* movable) {
    for (int32_t j = 0; j < in.boxCount; ++j) movable[j] = 1;
    if (in.regions <= 1) return in.boxCount;
    for (int32_t r = 0; r < in.regions; ++r) cw.emptyGoal[r] = 0;
    for (int32_t i = 0; i < in.goalCount; ++i) {
        const int32_t g = in.goals[i];
        if (in.board[g] == 0) cw.emptyGoal[in.label[g]] = 1;
    }
    int32_t best = -1, bestCount = 0;
    for (int32_t r = 0; r < in.regions; ++r) {
        if (r == in.pusherLabel) continue;
        const int32_t count = prunableBorder(in, r);
        if (count == 0 || (best >= 0 && count >= bestCount)) continue;
        best = r;
        bestCount = count;
    }
    if (best < 0) return in.boxCount;
    prunableBorder(in, best);
    for (int32_t j = 0; j < in.boxCount; ++j) movable[j] = cw.border[j];
    return bestCount;
}

}  // namespace qm
