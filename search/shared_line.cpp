#include "search/shared_line.hpp"

namespace qm {

SharedLine sharedLine;

namespace {

constexpr uint64_t kSquareMask = 0xFFFF;
constexpr int32_t kToShift = 16, kPusherShift = 32, kEndShift = 48;

}  // namespace

void resetSharedLine() { sharedLine.published.store(0, std::memory_order_relaxed); }

void writeSharedTransfer(int32_t index, const SharedTransfer& t) {
    if (index < 0 || index >= kSharedLineTransfers) return;
    const uint64_t word = (static_cast<uint64_t>(t.from) & kSquareMask) |
                          (static_cast<uint64_t>(t.to) & kSquareMask) << kToShift |
                          (static_cast<uint64_t>(t.pusher) & kSquareMask) << kPusherShift |
                          static_cast<uint64_t>(t.segmentEnd ? 1 : 0) << kEndShift;
    sharedLine.transfers[index].store(word, std::memory_order_relaxed);
}

void publishSharedTransfers(int32_t count) {
    const int32_t capped = count < kSharedLineTransfers ? count : kSharedLineTransfers;
    sharedLine.published.store(capped, std::memory_order_release);
}

int32_t publishedSharedTransfers() { return sharedLine.published.load(std::memory_order_acquire); }

SharedTransfer readSharedTransfer(int32_t index) {
    const uint64_t word = sharedLine.transfers[index].load(std::memory_order_relaxed);
    return SharedTransfer{static_cast<int32_t>(word & kSquareMask),
                          static_cast<int32_t>((word >> kToShift) & kSquareMask),
                          static_cast<int32_t>((word >> kPusherShift) & kSquareMask),
                          ((word >> kEndShift) & 1) != 0};
}

}  // namespace qm
