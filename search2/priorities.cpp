// The priorities of thread 2's bidirectional search: how connected the free floor stays, and how
// strongly a backward position points at the stored forward positions.
#include "search2/priorities.hpp"

#include "board/fills.hpp"
#include "board/handover.hpp"

namespace qm {

PriorityTables priorityTables;

namespace {

constexpr int32_t kMeetBands = 54;        // backward priority from visitWeight: 0 .. 53
constexpr int32_t kConnectivityBase = 6;  // connectivityScore = 6 - (2 + regions cut off)

// Region labels of connectivityScore.
struct PriorityScratch {
    int32_t labels[kMaxSquares];
};
PriorityScratch priority;

}  // namespace

int32_t connectivityScore(int32_t p) {
    constexpr int32_t kMostCut = kConnectivityBase - 2;  // the score is 0 from here on
    const int32_t cut = labelRegions(handover.searchBoard, priority.labels, p, kMostCut);
    const int32_t score = kConnectivityBase - (2 + cut);
    return score < 0 ? 0 : score;
}

int32_t backwardPriority(int32_t p) {
    const int32_t n = handover.t2BoxCount;
    int64_t sum = 0;
    for (int32_t i = 0; i < n; ++i) sum += priorityTables.visitWeight[handover.t2Boxes[i]];
    const double scaled = static_cast<double>(sum) * priorityTables.meetScale + 0.5;
    const int32_t band = scaled >= kMeetBands ? kMeetBands - 1 : static_cast<int32_t>(scaled);
    return band + connectivityScore(p);
}
}  // namespace qm
