#include "board/lifted_area.hpp"

#include <cstring>

namespace qm {

namespace {

// Depth-first search state of the cut-square search, kept off the stack.
struct CutSearch {
    int32_t order[kMaxSquares];   // discovery time, 0 for unvisited
    int32_t low[kMaxSquares];     // earliest discovery time reachable through back edges
    int32_t parent[kMaxSquares];
    int32_t squares[kMaxSquares]; // the search stack
    int8_t nextDir[kMaxSquares];  // next direction to try at each stack entry
    int32_t list[kMaxSquares];    // the area's squares, for resetting
};
thread_local CutSearch search;

}  // namespace

void findLiftedArea(const int32_t* board, int32_t start, LiftedArea& area) {
    clearSquareMap(area.inArea);
    area.usable = board[start] == 0;
    if (!area.usable) return;
    // The area, by breadth-first fill; it also gives the two smallest squares.
    int32_t count = 0;
    area.inArea[start] = 1;
    search.list[count++] = start;
    for (int32_t head = 0; head < count; ++head) {
        const int32_t s = search.list[head];
        for (int32_t d = 0; d < 4; ++d) {
            const int32_t n = s + level.dirOffset[d];
            if (board[n] != 0 || area.inArea[n] != 0) continue;
            area.inArea[n] = 1;
            search.list[count++] = n;
        }
    }
    area.smallest = start;
    area.secondSmallest = -1;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t s = search.list[i];
        search.order[s] = 0;
        area.cut[s] = 0;
        if (s < area.smallest) {
            area.secondSmallest = area.smallest;
            area.smallest = s;
        } else if (s != area.smallest && (area.secondSmallest < 0 || s < area.secondSmallest)) {
            area.secondSmallest = s;
        }
    }

    // Cut squares (articulation points), by an iterative depth-first search.
    int32_t time = 1, top = 0, rootChildren = 0;
    search.order[start] = search.low[start] = time++;
    search.parent[start] = -1;
    search.squares[top] = start;
    search.nextDir[top++] = 0;
    while (top > 0) {
        const int32_t s = search.squares[top - 1];
        const int32_t d = search.nextDir[top - 1];
        if (d < 4) {
            ++search.nextDir[top - 1];
            const int32_t n = s + level.dirOffset[d];
            if (area.inArea[n] == 0) continue;
            if (search.order[n] == 0) {
                search.parent[n] = s;
                search.order[n] = search.low[n] = time++;
                search.squares[top] = n;
                search.nextDir[top++] = 0;
                if (s == start) ++rootChildren;
            } else if (n != search.parent[s] && search.order[n] < search.low[s]) {
                search.low[s] = search.order[n];
            }
            continue;
        }
        --top;
        const int32_t p = search.parent[s];
        if (p < 0) continue;
        if (search.low[s] < search.low[p]) search.low[p] = search.low[s];
        if (p != start && search.low[s] >= search.order[p]) area.cut[p] = 1;
    }
    if (rootChildren > 1) area.cut[start] = 1;
}

}  // namespace qm
