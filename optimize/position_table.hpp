#pragma once
// The optimizer's table of positions: one block of memory asked for once and carved per search by
// the level's box count into node arrays, a hash of node numbers and a binary heap. Nothing in it
// is allocated while a search runs.
#include <cstddef>
#include <cstdint>

namespace qm {

constexpr size_t kOptimizerMaxBytes = size_t{1} << 30;  // the table's budget, less on small machines
constexpr int32_t kNoNode = -1;

// One entry of the open list: a node's cost key when it was queued.
struct HeapEntry {
    uint64_t key;
    int32_t node;
};

struct PositionTable {
    // The block.
    void* memory = nullptr;
    size_t bytes = 0;
    // Carved by carve(): per node.
    int32_t boxCount = 0;
    int32_t capacity = 0;      // nodes that fit
    int32_t used = 0;          // nodes stored
    uint16_t* boxes = nullptr; // capacity * boxCount box squares, ascending per node
    uint16_t* pusher = nullptr;    // the pusher's square (after the node's push)
    uint8_t* direction = nullptr;  // the direction of the push that made the node
    uint8_t* closed = nullptr;     // 1 once expanded
    int32_t* parent = nullptr;
    int32_t* pathIndex = nullptr;  // the solution position the node stays near
    uint64_t* hashKey = nullptr;
    uint64_t* cost = nullptr;      // the metric's key: primary count << 32 | secondary count
    // The hash: slot = generation << 32 | node + 1; slots of other generations are free.
    uint64_t* slots = nullptr;
    uint64_t slotMask = 0;
    uint64_t generation = 0;
    // The heap.
    HeapEntry* heap = nullptr;
    int32_t heapSize = 0, heapCapacity = 0;

    // Asks for the block once; false when the system refuses.
    bool allocate();
    void release();
    // Lays the arrays out for boxCount boxes and empties the table.
    void carve(int32_t boxCount);
    const uint16_t* boxesOf(int32_t node) const { return boxes + static_cast<size_t>(node) * boxCount; }
    uint16_t* boxesOf(int32_t node) { return boxes + static_cast<size_t>(node) * boxCount; }

    // The node holding these boxes and pusher with this hash key, or kNoNode.
    int32_t find(uint64_t key, const uint16_t* boxSquares, int32_t pusherSquare) const;
    // Stores a new node; kNoNode when the table is full.
    int32_t insert(uint64_t key, const uint16_t* boxSquares, int32_t pusherSquare);

    // The heap: false when it is full.
    bool push(uint64_t costKey, int32_t node);
    bool pop(HeapEntry& out);
};
extern PositionTable positionTable;

// The table's size on this machine: kOptimizerMaxBytes, or an eighth of the physical memory
// when that is less.
size_t optimizerBudget();

}  // namespace qm
