#include "board/single_box.hpp"

#include <cstring>

#include "board/board.hpp"
#include "board/board_scratch.hpp"
#include "board/fills.hpp"
#include "board/handover.hpp"
#include "board/lifted_area.hpp"
#include "board/phase_tables.hpp"

namespace qm {

SingleBoxStates singleBox;

namespace {

constexpr int32_t kMatrixStride = 64;  // row stride of every assignment matrix
constexpr int32_t kMaxMaskRows = 32;   // rows goalAssignmentTest can build from 32-bit masks


// Direction bits of the neighbours of s that lie in the marked region.
int32_t sidesInRegion(const int32_t* reach, int32_t s) {
    int32_t sides = 0;
    for (int32_t bit = 1; bit <= 8; bit <<= 1) {
        if (reach[s + level.dirBitOffset[bit]] != 0) sides |= bit;
    }
    return sides;
}

// The direction bits of the free neighbours of target that the mover on stand can walk to, with
// a box on target. The same answer as filling the mover's whole region, but the walk stops as soon
// as every free neighbour of target has been reached, which in open rooms is after a few squares.
int32_t sidesReachable(const int32_t* board, int32_t target, int32_t stand) {
    BoardScratch& search = boardScratch();
    if (++search.sideStamp == 0) {
        std::memset(search.sideVisited, 0, sizeof search.sideVisited);
        search.sideStamp = 1;
    }
    const uint32_t stamp = search.sideStamp;
    int32_t wanted = 0;
    for (int32_t bit = 1; bit <= 8; bit <<= 1) {
        if (board[target + level.dirBitOffset[bit]] == 0) wanted |= bit;
    }
    int32_t found = 0;
    int32_t head = 0, tail = 0;
    search.sideVisited[stand] = stamp;
    search.sideQueue[tail++] = stand;
    while (head < tail) {
        const int32_t s = search.sideQueue[head++];
        for (int32_t bit = 1; bit <= 8; bit <<= 1) {
            if (s == target + level.dirBitOffset[bit]) found |= bit;
        }
        if (found == wanted) return found;
        for (int32_t d = 0; d < 4; ++d) {
            const int32_t n = s + level.dirOffset[d];
            if (board[n] != 0 || search.sideVisited[n] == stamp) continue;
            search.sideVisited[n] = stamp;
            search.sideQueue[tail++] = n;
        }
    }
    return found;
}

// How a routine records its start state and what it lists per state.
enum class StartRule {
    CallerLists,   // side map and lists untouched when no side is reachable; start entry set
    SearchLists,   // as CallerLists, but the start square's side entry stays 0
    GlobalLists,   // start state always recorded in singleBox; normalised pusher squares
};

// Breadth-first over the states of one box alone on board. Pushing, the mover stands on the side
// and the box goes the other way; pulling, the mover steps back from the box and draws it after.
// Returns the number of states (see StartRule for an unreachable box).
template <bool kPull, StartRule kRule>
int32_t singleBoxReach(int32_t* board, int32_t* sideMap, int32_t box, int32_t mover,
                       int32_t* boxes, int32_t* movers, int32_t* sides,
                       const LiftedArea* area = nullptr) {
    constexpr bool kGlobal = kRule == StartRule::GlobalLists;
    BoardScratch& scratch = boardScratch();
    int32_t* reach = scratch.reach;
    clearSquareMap(reach);
    const int32_t startRegion = reachFill(board, reach, mover);
    const int32_t startSides = sidesInRegion(reach, box);

    if constexpr (kGlobal) {
        clearSquareMap(sideMap);
        boxes[0] = box;
        movers[0] = startRegion;
        sides[0] = startSides;
        sideMap[box] |= startSides;
        singleBox.stateCount = 1;
        if (startSides == 0) return 1;
    } else {
        if (startSides == 0) return 0;
        clearSquareMap(sideMap);
        boxes[0] = box;
        movers[0] = mover;
        sides[0] = startSides;
        if constexpr (kRule == StartRule::CallerLists) sideMap[box] = startSides;
    }

    const int32_t boxCode = board[box];
    board[box] = 0;
    // The global lists need each state's region by its smallest square; the mover's area with the
    // box lifted gives it for every square that cuts nothing.
    if constexpr (kGlobal) {
        findLiftedArea(board, mover, scratch.ownArea);
        area = &scratch.ownArea;
    }
    int32_t count = 1;
    bool full = false;
    for (int32_t i = 0; i < count && !full; ++i) {
        const int32_t s = boxes[i];
        const int32_t set = sides[i];
        for (int32_t bit = 1; bit <= 8; bit <<= 1) {
            if ((set & bit) == 0) continue;
            const int32_t d = level.dirBitOffset[bit];
            // Pushing ends with the mover on s; pulling with the mover one step beyond the box.
            const int32_t target = kPull ? s + d : s - d;
            const int32_t stand = kPull ? s + 2 * d : s;
            if (board[kPull ? stand : target] != 0 || (sideMap[target] & bit) != 0) continue;
            if (count == kMaxStates) {
                full = true;
                break;
            }
            board[target] = BOX;
            int32_t region = stand;
            int32_t newSides = 0;
            if (area != nullptr && area->usable && area->inArea[stand] != 0 &&
                area->inArea[target] != 0 && area->cut[target] == 0) {
                // The box on target splits nothing: every free neighbour in the area is reached.
                for (int32_t side = 1; side <= 8; side <<= 1) {
                    const int32_t nb = target + level.dirBitOffset[side];
                    if (board[nb] == 0 && area->inArea[nb] != 0) newSides |= side;
                }
                region = target == area->smallest ? area->secondSmallest : area->smallest;
            } else if constexpr (kGlobal) {
                // The global lists need the region's smallest square: fill all of it.
                clearSquareMap(reach);
                region = reachFill(board, reach, stand);
                newSides = sidesInRegion(reach, target);
            } else {
                newSides = sidesReachable(board, target, stand);
            }
            board[target] = 0;
            sideMap[target] |= newSides;
            boxes[count] = target;
            movers[count] = kGlobal ? region : stand;
            sides[count] = newSides;
            ++count;
            if constexpr (kGlobal && !kPull) singleBox.pushSidesUsed |= bit;
        }
    }
    board[box] = boxCode;
    if constexpr (kGlobal) singleBox.stateCount = count;
    return count;
}

// Neighbours of s across one axis: 0 vertical (up, down), 1 horizontal (left, right).
void axisNeighbours(int32_t s, int32_t axis, int32_t* n) {
    const int32_t step = axis == 0 ? level.boardWidth : 1;
    n[0] = s - step;
    n[1] = s + step;
}

}  // namespace

int32_t boxPushReachSearch(int32_t* sideMap, int32_t box, int32_t pusher, int32_t* boxes,
                           int32_t* pushers, const LiftedArea* area) {
    return singleBoxReach<false, StartRule::SearchLists>(handover.searchBoard, sideMap, box, pusher,
                                                         boxes, pushers, boardScratch().stateSides,
                                                         area);
}

int32_t boxPushReach(int32_t* board, int32_t* sideMap, int32_t box, int32_t pusher, int32_t* boxes,
                     int32_t* pushers, const LiftedArea* area) {
    return singleBoxReach<false, StartRule::CallerLists>(board, sideMap, box, pusher, boxes,
                                                         pushers, boardScratch().stateSides, area);
}

int32_t boxPullReach(int32_t* board, int32_t* sideMap, int32_t box, int32_t puller, int32_t* boxes,
                     int32_t* pullers, const LiftedArea* area) {
    return singleBoxReach<true, StartRule::CallerLists>(board, sideMap, box, puller, boxes, pullers,
                                                        boardScratch().stateSides, area);
}

int32_t boxPullReachTemp(int32_t* board, int32_t* sideMap, int32_t box, int32_t puller) {
    BoardScratch& lists = boardScratch();
    return singleBoxReach<true, StartRule::CallerLists>(board, sideMap, box, puller, lists.tempBoxes,
                                                        lists.tempPullers, lists.tempSides);
}

int32_t boxPullStates(int32_t* board, int32_t* sideMap, int32_t box, int32_t puller) {
    return singleBoxReach<true, StartRule::GlobalLists>(board, sideMap, box, puller,
                                                        singleBox.stateBox, singleBox.statePusher,
                                                        singleBox.stateSides);
}

int32_t boxPushStates(int32_t* board, int32_t* sideMap, int32_t box, int32_t pusher) {
    // The mask describes this call's pushes only, so that callers can tell a box that moves
    // along one line from one that moves both ways.
    singleBox.pushSidesUsed = 0;
    return singleBoxReach<false, StartRule::GlobalLists>(board, sideMap, box, pusher,
                                                         singleBox.stateBox, singleBox.statePusher,
                                                         singleBox.stateSides);
}

int32_t frozenTest(int32_t* board, int32_t square) {
    const int32_t w = level.boardWidth;
    if (board[square - w] == 0 && board[square + w] == 0) return 0;
    if (board[square - 1] == 0 && board[square + 1] == 0) return 0;

    int32_t result = level.goalMap[square] != 0 ? 2 : 1;
    const int32_t saved = board[square];
    board[square] = WALL;
    for (int32_t axis = 0; axis < 2; ++axis) {
        int32_t n[2];
        axisNeighbours(square, axis, n);
        bool blocked = false;
        for (const int32_t side : n) {
            const int32_t v = board[side];
            if (v == WALL) {
                blocked = true;
                break;
            }
            if (v == BOX) {
                const int32_t r = frozenTest(board, side);
                if (r != 0) blocked = true;
                if (r == 1) result = 1;
            } else if (v != 0) {
                blocked = true;
            }
        }
        if (!blocked) {
            board[square] = saved;
            return 0;
        }
    }
    board[square] = saved;
    return result;
}

int32_t frozenTestFlag(int32_t* board, int32_t square) {
    const int32_t saved = board[square];
    bool walled = false;
    for (int32_t axis = 0; axis < 2; ++axis) {
        int32_t n[2];
        axisNeighbours(square, axis, n);
        if (board[n[0]] == WALL || board[n[1]] == WALL) continue;
        if (board[n[0]] == 0 && board[n[1]] == 0) {
            board[square] = saved;
            return 0;
        }
        // Neighbours are tested with this box standing as a wall.
        if (!walled) {
            board[square] = WALL;
            walled = true;
        }
        bool blocked = false;
        for (const int32_t side : n) {
            if (board[side] == BOX && frozenTestFlag(board, side) != 0) {
                blocked = true;
                break;
            }
        }
        if (!blocked) {
            board[square] = saved;
            return 0;
        }
    }
    board[square] = saved;
    if (level.goalMap[square] == 0) singleBox.frozenOffGoal = 1;
    return 1;
}

int32_t assignmentFeasible(int32_t* matrix, int32_t n, int32_t prune) {
    bool rowActive[kMaxBoxes], colActive[kMaxBoxes], inGroup[kMaxBoxes];
    for (int32_t i = 0; i < n; ++i) rowActive[i] = colActive[i] = true;
    int32_t remaining = n;
    auto at = [matrix](int32_t row, int32_t col) -> int32_t& {
        return matrix[row * kMatrixStride + col];
    };

    for (bool removed = true; removed;) {
        removed = false;
        // Rows: a set of identical rows needs as many distinct columns as it has rows.
        for (int32_t r = 0; r < n; ++r) {
            if (!rowActive[r]) continue;
            int32_t ones = 0;
            for (int32_t c = 0; c < n; ++c) {
                if (colActive[c] && at(r, c) != 0) ++ones;
            }
            if (ones == 0) return 0;
            if (ones > remaining / 2) continue;
            int32_t equal = 0;
            for (int32_t q = 0; q < n; ++q) {
                inGroup[q] = false;
                if (q < r || !rowActive[q]) continue;
                bool same = true;
                for (int32_t c = 0; c < n && same; ++c) {
                    if (colActive[c] && (at(q, c) != 0) != (at(r, c) != 0)) same = false;
                }
                if (same) {
                    inGroup[q] = true;
                    ++equal;
                }
            }
            if (equal > ones) return 0;
            if (equal < ones) continue;
            for (int32_t c = 0; c < n; ++c) {
                if (!colActive[c] || at(r, c) == 0) continue;
                colActive[c] = false;
                if (prune == 0) continue;
                for (int32_t q = 0; q < n; ++q) {
                    if (!inGroup[q]) at(q, c) = 0;
                }
            }
            for (int32_t q = 0; q < n; ++q) {
                if (inGroup[q]) rowActive[q] = false;
            }
            remaining -= ones;
            removed = true;
        }
        // Columns: the same with rows and columns exchanged.
        for (int32_t c = 0; c < n; ++c) {
            if (!colActive[c]) continue;
            int32_t ones = 0;
            for (int32_t r = 0; r < n; ++r) {
                if (rowActive[r] && at(r, c) != 0) ++ones;
            }
            if (ones == 0) return 0;
            if (ones > remaining / 2) continue;
            int32_t equal = 0;
            for (int32_t q = 0; q < n; ++q) {
                inGroup[q] = false;
                if (q < c || !colActive[q]) continue;
                bool same = true;
                for (int32_t r = 0; r < n && same; ++r) {
                    if (rowActive[r] && (at(r, q) != 0) != (at(r, c) != 0)) same = false;
                }
                if (same) {
                    inGroup[q] = true;
                    ++equal;
                }
            }
            if (equal > ones) return 0;
            if (equal < ones) continue;
            for (int32_t r = 0; r < n; ++r) {
                if (!rowActive[r] || at(r, c) == 0) continue;
                rowActive[r] = false;
                if (prune == 0) continue;
                for (int32_t q = 0; q < n; ++q) {
                    if (!inGroup[q]) at(r, q) = 0;
                }
            }
            for (int32_t q = 0; q < n; ++q) {
                if (inGroup[q]) colActive[q] = false;
            }
            remaining -= ones;
            removed = true;
        }
    }
    return 1;
}

int32_t goalAssignmentTest(const uint32_t* masks, int32_t n) {
    // Beyond 32 boxes the masks lack the columns, so nothing can be proved.
    if (n > kMaxMaskRows) return 1;
    int32_t* matrix = boardScratch().testMatrix;
    for (int32_t i = 0; i < n; ++i) {
        const uint32_t mask = masks[handover.t2Boxes[i]];
        for (int32_t k = 0; k < n; ++k) matrix[i * kMatrixStride + k] = (mask >> k) & 1u;
    }
    return assignmentFeasible(matrix, n, 0);
}

int32_t deadlockTest(int32_t square, int32_t pusher) {
    int32_t* board = phase.phaseBoard;
    const int32_t frozen = frozenTest(board, square);
    if (frozen != 2) return frozen;
    if (phase.phaseClass[square] == 0) return 0;

    BoardScratch& scratch = boardScratch();
    int32_t* local = scratch.testBoard;
    int32_t boxes[kMaxBoxes], goals[kMaxBoxes];
    int32_t boxCount = 0, goalCount = 0;
    for (int32_t s = 0; s < level.cellCount; ++s) {
        local[s] = board[s] == WALL ? WALL : 0;
        if (s == square || board[s] == WALL) continue;
        if (board[s] == BOX) {
            if (boxCount == kMaxBoxes) return 0;
            boxes[boxCount++] = s;
        }
        if (level.goalMap[s] != 0) {
            if (goalCount == kMaxBoxes) return 0;
            goals[goalCount++] = s;
        }
    }
    // Goals already walled over hold their boxes for good and take no part in the matching;
    // with unequal counts the matrix would not be square, so nothing is proved.
    if (boxCount != goalCount) return 0;
    local[square] = WALL;

    int32_t* matrix = scratch.testMatrix;
    int32_t* sideMap = scratch.testSideMap;
    for (int32_t l = 0; l < boxCount; ++l) {
        const int32_t b = boxes[l];
        local[b] = BOX;
        boxPushStates(local, sideMap, b, pusher);
        local[b] = 0;
        for (int32_t m = 0; m < goalCount; ++m) {
            const int32_t g = goals[m];
            matrix[m * kMatrixStride + l] = (g == b || sideMap[g] != 0) ? 1 : 0;
        }
    }
    return assignmentFeasible(matrix, boxCount, 0) == 0 ? 1 : 0;
}

}  // namespace qm
