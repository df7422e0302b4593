#include "search2/node_table.hpp"

#include "board/handover.hpp"
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
    const uint32_t pu = static_cast<uint32_t>(p);
    uint32_t x = pu ^ kKeySeed;
    uint32_t m = pu * kKeySeed;
    uint32_t s = pu + kKeySeed;
    for (int32_t j = 0; j < n; ++j) {
        if (skipZero && boxes[j] == 0) continue;
        const uint32_t b = static_cast<uint32_t>(boxes[j]);
        x ^= b;
        m *= b;
        s += b;
    }
    return (x + m + s) % kNodeTableSlots;
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

void pushNode(ListSet& lists, int32_t priority, SearchNode* node) {
    node->next = nullptr;
    if (lists.tail[priority] != nullptr) {
        lists.tail[priority]->next = node;
    } else {
        lists.head[priority] = node;
        if (priority > lists.top) lists.top = priority;
    }
    lists.tail[priority] = node;
}

// The top falls past empty lists and stays there; only a push raises it again.
SearchNode* popBest(ListSet& lists) {
    int32_t i = lists.top;
    while (i >= 0 && lists.head[i] == nullptr) lists.top = --i;
    if (i < 0) return nullptr;
    SearchNode* r = lists.head[i];
    lists.head[i] = r->next;
    if (lists.head[i] == nullptr) lists.tail[i] = nullptr;
    return r;
}

void clearLists(ListSet& lists) {
    for (int32_t q = 0; q < kListPriorities; ++q) {
        lists.head[q] = nullptr;
        lists.tail[q] = nullptr;
    }
    lists.top = 0;
}

// Zero bytes are an empty slot with no successor. The pages are handed back rather than
// written, so a reset costs nothing for the part of the table a search never touched.
void resetTables() {
    clearMemory(nodes.nodeTable, sizeof(SearchNode) * kNodeTableSlots);
    setNodeCount(0);
    nodes.meetNode = nullptr;
    clearLists(nodes.areaLists);
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
