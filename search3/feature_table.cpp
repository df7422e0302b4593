#include "search3/feature_table.hpp"

#include <cstring>

namespace qm {

FeatureTable featureTable;

namespace {

constexpr int64_t kFewestRecords = 1024;

bool sameBoxes(const uint64_t* a, const uint64_t* b, int32_t words) {
    for (int32_t w = 0; w < words; ++w) {
        if (a[w] != b[w]) return false;
    }
    return true;
}

}  // namespace

bool startFeatureTable(unsigned char* memory, size_t bytes, int32_t words) {
    FeatureTable& t = featureTable;
    t.words = words;
    t.stride = sizeof(FeatureNode) + sizeof(uint64_t) * static_cast<size_t>(words);
    t.count = 0;
    // About one slot per record: the largest power of two the records leave room for.
    const size_t perRecord = t.stride + sizeof(FeatureNode*);
    const size_t records = bytes / perRecord;
    size_t slots = 1;
    while (slots * 2 <= records) slots *= 2;
    const size_t slotBytes = slots * sizeof(FeatureNode*);
    if (bytes < slotBytes) return false;
    t.capacity = static_cast<int64_t>((bytes - slotBytes) / t.stride);
    if (t.capacity < kFewestRecords) return false;
    t.slots = reinterpret_cast<FeatureNode**>(memory);
    t.slotMask = slots - 1;
    // Written once now, so that no lookup reads a page before it is written.
    std::memset(t.slots, 0, slotBytes);
    t.arena = memory + slotBytes;
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
