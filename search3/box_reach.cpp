#include "search3/box_reach.hpp"

namespace qm {

namespace {

constexpr int32_t kOpposite[4] = {DOWN, LEFT, UP, RIGHT};

// A fresh stamp for marks; when the counter wraps, the marks are cleared.
uint32_t nextStamp(uint32_t& stamp, uint32_t* marks, uint32_t* moreMarks, int32_t size) {
    if (++stamp != 0) return stamp;
    for (int32_t i = 0; i < size; ++i) marks[i] = 0;
    for (int32_t i = 0; moreMarks != nullptr && i < size; ++i) moreMarks[i] = 0;
    stamp = 1;
    return stamp;
}

}  // namespace

void labelBlocks(BoxReach& r, const int32_t* board, int32_t root) {
    const uint32_t stamp = nextStamp(r.blockStamp, r.visited, nullptr, kMaxSquares);
    int32_t time = 0, top = 0, edges = 0, blocks = 0;
    r.root = root;
    r.smallest = root;
    r.secondSmallest = -1;
    r.visited[root] = stamp;
    r.order[root] = r.low[root] = ++time;
    r.parent[root] = -1;
    r.splits[root] = 0;
    r.frameSquare[top] = root;
    r.frameDir[top++] = 0;
    while (top > 0) {
        const int32_t v = r.frameSquare[top - 1];
        const int32_t d = r.frameDir[top - 1];
        if (d < 4) {
            ++r.frameDir[top - 1];
            const int32_t w = v + level.dirOffset[d];
            if (board[w] != 0) continue;
            if (r.visited[w] != stamp) {
                r.visited[w] = stamp;
                r.order[w] = r.low[w] = ++time;
                r.parent[w] = v;
                r.parentDir[w] = static_cast<int8_t>(d);
                r.splits[w] = 0;
                if (w < r.smallest) {
                    r.secondSmallest = r.smallest;
                    r.smallest = w;
                } else if (r.secondSmallest < 0 || w < r.secondSmallest) {
                    r.secondSmallest = w;
                }
                r.edgeFrom[edges] = v;
                r.edgeDir[edges++] = static_cast<int8_t>(d);
                r.frameSquare[top] = w;
                r.frameDir[top++] = 0;
            } else if (w != r.parent[v] && r.order[w] < r.order[v]) {
                r.edgeFrom[edges] = v;
                r.edgeDir[edges++] = static_cast<int8_t>(d);
                if (r.order[w] < r.low[v]) r.low[v] = r.order[w];
            }
            continue;
        }
        --top;
        const int32_t p = r.parent[v];
        if (p < 0) continue;
        if (r.low[v] < r.low[p]) r.low[p] = r.low[v];
        if (r.low[v] < r.order[p]) continue;
        // p cuts v's subtree off: the edges above the tree edge p-v form one block.
        ++r.splits[p];
        const int32_t block = blocks++;
        for (;;) {
            const int32_t a = r.edgeFrom[--edges];
            const int32_t ad = r.edgeDir[edges];
            r.edgeBlock[a * 4 + ad] = block;
            r.edgeBlock[(a + level.dirOffset[ad]) * 4 + kOpposite[ad]] = block;
            if (a == p && ad == r.parentDir[v]) break;
        }
    }
}

namespace {

// The side of the box its mover stands on to move it in direction d: behind it to push, ahead of
// it to pull.
template <bool kPulling>
int32_t moverSide(int32_t d) {
    return kPulling ? d : kOpposite[d];
}

// Spreads the queued first moves of one box to every square it can be moved on to, keeping one
// destination per square and region of its mover; a move needs the box's next square and the
// mover's square free (behind the box to push, beyond the next square to pull). The next square
// is tested first: past a wall there, the puller's square may lie off the board.
template <bool kPulling>
void spreadBoxMoves(BoxReach& r, const int32_t* board, const uint8_t* barred, uint32_t stamp, int32_t count) {
    for (int32_t head = 0; head < count; ++head) {
        const int32_t state = r.stateQueue[head];
        const int32_t t = state >> 2, d = state & 3;
        const int32_t region = r.edgeBlock[t * 4 + moverSide<kPulling>(d)];
        bool known = false;
        for (int32_t e = 0; e < 4 && !known; ++e) {
            known = r.stateKept[t * 4 + e] == stamp && r.edgeBlock[t * 4 + moverSide<kPulling>(e)] == region;
        }
        if (!known) {
            r.stateKept[state] = stamp;
            r.destinations[r.destinationCount++] =
                BoxDestination{t, t + level.dirOffset[moverSide<kPulling>(d)], r.statePushes[head]};
        }
        for (int32_t e = 0; e < 4; ++e) {
            const int32_t offset = level.dirOffset[e];
            const int32_t next = t + offset;
            const int32_t mover = kPulling ? next + offset : t - offset;
            if (board[next] != 0 || board[mover] != 0 || barred[next] != 0) continue;
            if (e != d && r.edgeBlock[t * 4 + moverSide<kPulling>(e)] != region) continue;
            if (r.stateSeen[next * 4 + e] == stamp) continue;
            r.stateSeen[next * 4 + e] = stamp;
            r.statePushes[count] = r.statePushes[head] + 1;
            r.stateQueue[count++] = next * 4 + e;
        }
    }
}

// The destinations of the box on start: its first moves are those whose mover stands on a square
// of the reach, the box's next square free and not barred, and (to pull) the square the puller
// steps back to free.
template <bool kPulling>
void findBoxMoves(BoxReach& r, const int32_t* board, const uint8_t* barred, const uint32_t* reach,
                  uint32_t reachStamp, int32_t start) {
    const uint32_t stamp = nextStamp(r.stateStamp, r.stateSeen, r.stateKept, kMaxSquares * 4);
    int32_t count = 0;
    r.destinationCount = 0;
    // A state (t, d): the box on t, last moved in direction d.
    for (int32_t d = 0; d < 4; ++d) {
        const int32_t offset = level.dirOffset[d];
        const int32_t t = start + offset;
        const int32_t moverFrom = kPulling ? t : start - offset;
        const int32_t moverTo = kPulling ? t + offset : start;
        if (reach[moverFrom] != reachStamp) continue;
        if (board[t] != 0 || board[moverTo] != 0 || barred[t] != 0) continue;
        r.stateSeen[t * 4 + d] = stamp;
        r.statePushes[count] = 1;
        r.stateQueue[count++] = t * 4 + d;
    }
    spreadBoxMoves<kPulling>(r, board, barred, stamp, count);
}

}  // namespace

void findDestinations(BoxReach& r, const int32_t* board, const uint8_t* dead, const uint32_t* reach,
                      uint32_t reachStamp, int32_t start) {
    findBoxMoves<false>(r, board, dead, reach, reachStamp, start);
}

void findPullDestinations(BoxReach& r, const int32_t* board, const uint8_t* barred,
                          const uint32_t* reach, uint32_t reachStamp, int32_t start) {
    findBoxMoves<true>(r, board, barred, reach, reachStamp, start);
}

}  // namespace qm
