#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>

#include "solver/blocks.hpp"

namespace {

// Resident memory of this process in kB, from /proc; -1 when it cannot be read.
long residentKb() {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

}  // namespace

TEST(MemoryBlocks, CarvedAtTheirOffsetsAndClearedWithoutTouchingPages) {
    ASSERT_EQ(qm::allocateBlocks(), 1);
    ASSERT_EQ(qm::blocks.memoryReady, 1);
    const auto* b1 = qm::blocks.block1;
    const auto* b2 = qm::blocks.block2;
    const auto& l1 = qm::blocks.layout1;
    EXPECT_EQ(reinterpret_cast<const unsigned char*>(l1.entryTable) - b1, 7025288);
    EXPECT_EQ(reinterpret_cast<const unsigned char*>(l1.relaxedCorralTable) - b1, 8068512);
    EXPECT_EQ(reinterpret_cast<const unsigned char*>(l1.segmentCorralTable) - b1, 277850752);
    EXPECT_EQ(reinterpret_cast<const unsigned char*>(l1.companionTable) - b1, 279194808);
    EXPECT_EQ(reinterpret_cast<const unsigned char*>(l1.finalCorralTable) - b1, 1767557384);
    EXPECT_EQ(reinterpret_cast<const unsigned char*>(l1.companionCorralTable) - b1, 1871403640);
    EXPECT_EQ(reinterpret_cast<const unsigned char*>(qm::blocks.layout2.nodeTable) - b2, 3999640);

    // Writing 64 MB and clearing the block gives the pages back: they read as zero again.
    unsigned char* p = qm::blocks.block2 + 12345;
    const size_t bytes = size_t{64} << 20;
    const long before = residentKb();
    std::memset(p, 0xAB, bytes);
    const long written = residentKb();
    qm::clearBlock2();
    const long cleared = residentKb();
    EXPECT_EQ(p[0], 0);
    EXPECT_EQ(p[bytes - 1], 0);
    EXPECT_EQ(p[bytes / 2], 0);
    if (before >= 0) {
        EXPECT_GT(written - before, 60 * 1024);
        EXPECT_LT(cleared - before, 8 * 1024);
    }
    qm::releaseBlocks();
    EXPECT_EQ(qm::blocks.memoryReady, 0);
}

TEST(MemoryBlocks, ClearingAPartialRangeZeroesExactlyIt) {
    ASSERT_EQ(qm::allocateBlocks(), 1);
    unsigned char* base = qm::blocks.block1;
    std::memset(base, 0x5A, 3 * 4096 + 500);
    qm::clearMemory(base + 100, 2 * 4096 + 300);
    EXPECT_EQ(base[99], 0x5A);
    EXPECT_EQ(base[100], 0);
    EXPECT_EQ(base[4096], 0);
    EXPECT_EQ(base[100 + 2 * 4096 + 299], 0);
    EXPECT_EQ(base[100 + 2 * 4096 + 300], 0x5A);
    qm::clearMemory(base + 10, 20);  // inside one page
    EXPECT_EQ(base[9], 0x5A);
    EXPECT_EQ(base[10], 0);
    EXPECT_EQ(base[30], 0x5A);
    qm::releaseBlocks();
}

TEST(MemoryBlocks, RefusedAllocationLeavesNothingReady) {
    qm::releaseBlocks();
    qm::blocks.refuseAllocation = true;
    EXPECT_EQ(qm::allocateBlocks(), 0);
    EXPECT_EQ(qm::blocks.memoryReady, 0);
    EXPECT_EQ(qm::blocks.block1, nullptr);
    EXPECT_EQ(qm::blocks.block2, nullptr);
    qm::blocks.refuseAllocation = false;
    EXPECT_EQ(qm::allocateBlocks(), 1);
    qm::releaseBlocks();
}
