#include "search1/segment_search.hpp"

#include <cstring>

#include "board/fills.hpp"
#include "board/solution.hpp"
#include "search1/companion.hpp"
#include "search1/corral.hpp"
#include "search1/main_line.hpp"
#include "search/boxes.hpp"
#include "search/chain_walk.hpp"
#include "search/mask_rows.hpp"
#include "search/move_region.hpp"
#include "search1/segment_check.hpp"
#include "solver/blocks.hpp"
#include "solver/control.hpp"
#include "solver/solve_stats.hpp"

namespace qm {

SegmentTables segment;

namespace {

constexpr uint32_t kSegmentProbeStep = 491;
// Ordinary inserts stop short of the last slots, so that the probe always ends and the node of
// a found segment can still be stored.
constexpr int32_t kSegmentInsertCap = static_cast<int32_t>(kSegmentSlots) - 2 * kMaxBoxes;
constexpr int32_t kKeepBelow = 1100;           // pruning keeps a third box below this count
constexpr int32_t kKeepBelowManyBoxes = 1500;  // ... with more than 20 boxes
constexpr int32_t kManyBoxes = 20;
constexpr int32_t kNoBox = -1;
constexpr int32_t kRunFull = 2;  // the queue run stopped with the table full

SegmentTables& st = segment;

void setSegNodeCount(int32_t n) { control.segNodeCount = n; }

// Looks up the position of segBoxes (on segBoard) with pusher p; stores and queues it when new.
// An ordinary insert is refused at the cap (the table counts as full); the final node of a
// segment may use the slots kept back.
void segmentInsert(int32_t movedBox, int32_t p, bool finalNode) {
    const int32_t n = st.segBoxCount;
    uint32_t sum = 0, product = 1, bits = static_cast<uint32_t>(p);
    for (int32_t i = 0; i < n; ++i) {
        const uint32_t s = static_cast<uint32_t>(st.segBoxes[i]);
        sum += s;
        product *= s;
        bits ^= s;
    }
    const uint32_t pu = static_cast<uint32_t>(p);
    uint32_t slot = (sum + pu + pu * product + bits) % kSegmentSlots;
    for (;; slot = (slot + kSegmentProbeStep) % kSegmentSlots) {
        SegmentNode& node = st.segmentTable[slot];
        touchForWrite(&node.pusher);
        st.lastSegmentNode = &node;
        if (node.pusher == 0) break;
        if (node.pusher != p) continue;
        bool same = true;
        for (int32_t i = 0; i < n && same; ++i) same = st.segBoard[node.squares[i]] == BOX;
        if (same) return;
    }
    const int32_t count = control.segNodeCount;
    const int32_t cap = finalNode ? static_cast<int32_t>(kSegmentSlots) - 1 : kSegmentInsertCap;
    if (count >= cap) {
        st.tableFull = true;
        thread1Stats().fullTables |= 1u << kStatsSegment;
        return;
    }
    setSegNodeCount(count + 1);
    ++thread1Stats().nodes[kStatsSegment];
    SegmentNode& node = st.segmentTable[slot];
    for (int32_t i = 0; i < n; ++i) node.squares[i] = static_cast<int16_t>(st.segBoxes[i]);
    node.pusher = static_cast<int16_t>(p);
    node.movedBox = static_cast<uint8_t>(movedBox);
    node.mark = 0;
    node.parent = st.currentSegmentNode;
    node.queueNext = nullptr;
    if (st.segQueueTail != nullptr) st.segQueueTail->queueNext = &node;
    else st.segQueueHead = &node;
    st.segQueueTail = &node;
}

// ---- Committing a segment --------------------------------------------------------------------

// True when the position after the last main-line entry was already reached at the end of an
// earlier segment, with the same pusher.
bool segmentRepeats() {
    const MainLine& line = mainLine;
    if (line.mainLineOverflow != 0 || line.mainLineLength == 0) return false;
    const int32_t cells = level.cellCount;
    int32_t* finalBoard = segment.repeatFinalBoard;
    int32_t* board = segment.repeatBoard;
    std::memcpy(finalBoard, level.obstacleMap, sizeof(int32_t) * cells);
    std::memcpy(board, level.obstacleMap, sizeof(int32_t) * cells);
    for (int32_t i = 0; i < line.mainLineLength; ++i) {
        finalBoard[line.entries[i].from] = 0;
        finalBoard[line.entries[i].to] = BOX;
    }
    const int32_t finalPusher = line.entries[line.mainLineLength - 1].pusher;
    for (int32_t i = 0; i + 1 < line.mainLineLength; ++i) {
        const MainLineEntry& e = line.entries[i];
        board[e.from] = 0;
        board[e.to] = BOX;
        if (e.segmentEnd == 0 || e.pusher != finalPusher) continue;
        if (std::memcmp(board, finalBoard, sizeof(int32_t) * cells) == 0) return true;
    }
    return false;
}

// Rewrites the solution text from the main line, after a segment could not be written.
void rewriteFromMainLine() {
    resetSolution();
    for (int32_t i = 0; i < mainLine.mainLineLength; ++i) {
        const MainLineEntry& e = mainLine.entries[i];
        appendBoxTransfer(e.to, e.pusher, e.from);
    }
}

// Appends the transfers from the root to lastSegmentNode to the solution text and the main
// line. Returns 8, or 0 when the segment repeats an earlier segment end (outside entry mode 1)
// or a transfer cannot be written (then nothing of the segment stays).
int32_t commitSegment() {
    const int32_t lineBefore = mainLine.mainLineLength;
    bool written = true;
    forEachStepOldestFirst(st.lastSegmentNode, [&written](SegmentNode* a, SegmentNode* b) {
        const int32_t m = b->movedBox;
        if (!written) return;
        written = appendBoxTransfer(b->squares[m], b->pusher, a->squares[m]) != 0 &&
                  appendMainLine(a->squares[m], b->squares[m], b->pusher);
    });
    if (!written) {
        mainLine.mainLineLength = lineBefore;
        mainLine.mainLineOverflow = 0;
        rewriteFromMainLine();
        return kResultNoLevel;
    }
    markSegmentEnd();
    if (st.segEntryMode != 1 && segmentRepeats()) return kResultNoLevel;
    return kResultSolved;
}

// ---- Expanding one box -------------------------------------------------------------------------

bool sharesSide(int32_t a, int32_t b) { return (a & b) != 0; }

// Tries the entries box j can fill from its push list. Returns 1 when none was accepted, 8 when
// one was (or the companion solved the level), 9 or 10 from the check.
int32_t tryEntries(int32_t j, int32_t b0) {
    const PlacementList& list = st.pushList;
    for (int32_t i = 0; i < st.segEntryCount; ++i) {
        if (st.segEntryBoxes[i][j] != 1) continue;
        const int32_t g = st.segEntrySquare[i];
        const int32_t sides = st.segEntrySides[i];
        if (!sharesSide(list.seen.sidesAt(g), sides)) continue;
        for (int32_t k = 1; k < list.count; ++k) {
            if (list.square[k] != g || !sharesSide(list.sides[k], sides)) continue;
            st.segPusher = list.pusher[k];
            int32_t v = 0;
            if (st.segEntryMode == 1) {
                st.segBoard[g] = WALL;
                v = segmentCheck(0, 0);
                st.segBoard[g] = BOX;
            } else {
                st.segBoard[g] = BOX;
                v = segmentCheck(b0, g);
            }
            if (v == kResultFailed || v == kResultTimeout) return v;
            if (v != 0) {
                if (control.secondaryState == kCompanionSolved) return kResultSolved;
                st.segBoxes[j] = g;
                segmentInsert(j, st.segPusher, true);
                return kResultSolved;
            }
            st.segBoard[g] = 0;
        }
    }
    return 1;
}

// Macro pushes of box j from the loaded node with the pusher on p.
int32_t segmentExpand(int32_t j, int32_t p) {
    int32_t* board = st.segBoard;
    const int32_t b0 = st.segBoxes[j];
    clearSquareMap(st.reach);
    const int32_t p0 = reachFill(board, st.reach, p);
    int32_t sides0 = 0;
    for (int32_t bit = 1; bit <= 8; bit <<= 1) {
        if (st.reach[b0 + level.dirBitOffset[bit]] != 0) sides0 |= bit;
    }
    if (sides0 == 0) return 1;

    board[b0] = 0;
    findLiftedArea(board, p0, st.area);
    PlacementList& list = st.pushList;
    list.begin(b0, sides0, p0);
    const int32_t n = st.segBoxCount;
    for (int32_t i = 0; i < list.count; ++i) {
        const int32_t q = list.square[i];
        const int32_t qSides = list.sides[i];
        for (int32_t bit = 1; bit <= 8; bit <<= 1) {
            if ((qSides & bit) == 0) continue;
            const int32_t t = q - level.dirBitOffset[bit];
            if (board[t] != 0 || st.segGoalMask[t] == 0 || st.lockingGoal[t] != 0) continue;
            if (list.seen.seenFrom(t, bit)) continue;
            if (list.full()) break;
            board[t] = BOX;
            st.segBoxes[j] = t;
            int32_t sides = 0;
            const int32_t* region = nullptr;
            const int32_t pt = regionAfterMove(board, st.area, t, q, st.moveReach, &sides, &region);
            list.seen.add(t, sides);
            bool keep = frozenTest(board, t) != 1;
            if (keep && st.segGoalMask[t] != st.segGoalMask[q]) {
                writeMaskRow(st.segMatrix, j, st.segGoalMask[t], n);
                keep = assignmentFeasible(st.segMatrix, n, 0) != 0;
            }
            if (keep) {
                keep = corralTest(segmentCorral, board, st.segBoxes, n, t, pt, region) ==
                       kCorralNotProved;
            }
            if (keep) list.append(t, sides, pt);
            board[t] = 0;
        }
    }

    const int32_t r = tryEntries(j, b0);
    if (r == 1) {
        for (int32_t k = 1; k < list.count; ++k) {
            const int32_t t = list.square[k];
            if (st.segClass[t] == 2) continue;
            board[t] = BOX;
            st.segBoxes[j] = t;
            segmentInsert(j, list.pusher[k], false);
            board[t] = 0;
        }
    }
    if (r == kResultSolved) return r;  // the final node holds the position reached
    st.segBoxes[j] = b0;
    board[b0] = BOX;
    return r;
}

// ---- Running the queue ----------------------------------------------------------------------

void loadNode(const SegmentNode& node) {
    const int32_t n = st.segBoxCount;
    loadBoxes(st.segBoard, st.segBoxes, node.squares, n);
    for (int32_t j = 0; j < n; ++j) writeMaskRow(st.segMatrix, j, st.segGoalMask[st.segBoxes[j]], n);
    std::memcpy(st.segMatrixSaved, st.segMatrix, sizeof st.segMatrix);
}

int32_t runQueue() {
    resetCorral(segmentCorral, blocks.layout1.segmentCorralTable, st.segGoalMask, st.segBoard,
                false);
    liftAllBoxes(st.segBoard);
    st.tableFull = false;
    while (!stopOrDeadlinePassed()) {
        if (companionSlice() == kResultSolved) return kResultSolved;
        if (control.segNodeCount >= kSegmentPopLimit || st.tableFull) return kRunFull;
        SegmentNode* node = st.segQueueHead;
        if (node == nullptr) return kResultNoLevel;
        st.segQueueHead = node->queueNext;
        if (st.segQueueHead == nullptr) st.segQueueTail = nullptr;
        st.currentSegmentNode = node;
        loadNode(*node);
        for (int32_t j = 0; j < st.segBoxCount; ++j) {
            if (j == node->movedBox) continue;
            const int32_t r = segmentExpand(j, node->pusher);
            copyMatrixRow(st.segMatrix, st.segMatrixSaved, j);
            if (r == kResultSolved && control.secondaryState != kCompanionSolved) {
                return commitSegment();
            }
            if (r != 1) return r;
        }
        liftBoxes(st.segBoard, st.segBoxes, st.segBoxCount);
    }
    return kResultTimeout;
}

// ---- Pruning between restarts ------------------------------------------------------------------

// Keeps the queued nodes that moved one of the two or three boxes with the fewest nodes, and their
// ancestors; frees every other slot. False when no queued node is kept.
bool pruneForRestart() {
    const int32_t n = st.segBoxCount;
    int32_t counts[kMaxBoxes] = {};
    for (uint32_t k = 0; k < kSegmentSlots; ++k) {
        const SegmentNode& node = st.segmentTable[k];
        if (node.pusher != 0 && node.movedBox != kSegmentRootBox) ++counts[node.movedBox];
    }
    // The boxes with the smallest non-zero counts, lowest index first on ties; a pick without
    // such a box stays empty.
    int32_t picks[3] = {kNoBox, kNoBox, kNoBox};
    auto pickSmallest = [&](int32_t slot) {
        for (int32_t j = 0; j < n; ++j) {
            if (counts[j] == 0 || j == picks[0] || j == picks[1]) continue;
            if (picks[slot] == kNoBox || counts[j] < counts[picks[slot]]) picks[slot] = j;
        }
    };
    pickSmallest(0);
    pickSmallest(1);
    const int32_t threshold = level.boxCount > kManyBoxes ? kKeepBelowManyBoxes : kKeepBelow;
    const int32_t two = (picks[0] != kNoBox ? counts[picks[0]] : 0) +
                        (picks[1] != kNoBox ? counts[picks[1]] : 0);
    if (two < threshold) pickSmallest(2);

    SegmentNode* head = nullptr;
    SegmentNode* tail = nullptr;
    for (SegmentNode* node = st.segQueueHead; node != nullptr;) {
        SegmentNode* next = node->queueNext;
        const int32_t m = node->movedBox;
        if (m != kSegmentRootBox && (m == picks[0] || m == picks[1] || m == picks[2])) {
            node->queueNext = nullptr;
            if (tail != nullptr) tail->queueNext = node;
            else head = node;
            tail = node;
            for (SegmentNode* a = node; a != nullptr && a->mark == 0; a = a->parent) a->mark = 1;
        }
        node = next;
    }
    st.segQueueHead = head;
    st.segQueueTail = tail;
    if (head == nullptr) return false;
    int32_t kept = 0;
    for (uint32_t k = 0; k < kSegmentSlots; ++k) {
        SegmentNode& node = st.segmentTable[k];
        if (node.pusher == 0) continue;
        if (node.mark != 0) {
            node.mark = 0;
            ++kept;
        } else {
            node.pusher = 0;
        }
    }
    setSegNodeCount(kept);
    return true;
}

}  // namespace

int32_t segmentSearch() {
    thread1Stats().lastSearch = kStatsSegment;
    st.segmentTable = blocks.layout1.segmentTable;
    for (uint32_t k = 0; k < kSegmentSlots; ++k) {
        st.segmentTable[k].pusher = 0;
        st.segmentTable[k].mark = 0;
    }
    st.segQueueHead = nullptr;
    st.segQueueTail = nullptr;
    setSegNodeCount(0);
    st.currentSegmentNode = nullptr;
    segmentInsert(kSegmentRootBox, st.segPusher, false);
    int32_t r = runQueue();
    for (int32_t restarts = 0; r == kRunFull && restarts < kSegmentRestarts; ++restarts) {
        if (!pruneForRestart()) return kResultNoLevel;
        r = runQueue();
    }
    return r;
}

}  // namespace qm
