#pragma once
// The box transfers thread 1's main phase has committed, published for the second core. Thread 1
// appends the transfers of each committed segment and then raises the published count (a
// release); the second core reads the count (an acquire) and the transfers below it, which are
// never written again during the solve. Every word is atomic, so nothing else is shared.
#include <atomic>
#include <cstdint>

namespace qm {

constexpr int32_t kSharedLineTransfers = 16384;  // transfers beyond this are not published

struct SharedTransfer {
    int32_t from, to;  // the box's square before and after
    int32_t pusher;    // the pusher's square after
    bool segmentEnd;   // the last transfer of a committed segment
};

struct SharedLine {
    std::atomic<uint64_t> transfers[kSharedLineTransfers];  // packed SharedTransfers
    std::atomic<int32_t> published{0};
};
extern SharedLine sharedLine;

// Empties the line; called while no solver thread runs.
void resetSharedLine();
// Writes transfer `index` (thread 1 only, at or above the published count).
void writeSharedTransfer(int32_t index, const SharedTransfer& transfer);
// Publishes the transfers below count (thread 1 only).
void publishSharedTransfers(int32_t count);
// The number of transfers published so far.
int32_t publishedSharedTransfers();
// Transfer `index`, below the published count.
SharedTransfer readSharedTransfer(int32_t index);

}  // namespace qm
