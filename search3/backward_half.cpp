#include "search3/backward_half.hpp"

#include <cstring>

#include "board/board.hpp"
#include "search/chain_walk.hpp"
#include "search/region_stamp.hpp"
#include "search/step_list.hpp"
#include "search3/assignment.hpp"
#include "search3/box_reach.hpp"
#include "search3/feature_level.hpp"
#include "search3/feature_position.hpp"
#include "search3/link_queue.hpp"

namespace qm {

namespace {

constexpr int32_t kBoundKeys = 4096;
constexpr int32_t kBackwardLink = 0;  // backward positions wait in no forward order

struct BackwardHalf {
    LinkQueue<kBackwardLink, kBoundKeys> queue;  // by the pulls still needed to the start
    uint8_t barred[kMaxSquares];   // squares no start box can be pushed to, and walls
    uint8_t rooted[kMaxSquares];   // free squares of the regions given a root so far
    uint64_t childSet[kMaxFloorWords];
    RegionStamp pullerRegion;      // the expanded position's puller
    RegionStamp childRegion;
    BoxReach reach;
    Assignment starts;             // boxes to the squares they start on, by pulls
    Meeting meeting;
    int64_t count = 0;             // positions stored
    int64_t maxNodes = 0;
    bool running = false;
};
BackwardHalf half;

// Marks as barred every square no box from the start can be pushed to on the empty floor: a
// box pulled there could never be met, and a box never comes back from it by pulls.
void markBarred() {
    BackwardHalf& h = half;
    const FeatureLevel& fl = featureLevel;
    for (int32_t s = 0; s < level.cellCount; ++s) {
        bool reached = false;
        for (int32_t k = 0; k < fl.boxCount && !reached; ++k) reached = h.starts.distance[k][s] < kNoPath;
        h.barred[s] = reached ? 0 : 1;
    }
}

uint64_t boxesHash(const FeaturePosition& p) {
    uint64_t hash = 0;
    for (int32_t j = 0; j < p.boxCount; ++j) hash ^= featureLevel.boxKey[p.boxes[j]];
    return hash;
}

FeatureNode* storeBackward(uint64_t hash, const uint64_t* set, int32_t pusher, FeatureNode* parent,
                           int32_t from, int32_t to, int32_t pulls, int32_t bound) {
    BackwardHalf& h = half;
    FeatureNode* node = h.count < h.maxNodes ? addFeatureNode(hash, set, pusher) : nullptr;
    if (node == nullptr) {
        h.running = false;
        return nullptr;
    }
    ++h.count;
    node->parent = parent;
    node->from = static_cast<int16_t>(from);
    node->to = static_cast<int16_t>(to);
    node->pushes = pulls;
    node->weight = 0;
    node->cell = 0;
    node->bound = static_cast<uint16_t>(bound);
    node->packing = node->outOfPlan = node->regions = 0;
    node->expanded = 1;
    node->side = kBackwardSide;
    h.queue.push(bound, node);
    return node;
}

// Whether the box on s0 has a pull at all.
bool pullable(const int32_t* board, int32_t s0) {
    const BackwardHalf& h = half;
    for (int32_t d = 0; d < 4; ++d) {
        const int32_t offset = level.dirOffset[d];
        if (h.pullerRegion.reached(s0 + offset) && board[s0 + 2 * offset] == 0 &&
            h.barred[s0 + offset] == 0)
            return true;
    }
    return false;
}

// The pulls of box j of the loaded position; kBackwardMet when one reaches a forward position.
int32_t pullBox(FeatureNode* node, int32_t j, uint64_t boxHash) {
    BackwardHalf& h = half;
    FeaturePosition& p = position;
    const FeatureLevel& fl = featureLevel;
    const int32_t s0 = p.boxes[j];
    if (!pullable(p.board, s0)) return kBackwardGoesOn;
    p.board[s0] = 0;
    labelBlocks(h.reach, p.board, s0);
    findPullDestinations(h.reach, p.board, h.barred, h.pullerRegion.stamp, h.pullerRegion.current, s0);
    int32_t result = kBackwardGoesOn;
    for (int32_t k = 0; k < h.reach.destinationCount && h.running; ++k) {
        const BoxDestination& dest = h.reach.destinations[k];
        const int32_t t = dest.square;
        if (t == s0) continue;
        const int32_t bound = costWithMovedBoxOn(h.starts, j, t);
        if (bound >= kNoPath) continue;
        int32_t pusher = smallestWithout(h.reach, t);
        if (pusher < 0) {
            p.board[t] = BOX;
            pusher = h.childRegion.fill(p.board, dest.pusher);
            p.board[t] = 0;
        }
        const uint64_t hash = boxHash ^ fl.boxKey[s0] ^ fl.boxKey[t] ^ fl.pusherKey[pusher];
        std::memcpy(h.childSet, node->boxSet(), sizeof(uint64_t) * static_cast<size_t>(fl.words));
        clearBoxBit(h.childSet, s0);
        setBoxBit(h.childSet, t);
        FeatureNode* found = findFeatureNode(hash, h.childSet, pusher);
        if (found != nullptr) {
            if (found->side != kForwardSide) continue;
            h.meeting = Meeting{found, static_cast<int16_t>(t), static_cast<int16_t>(s0),
                                node->pusher, node};
            result = kBackwardMet;
            break;
        }
        storeBackward(hash, h.childSet, pusher, node, s0, t, node->pushes + dest.pushes, bound);
    }
    p.board[s0] = BOX;
    return result;
}

}  // namespace

void startBackwardHalf(int64_t maxNodes) {
    BackwardHalf& h = half;
    FeaturePosition& p = position;
    const FeatureLevel& fl = featureLevel;
    h.queue.clear();
    h.count = 0;
    h.maxNodes = maxNodes;
    h.running = true;
    prepareDistances(h.starts, fl.board, fl.startBoxes, fl.boxCount, Travel::kPulled);
    markBarred();
    loadSquares(fl.goals, fl.boxCount);
    const int32_t rootBound = cheapestAssignment(h.starts, p.boxes, p.boxCount);
    if (rootBound >= kNoPath) {
        h.running = false;
        return;
    }
    const uint64_t boxes = boxesHash(p);
    std::memset(h.childSet, 0, sizeof(uint64_t) * static_cast<size_t>(fl.words));
    for (int32_t j = 0; j < fl.boxCount; ++j) setBoxBit(h.childSet, fl.goals[j]);
    // One root per region of the free floor: the pusher may end a solution in any of them.
    std::memset(h.rooted, 0, sizeof h.rooted);
    for (int32_t i = 0; i < fl.floorCount && h.running; ++i) {
        const int32_t s = fl.floorSquare[i];
        if (p.board[s] != 0 || h.rooted[s] != 0) continue;
        const int32_t smallest = h.pullerRegion.fill(p.board, s);
        for (int32_t k = i; k < fl.floorCount; ++k) {
            const int32_t q = fl.floorSquare[k];
            if (h.pullerRegion.reached(q)) h.rooted[q] = 1;
        }
        const uint64_t hash = boxes ^ fl.pusherKey[smallest];
        if (findFeatureNode(hash, h.childSet, smallest) != nullptr) continue;
        storeBackward(hash, h.childSet, smallest, nullptr, 0, 0, 0, rootBound);
    }
}

bool backwardRunning() { return half.running; }

int32_t expandBackward() {
    BackwardHalf& h = half;
    FeaturePosition& p = position;
    FeatureNode* node = h.queue.pop();
    if (node == nullptr) {
        h.running = false;
        return kBackwardIdle;
    }
    loadPosition(*node);
    h.pullerRegion.fill(p.board, node->pusher);
    const uint64_t boxHash = node->hash ^ featureLevel.pusherKey[node->pusher];
    cheapestAssignment(h.starts, p.boxes, p.boxCount);
    prepareMovedBoxes(h.starts, p.boxes, p.boxCount);
    for (int32_t j = 0; j < p.boxCount && h.running; ++j) {
        if (pullBox(node, j, boxHash) == kBackwardMet) return kBackwardMet;
    }
    return kBackwardGoesOn;
}

const Meeting& backwardMeeting() { return half.meeting; }

void writeMeetingSteps(const Meeting& meeting) {
    resetSteps();
    forEachStepOldestFirst(meeting.forwardEnd, [](FeatureNode*, FeatureNode* child) {
        appendStep(child->from, child->to, child->pusher);
    });
    appendStep(meeting.bridgeFrom, meeting.bridgeTo, meeting.bridgePusher);
    for (FeatureNode* node = meeting.backwardStart; node->parent != nullptr; node = node->parent) {
        appendStep(node->to, node->from, node->parent->pusher);
    }
}

}  // namespace qm
