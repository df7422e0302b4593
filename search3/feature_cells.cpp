#include "search3/feature_cells.hpp"

#include <cstring>

namespace qm {

FeatureCells featureCells;

void startFeatureCells(unsigned char* queues) {
    FeatureCells& c = featureCells;
    c.queues = reinterpret_cast<CellQueue*>(queues);
    std::memset(c.cellOfKey, 0xFF, sizeof c.cellOfKey);
    c.cellCount = 0;
    c.cursor = 0;
    c.waiting = 0;
}

uint16_t cellOf(int32_t packing, int32_t outOfPlan, int32_t regions) {
    FeatureCells& c = featureCells;
    const int32_t r = regions < 1 ? 0 : (regions > kRegionValues ? kRegionValues - 1 : regions - 1);
    const int32_t key = (packing * kOutOfPlanValues + outOfPlan) * kRegionValues + r;
    uint16_t& cell = c.cellOfKey[key];
    if (cell != kNoCell) return cell;
    if (c.cellCount >= kMaxCells) return kNoCell;
    cell = static_cast<uint16_t>(c.cellCount++);
    c.queues[cell].clear();
    return cell;
}

void queueInCell(FeatureNode* node) {
    const int32_t weight = node->weight > kMaxWeight ? kMaxWeight : node->weight;
    featureCells.queues[node->cell].push(weight, node);
    ++featureCells.waiting;
}

FeatureNode* nextInTurn() {
    FeatureCells& c = featureCells;
    if (c.waiting == 0) return nullptr;
    for (int32_t tried = 0; tried < c.cellCount; ++tried) {
        CellQueue& queue = c.queues[c.cursor];
        c.cursor = c.cursor + 1 == c.cellCount ? 0 : c.cursor + 1;
        if (queue.open == 0) continue;
        --c.waiting;
        return queue.pop();
    }
    return nullptr;
}

}  // namespace qm

