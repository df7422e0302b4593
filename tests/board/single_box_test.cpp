#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "board/board.hpp"
#include "board/fills.hpp"
#include "board/handover.hpp"
#include "board/phase_tables.hpp"
#include "board/single_box.hpp"
#include "support/test_support.hpp"

using namespace qm;
using qmtest::square;

namespace {

// Loads a picture and writes its position into board exactly as drawn: boxes 2 and walls 8, with
// the goals of the text, undoing what the load-time freezing settled.
void loadBoard(const std::string& rows, int32_t* board) {
    qmtest::loadPicture(rows);
    for (int32_t s = 0; s < level.cellCount; ++s) {
        const int32_t code = level.levelCells[s];
        board[s] = code == OUTSIDE ? WALL : code & kObstacleBits;
        level.goalMap[s] = code & kGoalBit;
    }
}

bool sameBoard(const int32_t* a, const int32_t* b) {
    return std::equal(a, a + level.cellCount, b);
}

// Every (box, mover) pair one box reaches alone, found by plain walks and moves over pairs.
struct Reference {
    std::set<std::pair<int32_t, int32_t>> states;  // box square, smallest square of mover region
    int32_t sides[kMaxSquares] = {};               // sides the mover reaches with the box there
};

Reference referenceReach(const int32_t* start, int32_t box, int32_t mover, bool pull) {
    const int32_t n = level.cellCount;
    std::vector<int32_t> board(start, start + n);
    board[box] = 0;
    std::vector<char> seen(n * n, 0);
    std::vector<std::pair<int32_t, int32_t>> queue{{box, mover}};
    seen[box * n + mover] = 1;
    for (size_t i = 0; i < queue.size(); ++i) {
        const auto [b, m] = queue[i];
        for (int32_t d = 0; d < 4; ++d) {
            const int32_t o = level.dirOffset[d], next = m + o;
            std::pair<int32_t, int32_t> moves[2] = {{-1, -1}, {-1, -1}};
            if (next == b) {
                if (!pull && board[b + o] == 0) moves[0] = {b + o, b};
            } else if (board[next] == 0) {
                moves[0] = {b, next};  // a walk; pulling the box along is a choice
                if (pull && m - o == b) moves[1] = {m, next};
            }
            for (const auto& to : moves) {
                if (to.first < 0 || seen[to.first * n + to.second]) continue;
                seen[to.first * n + to.second] = 1;
                queue.push_back(to);
            }
        }
    }
    Reference ref;
    for (const auto& [b, m] : queue) {
        for (int32_t bit = 1; bit <= 8; bit <<= 1) {
            if (m == b + level.dirBitOffset[bit]) ref.sides[b] |= bit;
        }
    }
    for (const auto& [b, m] : queue) {
        int32_t reach[kMaxSquares] = {};
        board[b] = BOX;
        const int32_t region = reachFill(board.data(), reach, m);
        board[b] = 0;
        // Only the start's region can miss the box, and then the box has no side at all.
        if (ref.sides[b] != 0) ref.states.insert({b, region});
    }
    return ref;
}

// A random walled board with inner walls and a few other boxes; returns a box and a mover square.
std::pair<int32_t, int32_t> randomBoard(std::mt19937& rng, int32_t* board) {
    setBoardGeometry(6 + rng() % 4, 5 + rng() % 4);
    std::vector<int32_t> free;
    for (int32_t s = 0; s < level.cellCount; ++s) {
        const int32_t x = squareColumn(s), y = squareRow(s);
        const bool edge = x == 0 || y == 0 || x == level.boardWidth - 1 || y == level.boardHeight - 1;
        const uint32_t roll = rng() % 100;
        board[s] = edge || roll < 22 ? WALL : (roll < 28 ? BOX : 0);
        level.goalMap[s] = 0;
        if (board[s] == 0) free.push_back(s);
    }
    if (free.size() < 2) return randomBoard(rng, board);
    std::shuffle(free.begin(), free.end(), rng);
    board[free[0]] = BOX;
    return {free[0], free[1]};
}

// The sides of box that a mover on square reaches, the box standing on box.
int32_t sideSetAt(const int32_t* board, int32_t box, int32_t mover) {
    int32_t reach[kMaxSquares] = {};
    reachFill(board, reach, mover);
    int32_t sides = 0;
    for (int32_t bit = 1; bit <= 8; bit <<= 1) sides |= reach[box + level.dirBitOffset[bit]] ? bit : 0;
    return sides;
}

// The listed states are distinct, all reachable, and cover every reachable state.
void expectStatesMatch(const Reference& ref, const int32_t* board, const int32_t* boxes,
                       const int32_t* movers, int32_t count, bool normalised) {
    std::set<std::pair<int32_t, int32_t>> listed;
    std::vector<int32_t> work(board, board + level.cellCount);
    work[boxes[0]] = 0;
    for (int32_t i = 0; i < count; ++i) {
        int32_t reach[kMaxSquares] = {};
        work[boxes[i]] = BOX;
        const int32_t region = reachFill(work.data(), reach, movers[i]);
        work[boxes[i]] = 0;
        if (normalised) { EXPECT_EQ(region, movers[i]); }
        EXPECT_TRUE(listed.insert({boxes[i], region}).second) << "state " << i << " listed twice";
    }
    EXPECT_EQ(listed, ref.states);
}

}  // namespace

TEST(SingleBoxReach, AllSixRoutinesMatchBruteForceAndRestoreTheBoard) {
    std::mt19937 rng(20240611);
    int32_t board[kMaxSquares], before[kMaxSquares], sideMap[kMaxSquares];
    int32_t boxes[kMaxStates], movers[kMaxStates];
    int32_t reachable = 0;
    for (int32_t round = 0; round < 300; ++round) {
        const auto [box, mover] = randomBoard(rng, board);
        std::copy(board, board + level.cellCount, before);
        for (const bool pull : {false, true}) {
            const Reference ref = referenceReach(board, box, mover, pull);
            const bool any = !ref.states.empty();
            reachable += any;
            // Caller lists: no state and an untouched side map when no side is reachable.
            std::fill(sideMap, sideMap + level.cellCount, 77);
            const int32_t count = pull ? boxPullReach(board, sideMap, box, mover, boxes, movers)
                                       : boxPushReach(board, sideMap, box, mover, boxes, movers);
            ASSERT_TRUE(sameBoard(board, before));
            if (!any) {
                EXPECT_EQ(count, 0);
                EXPECT_EQ(sideMap[box], 77);
            } else {
                EXPECT_TRUE(std::equal(sideMap, sideMap + level.cellCount, ref.sides));
                EXPECT_EQ(movers[0], mover);
                expectStatesMatch(ref, board, boxes, movers, count, false);
            }
            if (pull) {
                int32_t tempMap[kMaxSquares];
                std::fill(tempMap, tempMap + level.cellCount, 77);
                EXPECT_EQ(boxPullReachTemp(board, tempMap, box, mover), count);
                ASSERT_TRUE(sameBoard(board, before));
                if (any) { EXPECT_TRUE(std::equal(sideMap, sideMap + level.cellCount, tempMap)); }
            } else {
                // On the search board the start square's entry holds only sides of returns.
                std::copy(board, board + level.cellCount, handover.searchBoard);
                int32_t searchMap[kMaxSquares];
                const int32_t n = boxPushReachSearch(searchMap, box, mover, boxes, movers);
                ASSERT_TRUE(sameBoard(handover.searchBoard, before));
                EXPECT_EQ(n == 0, !any);
                for (int32_t s = 0; any && s < level.cellCount; ++s) {
                    if (s != box) { EXPECT_EQ(searchMap[s], ref.sides[s]); }
                }
                int32_t returns = 0;
                for (int32_t i = 1; i < n; ++i) {
                    if (boxes[i] == box) returns |= sideSetAt(board, box, movers[i]);
                }
                if (any) { EXPECT_EQ(searchMap[box], returns); }
                EXPECT_TRUE(n == count || n == count + 1);
            }
            // Global lists: the start state is always recorded, with normalised mover squares.
            const int32_t states = pull ? boxPullStates(board, sideMap, box, mover)
                                        : boxPushStates(board, sideMap, box, mover);
            ASSERT_TRUE(sameBoard(board, before));
            EXPECT_EQ(states, singleBox.stateCount);
            EXPECT_EQ(states, any ? count : 1);
            EXPECT_TRUE(std::equal(sideMap, sideMap + level.cellCount, ref.sides));
            if (any) expectStatesMatch(ref, board, singleBox.stateBox, singleBox.statePusher,
                                       states, true);
        }
    }
    EXPECT_GT(reachable, 200);  // the random boards exercise the search, not only the empty case
}

TEST(SingleBoxReach, PullFromCorridorGoalListsTheSquaresThatPushOntoIt) {
    int32_t board[kMaxSquares], sideMap[kMaxSquares], boxes[kMaxStates], pullers[kMaxStates];
    loadBoard("#########\n#*    @ #\n#########\n", board);
    const int32_t goal = square(1, 1);
    ASSERT_EQ(boxPullReach(board, sideMap, goal, square(6, 1), boxes, pullers), 6);
    for (int32_t x = 1; x <= 6; ++x) {
        EXPECT_EQ(boxes[x - 1], square(x, 1));
        EXPECT_EQ(sideMap[square(x, 1)], 2) << x;  // the puller stands right of the box
    }
    EXPECT_EQ(sideMap[square(7, 1)], 0);
    EXPECT_EQ(pullers[3], square(5, 1));
    // Pushing along the corridor uses only horizontal sides.
    loadBoard("#########\n#.   $ @#\n#########\n", board);
    boxPushStates(board, sideMap, square(5, 1), square(7, 1));
    EXPECT_EQ(singleBox.pushSidesUsed, 2);
    loadBoard("#####\n#  .#\n# $ #\n#@  #\n#####\n", board);
    boxPushStates(board, sideMap, square(2, 2), square(1, 3));
    EXPECT_EQ(singleBox.pushSidesUsed, 15);
}

TEST(FrozenTest, CornersPairsAndCorridors) {
    int32_t board[kMaxSquares], before[kMaxSquares];
    struct Case { const char* rows; int32_t x, y, frozen, flagged, offGoal; };
    const Case cases[] = {
        {"#####\n#$  #\n# @.#\n#####\n", 1, 1, 1, 1, 1},        // corner off goal
        {"#####\n#*  #\n# @$#\n#####\n", 1, 1, 2, 1, 0},        // corner on goal
        {"######\n#  . #\n# @  #\n# $* #\n######\n", 2, 3, 1, 1, 1},  // pair on a wall
        {"######\n#  . #\n# @  #\n# $* #\n######\n", 3, 3, 1, 1, 1},
        {"#####\n#.@ #\n##$##\n#   #\n#####\n", 2, 2, 0, 0, 0},  // walls left and right
        {"#######\n#  $$ #\n#@  ..#\n#######\n", 3, 1, 1, 1, 1},  // pair on the top wall
    };
    for (const Case& c : cases) {
        loadBoard(c.rows, board);
        std::copy(board, board + level.cellCount, before);
        EXPECT_EQ(frozenTest(board, square(c.x, c.y)), c.frozen) << c.rows;
        EXPECT_TRUE(sameBoard(board, before));
        singleBox.frozenOffGoal = 0;
        EXPECT_EQ(frozenTestFlag(board, square(c.x, c.y)), c.flagged) << c.rows;
        EXPECT_EQ(singleBox.frozenOffGoal, c.offGoal) << c.rows;
        EXPECT_TRUE(sameBoard(board, before));
    }
}

namespace {

bool hasPerfectMatching(const int32_t* m, int32_t n, int32_t row = 0, uint32_t used = 0) {
    if (row == n) return true;
    for (int32_t c = 0; c < n; ++c) {
        if (m[row * 64 + c] && !(used >> c & 1) && hasPerfectMatching(m, n, row + 1, used | 1u << c))
            return true;
    }
    return false;
}

}  // namespace

TEST(AssignmentFeasible, NeverRejectsAMatchableMatrixAndPruningKeepsTheMatching) {
    int32_t one[64 * 64] = {1, 0};
    one[64] = 1;  // both rows admit only column 0
    EXPECT_EQ(assignmentFeasible(one, 2, 0), 0);
    int32_t identity[64 * 64] = {};
    for (int32_t i = 0; i < 5; ++i) identity[i * 65] = 1;
    EXPECT_EQ(assignmentFeasible(identity, 5, 1), 1);
    int32_t chain[64 * 64] = {1, 0};
    chain[64] = chain[65] = 1;  // row 0 needs column 0, so row 1 loses it when pruned
    EXPECT_EQ(assignmentFeasible(chain, 2, 1), 1);
    EXPECT_EQ(chain[64], 0);
    EXPECT_EQ(chain[65], 1);

    // Groups wider than half the remaining size are not examined: six rows that share five
    // columns pass, as no smaller group shows the shortage.
    int32_t wide[64 * 64] = {};
    for (int32_t r = 0; r < 6; ++r) std::fill(wide + r * 64, wide + r * 64 + 5, 1);
    const int32_t tail[3][4] = {{1, 0, 1, 1}, {1, 1, 0, 1}, {0, 1, 1, 1}};
    for (int32_t r = 0; r < 3; ++r) std::copy(tail[r], tail[r] + 4, wide + (6 + r) * 64 + 5);
    EXPECT_FALSE(hasPerfectMatching(wide, 9));
    EXPECT_EQ(assignmentFeasible(wide, 9, 0), 1);

    std::mt19937 rng(7);
    int32_t rejected = 0, unmatchable = 0;
    for (int32_t round = 0; round < 20000; ++round) {
        const int32_t n = 1 + rng() % 7;
        const uint32_t density = 30 + rng() % 60;
        int32_t m[64 * 64] = {}, plain[64 * 64], pruned[64 * 64];
        for (int32_t r = 0; r < n; ++r) {
            for (int32_t c = 0; c < n; ++c) m[r * 64 + c] = rng() % 100 < density ? 1 : 0;
        }
        // Copy rows to make identical rows, the case the test is built for.
        for (int32_t r = 1; r < n; ++r) {
            if (rng() % 3 == 0) std::copy(m + (r - 1) * 64, m + r * 64, m + r * 64);
        }
        std::copy(m, m + 64 * 64, plain);
        std::copy(m, m + 64 * 64, pruned);
        const bool matchable = hasPerfectMatching(m, n);
        const int32_t a = assignmentFeasible(plain, n, 0), b = assignmentFeasible(pruned, n, 1);
        ASSERT_TRUE(std::equal(m, m + 64 * 64, plain));
        if (matchable) { ASSERT_TRUE(a == 1 && b == 1) << "round " << round; }
        EXPECT_EQ(a, b);
        for (int32_t i = 0; i < 64 * 64; ++i) ASSERT_LE(pruned[i], m[i]);
        EXPECT_EQ(hasPerfectMatching(pruned, n), matchable);
        unmatchable += !matchable;
        rejected += a == 0;
    }
    // It finds almost every violation on matrices this small, not merely a few.
    EXPECT_GT(unmatchable, 2000);
    EXPECT_GT(rejected * 10, unmatchable * 9);
}

TEST(GoalAssignmentTest, ColumnKIsBitKOfTheBoxSquaresMask) {
    uint32_t masks[kMaxSquares] = {};
    handover.t2Boxes[0] = 10;
    handover.t2Boxes[1] = 20;
    masks[10] = masks[20] = 1;
    EXPECT_EQ(goalAssignmentTest(masks, 2), 0);
    masks[20] = 2;
    EXPECT_EQ(goalAssignmentTest(masks, 2), 1);
    masks[20] = 4;  // a bit beyond the n columns admits nothing
    EXPECT_EQ(goalAssignmentTest(masks, 2), 0);
}

TEST(DeadlockTest, FrozenGoalBoxAtAGateCutsOffTheLastGoal) {
    // The box frozen on the corner goal leaves the other box unable to leave the top row.
    const std::string top = "#########\n#*   $  #\n#### ####\n";
    int32_t before[kMaxSquares];
    loadBoard(top + "#  .  @ #\n#########\n", phase.phaseBoard);
    const int32_t s = square(1, 1), pusher = square(6, 3);
    std::copy(phase.phaseBoard, phase.phaseBoard + level.cellCount, before);
    std::fill(phase.phaseClass, phase.phaseClass + level.cellCount, 0);
    EXPECT_EQ(deadlockTest(s, pusher), 0);  // an ordinary square is not tested further
    phase.phaseClass[s] = 1;
    EXPECT_EQ(deadlockTest(s, pusher), 1);
    EXPECT_TRUE(sameBoard(phase.phaseBoard, before));
    EXPECT_EQ(deadlockTest(square(5, 1), pusher), 0);  // the top box itself can still move
    level.goalMap[square(8, 3)] = 1;  // a goal under a wall, as the analysis walls frozen goal boxes
    EXPECT_EQ(deadlockTest(s, pusher), 1);

    // With the other box below, it reaches its goal.
    loadBoard("#########\n#*      #\n#### ####\n#  .  $@#\n#########\n", phase.phaseBoard);
    EXPECT_EQ(deadlockTest(s, square(7, 3)), 0);
    // A box the pusher cannot get at still fills the goal it stands on.
    loadBoard("#######\n#**  @#\n#######\n", phase.phaseBoard);
    std::fill(phase.phaseClass, phase.phaseClass + level.cellCount, 0);
    phase.phaseClass[square(2, 1)] = 1;
    EXPECT_EQ(deadlockTest(square(2, 1), square(5, 1)), 0);
    // A box frozen off goal is a deadlock whatever the square's class.
    loadBoard("#########\n#*     $#\n#### ####\n#  .  @.#\n#########\n", phase.phaseBoard);
    std::fill(phase.phaseClass, phase.phaseClass + level.cellCount, 0);
    EXPECT_EQ(deadlockTest(square(7, 1), square(6, 3)), 1);
}
