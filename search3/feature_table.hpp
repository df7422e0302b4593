#pragma once
// The feature search's positions: fixed-size records, each followed by its box set (one bit per
// floor square), in one arena, found again through a chained hash table. Both live in memory the
// caller hands over, carved once per search.
#include <cstddef>
#include <cstdint>

namespace qm {

struct FeatureNode {
    uint64_t hash;              // box keys and the pusher's key
    FeatureNode* parent;        // nullptr at the start position
    FeatureNode* hashNext;      // next record of the same hash slot
    FeatureNode* links[4];      // next record waiting in the same bucket, one link per order
    int32_t pushes;             // pushes from the start
    int16_t pusher;             // smallest square of the pusher's region
    int16_t from, to;           // the box transfer that made it from its parent
    uint16_t weight;            // moves on its path that no advisor proposed
    uint16_t cell;              // its cell of the feature space
    uint16_t bound;             // the assignment bound: pushes the boxes need at least
    uint8_t packing;            // boxes on goals
    uint8_t outOfPlan;          // goals filled ahead of the filling order
    uint8_t regions;            // separate regions of the pusher's floor
    uint8_t expanded;           // 1 once one of the orders has expanded it
    uint8_t side;               // kForwardSide, or kBackwardSide for a position pulled back

    uint64_t* boxSet() { return reinterpret_cast<uint64_t*>(this + 1); }
    const uint64_t* boxSet() const { return reinterpret_cast<const uint64_t*>(this + 1); }
};
static_assert(sizeof(FeatureNode) % 8 == 0, "box sets follow the record on 8-byte bounds");

constexpr uint8_t kForwardSide = 0;   // reached from the start by pushes
constexpr uint8_t kBackwardSide = 1;  // reached from the solved position by pulls

struct FeatureTable {
    unsigned char* arena = nullptr;
    size_t stride = 0;           // bytes of a record with its box set
    int64_t capacity = 0;        // records the arena holds
    int64_t count = 0;
    int32_t words = 0;           // words of a box set
    FeatureNode** slots = nullptr;
    uint64_t slotMask = 0;       // slot count less one (a power of two)
    uint64_t slotLimit = 0;      // the most slots the memory leaves room for
    unsigned char* end = nullptr;  // the end of the memory: the slots sit just below it
};
extern FeatureTable featureTable;

// Carves bytes at memory (read as zero) into the slots and the arena for box sets of the given
// words. False when not even a few records fit.
bool startFeatureTable(unsigned char* memory, size_t bytes, int32_t words);

// The stored record of the position with this hash, box set and pusher, or nullptr.
FeatureNode* findFeatureNode(uint64_t hash, const uint64_t* boxes, int32_t pusher);

// A new record for the position, linked into its hash slot, its box set copied; the caller fills
// the rest. nullptr when the arena is full.
FeatureNode* addFeatureNode(uint64_t hash, const uint64_t* boxes, int32_t pusher);

}  // namespace qm
