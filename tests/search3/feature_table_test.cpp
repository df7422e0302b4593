#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "search3/feature_table.hpp"

namespace {

constexpr int32_t kWords = 2;

// Box sets told apart by their first word, and hashes spread over every slot count.
std::vector<uint64_t> boxesOf(int64_t i) { return {static_cast<uint64_t>(i), ~static_cast<uint64_t>(i)}; }
uint64_t hashOf(int64_t i) { return static_cast<uint64_t>(i) * 0x9E3779B97F4A7C15ULL >> 3; }

// Records well past the first slot count make the slots double several times: every record must
// still be found with its own pusher, and no other pusher or box set may match it.
TEST(FeatureTable, RecordsStayFoundWhileTheSlotsGrowAndTheArenaFills) {
    std::vector<uint64_t> memory(3'000'000);  // 24 MB: room for a few hundred thousand records
    ASSERT_TRUE(qm::startFeatureTable(reinterpret_cast<unsigned char*>(memory.data()),
                                      memory.size() * sizeof(uint64_t), kWords));
    const int64_t capacity = qm::featureTable.capacity;
    ASSERT_GT(capacity, 200'000);
    int64_t stored = 0;
    for (;; ++stored) {
        const std::vector<uint64_t> boxes = boxesOf(stored);
        qm::FeatureNode* node = qm::addFeatureNode(hashOf(stored), boxes.data(), static_cast<int32_t>(stored % 7));
        if (node == nullptr) break;
        node->pushes = static_cast<int32_t>(stored);
    }
    EXPECT_EQ(stored, capacity);
    for (int64_t i = 0; i < stored; i += 97) {
        const std::vector<uint64_t> boxes = boxesOf(i);
        const qm::FeatureNode* node = qm::findFeatureNode(hashOf(i), boxes.data(), static_cast<int32_t>(i % 7));
        ASSERT_NE(node, nullptr) << "record " << i;
        EXPECT_EQ(node->pushes, i);
        EXPECT_EQ(qm::findFeatureNode(hashOf(i), boxes.data(), static_cast<int32_t>(i % 7 + 1)), nullptr);
    }
    const std::vector<uint64_t> absent = boxesOf(stored);
    EXPECT_EQ(qm::findFeatureNode(hashOf(stored), absent.data(), 0), nullptr);
}

}  // namespace
