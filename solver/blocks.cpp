#include "solver/blocks.hpp"

#include <cstring>

#include "board/system_memory.hpp"

#include <sys/mman.h>
#include <unistd.h>

namespace qm {

MemoryBlocks blocks;

namespace {

unsigned char* mapBlock(size_t bytes) { return static_cast<unsigned char*>(mapMemory(bytes)); }

void carveBlocks() {
    unsigned char* b1 = blocks.block1;
    Block1Layout& l1 = blocks.layout1;
    l1.segmentTable = reinterpret_cast<SegmentNode*>(b1 + kSegmentTableOffset);
    l1.entryTable = reinterpret_cast<EntryState*>(b1 + kEntryTableOffset);
    l1.relaxedCorralTable = reinterpret_cast<CorralEntry56*>(b1 + kRelaxedCorralOffset);
    l1.segmentCorralTable = reinterpret_cast<CorralEntry56*>(b1 + kSegmentCorralOffset);
    l1.companionTable = reinterpret_cast<CompanionNode*>(b1 + kCompanionTableOffset);
    l1.companionCorralTable = reinterpret_cast<CorralEntry32*>(b1 + kCompanionCorralOffset);
    l1.meetTable = reinterpret_cast<MeetNode*>(b1 + kMeetTableOffset);
    l1.finalCorralTable = reinterpret_cast<CorralEntry56*>(b1 + kFinalCorralOffset);
    unsigned char* b2 = blocks.block2;
    blocks.layout2.t2CorralTable = reinterpret_cast<CorralEntry*>(b2 + kT2CorralTableOffset);
    blocks.layout2.nodeTable = reinterpret_cast<SearchNode*>(b2 + kNodeTableOffset);
}

}  // namespace

int32_t allocateBlocks() {
    if (blocks.memoryReady) return 1;
    blocks.block1 = mapBlock(kBlock1Bytes);
    if (blocks.block1 != nullptr) blocks.block2 = mapBlock(kBlock2Bytes);
    if (blocks.block1 == nullptr || blocks.block2 == nullptr) {
        releaseBlocks();
        return 0;
    }
    carveBlocks();
    blocks.memoryReady = 1;
    return 1;
}

void releaseBlocks() {
    if (blocks.block1 != nullptr) munmap(blocks.block1, kBlock1Bytes);
    if (blocks.block2 != nullptr) munmap(blocks.block2, kBlock2Bytes);
    blocks.block1 = nullptr;
    blocks.block2 = nullptr;
    blocks.layout1 = Block1Layout{};
    blocks.layout2 = Block2Layout{};
    blocks.memoryReady = 0;
}

void clearMemory(void* start, size_t length) {
    if (start == nullptr || length == 0) return;
    const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    const uintptr_t begin = reinterpret_cast<uintptr_t>(start);
    const uintptr_t end = begin + length;
    const uintptr_t firstPage = (begin + page - 1) & ~(page - 1);
    const uintptr_t lastPage = end & ~(page - 1);
    if (firstPage >= lastPage) {
        std::memset(start, 0, length);
        return;
    }
    std::memset(start, 0, firstPage - begin);
    std::memset(reinterpret_cast<void*>(lastPage), 0, end - lastPage);
    // Anonymous private pages read as zero again once handed back; fall back to writing zeros.
    if (madvise(reinterpret_cast<void*>(firstPage), lastPage - firstPage, MADV_DONTNEED) != 0) {
        std::memset(reinterpret_cast<void*>(firstPage), 0, lastPage - firstPage);
    }
}

void clearBlock1() { clearMemory(blocks.block1, kBlock1Bytes); }
void clearBlock2() { clearMemory(blocks.block2, kBlock2Bytes); }

}  // namespace qm
