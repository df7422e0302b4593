#include "optimize/position_table.hpp"

#include <algorithm>
#include <cstring>

#include <sys/mman.h>
#include <unistd.h>

#include "board/system_memory.hpp"

namespace qm {

PositionTable positionTable;

namespace {

// Bytes per node besides the box squares: the node arrays, two hash slots and two heap entries.
constexpr size_t kNodeFixedBytes = 2 + 1 + 1 + 4 + 4 + 8 + 8 + 2 * 8 + 2 * sizeof(HeapEntry);

template <typename T>
T* carveArray(char*& at, size_t count) {
    at = reinterpret_cast<char*>((reinterpret_cast<uintptr_t>(at) + 15) & ~uintptr_t{15});
    T* array = reinterpret_cast<T*>(at);
    at += count * sizeof(T);
    return array;
}

bool sameBoxes(const uint16_t* a, const uint16_t* b, int32_t n) {
    return std::memcmp(a, b, sizeof(uint16_t) * static_cast<size_t>(n)) == 0;
}

}  // namespace

size_t optimizerBudget() {
    const long pages = sysconf(_SC_PHYS_PAGES), pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) return kOptimizerMaxBytes / 4;
    const size_t physical = static_cast<size_t>(pages) * static_cast<size_t>(pageSize);
    return std::min(kOptimizerMaxBytes, physical / 8);
}

bool PositionTable::allocate() {
    if (memory != nullptr) return true;
    const size_t want = optimizerBudget();
    memory = mapMemory(want);
    if (memory == nullptr) return false;
    bytes = want;
    return true;
}

void PositionTable::release() {
    if (memory != nullptr) munmap(memory, bytes);
    memory = nullptr;
    bytes = 0;
    capacity = 0;
}

void PositionTable::carve(int32_t boxes_) {
    boxCount = boxes_;
    const size_t perNode = kNodeFixedBytes + sizeof(uint16_t) * static_cast<size_t>(boxCount);
    size_t nodes = (bytes - 1024) / perNode;
    nodes = std::min<size_t>(nodes, INT32_MAX / 4);
    // The hash has a power of two of slots, at most twice the nodes, and is at most half full.
    size_t slotCount = 2;
    while (slotCount * 2 <= 2 * nodes) slotCount <<= 1;
    nodes = std::min(nodes, slotCount / 2);
    char* at = static_cast<char*>(memory);
    boxes = carveArray<uint16_t>(at, nodes * static_cast<size_t>(boxCount));
    pusher = carveArray<uint16_t>(at, nodes);
    direction = carveArray<uint8_t>(at, nodes);
    closed = carveArray<uint8_t>(at, nodes);
    parent = carveArray<int32_t>(at, nodes);
    pathIndex = carveArray<int32_t>(at, nodes);
    hashKey = carveArray<uint64_t>(at, nodes);
    cost = carveArray<uint64_t>(at, nodes);
    heapCapacity = static_cast<int32_t>(nodes * 2);
    heap = carveArray<HeapEntry>(at, static_cast<size_t>(heapCapacity));
    slots = carveArray<uint64_t>(at, slotCount);
    slotMask = slotCount - 1;
    capacity = static_cast<int32_t>(nodes);
    used = 0;
    heapSize = 0;
    // A new generation frees every slot without touching them.
    ++generation;
}

int32_t PositionTable::find(uint64_t key, const uint16_t* boxSquares, int32_t pusherSquare) const {
    for (uint64_t i = key & slotMask;; i = (i + 1) & slotMask) {
        const uint64_t slot = slots[i];
        if (slot >> 32 != generation) return kNoNode;
        const int32_t node = static_cast<int32_t>(slot & 0xffffffffu) - 1;
        if (hashKey[node] == key && pusher[node] == pusherSquare && sameBoxes(boxesOf(node), boxSquares, boxCount))
            return node;
    }
}

int32_t PositionTable::insert(uint64_t key, const uint16_t* boxSquares, int32_t pusherSquare) {
    if (used >= capacity) return kNoNode;
    const int32_t node = used++;
    std::memcpy(boxesOf(node), boxSquares, sizeof(uint16_t) * static_cast<size_t>(boxCount));
    pusher[node] = static_cast<uint16_t>(pusherSquare);
    hashKey[node] = key;
    closed[node] = 0;
    uint64_t i = key & slotMask;
    while (slots[i] >> 32 == generation) i = (i + 1) & slotMask;
    slots[i] = generation << 32 | static_cast<uint64_t>(node + 1);
    return node;
}

bool PositionTable::push(uint64_t costKey, int32_t node) {
    if (heapSize >= heapCapacity) return false;
    int32_t i = heapSize++;
    while (i > 0) {
        const int32_t up = (i - 1) / 2;
        if (heap[up].key <= costKey) break;
        heap[i] = heap[up];
        i = up;
    }
    heap[i] = HeapEntry{costKey, node};
    return true;
}

bool PositionTable::pop(HeapEntry& out) {
    if (heapSize == 0) return false;
    out = heap[0];
    const HeapEntry last = heap[--heapSize];
    int32_t i = 0;
    for (;;) {
        int32_t child = 2 * i + 1;
        if (child >= heapSize) break;
        if (child + 1 < heapSize && heap[child + 1].key < heap[child].key) ++child;
        if (heap[child].key >= last.key) break;
        heap[i] = heap[child];
        i = child;
    }
    heap[i] = last;
    return true;
}

}  // namespace qm
