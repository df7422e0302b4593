#include "search3/feature_orders.hpp"

#include "search3/feature_cells.hpp"
#include "search3/link_queue.hpp"

namespace qm {

namespace {

constexpr int32_t kBoundKeys = 4096;

// The three orders by the assignment bound.
struct BoundOrders {
    LinkQueue<0, kBoundKeys> bound;       // the bound alone
    LinkQueue<1, kBoundKeys> twice;       // pushes + 2 x bound, halved
    LinkQueue<2, kBoundKeys> fourTimes;   // pushes + 4 x bound, halved
    int32_t turn = 0;
};
BoundOrders orders;

FeatureNode* takeFrom(int32_t order) {
    switch (order) {
        case 0: return orders.bound.pop();
        case 1: return orders.twice.pop();
        case 2: return orders.fourTimes.pop();
        default: return nextInTurn();
    }
}

}  // namespace

void startOrders(unsigned char* cellMemory) {
    orders.bound.clear();
    orders.twice.clear();
    orders.fourTimes.clear();
    orders.turn = 0;
    startFeatureCells(cellMemory);
}

void queueInOrders(FeatureNode* node) {
    const int32_t bound = node->bound, pushes = node->pushes;
    node->expanded = 0;
    orders.bound.push(bound, node);
    orders.twice.push((pushes + 2 * bound) / 2, node);
    orders.fourTimes.push((pushes + 4 * bound) / 2, node);
    queueInCell(node);
}

FeatureNode* nextToExpand() {
    constexpr int32_t count = kOrderCount;
    for (int32_t tried = 0; tried < count; ++tried) {
        const int32_t order = orders.turn;
        orders.turn = order + 1 == count ? 0 : order + 1;
        for (FeatureNode* node = takeFrom(order); node != nullptr; node = takeFrom(order)) {
            if (node->expanded != 0) continue;
            node->expanded = 1;
            return node;
        }
    }
    return nullptr;
}

}  // namespace qm
