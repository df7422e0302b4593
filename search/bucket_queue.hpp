#pragma once
// A queue of FIFO buckets indexed by a small priority, served from the highest non-empty bucket.
// The nodes are threaded through one of their own pointer fields (kNext), so the queue allocates
// nothing. Popping lowers the top past empty buckets, down to -1 when all are empty; a push
// raises it again.
#include <cstdint>

namespace qm {

template <typename Node, int32_t kBuckets, Node* Node::*kNext = &Node::bucketNext>
struct BucketQueue {
    Node* head[kBuckets];
    Node* tail[kBuckets];
    int32_t top = 0;   // highest bucket that may be non-empty
    int32_t open = 0;  // nodes waiting

    static constexpr int32_t kBucketCount = kBuckets;

    void clear() {
        for (int32_t b = 0; b < kBuckets; ++b) {
            head[b] = nullptr;
            tail[b] = nullptr;
        }
        top = 0;
        open = 0;
    }

    // Appends node at the tail of bucket priority and raises the top to it.
    void push(int32_t priority, Node* node) {
        node->*kNext = nullptr;
        if (tail[priority] != nullptr) tail[priority]->*kNext = node;
        else head[priority] = node;
        tail[priority] = node;
        if (priority > top) top = priority;
        ++open;
    }

    // The head of the highest non-empty bucket; nullptr when every bucket is empty.
    Node* pop() {
        while (top >= 0 && head[top] == nullptr) --top;
        if (top < 0) return nullptr;
        Node* node = head[top];
        head[top] = node->*kNext;
        if (head[top] == nullptr) tail[top] = nullptr;
        --open;
        return node;
    }
};

}  // namespace qm
