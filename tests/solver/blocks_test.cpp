#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

#include "solver/blocks.hpp"
#include "support/refusing_memory.hpp"

namespace {

// How many pages of [start, start + bytes) are resident, by the system's page table.
size_t residentPages(unsigned char* start, size_t bytes) {
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    unsigned char* first = reinterpret_cast<unsigned char*>(reinterpret_cast<uintptr_t>(start) & ~(page - 1));
    const size_t length = static_cast<size_t>(start + bytes - first);
    std::vector<unsigned char> flags((length + page - 1) / page);
    if (mincore(first, length, flags.data()) != 0) return 0;
    size_t resident = 0;
    for (unsigned char f : flags) resident += f & 1;
    return resident;
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
    const size_t pages = bytes / static_cast<size_t>(sysconf(_SC_PAGESIZE));
    std::memset(p, 0xAB, bytes);
    EXPECT_GE(residentPages(p, bytes), pages);
    qm::clearBlock2();
    EXPECT_LT(residentPages(p, bytes), 8u);
    EXPECT_EQ(p[0], 0);
    EXPECT_EQ(p[bytes - 1], 0);
    EXPECT_EQ(p[bytes / 2], 0);
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
    {
        qmtest::MemoryRefusal refusal(0);
        EXPECT_EQ(qm::allocateBlocks(), 0);
        EXPECT_EQ(qm::blocks.memoryReady, 0);
        EXPECT_EQ(qm::blocks.block1, nullptr);
        EXPECT_EQ(qm::blocks.block2, nullptr);
    }
    EXPECT_EQ(qm::allocateBlocks(), 1);
    qm::releaseBlocks();
}
