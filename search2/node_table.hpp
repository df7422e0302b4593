#pragma once
// Thread 2's node table: every generated position, stored once, in one open-addressing table in
// memory block 2; waiting nodes are threaded through FIFO lists by priority.
#include <cstdint>

#include "board/board.hpp"
#include "search/bucket_queue.hpp"

namespace qm {

constexpr int32_t kNodeBoxes = 26;                 // box squares a node holds
constexpr uint32_t kNodeTableSlots = 23'574'751;   // a prime
constexpr uint32_t kNodeProbeStep = 491;
constexpr int32_t kNodeLimit = 19'700'000;         // filled slots a search may use
constexpr int32_t kListPriorities = 59;            // priorities 0 .. 58

// One position: box squares by box index, the normalised pusher square (0 marks an empty slot:
// square 0 lies in the outermost row and never holds the pusher).
struct SearchNode {
    int16_t boxes[kNodeBoxes];
    int16_t pusher;
    int8_t movedBox;     // box moved to reach this position; n for a root
    int8_t tag;          // bidirectional: 1 backward, 2 forward; area clearing: boxes in play
    SearchNode* parent;  // none for roots and the start's children in the bidirectional search
    SearchNode* next;    // successor in its priority list
};
static_assert(sizeof(SearchNode) == 72, "a node slot is 72 bytes in block 2");

// Result of an expansion that goes on: one node expanded.
constexpr int32_t kExpanded = 2;

constexpr int8_t kBackwardTag = 1;
constexpr int8_t kForwardTag = 2;

// FIFO lists by priority, served from the highest non-empty one.
using ListSet = BucketQueue<SearchNode, kListPriorities, &SearchNode::next>;

// Thread 2's table state. The slots live in memory block 2.
struct NodeTables {
    SearchNode* nodeTable = nullptr;    // kNodeTableSlots slots
    SearchNode* meetNode = nullptr;     // where the searches met, or the end of a stage
    ListSet forwardLists;
    ListSet backwardLists;
    ListSet areaLists;                  // area-clearing search
};
extern NodeTables nodes;

// Points the node table and the corral table at their regions of memory block 2; call it once
// the blocks are allocated.
void bindThread2Tables();

// The number of filled slots lives in control.nodeCount so that the window can show it.
int32_t nodeCountNow();
void setNodeCount(int32_t n);

// The slot holding (p, the boxes marked 2 on searchBoard and listed in t2Boxes), or the empty
// slot where it belongs (pusher 0).
SearchNode* nodeLookup(int32_t p);
// Starts fetching the home slot of (p, t2Boxes) into the cache; changes nothing.
void prefetchNode(int32_t p);
// The same, leaving out boxes of t2Boxes equal to 0 (out of play); matches only tag k.
SearchNode* nodeLookupByCount(int32_t p, int32_t k);
// Empties every slot and the corral table; nodeCount 0, meetNode none, area lists empty.
void resetTables();
// Fills an empty slot with t2Boxes (n entries), pusher, movedBox, tag and parent; counts it.
void storeNode(SearchNode* slot, int32_t pusher, int32_t movedBox, int32_t tag, SearchNode* parent);

}  // namespace qm
