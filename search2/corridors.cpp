// The corridor rules of thread 2's macro moves: a box never ends a move inside a one-wide
// corridor (but for one square of it), and is carried on through a corridor rather than left in
// front of its mouth.
#include "search2/corridors.hpp"

#include "board/board.hpp"
#include "board/handover.hpp"

namespace qm {

CorridorRules corridorRules;

namespace {

// Squares of corridor runs of two or more squares.
struct CorridorScratch {
    int32_t runMap[kMaxSquares];
};
CorridorScratch corridorScratch;

bool isWall(const int32_t* board, int32_t s) { return (board[s] & WALL) != 0; }

// Scans one line of squares first, first + step, ... (count squares) for corridor runs; a square
// is a corridor square when it is free of walls and both squares across the line (± cross) are
// walls. Runs of two or more get noStopMark, except one square that stays a possible stop.
void scanCorridorLine(int32_t first, int32_t step, int32_t count, int32_t cross) {
    const int32_t* board = handover.searchBoard;
    bool inRun = false, boxOrGoal = false;
    int32_t start = 0;
    auto closeRun = [&](int32_t after) {
        if (boxOrGoal) {
            for (int32_t x = start; x != after; x += step) {
                if (board[x] == BOX || level.goalMap[x] != 0) corridorRules.noStopMark[x] = 0;
            }
        } else {
            corridorRules.noStopMark[start + step * ((after - start) / step / 2)] = 0;
        }
        inRun = false;
    };
    for (int32_t k = 0; k < count; ++k) {
        const int32_t s = first + k * step;
        const bool corridor =
            board[s] != WALL && board[s - cross] == WALL && board[s + cross] == WALL;
        if (!corridor) {
            if (inRun) closeRun(s);
            continue;
        }
        if (inRun) {
            corridorRules.noStopMark[s] = corridorRules.noStopMark[s - step] = 1;
            corridorScratch.runMap[s] = corridorScratch.runMap[s - step] = 1;
        } else {
            inRun = true;
            boxOrGoal = false;
            start = s;
        }
        if (board[s] == BOX || level.goalMap[s] != 0) boxOrGoal = true;
    }
    if (inRun) closeRun(first + count * step);
}

}  // namespace

void corridorAnalysis() {
    const int32_t w = level.boardWidth, h = level.boardHeight;
    const int32_t* board = handover.searchBoard;
    clearSquareMap(corridorRules.noStopMark);
    clearSquareMap(corridorRules.corridorExit);
    clearSquareMap(corridorScratch.runMap);
    for (int32_t row = 1; row + 1 < h; ++row) scanCorridorLine(row * w, 1, w, w);
    for (int32_t column = 1; column + 1 < w; ++column) scanCorridorLine(column, w, h, 1);

    // Squares in front of a corridor mouth: where a box pushed through the corridor may stop.
    for (int32_t row = 1; row + 1 < h; ++row) {
        for (int32_t column = 1; column + 1 < w; ++column) {
            const int32_t x = row * w + column;
            if (isWall(board, x)) continue;
            const bool up = isWall(board, x - w), down = isWall(board, x + w);
            const bool left = isWall(board, x - 1), right = isWall(board, x + 1);
            int32_t mouths = 0, direction = 0;
            if (up != down && !left && !right) {
                if (isWall(board, x - w + 1) && isWall(board, x + w + 1)) {
                    ++mouths;
                    direction = RIGHT;
                }
                if (isWall(board, x - w - 1) && isWall(board, x + w - 1)) {
                    ++mouths;
                    direction = LEFT;
                }
            } else if (!up && !down && left != right) {
                if (isWall(board, x - w - 1) && isWall(board, x - w + 1)) {
                    ++mouths;
                    direction = UP;
                }
                if (isWall(board, x + w - 1) && isWall(board, x + w + 1)) {
                    ++mouths;
                    direction = DOWN;
                }
            }
            if (mouths != 1) continue;
            const int32_t offset = level.dirOffset[direction];
            int32_t y = x + offset;
            if (handover.t2StartMask[y] == 0) continue;
            while (corridorScratch.runMap[y] == 1 && corridorRules.noStopMark[y] == 1) y += offset;
            corridorRules.corridorExit[x] = y;
        }
    }
}
}  // namespace qm
