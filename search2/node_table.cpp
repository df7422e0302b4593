#include "search2/node_table.hpp"

#include "board/handover.hpp"
#include "search/state_hash.hpp"
#include "search2/corral.hpp"
#include "solver/blocks.hpp"
#include "solver/control.hpp"

namespace qm {

NodeTables nodes;

namespace {

constexpr uint32_t kKeySeed = 0x55555555u;

// Boxes a node holds: the handover's count, never more than a slot has room for.
int32_t nodeBoxCount() {
    const int32_t n = handover.t2BoxCount;
    return n < kNodeBoxes ? n : kNodeBoxes;
}

// Home slot of pusher p and the first n squares of boxes; squares equal to 0 are left out when
// skipZero is set. XOR, product and sum do not depend on the order of the boxes.
uint32_t positionKey(int32_t p, const int32_t* boxes, int32_t n, bool skipZero) {
    ThreePartHash h(kKeySeed);
    h.add(p);
    for (int32_t j = 0; j < n; ++j) {
        if (!skipZero || boxes[j] != 0) h.add(boxes[j]);
    }
    return (h.bits + h.product + h.sum) % kNodeTableSlots;
}

uint32_t nextProbe(uint32_t i) { return (i + kNodeProbeStep) % kNodeTableSlots; }

}  // namespace

void bindThread2Tables() {
    nodes.nodeTable = blocks.layout2.nodeTable;
    corral.t2CorralTable = blocks.layout2.t2CorralTable;
}

int32_t nodeCountNow() { return control.nodeCount; }

void setNodeCount(int32_t n) { control.nodeCount = n; }

// A stored node and the position have the same number of boxes, so every stored square holding
// a box on the board means the same box set, whatever the order of the entries. The fill limit
// keeps a sixth of the slots empty, so the probe always ends.
void prefetchNode(int32_t p) {
    const SearchNode* slot = nodes.nodeTable + positionKey(p, handover.t2Boxes, nodeBoxCount(), false);
    __builtin_prefetch(slot);
    __builtin_prefetch(reinterpret_cast<const char*>(slot) + sizeof(SearchNode) - 1);
}

SearchNode* nodeLookup(int32_t p) {
    const int32_t n = nodeBoxCount();
    const int32_t* board = handover.searchBoard;
    SearchNode* table = nodes.nodeTable;
    for (uint32_t i = positionKey(p, handover.t2Boxes, n, false);; i = nextProbe(i)) {
        SearchNode& slot = table[i];
        touchForWrite(&slot.pusher);
        if (slot.pusher == 0) return &slot;
        if (slot.pusher != p) continue;
        bool same = true;
        for (int32_t j = 0; j < n && same; ++j) same = board[slot.boxes[j]] == BOX;
        if (same) return &slot;
    }
}

// The tag holds the number of boxes in play, so equal tags mean equal box counts once the
// removed boxes (square 0) are left out on both sides.
SearchNode* nodeLookupByCount(int32_t p, int32_t k) {
    const int32_t n = nodeBoxCount();
    const int32_t* board = handover.searchBoard;
    SearchNode* table = nodes.nodeTable;
    for (uint32_t i = positionKey(p, handover.t2Boxes, n, true);; i = nextProbe(i)) {
        SearchNode& slot = table[i];
        touchForWrite(&slot.pusher);
        if (slot.pusher == 0) return &slot;
        if (slot.pusher != p || slot.tag != k) continue;
        bool same = true;
        for (int32_t j = 0; j < n && same; ++j) {
            const int32_t b = slot.boxes[j];
            if (b != 0) same = board[b] == BOX;
        }
        if (same) return &slot;
    }
}

// Zero bytes are an empty slot with no successor. The pages are handed back rather than
// written, so a reset costs nothing for the part of the table a search never touched.
void resetTables() {
    clearMemory(nodes.nodeTable, sizeof(SearchNode) * kNodeTableSlots);
    setNodeCount(0);
    nodes.meetNode = nullptr;
    nodes.areaLists.clear();
    resetCorralTable();
}

void storeNode(SearchNode* slot, int32_t pusher, int32_t movedBox, int32_t tag, SearchNode* parent) {
    const int32_t n = nodeBoxCount();
    for (int32_t j = 0; j < n; ++j) slot->boxes[j] = static_cast<int16_t>(handover.t2Boxes[j]);
    slot->pusher = static_cast<int16_t>(pusher);
    slot->movedBox = static_cast<int8_t>(movedBox);
    slot->tag = static_cast<int8_t>(tag);
    slot->parent = parent;
    slot->next = nullptr;
    ++control.nodeCount;
}

}  // namespace qm
