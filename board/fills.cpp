#include "board/fills.hpp"

#include <cstring>

#include "board/board.hpp"
#include "board/board_scratch.hpp"

namespace qm {

namespace {

bool onBorder(int32_t s) {
    const int32_t row = squareRow(s), column = squareColumn(s);
    return row == 0 || column == 0 || row == level.boardHeight - 1 || column == level.boardWidth - 1;
}


}  // namespace

int32_t closedCheckFill(const int32_t* wallMap, int32_t* reach) {
    clearSquareMap(reach);
    const int32_t start = level.pusherSquare;
    reach[start] = 1;
    if (onBorder(start)) return 0;
    int32_t* queue = boardScratch().fillQueue;
    int32_t head = 0, tail = 0;
    queue[tail++] = start;
    while (head < tail) {
        const int32_t s = queue[head++];
        for (int32_t d = 0; d < 4; ++d) {
            const int32_t n = s + level.dirOffset[d];
            if (wallMap[n] != 0 || reach[n] != 0) continue;
            reach[n] = 1;
            if (onBorder(n)) return 0;
            queue[tail++] = n;
        }
    }
    return 1;
}

void pusherFill(const int32_t* board, int32_t* reach) {
    clearSquareMap(reach);
    reachFill(board, reach, level.pusherSquare);
}

int32_t distanceFill(const int32_t* board, int32_t* distance, int32_t start) {
    clearSquareMap(distance);
    int32_t* queue = boardScratch().fillQueue;
    int32_t head = 0, tail = 0;
    distance[start] = 1;
    queue[tail++] = start;
    while (head < tail) {
        const int32_t s = queue[head++];
        const int32_t next = distance[s] + 1;
        for (int32_t d = 0; d < 4; ++d) {
            const int32_t n = s + level.dirOffset[d];
            if (board[n] != 0 || distance[n] != 0) continue;
            distance[n] = next;
            queue[tail++] = n;
        }
    }
    return tail;
}

int32_t reachFill(const int32_t* board, int32_t* reach, int32_t start) {
    int32_t* queue = boardScratch().fillQueue;
    int32_t head = 0, tail = 0;
    int32_t smallest = start;
    reach[start] = 1;
    queue[tail++] = start;
    while (head < tail) {
        const int32_t s = queue[head++];
        for (int32_t d = 0; d < 4; ++d) {
            const int32_t n = s + level.dirOffset[d];
            if (board[n] != 0 || reach[n] != 0) continue;
            reach[n] = 1;
            if (n < smallest) smallest = n;
            queue[tail++] = n;
        }
    }
    return smallest;
}

void labelFill(const int32_t* board, int32_t* labels, int32_t start, int32_t label) {
    int32_t* queue = boardScratch().fillQueue;
    int32_t head = 0, tail = 0;
    labels[start] = label;
    queue[tail++] = start;
    while (head < tail) {
        const int32_t s = queue[head++];
        for (int32_t d = 0; d < 4; ++d) {
            const int32_t n = s + level.dirOffset[d];
            if (board[n] != 0 || labels[n] != 0) continue;
            labels[n] = label;
            queue[tail++] = n;
        }
    }
}

namespace {

// Value of map at the square k steps from s in direction d; squares beyond the rectangle read as
// wall, so boxes and goals drawn outside a level's outer wall never index out of bounds.
int32_t valueAhead(const int32_t* map, int32_t s, int32_t d, int32_t k) {
    int32_t square = s;
    for (int32_t i = 0; i < k; ++i) {
        square = neighbourInside(square, d);
        if (square < 0) return WALL;
    }
    return map[square];
}

bool boxCanMove(const int32_t* work, const int32_t* region, int32_t s) {
    for (int32_t d = 0; d < 4; ++d) {
        const int32_t behind = neighbourInside(s, (d + 2) % 4);
        if (behind < 0 || region[behind] == 0) continue;
        if (valueAhead(work, s, d, 1) == 0) return true;
    }
    return false;
}

// Turns the box on s into wall; the caller has checked that s is a goal.
void wallFrozenGoalBox(int32_t s, int32_t& activeBoxes) {
    level.obstacleMap[s] = WALL;
    level.goalMap[s] = 0;
    --activeBoxes;
}

}  // namespace

int32_t labelRegions(const int32_t* board, int32_t* labels, int32_t pusher, int32_t maxOthers) {
    clearSquareMap(labels);
    labelFill(board, labels, pusher, 1);
    int32_t others = 0;
    for (int32_t s = 0; s < level.cellCount && (maxOthers < 0 || others < maxOthers); ++s) {
        if (board[s] != 0 || labels[s] != 0) continue;
        ++others;
        labelFill(board, labels, s, others + 1);
    }
    return others;
}

bool ringTouchesLabel(const int32_t* labels, int32_t s, int32_t a, int32_t b) {
    for (int32_t r = 0; r < 8; ++r) {
        const int32_t label = labels[s + level.ringOffset[r]];
        if (label == a || label == b) return true;
    }
    return false;
}

int32_t freezeAtLoad() {
    const int32_t n = level.cellCount;
    BoardScratch& scratch = boardScratch();
    int32_t* work = scratch.freezeWork;
    int32_t* region = scratch.freezeRegion;
    int32_t activeBoxes = level.boxCount;
    bool impossible = false;
    std::memcpy(work, level.obstacleMap, sizeof(int32_t) * n);

    for (bool changed = true; changed;) {
        changed = false;
        pusherFill(work, region);
        for (int32_t s = 0; s < n; ++s) {
            if (work[s] != BOX || !boxCanMove(work, region, s)) continue;
            work[s] = 0;
            changed = true;
        }
    }
    for (int32_t s = 0; s < n; ++s) {
        if (work[s] != BOX) continue;
        if (level.goalMap[s] != 0) wallFrozenGoalBox(s, activeBoxes);
        else impossible = true;
    }

    int32_t* goals = scratch.freezeGoals;
    for (int32_t s = 0; s < n; ++s) {
        goals[s] = level.obstacleMap[s] == WALL ? WALL : (level.goalMap[s] != 0 ? 1 : 0);
    }
    for (bool changed = true; changed;) {
        changed = false;
        for (int32_t s = 0; s < n; ++s) {
            if (goals[s] != 1) continue;
            for (int32_t d = 0; d < 4; ++d) {
                if (valueAhead(goals, s, d, 1) == 0 && valueAhead(goals, s, d, 2) == 0) {
                    goals[s] = 0;
                    changed = true;
                    break;
                }
            }
        }
    }
    for (int32_t s = 0; s < n; ++s) {
        if (goals[s] != 1) continue;
        if (level.obstacleMap[s] == BOX) wallFrozenGoalBox(s, activeBoxes);
        else impossible = true;
    }
    level.activeBoxCount = activeBoxes;
    return impossible ? 7 : 1;
}

bool canEndASolutionOn(const int32_t* board, int32_t s) {
    for (int32_t d = 0; d < 4; ++d) {
        const int32_t offset = level.dirOffset[d];
        if (board[s + offset] == BOX && board[s - offset] == 0) return true;
    }
    return false;
}

}  // namespace qm
