#include "search/corral.hpp"

#include <algorithm>
#include <cstring>

#include "board/fills.hpp"
#include "board/single_box.hpp"
#include "search/corral_boxes.hpp"
#include "search/state_hash.hpp"
#include "solver/blocks.hpp"
#include "solver/control.hpp"

namespace qm {

namespace {

constexpr uint32_t kCorralProbeStep = 491;
constexpr int32_t kNoLabel = 0;
constexpr int32_t kFirstLabel = 1;

// A sub-search ended by the stop word or the deadline: nothing proved, and no verdict stored.
constexpr int32_t kCorralStopped = 4;

// Answers of a state lookup.
constexpr int32_t kLookupResolved = 0;  // solved, freed, a stored "not dead", or a limit reached
constexpr int32_t kLookupDead = 1;      // a stored deadlock
constexpr int32_t kLookupQueued = 2;    // queued now or earlier in this sub-search


template <int32_t kBoxes>
bool entryIsFree(const CorralInstance<kBoxes>& c, const CorralRecord<kBoxes>& e) {
    if (e.pusher == 0 || e.generation < c.generationBase) return true;
    return e.generation != c.generation && e.verdict == kCorralVerdictNone;
}

bool timeAllows(CorralClock clock) {
    switch (clock) {
        case CorralClock::kNone: return true;
        case CorralClock::kUntilDeadline: return !stopOrDeadlinePassed();
        case CorralClock::kBeforeDeadline: return !stopOrDeadlineReached();
    }
    return true;
}

// Looks up the state of corralBoxes (all on c.board) with the pusher on q; boxes that no longer
// border an unreached region leave the state. Stores and queues a new state.
template <int32_t kBoxes>
int32_t lookupState(CorralInstance<kBoxes>& c, int32_t q, CorralRecord<kBoxes>** found) {
    using Entry = CorralRecord<kBoxes>;
    int32_t* board = c.board;
    int32_t* reach = c.lookupReach;
    clearSquareMap(reach);
    int32_t p = reachFill(board, reach, q);
    int32_t kept[kBoxes], dropped[kBoxes];
    const CorralSplit split = splitCorralBoxes(board, reach, c.corralBoxes, c.corralBoxCount, kept, dropped);
    const int32_t keptCount = split.keptCount, droppedCount = split.droppedCount;
    if (split.keptAllOnGoals) return kLookupResolved;

    // The normalised pusher square and the probe, with the dropped boxes lifted; with none
    // dropped the reach is the one just filled.
    if (droppedCount > 0) {
        for (int32_t i = 0; i < droppedCount; ++i) board[dropped[i]] = 0;
        clearSquareMap(reach);
        p = reachFill(board, reach, q);
    }
    ThreePartHash h(1);
    for (int32_t i = 0; i < keptCount; ++i) h.add(kept[i]);
    const uint32_t pu = static_cast<uint32_t>(p);
    uint32_t slot = (h.product + (h.bits + 1) * pu + (h.sum ^ pu)) % c.limits.slots;
    Entry* entry = nullptr;
    for (;; slot = (slot + kCorralProbeStep) % c.limits.slots) {
        Entry& e = c.table[slot];
        touchForWrite(&e.pusher);
        if (entryIsFree(c, e)) break;
        if (e.count != keptCount || e.pusher != p) continue;
        bool same = true;
        for (int32_t i = 0; i < keptCount && same; ++i) same = board[e.boxes[i]] == BOX;
        if (same) {
            entry = &e;
            break;
        }
    }
    for (int32_t i = 0; i < droppedCount; ++i) board[dropped[i]] = BOX;

    if (entry != nullptr) {
        *found = entry;
        if (entry->verdict != kCorralVerdictNone) {
            return entry->verdict == kCorralVerdictDead ? kLookupDead : kLookupResolved;
        }
        return kLookupQueued;  // an entry of this sub-search
    }
    if (c.used >= c.limits.usedLimit || c.states >= c.limits.stateLimit) return kLookupResolved;
    ++c.used;
    ++c.states;
    Entry& e = c.table[slot];
    e.generation = c.generation;
    for (int32_t i = 0; i < keptCount; ++i) e.boxes[i] = static_cast<int16_t>(kept[i]);
    e.pusher = static_cast<int16_t>(p);
    e.count = static_cast<uint8_t>(keptCount);
    e.verdict = kCorralVerdictNone;
    c.queue.push(kBoxes - keptCount, &e);
    *found = &e;
    return kLookupQueued;
}

// Judges a box just pushed onto t of the sub-board: true when the push stays.
template <int32_t kBoxes>
bool pushSurvivesFreezing(CorralInstance<kBoxes>& c, int32_t t) {
    int32_t* board = c.board;
    if (c.limits.freeze == CorralFreeze::kOffGoal) return frozenTest(board, t) != 1;
    singleBox.frozenOffGoal = 0;
    if (frozenTestFlag(board, t) == 0) return true;
    if (singleBox.frozenOffGoal != 0) return false;
    // Frozen on its goal: the push still stays unless it freezes a neighbour off its goal.
    board[t] = WALL;
    bool neighbourFrozen = false;
    for (int32_t r = 0; r < 8 && !neighbourFrozen; ++r) {
        const int32_t n = t + level.ringOffset[r];
        if (board[n] != BOX || level.goalMap[n] != 0) continue;
        neighbourFrozen = frozenTestFlag(board, n) != 0;
    }
    board[t] = BOX;
    return !neighbourFrozen;
}

// The push search of the current corral state list from pusher square p.
template <int32_t kBoxes>
int32_t subSearch(CorralInstance<kBoxes>& c, int32_t p) {
    using Entry = CorralRecord<kBoxes>;
    int32_t* board = c.board;
    const uint32_t before = c.generation;
    c.used = before - c.generationBase;
    c.generation = before + 1;
    c.states = 0;
    c.queue.clear();

    for (int32_t i = 0; i < c.corralBoxCount; ++i) board[c.corralBoxes[i]] = BOX;
    Entry* root = nullptr;
    const int32_t start = lookupState(c, p, &root);
    for (int32_t i = 0; i < c.corralBoxCount; ++i) board[c.corralBoxes[i]] = 0;
    if (start != kLookupQueued) {
        c.generation = before;
        return start == kLookupDead ? kCorralDeadlock : kCorralNotProved;
    }
    if (c.used >= c.limits.usedLimit) return kCorralNotProved;

    while (timeAllows(c.limits.clock)) {
        Entry* state = c.queue.pop();
        if (state == nullptr) {
            root->verdict = kCorralVerdictDead;
            return kCorralDeadlock;
        }
        c.corralBoxCount = state->count;
        for (int32_t i = 0; i < state->count; ++i) {
            c.corralBoxes[i] = state->boxes[i];
            board[state->boxes[i]] = BOX;
        }
        int32_t* reach = c.expandReach;
        clearSquareMap(reach);
        reachFill(board, reach, state->pusher);
        bool opened = false;
        for (int32_t i = 0; i < c.corralBoxCount && !opened; ++i) {
            const int32_t b = c.corralBoxes[i];
            board[b] = 0;
            for (int32_t d = 0; d < 4; ++d) {
                const int32_t offset = level.dirOffset[d];
                const int32_t t = b - offset;
                if (reach[b + offset] == 0 || board[t] != 0 || c.goalMask[t] == 0) continue;
                board[t] = BOX;
                c.corralBoxes[i] = t;
                int32_t answer = kLookupDead;
                Entry* ignored = nullptr;
                if (pushSurvivesFreezing(c, t)) answer = lookupState(c, b, &ignored);
                board[t] = 0;
                c.corralBoxes[i] = b;
                if (answer == kLookupResolved) {
                    opened = true;
                    break;
                }
            }
            board[b] = BOX;
        }
        for (int32_t i = 0; i < c.corralBoxCount; ++i) board[c.corralBoxes[i]] = 0;
        if (opened) {
            root->verdict = kCorralVerdictOpen;
            return kCorralNotProved;
        }
    }
    return kCorralStopped;
}

// The region test of the corral made of the regions labelled a and b (b may equal a).
template <int32_t kBoxes>
int32_t regionTest(CorralInstance<kBoxes>& c, const int32_t* boxes, int32_t n, int32_t a, int32_t b,
                   int32_t p) {
    c.corralBoxCount = 0;
    for (int32_t i = 0; i < n; ++i) {
        const int32_t s = boxes[i];
        if (s == 0 || !ringTouchesLabel(c.labels, s, a, b)) continue;
        if (c.corralBoxCount == kBoxes) return kCorralNotTested;
        c.corralBoxes[c.corralBoxCount++] = s;
    }
    if (c.corralBoxCount == 0) return kCorralNotProved;
    return subSearch(c, p);
}

}  // namespace

template <int32_t kBoxes>
void resetCorral(CorralInstance<kBoxes>& c, CorralRecord<kBoxes>* table, const uint64_t* goalMask,
                 const int32_t* positionBoard, bool clearTable) {
    c.table = table;
    c.goalMask = goalMask;
    if (clearTable || c.limits.sharesItsRegion || c.generation > UINT32_MAX / 2) {
        std::memset(static_cast<void*>(table), 0, sizeof(CorralRecord<kBoxes>) * c.limits.slots);
        c.generation = 0;
    }
    // Entries stored so far belong to earlier generations from now on.
    c.generationBase = c.generation + 1;
    c.generation = c.generationBase;
    c.used = 0;
    c.states = 0;
    c.queue.clear();
    for (int32_t s = 0; s < level.cellCount; ++s) c.board[s] = positionBoard[s] == WALL ? WALL : 0;
}

template <int32_t kBoxes>
int32_t corralTest(CorralInstance<kBoxes>& c, const int32_t* positionBoard, const int32_t* boxes,
                   int32_t n, int32_t t, int32_t pusherSquare, const int32_t* pusherRegion) {
    const int32_t* region = pusherRegion;
    bool anyCorral = false;
    for (int32_t r = 0; r < 8; ++r) {
        const int32_t m = t + level.ringOffset[r];
        if (positionBoard[m] == 0 && (region == nullptr || region[m] == 0)) anyCorral = true;
    }
    if (!anyCorral) return kCorralNotProved;
    if (region == nullptr) {
        clearSquareMap(c.ownRegion);
        reachFill(positionBoard, c.ownRegion, pusherSquare);
        region = c.ownRegion;
    }

    // Regions other than the pusher's get labels as they are met; a region is covered once
    // tested by itself.
    int32_t* labels = c.labels;
    clearSquareMap(labels);
    // Only labels below nextLabel are in use: each is cleared in both marks when made.
    bool* covered = c.coveredLabel;
    bool* paired = c.pairedLabel;
    int32_t nextLabel = kFirstLabel;
    auto labelOf = [&](int32_t s) {
        if (labels[s] == kNoLabel) {
            covered[nextLabel] = false;
            paired[nextLabel] = false;
            labelFill(positionBoard, labels, s, nextLabel++);
        }
        return labels[s];
    };

    for (int32_t r = 0; r < 8; ++r) {
        const int32_t m = t + level.ringOffset[r];
        if (positionBoard[m] != 0 || region[m] != 0) continue;
        const int32_t a = labelOf(m);
        if (covered[a]) continue;
        covered[a] = true;
        int32_t single = regionTest(c, boxes, n, a, a, pusherSquare);
        if (single == kCorralDeadlock) return kCorralDeadlock;
        if (single == kCorralStopped) {
            // Nothing is proved, and the owning search stops at its next check. The main
            // phase's instances still answer the other regions from their tables.
            if (!c.limits.untestedSkipsPairs) return kCorralNotProved;
            single = kCorralNotTested;
        }
        if (!c.limits.regionPairs) continue;
        if (single == kCorralNotTested && c.limits.untestedSkipsPairs) continue;

        // Pairs: a with each region bordering one of a's boxes, each such region once.
        std::fill(paired + kFirstLabel, paired + nextLabel, false);
        paired[a] = true;
        for (int32_t i = 0; i < n; ++i) {
            const int32_t box = boxes[i];
            if (box == 0 || !ringTouchesLabel(labels, box, a, a)) continue;
            for (int32_t k = 0; k < 8; ++k) {
                const int32_t q = box + level.ringOffset[k];
                if (positionBoard[q] != 0 || region[q] != 0) continue;
                const int32_t other = labelOf(q);
                if (paired[other]) continue;
                paired[other] = true;
                const int32_t pair = regionTest(c, boxes, n, a, other, pusherSquare);
                if (pair == kCorralDeadlock) return kCorralDeadlock;
                if (pair == kCorralStopped && !c.limits.untestedSkipsPairs) return kCorralNotProved;
            }
        }
    }
    return kCorralNotProved;
}

template void resetCorral<18>(CorralInstance<18>&, CorralRecord<18>*, const uint64_t*,
                              const int32_t*, bool);
template void resetCorral<6>(CorralInstance<6>&, CorralRecord<6>*, const uint64_t*,
                             const int32_t*, bool);
template int32_t corralTest<18>(CorralInstance<18>&, const int32_t*, const int32_t*, int32_t,
                                int32_t, int32_t, const int32_t*);
template int32_t corralTest<6>(CorralInstance<6>&, const int32_t*, const int32_t*, int32_t, int32_t,
                               int32_t, const int32_t*);

}  // namespace qm
