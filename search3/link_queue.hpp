#pragma once
// Waiting positions in stacks by a small key: the lightest key is served first, the newest
// position first within a key, so a line of equally good moves is followed to its end. A
// position waits in several such queues at once through one link field per queue (kLink).
#include <cstdint>

#include "search3/feature_table.hpp"

namespace qm {

template <int32_t kLink, int32_t kKeys>
struct LinkQueue {
    static constexpr int32_t kHeaviest = kKeys - 1;  // heavier keys wait with this one

    FeatureNode* head[kKeys];
    int32_t lightest = kKeys;  // lightest key that may be non-empty
    int64_t open = 0;

    void clear() {
        for (int32_t k = 0; k < kKeys; ++k) head[k] = nullptr;
        lightest = kKeys;
        open = 0;
    }
    void push(int32_t key, FeatureNode* node) {
        const int32_t k = key < 0 ? 0 : (key > kHeaviest ? kHeaviest : key);
        node->links[kLink] = head[k];
        head[k] = node;
        if (k < lightest) lightest = k;
        ++open;
    }
    // The newest position of the lightest key; nullptr when none waits.
    FeatureNode* pop() {
        while (lightest < kKeys && head[lightest] == nullptr) ++lightest;
        if (lightest >= kKeys) return nullptr;
        FeatureNode* node = head[lightest];
        head[lightest] = node->links[kLink];
        --open;
        return node;
    }
};

}  // namespace qm
