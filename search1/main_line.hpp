#pragma once
// The main line: the box transfers the main phase has committed, in order from the start
// position. The companion and final searches start push-side roots from the states along it, and
// their solutions replay it. It keeps every entry: it grows as segments are committed.
#include <cstdint>

namespace qm {

struct MainLineEntry {
    int16_t from;        // the box's square before the transfer
    int16_t to;          // its square after
    int16_t pusher;      // the pusher's square after the transfer
    uint8_t segmentEnd;  // 1 on the last transfer of a segment: the final search inserts its state
    uint8_t unused;
};

struct MainLine {
    MainLineEntry* entries = nullptr;
    int32_t capacity = 0;
    int32_t mainLineLength = 0;    // entries stored
    int32_t mainLineOverflow = 0;  // an entry could not be stored (the table could not grow)
    int32_t sharedLength = 0;      // entries published to the second core
};
extern MainLine mainLine;

// Empties the line; its storage is kept for the next solve.
void resetMainLine();
// Appends a transfer; false (and mainLineOverflow set) when the storage cannot grow.
bool appendMainLine(int32_t from, int32_t to, int32_t pusher);
// Marks the last stored entry as the end of a segment and publishes the line to the second core.
void markSegmentEnd();
// Frees the storage.
void releaseMainLine();

}  // namespace qm
