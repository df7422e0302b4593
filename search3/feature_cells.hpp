#pragma once
// The cells of the feature space: one per combination of feature values met so far, each with
// its waiting positions in buckets by weight. The search visits the cells in turn, in the order
// they were first met, and takes the lightest waiting position of each.
#include <cstddef>
#include <cstdint>

#include "search3/feature_table.hpp"
#include "search3/link_queue.hpp"

namespace qm {

constexpr int32_t kMaxWeight = 255;          // heavier positions wait with this weight
constexpr int32_t kMaxCells = 8192;
constexpr int32_t kCellsLink = 3;            // the link field of the cells' queues
constexpr int32_t kPackingValues = 65;       // boxes on goals: 0 .. 64
constexpr int32_t kOutOfPlanValues = 65;
constexpr int32_t kRegionValues = 16;        // pusher regions 1 .. 16, more counted as 16
constexpr int32_t kCellKeys = kPackingValues * kOutOfPlanValues * kRegionValues;
constexpr uint16_t kNoCell = 0xFFFF;

// Waiting positions of one cell by weight: the link of the cells order is the last.
using CellQueue = LinkQueue<kCellsLink, kMaxWeight + 1>;

struct FeatureCells {
    CellQueue* queues = nullptr;     // kMaxCells queues, carved from the search's memory
    uint16_t cellOfKey[kCellKeys];   // kNoCell for a combination not met yet
    int32_t cellCount = 0;
    int32_t cursor = 0;              // the cell whose turn is next
    int64_t waiting = 0;             // positions waiting in all cells
};
extern FeatureCells featureCells;

// Bytes the cell queues take.
constexpr size_t kCellQueueBytes = sizeof(CellQueue) * kMaxCells;

// Empties the cells; queues points at kCellQueueBytes of the search's memory.
void startFeatureCells(unsigned char* queues);

// The cell of a combination of feature values, made when first met; kNoCell when no cell is left.
uint16_t cellOf(int32_t packing, int32_t outOfPlan, int32_t regions);

// Queues node in its cell by its weight.
void queueInCell(FeatureNode* node);

// The lightest waiting position of the next cell in turn that has one; nullptr when none waits.
FeatureNode* nextInTurn();

}  // namespace qm
