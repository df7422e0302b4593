#include "search2/corral.hpp"

#include "search/corral_boxes.hpp"
#include "search/state_hash.hpp"

#include <cstring>

#include "board/fills.hpp"
#include "board/handover.hpp"
#include "board/single_box.hpp"
#include "solver/blocks.hpp"
#include "solver/control.hpp"

namespace qm {

CorralState corral;

namespace {

constexpr uint32_t kKeySeed = 0x55555555u;
constexpr uint32_t kCorralProbeStep = 491;
constexpr int32_t kQueued = 2;  // t2CorralStore: the state waits in the current sub-search


// Labels the free regions of searchBoard: 1 for the pusher's, then 2, 3, ... in square order.
void labelRegions(int32_t t) { qm::labelRegions(handover.searchBoard, corral.regionLabels, t, -1); }

// Appends label unless it is listed already. A list keeps at most kCorralLabelList labels;
// further distinct labels are ignored, so those corrals are simply not tested.
void addLabel(int32_t* list, int32_t& count, int32_t label) {
    for (int32_t i = 0; i < count; ++i) {
        if (list[i] == label) return;
    }
    if (count < kCorralLabelList) list[count++] = label;
}

uint32_t stateKey(int32_t p, const int32_t* boxes, int32_t n) {
    ThreePartHash h(kKeySeed);
    h.add(p);
    for (int32_t k = 0; k < n; ++k) h.add(boxes[k]);
    return (h.bits + h.product + h.sum) % kCorralSlots;
}

// The slot matching (p, the boxes marked 2 on t2CorralBoard), else the first free slot; nullptr
// when a whole cycle of the table holds neither.
CorralEntry* probeState(uint32_t key, int32_t p, int32_t count) {
    const int32_t* board = corral.t2CorralBoard;
    const int32_t serial = corral.t2CorralSerial;
    uint32_t i = key;
    for (uint32_t probes = 0; probes < kCorralSlots; ++probes) {
        CorralEntry& e = corral.t2CorralTable[i];
        touchForWrite(&e.pusher);
        // Undecided entries of earlier sub-searches are free for reuse.
        if (e.pusher == 0 || (e.stamp != serial && e.verdict == kCorralVerdictNone)) return &e;
        if (e.count == count && e.pusher == p) {
            bool same = true;
            for (int32_t k = 0; k < count && same; ++k) same = board[e.boxes[k]] == BOX;
            if (same) return &e;
        }
        i = (i + kCorralProbeStep) % kCorralSlots;
    }
    return nullptr;
}

}  // namespace

void resetCorralTable() {
    clearMemory(corral.t2CorralTable, sizeof(CorralEntry) * kCorralSlots);
    corral.t2CorralSerial = 0;
}

int32_t t2CorralStore(int32_t p) {
    int32_t* board = corral.t2CorralBoard;
    int32_t* reach = corral.storeReach;
    clearSquareMap(reach);
    reachFill(board, reach, p);

    // A box the pusher can walk around borders no unreachable floor and leaves the sub-problem.
    int32_t remaining[kCorralBoxes], released[kCorralBoxes];
    const CorralSplit split =
        splitCorralBoxes(board, reach, corral.subBoxes, corral.subBoxCount, remaining, released);
    const int32_t kept = split.keptCount, freed = split.droppedCount;
    corral.storeSlot = nullptr;
    if (split.keptAllOnGoals) return kT2CorralOpen;

    const uint32_t key = stateKey(p, remaining, kept);
    for (int32_t k = 0; k < freed; ++k) board[released[k]] = 0;
    CorralEntry* e = probeState(key, p, kept);
    int32_t result = kT2CorralOpen;
    if (e == nullptr) {
        result = kT2CorralOpen;  // a table full of this sub-search's states: its limits are reached
    } else if (e->pusher != 0 && e->verdict != kCorralVerdictNone) {
        result = e->verdict == kCorralVerdictDead ? kT2CorralDead : kT2CorralOpen;
        corral.storeSlot = e;
    } else if (e->pusher != 0 && e->stamp == corral.t2CorralSerial) {
        result = kQueued;
        corral.storeSlot = e;
    } else if (corral.insertCount >= kCorralInsertLimit || corral.budgetCount >= kCorralBudgetLimit) {
        result = kT2CorralOpen;
    } else {
        ++corral.insertCount;
        ++corral.budgetCount;
        for (int32_t k = 0; k < kept; ++k) e->boxes[k] = static_cast<int16_t>(remaining[k]);
        e->pusher = static_cast<int16_t>(p);
        e->count = static_cast<int8_t>(kept);
        e->stamp = corral.t2CorralSerial;
        e->verdict = kCorralVerdictNone;
        corral.queue.push(kCorralLevels - kept, e);
        corral.storeSlot = e;
        result = kQueued;
    }
    for (int32_t k = 0; k < freed; ++k) board[released[k]] = BOX;
    return result;
}

int32_t t2CorralSubSearch(int32_t t, const int32_t* labels, int32_t l1, int32_t l2) {
    const int32_t* search = handover.searchBoard;
    int32_t* board = corral.t2CorralBoard;
    const int32_t n = handover.t2BoxCount;
    int32_t selected = 0;
    for (int32_t j = 0; j < n; ++j) {
        const int32_t b = handover.t2Boxes[j];
        if (b == 0 || !ringTouchesLabel(labels, b, l1, l2 < 0 ? l1 : l2)) continue;  // 0: out of play
        if (selected == kCorralBoxes) return kT2CorralTooManyBoxes;
        corral.subBoxes[selected++] = b;
    }
    corral.subBoxCount = selected;

    corral.budgetCount = corral.t2CorralSerial;
    corral.insertCount = 0;
    ++corral.t2CorralSerial;
    corral.queue.clear();
    for (int32_t s = 0; s < level.cellCount; ++s) board[s] = search[s] & WALL;
    for (int32_t k = 0; k < selected; ++k) board[corral.subBoxes[k]] = BOX;

    const int32_t r = t2CorralStore(t);
    if (r != kQueued) {
        --corral.t2CorralSerial;  // nothing was stored under this serial
        return r;
    }
    CorralEntry* root = corral.storeSlot;
    if (corral.budgetCount >= kCorralBudgetLimit) return kT2CorralOpen;
    for (int32_t k = 0; k < selected; ++k) board[corral.subBoxes[k]] = 0;

    int32_t* reach = corral.expandReach;
    int32_t* boxes = corral.subBoxes;
    for (;;) {
        if (stopOrDeadlineReached()) return kT2CorralStopped;
        const CorralEntry* e = corral.queue.pop();
        if (e == nullptr) {
            root->verdict = kCorralVerdictDead;
            return kT2CorralDead;
        }
        const int32_t count = e->count;
        corral.subBoxCount = count;
        for (int32_t k = 0; k < count; ++k) {
            boxes[k] = e->boxes[k];
            board[boxes[k]] = BOX;
        }
        clearSquareMap(reach);
        reachFill(board, reach, e->pusher);

        for (int32_t k = 0; k < count; ++k) {
            const int32_t b = boxes[k];
            board[b] = 0;
            for (int32_t d = 0; d < 4; ++d) {
                const int32_t offset = level.dirOffset[d];
                const int32_t to = b - offset;
                if (reach[b + offset] == 0 || board[to] != 0) continue;
                board[to] = BOX;
                boxes[k] = to;
                const int32_t f = frozenTest(board, to);
                const bool stuck = f == 1 || (corral.clearingMode == 1 && f != 0);
                if (!stuck && t2CorralStore(b + offset) == kT2CorralOpen) {
                    root->verdict = kCorralVerdictOpen;
                    return kT2CorralOpen;
                }
                board[to] = 0;
            }
            boxes[k] = b;
            board[b] = BOX;
        }
        for (int32_t k = 0; k < count; ++k) board[boxes[k]] = 0;
    }
}

int32_t t2CorralTestInRegion(int32_t u, int32_t t, const int32_t* pusherRegion) {
    // Without free floor beside u outside the pusher's region there is no candidate corral:
    // the answer is known before any labelling.
    const int32_t* board = handover.searchBoard;
    for (int32_t r = 0; r < 8; ++r) {
        const int32_t s = u + level.ringOffset[r];
        if (board[s] == 0 && pusherRegion[s] == 0) return t2CorralTest(u, t);
    }
    return kT2CorralOpen;
}

int32_t t2CorralTest(int32_t u, int32_t t) {
    const int32_t* board = handover.searchBoard;
    const int32_t* labels = corral.regionLabels;
    labelRegions(t);

    int32_t candidates[kCorralLabelList];
    int32_t candidateCount = 0;
    for (int32_t r = 0; r < 8; ++r) {
        const int32_t s = u + level.ringOffset[r];
        if (board[s] == 0 && labels[s] != 1) addLabel(candidates, candidateCount, labels[s]);
    }
    if (candidateCount == 0) return kT2CorralOpen;

    bool crossedOut[kCorralLabelList] = {};
    for (int32_t i = 0; i < candidateCount; ++i) {
        const int32_t r = t2CorralSubSearch(t, labels, candidates[i], -1);
        if (r == kT2CorralDead) return kT2CorralDead;
        if (r == kT2CorralTooManyBoxes) crossedOut[i] = true;
    }

    // Pairs: each candidate with the corrals beyond the boxes that touch it.
    const int32_t n = handover.t2BoxCount;
    for (int32_t i = 0; i < candidateCount; ++i) {
        if (crossedOut[i]) continue;
        const int32_t l = candidates[i];
        int32_t neighbours[kCorralLabelList];
        int32_t neighbourCount = 0;
        for (int32_t j = 0; j < n; ++j) {
            const int32_t b = handover.t2Boxes[j];
            if (b == 0 || !ringTouchesLabel(labels, b, l, l)) continue;
            for (int32_t r = 0; r < 8; ++r) {
                const int32_t s = b + level.ringOffset[r];
                if (board[s] == 0 && labels[s] != 1 && labels[s] != l) {
                    addLabel(neighbours, neighbourCount, labels[s]);
                }
            }
        }
        for (int32_t k = 0; k < neighbourCount; ++k) {
            if (t2CorralSubSearch(t, labels, l, neighbours[k]) == kT2CorralDead) return kT2CorralDead;
        }
    }
    return kT2CorralOpen;
}

}  // namespace qm
