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
// Backward positions wait in no forward order, so they use the forward orders' links.
constexpr int32_t kStartLink = 0;
constexpr int32_t kLineLink = 1;
// Bits of a backward record's `expanded`: taken by the start's order, by the line's.
constexpr uint8_t kExpandedForStart = 1;
constexpr uint8_t kExpandedForLine = 2;
constexpr int64_t kLineTurnEvery = 8;  // backward expansions per turn of the line's order

// A backward record keeps its bound to the start in `bound`, its bound to the line's position in
// `weight`, and the line's generation that bound belongs to in `cell`.
struct BackwardHalf {
    Assignment starts;              // boxes to the squares they start on, by pulls
    Assignment line;                // boxes to the squares of thread 1's line position
    LinkQueue<kStartLink, kBoundKeys> startQueue;  // by the bound to the start
    LinkQueue<kLineLink, kBoundKeys> lineQueue;    // by the bound to the line's position
    uint16_t lineGeneration = 0;    // 0 while there is no line position to aim at
    int64_t turn = 0;
    uint8_t barred[kMaxSquares];    // squares no start box can be pushed to, and walls
    uint8_t rooted[kMaxSquares];    // free squares of the regions given a root so far
    FeatureNode* roots[kMaxSquares];
    int32_t rootCount = 0;
    uint64_t childSet[kMaxFloorWords];
    RegionStamp pullerRegion;       // the expanded position's puller
    RegionStamp childRegion;
    BoxReach reach;
    Meeting meeting;
    int64_t count = 0;              // positions stored
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

uint16_t boundWord(int32_t bound) { return static_cast<uint16_t>(bound < kNoPath ? bound : kNoPath); }

// Gives a record the bound to the current line position and queues it for the line's order.
void aimAtLine(FeatureNode* node, int32_t lineBound) {
    BackwardHalf& h = half;
    node->weight = boundWord(lineBound);
    node->cell = h.lineGeneration;
    node->expanded = static_cast<uint8_t>(node->expanded & ~kExpandedForLine);
    if (lineBound < kNoPath) h.lineQueue.push(lineBound, node);
}

// Gives a record its bound to the start and queues it for the start's order.
void aimAtStart(FeatureNode* node, int32_t bound) {
    node->bound = boundWord(bound);
    if (bound < kNoPath) half.startQueue.push(bound, node);
}

// Stores a pulled position; it waits in the order whose expansion made it, with that order's
// bound (kNoPath for the other until an expansion of the other order meets it).
FeatureNode* storeBackward(uint64_t hash, const uint64_t* set, int32_t pusher, FeatureNode* parent,
                           int32_t from, int32_t to, int32_t pulls, int32_t bound, bool forLine) {
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
    node->packing = node->outOfPlan = node->regions = 0;
    node->expanded = 0;
    node->side = kBackwardSide;
    node->bound = boundWord(kNoPath);
    node->weight = boundWord(kNoPath);
    node->cell = 0;
    if (forLine) aimAtLine(node, bound);
    else aimAtStart(node, bound);
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

// The pulls of box j of the loaded position, for the line's order or the start's; kBackwardMet
// when one reaches a forward position.
int32_t pullBox(FeatureNode* node, int32_t j, uint64_t boxHash, bool forLine) {
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
        // A position the boxes of the line's position can be pulled back to can also be pulled back
        // to the start, from which the line's position was reached.
        const int32_t bound = costWithMovedBoxOn(forLine ? h.line : h.starts, j, t);
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
        if (found == nullptr) {
            storeBackward(hash, h.childSet, pusher, node, s0, t, node->pushes + dest.pushes, bound, forLine);
            continue;
        }
        if (found->side == kForwardSide) {
            h.meeting = Meeting{found, static_cast<int16_t>(t), static_cast<int16_t>(s0),
                                node->pusher, node};
            result = kBackwardMet;
            break;
        }
        // Stored by the other order, or while the line's order aimed elsewhere: it may lead to
        // this order's aim too.
        if (forLine && found->cell != h.lineGeneration) aimAtLine(found, bound);
        if (!forLine && found->bound >= kNoPath) aimAtStart(found, bound);
    }
    p.board[s0] = BOX;
    return result;
}

// The record of least bound to the line's position not yet expanded for it; nullptr when none.
FeatureNode* popForLine() {
    BackwardHalf& h = half;
    for (FeatureNode* node = h.lineQueue.pop(); node != nullptr; node = h.lineQueue.pop()) {
        if (node->cell != h.lineGeneration || (node->expanded & kExpandedForLine) != 0) continue;
        node->expanded |= kExpandedForLine;
        return node;
    }
    return nullptr;
}

// The record of least bound to the start not yet expanded for it; nullptr when none.
FeatureNode* popForStart() {
    BackwardHalf& h = half;
    for (FeatureNode* node = h.startQueue.pop(); node != nullptr; node = h.startQueue.pop()) {
        if ((node->expanded & kExpandedForStart) != 0) continue;
        node->expanded |= kExpandedForStart;
        return node;
    }
    return nullptr;
}

// The next record to expand: the line's order takes one turn in kLineTurnEvery while there is a
// line position to aim at, and either order stands in when the other has none waiting; forLine
// tells which gave it. nullptr when neither has one.
FeatureNode* nextBackward(bool& forLine) {
    BackwardHalf& h = half;
    const bool lineTurn = h.lineGeneration != 0 && ++h.turn % kLineTurnEvery == 0;
    FeatureNode* node = lineTurn ? popForLine() : popForStart();
    forLine = lineTurn;
    if (node == nullptr) {
        node = lineTurn ? popForStart() : popForLine();
        forLine = !lineTurn;
    }
    return node;
}

}  // namespace

void startBackwardHalf(int64_t maxNodes) {
    BackwardHalf& h = half;
    FeaturePosition& p = position;
    const FeatureLevel& fl = featureLevel;
    h.startQueue.clear();
    h.lineQueue.clear();
    h.lineGeneration = 0;
    h.turn = 0;
    h.rootCount = 0;
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
        FeatureNode* root = storeBackward(hash, h.childSet, smallest, nullptr, 0, 0, 0, rootBound, false);
        if (root != nullptr) h.roots[h.rootCount++] = root;
    }
}

void aimBackwardAt(const int32_t* boxes, int32_t n) {
    BackwardHalf& h = half;
    const FeatureLevel& fl = featureLevel;
    if (!h.running || n != fl.boxCount) return;
    prepareDistances(h.line, fl.board, boxes, n, Travel::kPulled);
    h.lineQueue.clear();
    h.lineGeneration = static_cast<uint16_t>(h.lineGeneration == 0xFFFF ? 1 : h.lineGeneration + 1);
    const int32_t rootBound = cheapestAssignment(h.line, fl.goals, fl.boxCount);
    for (int32_t i = 0; i < h.rootCount; ++i) aimAtLine(h.roots[i], rootBound);
}

bool backwardRunning() { return half.running; }

int32_t expandBackward() {
    BackwardHalf& h = half;
    FeaturePosition& p = position;
    bool forLine = false;
    FeatureNode* node = nextBackward(forLine);
    if (node == nullptr) {
        h.running = false;
        return kBackwardIdle;
    }
    loadPosition(*node);
    h.pullerRegion.fill(p.board, node->pusher);
    const uint64_t boxHash = node->hash ^ featureLevel.pusherKey[node->pusher];
    Assignment& aim = forLine ? h.line : h.starts;
    cheapestAssignment(aim, p.boxes, p.boxCount);
    prepareMovedBoxes(aim, p.boxes, p.boxCount);
    for (int32_t j = 0; j < p.boxCount && h.running; ++j) {
        if (pullBox(node, j, boxHash, forLine) == kBackwardMet) return kBackwardMet;
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
