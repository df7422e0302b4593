#pragma once
// Template definitions of bidirectional.hpp; included only by it.
#include <cstring>

#include "board/analysis.hpp"
#include "board/fills.hpp"
#include "board/phase_tables.hpp"
#include "board/solution.hpp"
#include "search1/main_line.hpp"
#include "search/boxes.hpp"
#include "search/chain_walk.hpp"
#include "search/move_region.hpp"
#include "search/state_hash.hpp"
#include "solver/blocks.hpp"
#include "solver/control.hpp"

namespace qm {

namespace bidi_detail {

constexpr uint32_t kProbeStep = 491;

inline int32_t sidesOf(const int32_t* region, int32_t s) {
    int32_t sides = 0;
    for (int32_t bit = 1; bit <= 8; bit <<= 1) {
        if (region[s + level.dirBitOffset[bit]] != 0) sides |= bit;
    }
    return sides;
}

template <int32_t kBoxes>
bool sameState(const BidiNode<kBoxes>& node, int32_t p, int32_t n) {
    if (node.pusher != p) return false;
    const int32_t* board = phase.phaseBoard;
    for (int32_t i = 0; i < n; ++i) {
        if (board[node.boxes[i]] != BOX) return false;
    }
    return true;
}

inline int32_t indexOf(const int32_t* list, int32_t n, int32_t square) {
    for (int32_t i = 0; i < n; ++i) {
        if (list[i] == square) return i;
    }
    return -1;
}

// Replays the first k main-line entries onto the solution text.
inline bool replayMainLine(int32_t k) {
    const int32_t stored = k < mainLine.mainLineLength ? k : mainLine.mainLineLength;
    if (stored < k) return false;
    for (int32_t i = 0; i < stored; ++i) {
        const MainLineEntry& e = mainLine.entries[i];
        if (appendBoxTransfer(e.to, e.pusher, e.from) == 0) return false;
    }
    return true;
}

}  // namespace bidi_detail

template <int32_t kBoxes, int32_t kBuckets>
int32_t findOrStore(BidiSearch<kBoxes, kBuckets>& s, int32_t movedBox, int32_t p, int32_t origin,
                    BidiNode<kBoxes>** stored) {
    using Node = BidiNode<kBoxes>;
    const int32_t n = phase.phaseBoxCount;
    ThreePartHash h(static_cast<uint32_t>(p));
    for (int32_t i = 0; i < n; ++i) h.add(phase.phaseBoxes[i]);
    uint32_t slot = (h.sum + h.product + h.bits) % s.slots;
    for (;; slot = (slot + bidi_detail::kProbeStep) % s.slots) {
        Node& node = s.table[slot];
        touchForWrite(&node.pusher);
        if (node.pusher == 0) break;
        if (!bidi_detail::sameState(node, p, n)) continue;
        if (node.origin == origin || (isPushSide(node.origin) && isPushSide(origin))) {
            return kBidiGoesOn;
        }
        if (s.currentNode != nullptr) {
            s.meetBox = movedBox;
            s.meetSlot = &node;
            return kResultSolved;
        }
        // Set-up: a root meets a stored root of the other side. The start position stays
        // apart so that a solved root equal to it is stored as a node of its own.
        if (node.origin != kOriginStart) {
            node.origin = origin;
            s.meetSlot = &node;
            return kResultSolved;
        }
    }
    if (s.nodeCount >= s.nodeLimit) return kResultFailed;
    Node& node = s.table[slot];
    for (int32_t i = 0; i < n; ++i) node.boxes[i] = static_cast<int16_t>(phase.phaseBoxes[i]);
    node.pusher = static_cast<int16_t>(p);
    node.movedBox = static_cast<int8_t>(movedBox);
    node.origin = origin;
    node.parent = s.currentNode;
    node.bucketNext = nullptr;
    ++s.nodeCount;
    control.phaseNodeCount = s.nodeCount;
    *stored = &node;
    return kStoredNew;
}

template <int32_t kBoxes, int32_t kBuckets>
void startBidiSearch(BidiSearch<kBoxes, kBuckets>& s, BidiNode<kBoxes>* table, uint32_t slots,
                     int32_t nodeLimit) {
    s.table = table;
    s.slots = slots;
    s.nodeLimit = nodeLimit;
    s.nodeCount = 0;
    s.pushQueue.clear();
    s.pullQueue.clear();
    s.currentNode = nullptr;
    s.meetSlot = nullptr;
    control.phaseNodeCount = 0;
}

template <int32_t kBoxes, int32_t kBuckets>
BidiNode<kBoxes>* popAndLoad(BidiSearch<kBoxes, kBuckets>& s, bool pullSide) {
    BidiNode<kBoxes>* node = pullSide ? s.pullQueue.pop() : s.pushQueue.pop();
    if (node == nullptr) return nullptr;
    s.currentNode = node;
    loadBoxes(phase.phaseBoard, phase.phaseBoxes, node->boxes, phase.phaseBoxCount);
    clearSquareMap(macroScratch.nodeReach);
    reachFill(phase.phaseBoard, macroScratch.nodeReach, node->pusher);
    return node;
}

inline void liftPhaseBoxes() { liftBoxes(phase.phaseBoard, phase.phaseBoxes, phase.phaseBoxCount); }

template <typename Insert>
void insertSolvedRoots(Insert insert) {
    loadBoxes(phase.phaseBoard, phase.phaseBoxes, analysis.goalList, phase.phaseBoxCount);
    int32_t* covered = macroScratch.rootReach;
    clearSquareMap(covered);
    for (int32_t s = 0; s < level.cellCount; ++s) {
        if (phase.phaseBoard[s] != 0 || covered[s] != 0) continue;
        insert(reachFill(phase.phaseBoard, covered, s));
    }
    liftPhaseBoxes();
}

template <bool kPull, typename Accept, typename Insert>
int32_t macroMoves(int32_t j, const uint64_t* mask, Accept accept, Insert insert) {
    MacroScratch& m = macroScratch;
    PlacementList& list = m.list;
    int32_t* board = phase.phaseBoard;
    const int32_t s = phase.phaseBoxes[j];
    const int32_t openSides = bidi_detail::sidesOf(m.nodeReach, s);
    if (openSides == 0) return kBidiGoesOn;

    board[s] = 0;
    // Any square of the node's region stands for the pusher: the area is the same.
    int32_t stand = s + level.dirBitOffset[openSides & -openSides];
    findLiftedArea(board, stand, m.area);
    list.begin(s, openSides, 0);

    for (int32_t i = 0; i < list.count; ++i) {
        const int32_t q = list.square[i];
        const int32_t sides = list.sides[i];
        for (int32_t bit = 1; bit <= 8; bit <<= 1) {
            if ((sides & bit) == 0) continue;
            const int32_t offset = level.dirBitOffset[bit];
            // Pulling, the puller steps back from q + offset to q + 2 offset drawing the box onto
            // q + offset; pushing, the pusher on q + offset sends the box to q - offset.
            const int32_t t = kPull ? q + offset : q - offset;
            stand = kPull ? q + 2 * offset : q;
            if (board[t] != 0 || mask[t] == 0) continue;
            if (kPull && board[stand] != 0) continue;
            if (list.seen.seenFrom(t, bit)) continue;
            if (list.full()) break;

            board[t] = BOX;
            phase.phaseBoxes[j] = t;
            int32_t newSides = 0;
            const int32_t* region = nullptr;
            const int32_t p =
                regionAfterMove(board, m.area, t, stand, m.moveReach, &newSides, &region);
            list.seen.add(t, newSides);
            if (accept(MoveCandidate{j, q, t, p, region})) list.append(t, newSides, p);
            board[t] = 0;
        }
    }

    // Reverse order of discovery; a box may pass a class-2 square but never stops there.
    int32_t result = kBidiGoesOn;
    for (int32_t i = list.count - 1; i >= 1 && result == kBidiGoesOn; --i) {
        const int32_t t = list.square[i];
        if (phase.phaseClass[t] == 2) continue;
        board[t] = BOX;
        phase.phaseBoxes[j] = t;
        result = insert(j, list.pusher[i]);
        board[t] = 0;
    }
    if (result != kBidiGoesOn) return result;  // phaseBoxes keeps the state that ended it
    board[s] = BOX;
    phase.phaseBoxes[j] = s;
    return kBidiGoesOn;
}

template <int32_t kBoxes, int32_t kBuckets>
bool assembleHalves(BidiSearch<kBoxes, kBuckets>& s) {
    using Node = BidiNode<kBoxes>;
    const int32_t n = phase.phaseBoxCount;
    Node* x = s.currentNode;
    Node* y = s.meetSlot;
    if (x == nullptr || y == nullptr) return false;

    // perm maps the pull side's box numbers to the push side's.
    int32_t perm[kBoxes] = {};
    int32_t carry = 0;
    Node* pushEnd = nullptr;
    Node* node = nullptr;
    int32_t ySquares[kBoxes];
    for (int32_t i = 0; i < n; ++i) ySquares[i] = y->boxes[i];
    if (x->origin == kOriginPull) {
        for (int32_t i = 0; i < n; ++i) perm[i] = bidi_detail::indexOf(ySquares, n, phase.phaseBoxes[i]);
        if (perm[s.meetBox] < 0) return false;
        carry = perm[s.meetBox];
        pushEnd = y;
        node = x;
    } else {
        for (int32_t i = 0; i < n; ++i) perm[i] = bidi_detail::indexOf(phase.phaseBoxes, n, ySquares[i]);
        carry = s.meetBox;
        pushEnd = x;
        node = y;
    }
    for (int32_t i = 0; i < n; ++i) {
        if (perm[i] < 0) return false;
    }

    // Re-link the pull half behind the push half, in push-side numbering.
    Node* previous = pushEnd;
    while (node != nullptr) {
        Node* next = node->parent;
        const int32_t oldMoved = node->movedBox;
        int16_t renumbered[kBoxes];
        for (int32_t i = 0; i < n; ++i) renumbered[perm[i]] = node->boxes[i];
        std::memcpy(node->boxes, renumbered, sizeof(int16_t) * n);
        node->parent = previous;
        node->movedBox = static_cast<int8_t>(carry);
        carry = oldMoved >= 0 ? perm[oldMoved] : -1;
        previous = node;
        node = next;
    }
    // The parent links now run from the solved root back to the push-side root.
    Node* root = previous;
    while (root->parent != nullptr) root = root->parent;
    const int32_t k = root->origin;
    if (k < 0) return false;
    resetSolution();
    if (!bidi_detail::replayMainLine(k)) return false;
    bool written = true;
    forEachStepOldestFirst(previous, [&written](Node* u, Node* v) {
        const int32_t b = v->movedBox;
        if (written && (b < 0 || appendBoxTransfer(v->boxes[b], v->pusher, u->boxes[b]) == 0)) {
            written = false;
        }
    });
    if (!written) return false;
    // The solution leaves the main line after its first k entries.
    if (k < mainLine.mainLineLength) mainLine.mainLineLength = k;
    return true;
}

template <int32_t kBoxes>
bool assembleFromMainLine(int32_t k, BidiNode<kBoxes>* found) {
    resetSolution();
    if (!bidi_detail::replayMainLine(k)) return false;
    for (const BidiNode<kBoxes>* u = found; u->parent != nullptr; u = u->parent) {
        const BidiNode<kBoxes>* v = u->parent;
        const int32_t b = u->movedBox;
        if (b < 0 || appendBoxTransfer(v->boxes[b], v->pusher, u->boxes[b]) == 0) return false;
    }
    return true;
}

}  // namespace qm
