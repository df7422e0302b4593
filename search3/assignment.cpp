#include "search3/assignment.hpp"

#include <algorithm>

namespace qm {

Assignment goalAssignment;

void prepareDistances(Assignment& a, const int32_t* walls, const int32_t* targets, int32_t n, Travel travel) {
    // Backwards from the target: a box on next reaches s by a push from behind next, or by a
    // pull with the puller going on from s to the square beyond it.
    for (int32_t i = 0; i < n; ++i) {
        int32_t* dist = a.distance[i];
        for (int32_t s = 0; s < level.cellCount; ++s) dist[s] = kNoPath;
        int32_t count = 0;
        dist[targets[i]] = 0;
        a.queue[count++] = targets[i];
        for (int32_t head = 0; head < count; ++head) {
            const int32_t s = a.queue[head];
            for (int32_t d = 0; d < 4; ++d) {
                const int32_t next = s + level.dirOffset[d];
                const int32_t mover = travel == Travel::kPushed ? next + level.dirOffset[d]
                                                                : s - level.dirOffset[d];
                if (walls[next] != 0 || walls[mover] != 0 || dist[next] != kNoPath) continue;
                dist[next] = dist[s] + 1;
                a.queue[count++] = next;
            }
        }
    }
}

namespace {

// One phase of the Hungarian method (rows the boxes, columns the targets, 1-based): matches row
// `added` by a shortest augmenting path over the reduced costs, keeping the potentials feasible.
void addRow(Assignment& a, const int32_t* squares, int32_t n, int32_t added) {
    a.columnRow[0] = added;
    int32_t column = 0;
    for (int32_t j = 0; j <= n; ++j) {
        a.slack[j] = kInfiniteCost;
        a.used[j] = false;
    }
    do {
        a.used[column] = true;
        const int32_t row = a.columnRow[column];
        const int32_t square = squares[row - 1];
        int32_t delta = kInfiniteCost, next = 0;
        for (int32_t j = 1; j <= n; ++j) {
            if (a.used[j]) continue;
            const int32_t cost = a.distance[j - 1][square] - a.rowPotential[row] - a.columnPotential[j];
            if (cost < a.slack[j]) {
                a.slack[j] = cost;
                a.way[j] = column;
            }
            if (a.slack[j] < delta) {
                delta = a.slack[j];
                next = j;
            }
        }
        for (int32_t j = 0; j <= n; ++j) {
            if (a.used[j]) {
                a.rowPotential[a.columnRow[j]] += delta;
                a.columnPotential[j] -= delta;
            } else {
                a.slack[j] -= delta;
            }
        }
        column = next;
    } while (a.columnRow[column] != 0);
    do {
        const int32_t previous = a.way[column];
        a.columnRow[column] = a.columnRow[previous];
        column = previous;
    } while (column != 0);
}

int32_t matchedCost(const Assignment& a, const int32_t* squares, int32_t n) {
    int32_t total = 0;
    for (int32_t j = 1; j <= n; ++j) total += a.distance[j - 1][squares[a.columnRow[j] - 1]];
    return total;
}

}  // namespace

int32_t cheapestAssignment(Assignment& a, const int32_t* squares, int32_t n) {
    for (int32_t j = 0; j <= n; ++j) {
        a.columnPotential[j] = 0;
        a.columnRow[j] = 0;
    }
    for (int32_t i = 0; i <= n; ++i) a.rowPotential[i] = 0;
    for (int32_t i = 1; i <= n; ++i) addRow(a, squares, n, i);
    for (int32_t j = 0; j <= n; ++j) {
        a.baseRowPotential[j] = a.rowPotential[j];
        a.baseColumnPotential[j] = a.columnPotential[j];
        a.baseColumnRow[j] = a.columnRow[j];
    }
    return matchedCost(a, squares, n);
}

void prepareMovedBoxes(Assignment& a, const int32_t* squares, int32_t n) {
    a.count = n;
    a.total = 0;
    for (int32_t c = 0; c < n; ++c) {
        const int32_t row = a.baseColumnRow[c + 1];
        a.targetOfBox[row - 1] = c;
        a.matched[c] = a.distance[c][squares[row - 1]];
        a.total += a.matched[c];
    }
    // path[c][f]: the least reduced cost of freeing target c when target f is given up, the box
    // on c moving to another target, that target's box on, and so on until one moves onto f.
    // The optimal potentials keep the reduced costs non-negative, so shortest paths are well
    // defined.
    for (int32_t c = 0; c < n; ++c) {
        const int32_t row = a.baseColumnRow[c + 1];
        const int32_t square = squares[row - 1];
        const int32_t rowPotential = a.baseRowPotential[row];
        for (int32_t f = 0; f < n; ++f) {
            a.path[c][f] = a.distance[f][square] - rowPotential - a.baseColumnPotential[f + 1];
        }
        a.path[c][c] = 0;
    }
    for (int32_t k = 0; k < n; ++k) {
        const int32_t* viaK = a.path[k];
        for (int32_t c = 0; c < n; ++c) {
            const int32_t toK = a.path[c][k];
            int32_t* fromC = a.path[c];
            for (int32_t f = 0; f < n; ++f) fromC[f] = std::min(fromC[f], toK + viaK[f]);
        }
    }
}

int32_t costWithMovedBoxOn(const Assignment& a, int32_t moved, int32_t t) {
    const int32_t freed = a.targetOfBox[moved];
    // Along a path the potentials telescope: its cost is the reduced one plus the targets'
    // potentials of freed less that of c.
    const int32_t offset = a.baseColumnPotential[freed + 1];
    int32_t best = kInfiniteCost;
    for (int32_t c = 0; c < a.count; ++c) {
        const int32_t cost = a.distance[c][t] + a.path[c][freed] + offset - a.baseColumnPotential[c + 1];
        best = std::min(best, cost);
    }
    return a.total - a.matched[freed] + best;
}

}  // namespace qm
