#pragma once
// The orders in which the feature search takes its waiting positions, one after the other in
// turn over one table: three by the assignment bound (the bound alone, then the pushes made with
// the bound counted twice and four times: ever more greedy, ever less), and the cells of the
// feature space. Each finds solutions the others miss; taking turns shares what each stores.
#include <cstdint>

#include "search3/feature_table.hpp"

namespace qm {

constexpr int32_t kOrderCount = 4;

// Empties every order; cellMemory holds the cells' queues (kCellQueueBytes).
void startOrders(unsigned char* cellMemory);
// Queues a stored position in every order.
void queueInOrders(FeatureNode* node);
// The next position to expand, taking the orders in turn and passing over positions another
// order has expanded already; marks it expanded. nullptr when none waits.
FeatureNode* nextToExpand();

}  // namespace qm
