#include "board/lifted_area.hpp"

#include <cstring>

#include "board/board_scratch.hpp"

namespace qm {

void findLiftedArea(const int32_t* board, int32_t start, LiftedArea& area) {
    BoardScratch& search = boardScratch();
    clearSquareMap(area.inArea);
    area.usable = board[start] == 0;
    if (!area.usable) return;
    // The area, by breadth-first fill; it also gives the two smallest squares.
    int32_t count = 0;
    area.inArea[start] = 1;
    search.cutList[count++] = start;
    for (int32_t head = 0; head < count; ++head) {
        const int32_t s = search.cutList[head];
        for (int32_t d = 0; d < 4; ++d) {
            const int32_t n = s + level.dirOffset[d];
            if (board[n] != 0 || area.inArea[n] != 0) continue;
            area.inArea[n] = 1;
            search.cutList[count++] = n;
        }
    }
    area.smallest = start;
    area.secondSmallest = -1;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t s = search.cutList[i];
        search.cutOrder[s] = 0;
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
    search.cutOrder[start] = search.cutLow[start] = time++;
    search.cutParent[start] = -1;
    search.cutStack[top] = start;
    search.cutNextDir[top++] = 0;
    while (top > 0) {
        const int32_t s = search.cutStack[top - 1];
        const int32_t d = search.cutNextDir[top - 1];
        if (d < 4) {
            ++search.cutNextDir[top - 1];
            const int32_t n = s + level.dirOffset[d];
            if (area.inArea[n] == 0) continue;
            if (search.cutOrder[n] == 0) {
                search.cutParent[n] = s;
                search.cutOrder[n] = search.cutLow[n] = time++;
                search.cutStack[top] = n;
                search.cutNextDir[top++] = 0;
                if (s == start) ++rootChildren;
            } else if (n != search.cutParent[s] && search.cutOrder[n] < search.cutLow[s]) {
                search.cutLow[s] = search.cutOrder[n];
            }
            continue;
        }
        --top;
        const int32_t p = search.cutParent[s];
        if (p < 0) continue;
        if (search.cutLow[s] < search.cutLow[p]) search.cutLow[p] = search.cutLow[s];
        if (p != start && search.cutLow[s] >= search.cutOrder[p]) area.cut[p] = 1;
    }
    if (rootChildren > 1) area.cut[start] = 1;
}

}  // namespace qm
