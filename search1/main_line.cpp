#include "search1/main_line.hpp"

#include <cstdlib>

#include "board/system_memory.hpp"
#include "search/shared_line.hpp"

namespace qm {

MainLine mainLine;

namespace {

constexpr int32_t kFirstCapacity = 1024;
constexpr int32_t kMaxEntries = 1 << 26;  // far beyond any solution the solution text can hold

bool grow() {
    MainLine& line = mainLine;
    if (line.capacity >= kMaxEntries) return false;
    const int32_t wanted = line.capacity == 0 ? kFirstCapacity : line.capacity * 2;
    void* grown = resizeMemory(line.entries, sizeof(MainLineEntry) * static_cast<size_t>(wanted));
    if (grown == nullptr) return false;
    line.entries = static_cast<MainLineEntry*>(grown);
    line.capacity = wanted;
    return true;
}

}  // namespace

void resetMainLine() {
    mainLine.mainLineLength = 0;
    mainLine.mainLineOverflow = 0;
    mainLine.sharedLength = 0;
}

bool appendMainLine(int32_t from, int32_t to, int32_t pusher) {
    MainLine& line = mainLine;
    if (line.mainLineLength == line.capacity && !grow()) {
        line.mainLineOverflow = 1;
        return false;
    }
    line.entries[line.mainLineLength++] =
        MainLineEntry{static_cast<int16_t>(from), static_cast<int16_t>(to),
                      static_cast<int16_t>(pusher), 0, 0};
    return true;
}

void markSegmentEnd() {
    MainLine& line = mainLine;
    if (line.mainLineLength == 0) return;
    line.entries[line.mainLineLength - 1].segmentEnd = 1;
    if (line.mainLineOverflow != 0) return;
    for (; line.sharedLength < line.mainLineLength; ++line.sharedLength) {
        const MainLineEntry& e = line.entries[line.sharedLength];
        writeSharedTransfer(line.sharedLength, SharedTransfer{e.from, e.to, e.pusher, e.segmentEnd != 0});
    }
    publishSharedTransfers(line.sharedLength);
}

void releaseMainLine() {
    std::free(mainLine.entries);
    mainLine = MainLine{};
}

}  // namespace qm
