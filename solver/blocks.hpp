#pragma once
// The two large memory blocks of the solver threads, allocated once per program run and carved
// into named regions. Block 1 belongs to thread 1 and block 2 to thread 2 during a solve.
#include <cstddef>
#include <cstdint>

namespace qm {

constexpr size_t kBlock1Bytes = 1872171672;
constexpr size_t kBlock2Bytes = 1701381712;

// Region offsets of block 1. The main phase lays out the first five; the final search reuses
// the block from offset 0 for its meeting table with its corral table behind it.
constexpr size_t kSegmentTableOffset = 0;                // 46,219 records of 152 bytes
constexpr size_t kEntryTableOffset = 7025288;            // 372,013 records of 728 bytes
constexpr size_t kRelaxedCorralOffset = 8068512;         // 24,001 x 56, inside the entry table
constexpr size_t kSegmentCorralOffset = 277850752;       // 24,001 x 56
constexpr size_t kCompanionTableOffset = 279194808;      // 24,878,263 x 64
constexpr size_t kFinalCorralOffset = 1767557384;        // 1,868,107 x 56, after the meet table
constexpr size_t kCompanionCorralOffset = 1871403640;    // 24,001 x 32, to the block's end
constexpr size_t kMeetTableOffset = 0;                   // 11,628,667 x 152

// Region offsets of block 2.
constexpr size_t kT2CorralTableOffset = 0;               // 99,991 x 40
constexpr size_t kNodeTableOffset = 3999640;             // 23,574,751 x 72

// Record types of the regions, defined by the searches that own them.
struct SegmentNode;
struct EntryState;
template <int32_t kBoxes> struct CorralRecord;
using CorralEntry56 = CorralRecord<18>;
using CorralEntry32 = CorralRecord<6>;
template <int32_t kBoxes> struct BidiNode;
using CompanionNode = BidiNode<20>;
using MeetNode = BidiNode<64>;
struct CorralEntry;
struct SearchNode;

struct Block1Layout {
    SegmentNode* segmentTable = nullptr;
    EntryState* entryTable = nullptr;
    CorralEntry56* relaxedCorralTable = nullptr;
    CorralEntry56* segmentCorralTable = nullptr;
    CompanionNode* companionTable = nullptr;
    CorralEntry32* companionCorralTable = nullptr;
    MeetNode* meetTable = nullptr;
    CorralEntry56* finalCorralTable = nullptr;
};

struct Block2Layout {
    CorralEntry* t2CorralTable = nullptr;
    SearchNode* nodeTable = nullptr;
};

struct MemoryBlocks {
    unsigned char* block1 = nullptr;
    unsigned char* block2 = nullptr;
    Block1Layout layout1;
    Block2Layout layout2;
    int32_t memoryReady = 0;  // 1 when both blocks are allocated
};
extern MemoryBlocks blocks;

// Allocates both blocks (block 2 only when block 1 succeeded) and carves them. Sets memoryReady.
// Returns memoryReady. Calling it again while allocated does nothing.
int32_t allocateBlocks();
// Releases both blocks; memoryReady becomes 0.
void releaseBlocks();
// Makes bytes [start, start + length) read as zero. Whole pages are handed back to the system,
// so clearing costs nothing for pages that were never touched.
void clearMemory(void* start, size_t length);
// Makes the page behind p private and writable before the table slot on it is first read. A
// first read of an untouched page maps the system's shared zero page; the write that stores a
// node there then has to replace that mapping, and while a second solver thread runs, every
// processor must drop its stale translation of the page, which costs more than the search.
// A locked add of zero is a write, so the page is faulted in writable at once.
inline void touchForWrite(void* p) {
    __atomic_fetch_add(static_cast<int16_t*>(p), int16_t{0}, __ATOMIC_RELAXED);
}

// Clears a whole block.
void clearBlock1();
void clearBlock2();

}  // namespace qm
