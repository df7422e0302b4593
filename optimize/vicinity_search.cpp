#include "optimize/vicinity_search.hpp"

#include <bit>
#include <cstdlib>
#include <vector>

#include "board/board.hpp"
#include "optimize/position_table.hpp"
#include "solver/control.hpp"

namespace qm {

namespace {

constexpr int32_t kBlocked = WALL | OUTSIDE;
constexpr int32_t kStopCheckInterval = 256;  // expansions between two looks at the clock
constexpr int32_t kMaxWords = (kMaxSquares + 63) / 64;

// Per-square scratch of the search; touched only by the thread that optimizes.
struct VicinityScratch {
    uint8_t wall[kMaxSquares];
    uint8_t goal[kMaxSquares];
    uint8_t deadCorner[kMaxSquares];  // a corner square off goal: a box there never moves again
    int16_t boxAt[kMaxSquares];       // index of the box on the square, -1 for none
    uint32_t stamp[kMaxSquares];      // == reachStamp: reached by the current walk
    int32_t walk[kMaxSquares];        // walking distance from the pusher
    int8_t cameFrom[kMaxSquares];     // direction of the step that reached the square
    int32_t queue[kMaxSquares];
    uint64_t boxKey[kMaxSquares], pusherKey[kMaxSquares];
    uint64_t bits[kMaxWords];         // the position being tested, as a bit set
    uint16_t current[kMaxSquares];    // the boxes of the node being expanded
    uint16_t child[kMaxSquares];      // and of the child being made
    uint32_t reachStamp = 0;
    bool keysReady = false;
};
VicinityScratch scratch;

uint64_t splitMix(uint64_t& state) {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

void prepareSquares() {
    if (!scratch.keysReady) {
        uint64_t state = 0x5EED;
        for (int32_t s = 0; s < kMaxSquares; ++s) {
            scratch.boxKey[s] = splitMix(state);
            scratch.pusherKey[s] = splitMix(state);
        }
        scratch.keysReady = true;
    }
    for (int32_t s = 0; s < level.cellCount; ++s) {
        scratch.wall[s] = (level.levelCells[s] & kBlocked) != 0 ? 1 : 0;
        scratch.goal[s] = (level.levelCells[s] & GOAL) != 0 ? 1 : 0;
        scratch.boxAt[s] = -1;
    }
    for (int32_t s = 0; s < level.cellCount; ++s) {
        scratch.deadCorner[s] = 0;
        if (scratch.wall[s] != 0 || scratch.goal[s] != 0) continue;
        const auto blocked = [&](int32_t d) {
            const int32_t n = neighbourInside(s, d);
            return n < 0 || scratch.wall[n] != 0;
        };
        if ((blocked(UP) || blocked(DOWN)) && (blocked(LEFT) || blocked(RIGHT))) scratch.deadCorner[s] = 1;
    }
}

// Walking distances from start over squares free of walls and boxes.
void walkFrom(int32_t start) {
    if (++scratch.reachStamp == 0) {
        for (int32_t s = 0; s < kMaxSquares; ++s) scratch.stamp[s] = 0;
        scratch.reachStamp = 1;
    }
    const uint32_t mark = scratch.reachStamp;
    int32_t head = 0, tail = 0;
    scratch.queue[tail++] = start;
    scratch.stamp[start] = mark;
    scratch.walk[start] = 0;
    while (head < tail) {
        const int32_t s = scratch.queue[head++];
        for (int32_t d = 0; d < 4; ++d) {
            const int32_t n = s + level.dirOffset[d];
            if (scratch.stamp[n] == mark || scratch.wall[n] != 0 || scratch.boxAt[n] >= 0) continue;
            scratch.stamp[n] = mark;
            scratch.walk[n] = scratch.walk[s] + 1;
            scratch.cameFrom[n] = static_cast<int8_t>(d);
            scratch.queue[tail++] = n;
        }
    }
}

int32_t manhattan(int32_t a, int32_t b) {
    return std::abs(squareRow(a) - squareRow(b)) + std::abs(squareColumn(a) - squareColumn(b));
}

// Whether the position in scratch.bits lies near path position i.
bool nearPosition(const PathPositions& path, int32_t i, VicinityLimits limits) {
    const uint64_t* p = path.position(i);
    int32_t off = 0;
    for (int32_t w = 0; w < path.words; ++w) {
        off += std::popcount(scratch.bits[w] & ~p[w]);
        if (off > limits.boxes) return false;
    }
    if (off == 0) return true;
    for (int32_t w = 0; w < path.words; ++w) {
        for (uint64_t moved = scratch.bits[w] & ~p[w]; moved != 0; moved &= moved - 1) {
            const int32_t s = w * 64 + std::countr_zero(moved);
            bool near = false;
            for (int32_t v = 0; v < path.words && !near; ++v) {
                for (uint64_t left = p[v] & ~scratch.bits[v]; left != 0 && !near; left &= left - 1) {
                    near = manhattan(s, v * 64 + std::countr_zero(left)) <= limits.distance;
                }
            }
            if (!near) return false;
        }
    }
    return true;
}

// The path position near which the position in scratch.bits lies, looked for around the parent's
// one (later ones first); -1 when it lies near none of them.
int32_t nearPathIndex(const PathPositions& path, int32_t around, VicinityLimits limits) {
    const int32_t window = limits.boxes + 2;
    const int32_t last = std::min(path.count - 1, around + window);
    const int32_t first = std::max(0, around - window);
    for (int32_t i = last; i >= first; --i) {
        if (nearPosition(path, i, limits)) return i;
    }
    return -1;
}

uint64_t stepCost(int32_t metric, int32_t walk) {
    const uint64_t moves = static_cast<uint64_t>(walk) + 1;
    return metric == kMetricMoves ? (moves << 32 | 1) : (uint64_t{1} << 32 | moves);
}

bool allOnGoals(const uint16_t* boxes, int32_t n) {
    for (int32_t j = 0; j < n; ++j) {
        if (scratch.goal[boxes[j]] == 0) return false;
    }
    return true;
}

bool stopRequested(OptimizerClock::time_point deadline) {
    return control.stopFlag == kStopCancel || OptimizerClock::now() >= deadline;
}

// Boxes with box j moved to square to, kept ascending.
void movedBoxes(const uint16_t* boxes, int32_t n, int32_t j, int32_t to, uint16_t* out) {
    int32_t k = 0;
    for (int32_t i = 0; i < n; ++i) {
        if (i != j) out[k++] = boxes[i];
    }
    int32_t at = n - 1;
    while (at > 0 && out[at - 1] > to) {
        out[at] = out[at - 1];
        --at;
    }
    out[at] = static_cast<uint16_t>(to);
}

void appendWalkLetters(int32_t from, int32_t to, std::string& letters) {
    walkFrom(from);
    std::string steps;
    for (int32_t s = to; s != from; s -= level.dirOffset[scratch.cameFrom[s]]) {
        steps += static_cast<char>(moveLetters[scratch.cameFrom[s]]);
    }
    letters.append(steps.rbegin(), steps.rend());
}

// The letters from the start to node: each push after the walk to its square.
std::string lettersTo(int32_t node) {
    PositionTable& table = positionTable;
    std::vector<int32_t> chain;
    for (int32_t n = node; table.parent[n] != kNoNode; n = table.parent[n]) chain.push_back(n);
    const uint16_t* start = table.boxesOf(0);
    for (int32_t j = 0; j < table.boxCount; ++j) scratch.boxAt[start[j]] = static_cast<int16_t>(j);
    int32_t pusher = table.pusher[0];
    std::string letters;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        const int32_t d = table.direction[*it];
        const int32_t box = table.pusher[*it];
        appendWalkLetters(pusher, box - level.dirOffset[d], letters);
        letters += static_cast<char>(moveLetters[d + 4]);
        const int32_t to = box + level.dirOffset[d];
        scratch.boxAt[to] = scratch.boxAt[box];
        scratch.boxAt[box] = -1;
        pusher = box;
    }
    for (int32_t s = 0; s < level.cellCount; ++s) scratch.boxAt[s] = -1;
    return letters;
}

int32_t rootNode() {
    PositionTable& table = positionTable;
    uint16_t boxes[kMaxSquares];
    int32_t n = 0;
    uint64_t key = scratch.pusherKey[level.pusherStart];
    for (int32_t s = 0; s < level.cellCount; ++s) {
        if ((level.levelCells[s] & BOX) == 0) continue;
        boxes[n++] = static_cast<uint16_t>(s);
        key ^= scratch.boxKey[s];
    }
    table.carve(n);
    const int32_t root = table.insert(key, boxes, level.pusherStart);
    if (root == kNoNode) return kNoNode;
    table.parent[root] = kNoNode;
    table.pathIndex[root] = 0;
    table.direction[root] = 0;
    table.cost[root] = 0;
    return table.push(0, root) ? root : kNoNode;
}

}  // namespace

int32_t searchVicinity(const PathPositions& path, VicinityLimits limits, int32_t metric,
                       OptimizerClock::time_point deadline, std::string& letters, int64_t& nodes) {
    PositionTable& table = positionTable;
    prepareSquares();
    const uint64_t given = metric == kMetricMoves
                               ? (static_cast<uint64_t>(path.moves) << 32 | static_cast<uint64_t>(path.pushes))
                               : (static_cast<uint64_t>(path.pushes) << 32 | static_cast<uint64_t>(path.moves));
    if (rootNode() == kNoNode) return kVicinityTableFull;
    const int32_t n = table.boxCount;
    const int32_t* off = level.dirOffset;
    uint16_t* current = scratch.current;
    uint16_t* child = scratch.child;
    int32_t result = kVicinityNoBetter, goal = kNoNode;
    HeapEntry entry{};
    for (int32_t expansions = 0; result == kVicinityNoBetter && table.pop(entry); ++expansions) {
        if (expansions % kStopCheckInterval == 0 && stopRequested(deadline)) {
            result = kVicinityStopped;
            break;
        }
        const int32_t node = entry.node;
        if (table.closed[node] != 0 || table.cost[node] != entry.key) continue;
        if (entry.key >= given) break;  // nothing cheaper than the given solution is left
        table.closed[node] = 1;
        const uint16_t* stored = table.boxesOf(node);
        if (allOnGoals(stored, n)) {
            goal = node;
            result = kVicinityBetter;
            break;
        }
        for (int32_t j = 0; j < n; ++j) current[j] = stored[j];
        for (int32_t w = 0; w < path.words; ++w) scratch.bits[w] = 0;
        for (int32_t j = 0; j < n; ++j) {
            scratch.boxAt[current[j]] = static_cast<int16_t>(j);
            scratch.bits[current[j] >> 6] |= uint64_t{1} << (current[j] & 63);
        }
        walkFrom(table.pusher[node]);
        for (int32_t j = 0; j < n && result == kVicinityNoBetter; ++j) {
            const int32_t box = current[j];
            for (int32_t d = 0; d < 4; ++d) {
                const int32_t from = box - off[d], to = box + off[d];
                if (scratch.stamp[from] != scratch.reachStamp) continue;
                if (scratch.wall[to] != 0 || scratch.boxAt[to] >= 0 || scratch.deadCorner[to] != 0) continue;
                const uint64_t cost = table.cost[node] + stepCost(metric, scratch.walk[from]);
                if (cost >= given) continue;
                scratch.bits[box >> 6] &= ~(uint64_t{1} << (box & 63));
                scratch.bits[to >> 6] |= uint64_t{1} << (to & 63);
                const int32_t near = nearPathIndex(path, table.pathIndex[node], limits);
                scratch.bits[to >> 6] &= ~(uint64_t{1} << (to & 63));
                scratch.bits[box >> 6] |= uint64_t{1} << (box & 63);
                if (near < 0) continue;
                movedBoxes(current, n, j, to, child);
                const uint64_t key = table.hashKey[node] ^ scratch.boxKey[box] ^ scratch.boxKey[to] ^
                                     scratch.pusherKey[table.pusher[node]] ^ scratch.pusherKey[box];
                int32_t next = table.find(key, child, box);
                if (next != kNoNode && (table.closed[next] != 0 || table.cost[next] <= cost)) continue;
                if (next == kNoNode) next = table.insert(key, child, box);
                if (next == kNoNode) {
                    result = kVicinityTableFull;
                    break;
                }
                table.parent[next] = node;
                table.direction[next] = static_cast<uint8_t>(d);
                table.pathIndex[next] = near;
                table.cost[next] = cost;
                if (!table.push(cost, next)) {
                    result = kVicinityTableFull;
                    break;
                }
            }
        }
        for (int32_t j = 0; j < n; ++j) scratch.boxAt[current[j]] = -1;
    }
    nodes = table.used;
    if (result == kVicinityBetter) letters = lettersTo(goal);
    return result;
}

}  // namespace qm
