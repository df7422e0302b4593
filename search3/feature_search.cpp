#include "search3/feature_search.hpp"

#include <bit>
#include <cstring>

#include "board/board.hpp"
#include "search/chain_walk.hpp"
#include "search/corral.hpp"
#include "search/region_stamp.hpp"
#include "search/step_list.hpp"
#include "search3/assignment.hpp"
#include "search3/backward_half.hpp"
#include "search3/box_reach.hpp"
#include "search3/feature_cells.hpp"
#include "search3/feature_level.hpp"
#include "search3/feature_orders.hpp"
#include "search3/feature_position.hpp"
#include "search3/feature_table.hpp"
#include "search3/freeze_test.hpp"
#include "search3/line_follow.hpp"
#include "solver/control.hpp"
#include "solver/solve_stats.hpp"

namespace qm {

namespace {

constexpr int32_t kMaxCandidates = 1 << 17;  // children of one expansion judged together
constexpr int32_t kNoAdvice = -1;
constexpr int32_t kProgressEvery = 64;       // expansions between progress counts
constexpr int64_t kBackwardShareDivisor = 2; // the backward half stores at most this part of the table
constexpr int64_t kAimSeconds = 2;           // between two aims of the backward half

// The feature search's corral test; its table follows the cells' queues in the search's memory.
constexpr uint32_t kFeatureCorralSlots = 1'000'003;
constexpr CorralLimits kFeatureCorralLimits = {kFeatureCorralSlots, 900'000, 200, true, false,
                                               CorralClock::kUntilDeadline, CorralFreeze::kOffGoal,
                                               false};
using FeatureCorral = CorralInstance<18>;
constexpr size_t kFeatureCorralBytes = sizeof(FeatureCorral::Entry) * kFeatureCorralSlots;
FeatureCorral featureCorral{kFeatureCorralLimits};

// A child of the position being expanded, before it is stored.
struct Candidate {
    uint64_t hash;
    int32_t bound;   // the assignment bound
    int32_t pushes;  // from the start
    int16_t from, to, pusher;
    uint8_t packing, outOfPlan, regions;
    uint8_t known;   // 1 when the table already holds it
};

// The tables of one search; the second core's only while it runs the feature search.
struct FeatureWork {
    uint64_t childSet[kMaxFloorWords]; // a child's box set while it is looked up or stored
    RegionStamp pusherRegion;          // the region of the expanded position's pusher
    RegionStamp childRegion;           // a child's region when the blocks do not tell it
    BoxReach reach;
    Candidate candidates[kMaxCandidates];
    int32_t candidateCount = 0;
    FeatureNode* solvedNode = nullptr;
    Meeting meeting;                   // set when a forward move reaches a pulled position
    bool met = false;
    bool joined = false;               // the solution written joins the two halves
    int32_t backwardEvery = 0;         // forward expansions per backward one; 0 for none
    FeatureNode* lineNode = nullptr;   // the record of thread 1's line followed so far
    int64_t lastAim = 0;               // when the backward half last took a new aim, in seconds
    bool newSegmentEnd = false;        // a segment end of the line it has not aimed at
    bool tableFull = false;
};
FeatureWork work;

uint16_t cellOrFirst(int32_t packing, int32_t outOfPlan, int32_t regions) {
    const uint16_t cell = cellOf(packing, outOfPlan, regions);
    return cell == kNoCell ? 0 : cell;
}

uint8_t countByte(int32_t n) { return static_cast<uint8_t>(n > 255 ? 255 : n); }

// Whether the box on s0 has a push at all.
bool pushable(int32_t s0) {
    const FeaturePosition& p = position;
    for (int32_t d = 0; d < 4; ++d) {
        const int32_t offset = level.dirOffset[d];
        if (work.pusherRegion.reached(s0 - offset) && p.board[s0 + offset] == 0 &&
            featureLevel.dead[s0 + offset] == 0)
            return true;
    }
    return false;
}

// Whether the position loaded, reached by a move onto t, has a corral next to t that can never be
// opened or filled. The test runs when a position is taken for expansion rather than when it is
// made: most positions made are never taken.
bool corralDead(const FeatureNode& node) {
    const FeaturePosition& p = position;
    if (node.parent == nullptr || p.regions <= 1) return false;
    return corralTest(featureCorral, p.board, p.boxes, p.boxCount, node.to, node.pusher, nullptr) ==
           kCorralDeadlock;
}

// The children of moving box j anywhere it can go alone, added to the candidates.
void collectBoxMoves(const FeatureNode& node, int32_t j, uint64_t boxHash) {
    FeatureWork& w = work;
    FeaturePosition& p = position;
    const FeatureLevel& fl = featureLevel;
    const int32_t s0 = p.boxes[j];
    if (!pushable(s0)) return;
    const int32_t lifted = regionsWithLifted(s0);
    p.board[s0] = 0;
    labelBlocks(w.reach, p.board, s0);
    findDestinations(w.reach, p.board, fl.dead, w.pusherRegion.stamp, w.pusherRegion.current, s0);
    const uint64_t maskWithout = p.rankMask & ~rankBit(s0);
    for (int32_t k = 0; k < w.reach.destinationCount && w.candidateCount < kMaxCandidates; ++k) {
        const BoxDestination& dest = w.reach.destinations[k];
        const int32_t t = dest.square;
        const int32_t childRegions = lifted - 1 + piecesWithBoxOn(w.reach, t);
        p.board[t] = BOX;
        if (t != s0 && frozenOffGoal(p.board, fl.dead, fl.goalIndex, t)) {
            p.board[t] = 0;
            continue;
        }
        int32_t pusher = smallestWithout(w.reach, t);
        if (pusher < 0) pusher = w.childRegion.fill(p.board, dest.pusher);
        p.board[t] = 0;
        const int32_t bound = costWithMovedBoxOn(goalAssignment, j, t);
        if (bound >= kNoPath) continue;  // some box can no longer reach a goal of its own
        const uint64_t mask = maskWithout | rankBit(t);
        Candidate& c = w.candidates[w.candidateCount++];
        c.hash = boxHash ^ fl.boxKey[s0] ^ fl.boxKey[t] ^ fl.pusherKey[pusher];
        c.bound = bound;
        c.pushes = node.pushes + dest.pushes;
        c.from = static_cast<int16_t>(s0);
        c.to = static_cast<int16_t>(t);
        c.pusher = static_cast<int16_t>(pusher);
        c.packing = countByte(std::popcount(mask));
        c.outOfPlan = countByte(outOfPlanOf(mask));
        c.regions = countByte(childRegions);
        c.known = 0;
    }
    p.board[s0] = BOX;
}

// Writes the child's box set into childSet.
void childBoxes(const FeatureNode& parent, const Candidate& c) {
    std::memcpy(work.childSet, parent.boxSet(), sizeof(uint64_t) * static_cast<size_t>(featureLevel.words));
    clearBoxBit(work.childSet, c.from);
    setBoxBit(work.childSet, c.to);
}

// The candidate the packing advisor proposes: one that fills a goal, the fewest goals out of
// plan first, then the earliest rank. kNoAdvice when none fills one.
int32_t packingAdvice(const FeatureNode& node) {
    const FeatureLevel& fl = featureLevel;
    int32_t best = kNoAdvice;
    for (int32_t i = 0; i < work.candidateCount; ++i) {
        const Candidate& c = work.candidates[i];
        if (c.known != 0 || c.packing <= node.packing) continue;
        if (best == kNoAdvice) {
            best = i;
            continue;
        }
        const Candidate& b = work.candidates[best];
        const int32_t rc = fl.fillRank[fl.goalIndex[c.to]];
        const int32_t rb = fl.fillRank[fl.goalIndex[b.to]];
        if (c.outOfPlan < b.outOfPlan || (c.outOfPlan == b.outOfPlan && rc < rb)) best = i;
    }
    return best;
}

// The candidate the connectivity advisor proposes: the one that leaves the fewest regions, when
// fewer than now; more boxes on goals first among equals. kNoAdvice when none joins regions.
int32_t connectivityAdvice(const FeatureNode& node) {
    int32_t best = kNoAdvice;
    for (int32_t i = 0; i < work.candidateCount; ++i) {
        const Candidate& c = work.candidates[i];
        if (c.known != 0 || c.regions >= node.regions) continue;
        if (best == kNoAdvice) {
            best = i;
            continue;
        }
        const Candidate& b = work.candidates[best];
        if (c.regions < b.regions || (c.regions == b.regions && c.packing > b.packing)) best = i;
    }
    return best;
}

// Stores a candidate as a child of parent with the given weight and queues it; notes a solution.
void storeCandidate(FeatureNode* parent, const Candidate& c, int32_t weight) {
    FeatureWork& w = work;
    childBoxes(*parent, c);
    FeatureNode* child = addFeatureNode(c.hash, w.childSet, c.pusher);
    if (child == nullptr) {
        w.tableFull = true;
        return;
    }
    child->parent = parent;
    child->side = kForwardSide;
    child->from = c.from;
    child->to = c.to;
    child->weight = static_cast<uint16_t>(weight > 0xFFFF ? 0xFFFF : weight);
    child->packing = c.packing;
    child->outOfPlan = c.outOfPlan;
    child->regions = c.regions;
    child->bound = static_cast<uint16_t>(c.bound);
    child->pushes = c.pushes;
    child->cell = cellOrFirst(c.packing, c.outOfPlan, c.regions);
    if (c.packing == featureLevel.boxCount) {
        w.solvedNode = child;
        return;
    }
    queueInOrders(child);
}

void expand(FeatureNode* node) {
    FeatureWork& w = work;
    FeaturePosition& p = position;
    const FeatureLevel& fl = featureLevel;
    loadPosition(*node);
    w.pusherRegion.fill(p.board, node->pusher);
    labelRegions();
    if (corralDead(*node)) return;
    cheapestAssignment(goalAssignment, p.boxes, p.boxCount);
    prepareMovedBoxes(goalAssignment, p.boxes, p.boxCount);
    const uint64_t boxHash = node->hash ^ fl.pusherKey[node->pusher];
    w.candidateCount = 0;
    for (int32_t j = 0; j < p.boxCount; ++j) collectBoxMoves(*node, j, boxHash);

    for (int32_t i = 0; i < w.candidateCount; ++i) {
        Candidate& c = w.candidates[i];
        childBoxes(*node, c);
        const FeatureNode* found = findFeatureNode(c.hash, w.childSet, c.pusher);
        c.known = found != nullptr ? 1 : 0;
        if (found != nullptr && found->side == kBackwardSide) {
            w.meeting = Meeting{node, c.from, c.to, c.pusher, const_cast<FeatureNode*>(found)};
            w.met = true;
            return;
        }
    }
    const int32_t packing = packingAdvice(*node);
    const int32_t joining = connectivityAdvice(*node);
    for (int32_t i = 0; i < w.candidateCount && !w.tableFull && w.solvedNode == nullptr; ++i) {
        const Candidate& c = w.candidates[i];
        if (c.known != 0) continue;
        const bool advised = i == packing || i == joining;
        storeCandidate(node, c, node->weight + (advised ? 0 : 1));
    }
}

// Stores the position loaded in `position`, with the pusher on pusherSquare, as a forward record
// reached from parent by moving the box on from to to; queues it when asked. Returns the record
// (one stored before when the position is known), or nullptr when the table has no room. A
// position the backward half has stored already becomes the meeting of the two halves.
FeatureNode* storePosition(FeatureNode* parent, int32_t from, int32_t to, int32_t pusherSquare,
                           bool queue) {
    FeatureWork& w = work;
    FeaturePosition& p = position;
    const FeatureLevel& fl = featureLevel;
    std::memset(w.childSet, 0, sizeof(uint64_t) * static_cast<size_t>(fl.words));
    uint64_t hash = 0;
    for (int32_t j = 0; j < p.boxCount; ++j) {
        setBoxBit(w.childSet, p.boxes[j]);
        hash ^= fl.boxKey[p.boxes[j]];
    }
    const int32_t pusher = w.childRegion.fill(p.board, pusherSquare);
    hash ^= fl.pusherKey[pusher];
    FeatureNode* node = findFeatureNode(hash, w.childSet, pusher);
    if (node != nullptr) {
        if (node->side == kBackwardSide && parent != nullptr) {
            w.meeting = Meeting{parent, static_cast<int16_t>(from), static_cast<int16_t>(to),
                                static_cast<int16_t>(pusher), node};
            w.met = true;
        }
        return node;
    }
    node = addFeatureNode(hash, w.childSet, pusher);
    if (node == nullptr) return nullptr;
    node->parent = parent;
    node->side = kForwardSide;
    node->from = static_cast<int16_t>(from);
    node->to = static_cast<int16_t>(to);
    node->weight = parent != nullptr ? parent->weight : 0;
    node->pushes = parent != nullptr ? parent->pushes + 1 : 0;
    node->packing = countByte(std::popcount(p.rankMask));
    node->outOfPlan = countByte(outOfPlanOf(p.rankMask));
    node->regions = countByte(labelRegions());
    node->bound = static_cast<uint16_t>(cheapestAssignment(goalAssignment, p.boxes, p.boxCount));
    node->cell = cellOrFirst(node->packing, node->outOfPlan, node->regions);
    node->expanded = 1;
    if (node->packing == fl.boxCount) w.solvedNode = node;
    else if (queue) queueInOrders(node);
    return node;
}

// The start position as the first record; nullptr when the table has no room.
FeatureNode* storeStart() {
    const FeatureLevel& fl = featureLevel;
    clearPosition();
    loadSquares(fl.startBoxes, fl.boxCount);
    return storePosition(nullptr, 0, 0, fl.startPusher, true);
}

// Takes the transfers thread 1 has published since the last look: each position reached is stored
// as a forward record after the last one, not queued, so that either half can meet it; the newest
// segment end becomes the backward half's second aim. A full table ends the following.
void followThread1() {
    FeatureWork& w = work;
    SharedTransfer t;
    while (w.lineNode != nullptr && !w.met && w.solvedNode == nullptr && nextLineTransfer(t)) {
        loadSquares(lineBoxes(), lineBoxCount());
        w.lineNode = storePosition(w.lineNode, t.from, t.to, t.pusher, false);
        if (t.segmentEnd) w.newSegmentEnd = true;
    }
    // The backward half aims at the newest segment end, every few seconds at most: each aim
    // needs some time to be reached.
    if (!w.newSegmentEnd) return;
    const int64_t now = nowSeconds();
    if (now - w.lastAim < kAimSeconds) return;
    w.lastAim = now;
    w.newSegmentEnd = false;
    aimBackwardAt(lineBoxes(), lineBoxCount());
}

void writeSteps(FeatureNode* solved) {
    resetSteps();
    forEachStepOldestFirst(solved, [](FeatureNode*, FeatureNode* child) {
        appendStep(child->from, child->to, child->pusher);
    });
}

void noteProgress() {
    const int64_t count = featureTable.count;
    control.nodeCount = static_cast<int32_t>(count > INT32_MAX ? INT32_MAX : count);
}

int32_t runSearch() {
    FeatureWork& w = work;
    for (int64_t expansions = 0;; ++expansions) {
        if (w.solvedNode != nullptr) {
            writeSteps(w.solvedNode);
            return kResultSolved;
        }
        if (w.met) {
            writeMeetingSteps(w.meeting);
            w.joined = true;
            return kResultSolved;
        }
        if (w.tableFull) return kResultFailed;
        if (stopOrDeadlinePassed()) return kResultTimeout;
        if (w.backwardEvery > 0 && expansions % w.backwardEvery == 0 && backwardRunning() &&
            expandBackward() == kBackwardMet) {
            writeMeetingSteps(backwardMeeting());
            w.joined = true;
            return kResultSolved;
        }
        FeatureNode* node = nextToExpand();
        if (node == nullptr) return kResultFailed;
        expand(node);
        if (expansions % kProgressEvery == 0) {
            noteProgress();
            if (w.backwardEvery > 0) followThread1();
        }
    }
}

// Every box and goal stands on the floor the pusher can reach; anything else the analysis has
// already settled, and the search has no bit for it.
bool everyBoxOnTheFloor() {
    const FeatureLevel& fl = featureLevel;
    for (int32_t j = 0; j < fl.boxCount; ++j) {
        if (fl.floorBit[fl.startBoxes[j]] < 0 || fl.floorBit[fl.goals[j]] < 0) return false;
    }
    return true;
}

}  // namespace

int32_t featureSearch(unsigned char* memory, size_t bytes, int32_t backwardEvery) {
    FeatureWork& w = work;
    w.backwardEvery = backwardEvery;
    prepareFeatureLevel();
    const FeatureLevel& fl = featureLevel;
    prepareGoalDistances(goalAssignment, fl.board, fl.goals, fl.boxCount);
    w.solvedNode = nullptr;
    w.met = false;
    w.joined = false;
    w.tableFull = false;
    const size_t carved = kCellQueueBytes + kFeatureCorralBytes;
    if (bytes < carved || !everyBoxOnTheFloor()) return kResultFailed;
    startOrders(memory);
    resetCorral(featureCorral, reinterpret_cast<FeatureCorral::Entry*>(memory + kCellQueueBytes),
                fl.liveMask, fl.board, false);
    if (!startFeatureTable(memory + carved, bytes - carved, fl.words)) return kResultFailed;
    control.nodeCount = 0;
    w.lastAim = 0;
    w.newSegmentEnd = false;
    w.lineNode = storeStart();
    const bool started = w.lineNode != nullptr;
    startLineFollow();
    if (started && w.solvedNode == nullptr && backwardEvery > 0) {
        startBackwardHalf(featureTable.capacity / kBackwardShareDivisor);
    }
    const int32_t result = started ? runSearch() : kResultFailed;
    noteProgress();
    noteSearch(thread2Stats(), kStatsFeature, featureTable.count, w.tableFull);
    return result;
}

bool featureSearchJoinedHalves() { return work.joined; }

}  // namespace qm
