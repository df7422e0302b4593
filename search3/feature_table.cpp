#include "search3/feature_table.hpp"

#include <cstring>

namespace qm {

FeatureTable featureTable;

namespace {

constexpr int64_t kFewestRecords = 1024;
constexpr uint64_t kFirstSlots = 1 << 16;

bool sameBoxes(const uint64_t* a, const uint64_t* b, int32_t words) {
    for (int32_t w = 0; w < words; ++w) {
        if (a[w] != b[w]) return false;
    }
    return true;
}

// Points the slots at the top slotCount words of the memory, cleared, and links every record
// stored so far into them.
void placeSlots(uint64_t slotCount) {
    FeatureTable& t = featureTable;
    t.slots = reinterpret_cast<FeatureNode**>(t.end - slotCount * sizeof(FeatureNode*));
    t.slotMask = slotCount - 1;
    std::memset(t.slots, 0, slotCount * sizeof(FeatureNode*));
    for (int64_t i = 0; i < t.count; ++i) {
        FeatureNode* node = reinterpret_cast<FeatureNode*>(t.arena + static_cast<size_t>(i) * t.stride);
        FeatureNode*& slot = t.slots[node->hash & t.slotMask];
        node->hashNext = slot;
        slot = node;
    }
}

}  // namespace

bool startFeatureTable(unsigned char* memory, size_t bytes, int32_t words) {
    FeatureTable& t = featureTable;
    t.words = words;
    t.stride = sizeof(FeatureNode) + sizeof(uint64_t) * static_cast<size_t>(words);
    t.count = 0;
    // At most about one slot per record: the largest power of two the records leave room for.
    // The slots start few and double as the records grow, so a short search clears little.
    const size_t perRecord = t.stride + sizeof(FeatureNode*);
    const size_t records = bytes / perRecord;
    size_t slots = 1;
    while (slots * 2 <= records) slots *= 2;
    const size_t slotBytes = slots * sizeof(FeatureNode*);
    const size_t usable = bytes / sizeof(FeatureNode*) * sizeof(FeatureNode*);
    if (usable < slotBytes) return false;
    t.capacity = static_cast<int64_t>((usable - slotBytes) / t.stride);
    if (t.capacity < kFewestRecords) return false;
    t.arena = memory;
    t.end = memory + usable;
    t.slotLimit = slots;
    placeSlots(slots < kFirstSlots ? slots : kFirstSlots);
    return true;
}

FeatureNode* findFeatureNode(uint64_t hash, const uint64_t* boxes, int32_t pusher) {
    const FeatureTable& t = featureTable;
    for (FeatureNode* node = t.slots[hash & t.slotMask]; node != nullptr; node = node->hashNext) {
        if (node->hash == hash && node->pusher == pusher && sameBoxes(node->boxSet(), boxes, t.words))
            return node;
    }
    return nullptr;
}

FeatureNode* addFeatureNode(uint64_t hash, const uint64_t* boxes, int32_t pusher) {
    FeatureTable& t = featureTable;
    if (t.count >= t.capacity) return nullptr;
    if (static_cast<uint64_t>(t.count) > t.slotMask && t.slotMask + 1 < t.slotLimit) {
        placeSlots((t.slotMask + 1) * 2);
    }
    FeatureNode* node = reinterpret_cast<FeatureNode*>(t.arena + static_cast<size_t>(t.count) * t.stride);
    ++t.count;
    std::memcpy(node->boxSet(), boxes, sizeof(uint64_t) * static_cast<size_t>(t.words));
    node->hash = hash;
    node->pusher = static_cast<int16_t>(pusher);
    FeatureNode*& slot = t.slots[hash & t.slotMask];
    node->hashNext = slot;
    slot = node;
    return node;
}

}  // namespace qm
