#include "search1/segment_check.hpp"

#include <cstring>

#include "board/analysis.hpp"
#include "board/fills.hpp"
#include "search/mask_rows.hpp"
#include "search/region_stamp.hpp"
#include "search1/companion.hpp"
#include "search1/corral.hpp"
#include "search1/entry_search.hpp"
#include "search1/segment_search.hpp"
#include "solver/blocks.hpp"
#include "solver/control.hpp"

namespace qm {

SegmentCheck segmentCheckTables;

namespace {

constexpr int32_t kCompanionSlicesPerRejection = 2;

SegmentCheck& sc = segmentCheckTables;
EntrySearch& es = entrySearchTables;
RegionStamp region;

// Drops the queued segment nodes that hold a position the failed relaxed search explored: the
// boxes it kept, with the pusher in the same region.
void pruneSegmentQueue() {
    const int32_t n = itemCount();
    int32_t states = 0;
    for (uint32_t k = 0; k < kRelaxedSlots; ++k) {
        const EntryState& e = es.entryTable[k];
        if (e.pusher == 0) continue;
        int32_t* board = sc.board;
        for (int32_t s = 0; s < level.cellCount; ++s) {
            board[s] = analysis.analysisBoard[s] == WALL ? WALL : 0;
        }
        int32_t count = 0;
        for (int32_t i = 0; i < n; ++i) {
            if (isDropped(e.itemStatus[i])) continue;
            board[e.itemSquare[i]] = BOX;
            sc.stateSquares[states][count++] = e.itemSquare[i];
        }
        sc.stateSquareCount[states] = count;
        region.fill(board, e.pusher);
        for (int32_t s = 0; s < level.cellCount; ++s) sc.stateRegion[states][s] = region.reached(s) ? 1 : 0;
        ++states;
    }
    if (states == 0) return;

    SegmentTables& st = segment;
    SegmentNode* head = nullptr;
    SegmentNode* tail = nullptr;
    for (SegmentNode* node = st.segQueueHead; node != nullptr;) {
        SegmentNode* next = node->queueNext;
        if (++sc.nodeStampValue == 0) {
            std::memset(sc.nodeStamp, 0, sizeof sc.nodeStamp);
            sc.nodeStampValue = 1;
        }
        for (int32_t j = 0; j < st.segBoxCount; ++j) sc.nodeStamp[node->squares[j]] = sc.nodeStampValue;
        bool dropped = false;
        for (int32_t m = 0; m < states && !dropped; ++m) {
            if (sc.stateRegion[m][node->pusher] == 0) continue;
            bool all = true;
            for (int32_t k = 0; k < sc.stateSquareCount[m] && all; ++k) {
                all = sc.nodeStamp[sc.stateSquares[m][k]] == sc.nodeStampValue;
            }
            dropped = all;
        }
        if (!dropped) {
            node->queueNext = nullptr;
            if (tail != nullptr) tail->queueNext = node;
            else head = node;
            tail = node;
        }
        node = next;
    }
    st.segQueueHead = head;
    st.segQueueTail = tail;
}

// Counts a rejection; 9 once the count passes the limit of the entry mode.
int32_t countRejection() {
    SegmentTables& st = segment;
    if (st.segEntryMode == kEntryModePath) {
        return ++st.checkFailCountFixed > kCheckFailLimitFixed ? kResultFailed : kResultNoLevel;
    }
    return ++st.checkFailCount > kCheckFailLimit ? kResultFailed : kResultNoLevel;
}

}  // namespace

int32_t segmentCheck(int32_t oldSquare, int32_t newSquare) {
    SegmentTables& st = segment;
    const int32_t analysed = prepareAnalysis(st.segBoard, st.segPusher);
    if (analysed == kAnalysisAllOnGoals) return 1;
    if (analysed != kAnalysisInfeasible) {
        const int32_t d = relaxedSearch();
        if (d == kResultTimeout) return kResultTimeout;
        if (d == kResultSolved) {
            if (control.secondaryState == kCompanionSolved) return 1;
            const int32_t r = entrySearchRun(oldSquare, newSquare);
            if (r == kResultSolved) return 1;
            if (r != kResultNoLevel) return r;
        } else if (d == kResultNoLevel) {
            // Only an exhausted search proves anything; one stopped by its state cap does not.
            pruneSegmentQueue();
        }
    }
    if (control.secondaryState == kCompanionRunning) {
        for (int32_t k = 0; k < kCompanionSlicesPerRejection; ++k) {
            if (companionSlice() == kResultSolved) return 1;
        }
    }
    return countRejection();
}

}  // namespace qm
