#include "search3/assignment.hpp"

#include <algorithm>

namespace qm {

GoalDistances goalDistances;

namespace {

constexpr int32_t kInfinite = 1'000'000'000;

struct AssignmentWork {
    int32_t queue[kMaxSquares];
    int32_t rowPotential[kMaxBoxes + 1];
    int32_t columnPotential[kMaxBoxes + 1];
    int32_t columnRow[kMaxBoxes + 1];   // row matched to each column, 0 for none
    int32_t way[kMaxBoxes + 1];
    int32_t slack[kMaxBoxes + 1];
    bool used[kMaxBoxes + 1];
};
AssignmentWork aw;

// The optimal assignment of the last cheapestAssignment, for prepareMovedBoxes.
struct AssignmentBase {
    int32_t rowPotential[kMaxBoxes + 1];
    int32_t columnPotential[kMaxBoxes + 1];
    int32_t columnRow[kMaxBoxes + 1];
};
AssignmentBase base;

// The costs of moving one box, from prepareMovedBoxes.
struct MovedBoxes {
    int32_t path[kMaxBoxes][kMaxBoxes];  // see prepareMovedBoxes
    int32_t goalOfBox[kMaxBoxes];        // the goal each box has in the assignment
    int32_t matched[kMaxBoxes];          // by goal: the cost of its box
    int32_t total = 0;
    int32_t count = 0;
};
MovedBoxes movedBoxes;

}  // namespace

void prepareGoalDistances(const int32_t* walls, const int32_t* goals, int32_t n) {
    for (int32_t i = 0; i < n; ++i) {
        int32_t* dist = goalDistances.distance[i];
        for (int32_t s = 0; s < level.cellCount; ++s) dist[s] = kNoPath;
        int32_t count = 0;
        dist[goals[i]] = 0;
        aw.queue[count++] = goals[i];
        for (int32_t head = 0; head < count; ++head) {
            const int32_t s = aw.queue[head];
            for (int32_t d = 0; d < 4; ++d) {
                const int32_t next = s + level.dirOffset[d];
                const int32_t beyond = next + level.dirOffset[d];
                if (walls[next] != 0 || walls[beyond] != 0 || dist[next] != kNoPath) continue;
                dist[next] = dist[s] + 1;
                aw.queue[count++] = next;
            }
        }
    }
}

namespace {

// One phase of the Hungarian method (rows the boxes, columns the goals, 1-based): matches row
// `added` by a shortest augmenting path over the reduced costs, keeping the potentials feasible.
void addRow(const int32_t* squares, int32_t n, int32_t added) {
    aw.columnRow[0] = added;
    int32_t column = 0;
    for (int32_t j = 0; j <= n; ++j) {
        aw.slack[j] = kInfinite;
        aw.used[j] = false;
    }
    do {
        aw.used[column] = true;
        const int32_t row = aw.columnRow[column];
        const int32_t square = squares[row - 1];
        int32_t delta = kInfinite, next = 0;
        for (int32_t j = 1; j <= n; ++j) {
            if (aw.used[j]) continue;
            const int32_t cost = goalDistances.distance[j - 1][square] - aw.rowPotential[row] -
                                 aw.columnPotential[j];
            if (cost < aw.slack[j]) {
                aw.slack[j] = cost;
                aw.way[j] = column;
            }
            if (aw.slack[j] < delta) {
                delta = aw.slack[j];
                next = j;
            }
        }
        for (int32_t j = 0; j <= n; ++j) {
            if (aw.used[j]) {
                aw.rowPotential[aw.columnRow[j]] += delta;
                aw.columnPotential[j] -= delta;
            } else {
                aw.slack[j] -= delta;
            }
        }
        column = next;
    } while (aw.columnRow[column] != 0);
    do {
        const int32_t previous = aw.way[column];
        aw.columnRow[column] = aw.columnRow[previous];
        column = previous;
    } while (column != 0);
}

int32_t matchedCost(const int32_t* squares, int32_t n) {
    int32_t total = 0;
    for (int32_t j = 1; j <= n; ++j) {
        total += goalDistances.distance[j - 1][squares[aw.columnRow[j] - 1]];
    }
    return total;
}

}  // namespace

int32_t cheapestAssignment(const int32_t* squares, int32_t n) {
    for (int32_t j = 0; j <= n; ++j) {
        aw.columnPotential[j] = 0;
        aw.columnRow[j] = 0;
    }
    for (int32_t i = 0; i <= n; ++i) aw.rowPotential[i] = 0;
    for (int32_t i = 1; i <= n; ++i) addRow(squares, n, i);
    for (int32_t j = 0; j <= n; ++j) {
        base.rowPotential[j] = aw.rowPotential[j];
        base.columnPotential[j] = aw.columnPotential[j];
        base.columnRow[j] = aw.columnRow[j];
    }
    return matchedCost(squares, n);
}

void prepareMovedBoxes(const int32_t* squares, int32_t n) {
    MovedBoxes& m = movedBoxes;
    m.count = n;
    m.total = 0;
    for (int32_t c = 0; c < n; ++c) {
        const int32_t row = base.columnRow[c + 1];
        m.goalOfBox[row - 1] = c;
        m.matched[c] = goalDistances.distance[c][squares[row - 1]];
        m.total += m.matched[c];
    }
    // path[c][f]: the least reduced cost of freeing goal c when goal f is given up, the box on c
    // moving to another goal, that goal's box on, and so on until one moves onto f. The optimal
    // potentials keep the reduced costs non-negative, so shortest paths are well defined.
    for (int32_t c = 0; c < n; ++c) {
        const int32_t row = base.columnRow[c + 1];
        const int32_t square = squares[row - 1];
        const int32_t rowPotential = base.rowPotential[row];
        for (int32_t f = 0; f < n; ++f) {
            m.path[c][f] = goalDistances.distance[f][square] - rowPotential - base.columnPotential[f + 1];
        }
        m.path[c][c] = 0;
    }
    for (int32_t k = 0; k < n; ++k) {
        const int32_t* viaK = m.path[k];
        for (int32_t c = 0; c < n; ++c) {
            const int32_t toK = m.path[c][k];
            int32_t* fromC = m.path[c];
            for (int32_t f = 0; f < n; ++f) fromC[f] = std::min(fromC[f], toK + viaK[f]);
        }
    }
}

int32_t costWithMovedBoxOn(int32_t moved, int32_t t) {
    const MovedBoxes& m = movedBoxes;
    const int32_t freed = m.goalOfBox[moved];
    // Along a path the potentials telescope: its cost is the reduced one plus the goals'
    // potentials of freed less that of c.
    const int32_t offset = base.columnPotential[freed + 1];
    int32_t best = kInfinite;
    for (int32_t c = 0; c < m.count; ++c) {
        const int32_t cost = goalDistances.distance[c][t] + m.path[c][freed] + offset -
                             base.columnPotential[c + 1];
        best = std::min(best, cost);
    }
    return m.total - m.matched[freed] + best;
}

}  // namespace qm
