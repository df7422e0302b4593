#include "board/solution.hpp"

#include <cstdlib>
#include <cstring>

#include "board/board.hpp"
#include "board/fills.hpp"
#include "board/system_memory.hpp"

namespace qm {

Solution solution;

namespace {

constexpr int32_t kPackUnit = 4096;  // squares fit below this in a packed node field
constexpr int32_t kSquareMask = kPackUnit - 1;
// The largest move count a packed node field can hold without overflowing int32.
constexpr int64_t kMaxPackedMoves = (INT32_MAX - kSquareMask) / kPackUnit;

// Tables of appendBoxTransfer; one transfer runs at a time.
struct TransferTables {
    TransferNodes nodes;
    int32_t sidePushes[kMaxSquares][4];  // per (box square, push direction): pushes, 0 = none
    int32_t sideMoves[kMaxSquares][4];   // moves of the node recorded there
    int32_t workBoard[kMaxSquares];      // replayBoard with the transferred box lifted off
    int32_t endReach[kMaxSquares];       // E: distances from the pusher's end square
    int32_t pusherReach[kMaxSquares];    // P, then D: distances of the pusher before a push
};
TransferTables transfer;

// Walk distances of appendWalk.
int32_t walkDistance[kMaxSquares];

int32_t directionOf(int32_t offset) {
    for (int32_t d = 0; d < 4; ++d) {
        if (level.dirOffset[d] == offset) return d;
    }
    return -1;
}

bool insideBoard(int32_t s) { return s >= 0 && s < level.cellCount; }

// Length of the stored text, never reading past the buffer.
uint32_t storedLength() {
    if (solution.solutionText == nullptr) return 0;
    const void* end = std::memchr(solution.solutionText, 0, solution.solutionCapacity);
    return end == nullptr ? solution.solutionCapacity
                          : static_cast<uint32_t>(static_cast<const char*>(end) - solution.solutionText);
}

// Grows the buffer by one step; false when the limit or the allocator refuses.
bool growText() {
    const uint64_t wanted = uint64_t{solution.solutionCapacity} + kSolutionGrowth;
    if (wanted > UINT32_MAX) return false;
    char* grown = static_cast<char*>(resizeMemory(solution.solutionText, static_cast<size_t>(wanted)));
    if (grown == nullptr) return false;
    solution.solutionText = grown;
    solution.solutionCapacity = static_cast<uint32_t>(wanted);
    return true;
}

// No uncovered goal without the pusher (code 1) and no box off goal (code 2).
bool solvedPosition(const int32_t* cells, int32_t n) {
    for (int32_t s = 0; s < n; ++s) {
        if (cells[s] == GOAL || cells[s] == BOX) return false;
    }
    return true;
}

// Ends the stored text after keep letters.
void cutText(uint32_t keep, uint32_t length) {
    if (keep >= length) return;
    std::lock_guard<std::mutex> guard(solution.snapshotLock);
    solution.solutionText[keep] = 0;
}

}  // namespace

int32_t allocateSolution() {
    std::lock_guard<std::mutex> guard(solution.snapshotLock);
    std::free(solution.solutionText);
    solution.solutionText = static_cast<char*>(resizeMemory(nullptr, kSolutionGrowth));
    if (solution.solutionText == nullptr) {
        solution.solutionCapacity = 0;
        return 0;
    }
    solution.solutionText[0] = 0;
    solution.solutionCapacity = kSolutionGrowth;
    return 1;
}

void releaseSolution() {
    std::lock_guard<std::mutex> guard(solution.snapshotLock);
    std::free(solution.solutionText);
    solution.solutionText = nullptr;
    solution.solutionCapacity = 0;
}

void resetSolution() {
    std::lock_guard<std::mutex> guard(solution.snapshotLock);
    if (solution.solutionText != nullptr) solution.solutionText[0] = 0;
    solution.traceOverflow = 0;
    solution.moveCount = 0;
    solution.pushCount = 0;
    std::memcpy(solution.replayBoard, level.obstacleMap, sizeof(int32_t) * level.cellCount);
    solution.replayPusher = level.pusherSquare;
}

void appendLetter(int32_t direction, bool push) {
    const int32_t count = ++solution.moveCount;
    if (push) ++solution.pushCount;
    if (solution.traceOverflow != 0) return;
    std::lock_guard<std::mutex> guard(solution.snapshotLock);
    // The text holds moveCount letters, so the new one goes at count - 1 and its terminator
    // at count, which must lie inside the buffer.
    while (solution.solutionText == nullptr || static_cast<uint64_t>(count) >= solution.solutionCapacity) {
        if (solution.solutionText == nullptr || !growText()) {
            solution.traceOverflow = 1;
            return;
        }
    }
    solution.solutionText[count - 1] = static_cast<char>(moveLetters[direction + (push ? 4 : 0)]);
    solution.solutionText[count] = 0;
}

void appendWalk(int32_t target, int32_t start) {
    if (target == start) return;
    distanceFill(solution.replayBoard, walkDistance, target);
    int32_t s = start;
    int32_t d = UP;
    // A start the target cannot reach yields no letters.
    while (walkDistance[s] > 1) {
        const int32_t wanted = walkDistance[s] - 1;
        int32_t step = -1;
        for (int32_t i = 0; i < 4; ++i) {
            const int32_t dir = (d + i) & 3;
            if (walkDistance[s + level.dirOffset[dir]] == wanted) {
                step = dir;
                break;
            }
        }
        if (step < 0) return;
        d = step;
        s += level.dirOffset[d];
        appendLetter(d, false);
    }
}

void appendPushChain(int32_t node, const TransferNodes& nodes) {
    // Parents precede their children in the arrays, so a chain has at most kTransferNodes
    // links; it is collected leaf first and replayed root first.
    int32_t chain[kTransferNodes];
    int32_t length = 0;
    for (int32_t n = node; n >= 0 && n < kTransferNodes && length < kTransferNodes; n = nodes.parent[n]) {
        chain[length++] = n;
    }
    for (int32_t i = length - 1; i >= 0; --i) {
        const int32_t b = nodes.fromAndPushes[chain[i]] & kSquareMask;
        const int32_t a = nodes.toAndMoves[chain[i]] & kSquareMask;
        const int32_t d = directionOf(a - b);
        if (d < 0) return;
        appendWalk(2 * b - a, solution.replayPusher);
        appendLetter(d, true);
        std::lock_guard<std::mutex> guard(solution.snapshotLock);
        solution.replayBoard[b] = 0;
        solution.replayBoard[a] = BOX;
        solution.replayPusher = b;
    }
}

int32_t appendBoxTransfer(int32_t boxTarget, int32_t pusherEnd, int32_t boxStart) {
    if (!insideBoard(boxTarget) || !insideBoard(pusherEnd) || !insideBoard(boxStart)) return 0;
    if (solution.replayBoard[boxStart] != BOX) return 0;
    const int32_t n = level.cellCount;
    TransferTables& t = transfer;
    TransferNodes& nodes = t.nodes;
    std::memset(t.sidePushes, 0, sizeof(t.sidePushes[0]) * n);
    std::memset(t.sideMoves, 0, sizeof(t.sideMoves[0]) * n);

    // The search works on a copy, so replayBoard stays as it is until the letters are appended.
    int32_t* work = t.workBoard;
    std::memcpy(work, solution.replayBoard, sizeof(int32_t) * n);
    const int32_t targetWas = work[boxTarget];
    work[boxStart] = 0;
    work[boxTarget] = BOX;
    distanceFill(work, t.endReach, pusherEnd);
    work[boxTarget] = targetWas;
    work[boxStart] = BOX;
    distanceFill(work, t.pusherReach, solution.replayPusher);

    int32_t nodeCount = 0;
    int32_t best = -1, bestPushes = INT32_MAX, bestMoves = INT32_MAX;
    for (int32_t d = 0; d < 4; ++d) {
        const int32_t offset = level.dirOffset[d];
        const int32_t to = boxStart + offset;
        const int32_t m = t.pusherReach[boxStart - offset];
        if (work[to] != 0 || m <= 0) continue;
        nodes.fromAndPushes[nodeCount] = boxStart + kPackUnit;
        nodes.toAndMoves[nodeCount] = to + kPackUnit * m;
        nodes.parent[nodeCount] = -1;
        t.sidePushes[to][d] = 1;
        t.sideMoves[to][d] = m;
        if (to == boxTarget && t.endReach[boxStart] != 0 && (bestPushes > 1 || m < bestMoves)) {
            best = nodeCount;
            bestPushes = 1;
            bestMoves = m;
        }
        ++nodeCount;
    }

    if (best < 0) {
        work[boxStart] = 0;
        bool full = false;
        for (int32_t i = 0; i < nodeCount && !full; ++i) {
            const int32_t k = nodes.fromAndPushes[i] / kPackUnit;
            if (k >= bestPushes) break;
            const int32_t e = nodes.fromAndPushes[i] & kSquareMask;
            const int32_t f = nodes.toAndMoves[i] & kSquareMask;
            const int32_t m = nodes.toAndMoves[i] / kPackUnit;
            work[f] = BOX;
            distanceFill(work, t.pusherReach, e);
            work[f] = 0;
            const int32_t own = directionOf(f - e);
            for (int32_t j = 0; j < 4; ++j) {
                const int32_t d = (own + j) & 3;
                const int32_t offset = level.dirOffset[d];
                const int32_t g = f + offset;
                const int32_t w = t.pusherReach[f - offset];
                if (work[g] != 0 || w <= 0) continue;
                const int32_t pushes = k + 1;
                const int64_t moves = int64_t{m} + w;
                if (moves > kMaxPackedMoves) continue;
                const int32_t recorded = t.sidePushes[g][d];
                if (recorded != 0 && (recorded < pushes || (recorded == pushes && t.sideMoves[g][d] <= moves))) {
                    continue;
                }
                if (nodeCount == kTransferNodes) {
                    // No room for more nodes: answer with the best found so far.
                    full = true;
                    break;
                }
                nodes.fromAndPushes[nodeCount] = f + kPackUnit * pushes;
                nodes.toAndMoves[nodeCount] = g + kPackUnit * static_cast<int32_t>(moves);
                nodes.parent[nodeCount] = i;
                t.sidePushes[g][d] = pushes;
                t.sideMoves[g][d] = static_cast<int32_t>(moves);
                if (g == boxTarget && t.endReach[f] != 0 &&
                    (pushes < bestPushes || (pushes == bestPushes && moves < bestMoves))) {
                    best = nodeCount;
                    bestPushes = pushes;
                    bestMoves = static_cast<int32_t>(moves);
                }
                ++nodeCount;
            }
        }
    }

    if (best < 0) return 0;
    appendPushChain(best, nodes);
    return 1;
}

int32_t verifySolution() {
    const int32_t n = level.cellCount;
    int32_t cells[kMaxSquares];
    std::memcpy(cells, level.levelCells, sizeof(int32_t) * n);
    solution.moveCount = 0;
    solution.pushCount = 0;
    int32_t offGoal = 0;  // squares holding exactly a box off goal
    for (int32_t s = 0; s < n; ++s) {
        if (cells[s] == BOX) ++offGoal;
    }
    if (!insideBoard(level.pusherStart) || (cells[level.pusherStart] & PUSHER) == 0) return 0;

    const char* text = solution.solutionText;
    const uint32_t length = storedLength();
    int32_t pusher = level.pusherStart;
    constexpr int32_t kBlocked = WALL | OUTSIDE;
    for (uint32_t i = 0; i < length; ++i) {
        const char letter = text[i];
        const int32_t d = letterDirection(letter);
        if (d < 0) return 0;
        const bool push = isPushLetter(letter);
        cells[pusher] -= PUSHER;
        ++solution.moveCount;
        const int32_t next = neighbourInside(pusher, d);
        if (next < 0 || (cells[next] & kBlocked) != 0) return 0;
        // A walk into a box ends the replay; the position decides.
        if ((cells[next] & BOX) != 0 && !push) break;
        if ((cells[next] & BOX) != 0) {
            const int32_t beyond = neighbourInside(next, d);
            if (beyond < 0 || (cells[beyond] & (kBlocked | BOX)) != 0) return 0;
            if (cells[next] == BOX) --offGoal;
            cells[next] -= BOX;
            cells[beyond] += BOX;
            if (cells[beyond] == BOX) ++offGoal;
            ++solution.pushCount;
        } else if (push) {
            return 0;
        }
        cells[next] += PUSHER;
        pusher = next;
        if (solution.pushCount > 0 && offGoal == 0) {
            cutText(i + 1, length);
            break;
        }
    }
    return solvedPosition(cells, n) ? 1 : 0;
}

void takeLiveSnapshot(LiveSnapshot& out) {
    std::lock_guard<std::mutex> guard(solution.snapshotLock);
    std::memcpy(out.replayBoard, solution.replayBoard, sizeof(int32_t) * level.cellCount);
    out.replayPusher = solution.replayPusher;
    const uint32_t length = storedLength();
    out.lastLetter = length == 0 ? 0 : solution.solutionText[length - 1];
}

}  // namespace qm
