#include "board/solution.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <queue>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "board/board.hpp"
#include "board/fills.hpp"
#include "support/refusing_memory.hpp"
#include "support/test_support.hpp"

namespace {

using qm::level;
using qm::solution;
using qmtest::loadPicture;
using qmtest::square;

// Loads a picture and starts an empty solution on it.
void startOn(const std::string& rows) {
    loadPicture(rows);
    ASSERT_EQ(qm::allocateSolution(), 1);
    qm::resetSolution();
}

// Replaces the text with the given letters, as a finished solution would hold them.
void setText(const std::string& letters) {
    qm::resetSolution();
    for (char c : letters) qm::appendLetter(qm::letterDirection(c), qm::isPushLetter(c));
}

std::string text() { return solution.solutionText; }

int32_t countPushLetters(const std::string& s) {
    int32_t n = 0;
    for (char c : s) n += qm::isPushLetter(c) ? 1 : 0;
    return n;
}

// ---------------------------------------------------------------------------------------------
// Text growth

TEST(SolutionText, GrowsBeyondTheFirstBufferAndKeepsEveryLetter) {
    startOn("#####\n#@$.#\n#####");
    std::string expected;
    for (int32_t i = 0; i < 25000; ++i) {
        const int32_t d = i % 4;
        const bool push = i % 7 == 0;
        qm::appendLetter(d, push);
        expected.push_back(static_cast<char>(qm::moveLetters[d + (push ? 4 : 0)]));
    }
    EXPECT_EQ(solution.traceOverflow, 0);
    EXPECT_EQ(solution.moveCount, 25000);
    EXPECT_EQ(solution.pushCount, countPushLetters(expected));
    EXPECT_GE(solution.solutionCapacity, 25001u);
    EXPECT_EQ(solution.solutionCapacity % qm::kSolutionGrowth, 0u);
    EXPECT_EQ(text(), expected);
}

TEST(SolutionText, RefusedGrowthStopsStoringButKeepsCounting) {
    startOn("#####\n#@$.#\n#####");
    std::string stored;
    int32_t overflow = 0;
    {
        qmtest::MemoryRefusal refusal(2 * qm::kSolutionGrowth);
        for (int32_t i = 0; i < 30000; ++i) qm::appendLetter(qm::RIGHT, i % 2 == 1);
        stored = text();
        overflow = solution.traceOverflow;
    }
    EXPECT_EQ(overflow, 1);
    EXPECT_EQ(solution.moveCount, 30000);
    EXPECT_EQ(solution.pushCount, 15000);
    // The buffer of 20000 bytes holds 19999 letters and the terminator.
    EXPECT_EQ(stored.size(), 2 * qm::kSolutionGrowth - 1);
    EXPECT_EQ(stored.substr(0, 4), "rRrR");

    qm::resetSolution();
    EXPECT_EQ(solution.traceOverflow, 0);
    EXPECT_EQ(solution.moveCount, 0);
    EXPECT_EQ(text(), "");
    qm::appendLetter(qm::DOWN, false);
    EXPECT_EQ(text(), "d");
}

TEST(SolutionText, SnapshotShowsTheBuiltPositionAndTheLastLetter) {
    startOn("######\n#@ $.#\n######");
    qm::LiveSnapshot snap;
    qm::takeLiveSnapshot(snap);
    EXPECT_EQ(snap.lastLetter, 0);
    ASSERT_EQ(qm::appendBoxTransfer(square(4, 1), square(3, 1), square(3, 1)), 1);
    qm::takeLiveSnapshot(snap);
    EXPECT_EQ(text(), "rR");
    EXPECT_EQ(snap.lastLetter, 'R');
    EXPECT_EQ(snap.replayPusher, square(3, 1));
    EXPECT_EQ(snap.replayBoard[square(3, 1)], 0);
    EXPECT_EQ(snap.replayBoard[square(4, 1)], qm::BOX);
}

// ---------------------------------------------------------------------------------------------
// Walks

TEST(SolutionWalk, GoesStraightFirstThenTurnsClockwise) {
    const std::string room =
        "#######\n"
        "#     #\n"
        "#     #\n"
        "#  @  #\n"
        "#     #\n"
        "#  $. #\n"
        "#######";
    startOn(room);
    const int32_t target = square(3, 3);
    struct Case {
        int32_t x, y;
        const char* letters;
    };
    // Up is tried first, then the previous direction, then clockwise from it.
    const Case cases[] = {{5, 1, "ddll"}, {5, 5, "uull"}, {1, 5, "uurr"}, {1, 1, "rrdd"},
                          {3, 1, "dd"},   {5, 3, "ll"},   {4, 2, "dl"}};
    for (const Case& c : cases) {
        qm::resetSolution();
        qm::appendWalk(target, square(c.x, c.y));
        EXPECT_EQ(text(), c.letters) << "from " << c.x << "," << c.y;
        EXPECT_EQ(solution.pushCount, 0);
    }
    qm::resetSolution();
    qm::appendWalk(target, target);
    EXPECT_EQ(text(), "");
}

TEST(SolutionWalk, GoesAroundBoxesOnTheReplayBoard) {
    startOn("#######\n#     #\n#@$ . #\n#     #\n#######");
    qm::appendWalk(square(3, 2), square(1, 2));
    EXPECT_EQ(text(), "urrd");
}

TEST(SolutionPushChain, LongChainIsReplayedRootFirst) {
    startOn("#######\n#     #\n#@$   #\n#    .#\n#######");
    // 10000 pushes moving the box right and left between two squares.
    static qm::TransferNodes nodes;
    const int32_t a = square(2, 2), b = square(3, 2);
    for (int32_t i = 0; i < qm::kTransferNodes; ++i) {
        const int32_t from = i % 2 == 0 ? a : b, to = i % 2 == 0 ? b : a;
        nodes.fromAndPushes[i] = from + 4096 * (i + 1);
        nodes.toAndMoves[i] = to;
        nodes.parent[i] = i - 1;
    }
    qm::appendPushChain(qm::kTransferNodes - 1, nodes);
    const std::string letters = text();
    EXPECT_EQ(solution.pushCount, qm::kTransferNodes);
    EXPECT_EQ(countPushLetters(letters), qm::kTransferNodes);
    EXPECT_EQ(static_cast<int32_t>(letters.size()), solution.moveCount);
    ASSERT_GE(letters.size(), 2u);
    EXPECT_EQ(letters[0], 'R');  // pusher starts behind the box
    EXPECT_EQ(solution.replayBoard[a], qm::BOX);
    EXPECT_EQ(solution.replayBoard[b], 0);
    EXPECT_EQ(solution.replayPusher, b);
    // Every push letter alternates, so the walks between them put the pusher on the right side.
    char expectedPush = 'R';
    for (char c : letters) {
        if (!qm::isPushLetter(c)) continue;
        ASSERT_EQ(c, expectedPush);
        expectedPush = expectedPush == 'R' ? 'L' : 'R';
    }
}

// ---------------------------------------------------------------------------------------------
// Box transfers on fixed pictures

TEST(SolutionTransfer, PusherBehindTheBoxPushesWithoutWalking) {
    startOn("######\n#@$ .#\n######");
    ASSERT_EQ(qm::appendBoxTransfer(square(4, 1), square(1, 1), square(2, 1)), 1);
    EXPECT_EQ(text(), "RR");
    EXPECT_EQ(solution.moveCount, 2);
    EXPECT_EQ(solution.pushCount, 2);
    EXPECT_EQ(solution.replayPusher, square(3, 1));
    EXPECT_EQ(qm::verifySolution(), 1);
}

TEST(SolutionTransfer, PrefersFewerPushesOverFewerMoves) {
    // Right then up takes 2 pushes but a long walk round the room to get below the box;
    // right, right, up, left takes 4 pushes and 12 moves.
    startOn(
        "########\n"
        "#      #\n"
        "# @   ##\n"
        "# ##.  #\n"
        "#  $   #\n"
        "#  #  ##\n"
        "########");
    ASSERT_EQ(qm::appendBoxTransfer(square(4, 3), square(2, 2), square(3, 4)), 1);
    EXPECT_EQ(solution.pushCount, 2);
    EXPECT_EQ(solution.moveCount, 18);
    EXPECT_EQ(text(), "lddrRlluurrrrdddlU");
    EXPECT_EQ(qm::verifySolution(), 1);
}

TEST(SolutionTransfer, PusherEndSquareDecidesTheLastPush) {
    // The goal sits in the gap between two rooms. Pushed in from the left, the box shuts the
    // pusher out of the right room; to end there, the box goes through and comes back.
    const std::string rooms =
        "#########\n"
        "#   #   #\n"
        "#@$ .   #\n"
        "#   #   #\n"
        "#########";
    startOn(rooms);
    ASSERT_EQ(qm::appendBoxTransfer(square(4, 2), square(1, 2), square(2, 2)), 1);
    EXPECT_EQ(text(), "RR");
    qm::resetSolution();
    ASSERT_EQ(qm::appendBoxTransfer(square(4, 2), square(7, 2), square(2, 2)), 1);
    EXPECT_EQ(text(), "RRRRurrdLL");
    EXPECT_EQ(solution.replayPusher, square(5, 2));
    EXPECT_EQ(qm::verifySolution(), 1);

    // In a plain corridor the pusher can never pass the box, so the far end is out of reach.
    startOn("#######\n#@$ . #\n#######");
    EXPECT_EQ(qm::appendBoxTransfer(square(4, 1), square(5, 1), square(2, 1)), 0);
    EXPECT_EQ(text(), "");
}

TEST(SolutionTransfer, ImpossibleTransferChangesNothing) {
    startOn("#######\n#@   .#\n#    $#\n#######");
    int32_t before[qm::kMaxSquares];
    std::memcpy(before, solution.replayBoard, sizeof(int32_t) * level.cellCount);
    // A box in a corner cannot move at all.
    EXPECT_EQ(qm::appendBoxTransfer(square(5, 1), square(1, 1), square(5, 2)), 0);
    EXPECT_EQ(text(), "");
    EXPECT_EQ(solution.moveCount, 0);
    EXPECT_EQ(solution.pushCount, 0);
    EXPECT_EQ(solution.replayPusher, square(1, 1));
    EXPECT_EQ(std::memcmp(before, solution.replayBoard, sizeof(int32_t) * level.cellCount), 0);
    // No box on the start square: nothing to transfer.
    EXPECT_EQ(qm::appendBoxTransfer(square(5, 1), square(1, 1), square(3, 1)), 0);
    EXPECT_EQ(std::memcmp(before, solution.replayBoard, sizeof(int32_t) * level.cellCount), 0);
}

// ---------------------------------------------------------------------------------------------
// Random transfers against an independent search

// Lexicographic (pushes, moves) search over (box, pusher) states of the loaded level's
// obstacleMap, with the box on start and the other obstacles fixed. Returns false when no
// push sequence ends with the box on target and the pusher able to walk to pusherEnd.
bool bestTransfer(int32_t target, int32_t pusherEnd, int32_t start, int32_t& pushes, int32_t& moves) {
    const int32_t n = level.cellCount;
    std::vector<int32_t> board(level.obstacleMap, level.obstacleMap + n);
    board[start] = 0;
    // Squares from which the pusher reaches pusherEnd with the box on target.
    std::vector<int32_t> endBoard = board;
    endBoard[target] = qm::BOX;
    std::vector<int32_t> endReach(qm::kMaxSquares, 0);
    qm::distanceFill(endBoard.data(), endReach.data(), pusherEnd);

    using Cost = std::pair<int64_t, int64_t>;
    const Cost infinite{INT64_MAX, INT64_MAX};
    std::vector<Cost> cost(static_cast<size_t>(n) * n, infinite);
    using Entry = std::pair<Cost, int32_t>;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> open;
    const int32_t first = start * n + solution.replayPusher;
    cost[first] = {0, 0};
    open.push({{0, 0}, first});
    Cost best = infinite;
    while (!open.empty()) {
        const auto [c, state] = open.top();
        open.pop();
        if (c != cost[state] || c >= best) continue;
        const int32_t box = state / n, pusher = state % n;
        for (int32_t d = 0; d < 4; ++d) {
            const int32_t next = pusher + level.dirOffset[d];
            if (board[next] != 0) continue;
            int32_t nextBox = box;
            Cost nc{c.first, c.second + 1};
            if (next == box) {
                nextBox = box + level.dirOffset[d];
                if (board[nextBox] != 0) continue;
                nc.first += 1;
                if (nextBox == target && endReach[next] != 0 && nc < best) best = nc;
            }
            const int32_t ns = nextBox * n + next;
            if (nc < cost[ns]) {
                cost[ns] = nc;
                open.push({nc, ns});
            }
        }
    }
    if (best == infinite) return false;
    pushes = static_cast<int32_t>(best.first);
    moves = static_cast<int32_t>(best.second);
    return true;
}

// A closed random board: one box to move, one goal (its target), a few boxes on goals as
// obstacles, and the pusher, with every floor square connected.
std::string randomPicture(std::mt19937& rng, int32_t width, int32_t height) {
    std::vector<std::string> rows(height, std::string(width, '#'));
    std::uniform_int_distribution<int32_t> coin(0, 99);
    for (int32_t y = 1; y + 1 < height; ++y) {
        for (int32_t x = 1; x + 1 < width; ++x) rows[y][x] = coin(rng) < 12 ? '#' : ' ';
    }
    // Keep the largest connected floor area only.
    std::vector<int32_t> label(width * height, 0);
    int32_t bestLabel = 0, bestSize = 0, next = 0;
    for (int32_t s = 0; s < width * height; ++s) {
        if (rows[s / width][s % width] != ' ' || label[s] != 0) continue;
        ++next;
        int32_t size = 0;
        std::vector<int32_t> stack{s};
        label[s] = next;
        while (!stack.empty()) {
            const int32_t q = stack.back();
            stack.pop_back();
            ++size;
            const int32_t around[4] = {q - width, q + 1, q + width, q - 1};
            for (int32_t r : around) {
                if (rows[r / width][r % width] == ' ' && label[r] == 0) {
                    label[r] = next;
                    stack.push_back(r);
                }
            }
        }
        if (size > bestSize) {
            bestSize = size;
            bestLabel = next;
        }
    }
    std::vector<int32_t> floor;
    for (int32_t s = 0; s < width * height; ++s) {
        if (label[s] != bestLabel) rows[s / width][s % width] = '#';
        else floor.push_back(s);
    }
    if (floor.size() < 6) return {};
    std::shuffle(floor.begin(), floor.end(), rng);
    auto at = [&](int32_t s) -> char& { return rows[s / width][s % width]; };
    at(floor[0]) = '$';
    at(floor[1]) = '.';
    at(floor[2]) = '@';
    const int32_t extra = coin(rng) % 3;
    for (int32_t i = 0; i < extra; ++i) at(floor[3 + i]) = '*';
    if (coin(rng) < 15) {  // sometimes the pusher starts on the goal
        at(floor[1]) = '+';
        at(floor[2]) = ' ';
    }
    std::string picture;
    for (const std::string& row : rows) picture += row + "\n";
    return picture;
}

int32_t findCell(int32_t code) {
    for (int32_t s = 0; s < level.cellCount; ++s) {
        if ((level.levelCells[s] & ~qm::PUSHER) == code && level.obstacleMap[s] != qm::WALL) return s;
    }
    return -1;
}

TEST(SolutionTransfer, RandomTransfersAreOptimalAndReplay) {
    std::mt19937 rng(20211017);
    ASSERT_EQ(qm::allocateSolution(), 1);
    int32_t solved = 0, impossible = 0;
    for (int32_t round = 0; round < 600; ++round) {
        std::uniform_int_distribution<int32_t> side(5, 10);
        const std::string picture = randomPicture(rng, side(rng), side(rng));
        if (picture.empty()) continue;
        const int32_t verdict = loadPicture(picture);
        if (verdict != 1 && verdict != 7) continue;
        qm::resetSolution();
        const int32_t box = findCell(qm::BOX), goal = findCell(qm::GOAL);
        ASSERT_GE(box, 0) << picture;
        ASSERT_GE(goal, 0) << picture;
        // The pusher's end: any free square other than the goal, the box's start included.
        std::vector<int32_t> ends;
        for (int32_t s = 0; s < level.cellCount; ++s) {
            if (s != goal && (level.obstacleMap[s] == 0 || s == box)) ends.push_back(s);
        }
        const int32_t end = ends[std::uniform_int_distribution<size_t>(0, ends.size() - 1)(rng)];
        const int32_t pusherBefore = solution.replayPusher;
        int32_t board[qm::kMaxSquares];
        std::memcpy(board, solution.replayBoard, sizeof(int32_t) * level.cellCount);

        int32_t pushes = 0, moves = 0;
        const bool possible = bestTransfer(goal, end, box, pushes, moves);
        const int32_t result = qm::appendBoxTransfer(goal, end, box);
        ASSERT_EQ(result, possible ? 1 : 0) << picture << "end " << end;
        if (result == 0) {
            ++impossible;
            EXPECT_EQ(solution.moveCount, 0) << picture;
            EXPECT_EQ(text(), "") << picture;
            EXPECT_EQ(solution.replayPusher, pusherBefore);
            EXPECT_EQ(std::memcmp(board, solution.replayBoard, sizeof(int32_t) * level.cellCount), 0);
            EXPECT_EQ(qm::verifySolution(), 0) << picture;
            continue;
        }
        ++solved;
        ASSERT_EQ(solution.pushCount, pushes) << picture << "end " << end;
        ASSERT_EQ(solution.moveCount, moves) << picture << "end " << end;
        EXPECT_EQ(static_cast<int32_t>(text().size()), moves);
        EXPECT_EQ(solution.replayBoard[goal], qm::BOX);
        EXPECT_EQ(solution.replayBoard[box], 0);
        int32_t reach[qm::kMaxSquares];
        qm::distanceFill(solution.replayBoard, reach, end);
        EXPECT_NE(reach[solution.replayPusher], 0) << picture << "end " << end;
        // The only goal left is the target, so the replay solves the level; the box may pass
        // the goal earlier, which cuts the text there.
        ASSERT_EQ(qm::verifySolution(), 1) << picture << text();
        EXPECT_LE(solution.moveCount, moves);
    }
    EXPECT_GT(solved, 120);
    EXPECT_GT(impossible, 100);
}

// A 50 by 50 room with scattered pillars, the box at (5, 5) with the pusher left of it, and the
// goal at (goalX, goalY).
std::string pillarRoom(int32_t goalX, int32_t goalY) {
    std::string picture;
    std::mt19937 rng(7);
    std::uniform_int_distribution<int32_t> coin(0, 99);
    for (int32_t y = 0; y < 50; ++y) {
        std::string row(50, ' ');
        for (int32_t x = 0; x < 50; ++x) {
            const bool border = x == 0 || y == 0 || x == 49 || y == 49;
            const bool pillar = x > 3 && y > 3 && x < 46 && y < 46 && coin(rng) < 12;
            row[x] = border || pillar ? '#' : ' ';
        }
        picture += row + "\n";
    }
    picture[5 * 51 + 5] = '$';
    picture[5 * 51 + 4] = '@';
    picture[goalY * 51 + goalX] = '.';
    return picture;
}

TEST(SolutionTransfer, FullNodeArraysGiveAValidAnswerOrNone) {
    // Both goals lie beyond the push depth at which the search has recorded as many nodes as
    // the arrays hold: the first is reached in that last layer, the second not at all.
    const int32_t goals[2][2] = {{47, 26}, {47, 47}};
    for (const auto& g : goals) {
        ASSERT_EQ(loadPicture(pillarRoom(g[0], g[1])), 1);
        ASSERT_EQ(qm::allocateSolution(), 1);
        qm::resetSolution();
        const int32_t box = square(5, 5), goal = square(g[0], g[1]);
        int32_t board[qm::kMaxSquares];
        std::memcpy(board, solution.replayBoard, sizeof(int32_t) * level.cellCount);
        const int32_t result = qm::appendBoxTransfer(goal, square(4, 5), box);
        if (result == 1) {
            EXPECT_EQ(solution.replayBoard[goal], qm::BOX);
            EXPECT_EQ(solution.replayBoard[box], 0);
            EXPECT_EQ(qm::verifySolution(), 1) << text();
        } else {
            EXPECT_EQ(result, 0);
            EXPECT_EQ(text(), "");
            EXPECT_EQ(solution.moveCount, 0);
            EXPECT_EQ(std::memcmp(board, solution.replayBoard, sizeof(int32_t) * level.cellCount), 0);
        }
    }
    // The tables are cleared for the next transfer.
    startOn("######\n#@$ .#\n######");
    EXPECT_EQ(qm::appendBoxTransfer(square(4, 1), square(1, 1), square(2, 1)), 1);
    EXPECT_EQ(text(), "RR");
}

// ---------------------------------------------------------------------------------------------
// Replay check

TEST(SolutionVerify, WalkingOnAfterTheSolvingPushIsCut) {
    startOn("######\n#@ $.#\n######");
    setText("rRllr");
    EXPECT_EQ(qm::verifySolution(), 1);
    EXPECT_EQ(text(), "rR");
    EXPECT_EQ(solution.moveCount, 2);
    EXPECT_EQ(solution.pushCount, 1);
}

TEST(SolutionVerify, IllegalLettersFail) {
    startOn("#######\n#@ $ .#\n#  $ .#\n#######");
    const char* failing[] = {
        "R",     // push into an empty square
        "u",     // walk into a wall
        "rRRR",  // push the box into the wall
        "rr",    // walk into a box: the replay ends unsolved
        "rRx",   // a byte that is no move letter
        "rRR",   // not solved yet
    };
    for (const char* letters : failing) {
        setText("");
        std::strcpy(solution.solutionText, letters);
        EXPECT_EQ(qm::verifySolution(), 0) << letters;
    }
    setText("rRRlldRR");
    EXPECT_EQ(qm::verifySolution(), 1);
    EXPECT_EQ(solution.moveCount, 8);
    EXPECT_EQ(solution.pushCount, 4);

    startOn("#######\n#@$$..#\n#######");
    setText("R");
    EXPECT_EQ(qm::verifySolution(), 0);  // a box pushed into a box
}

TEST(SolutionVerify, LongSolutionIsStoredAndCheckedWhole) {
    startOn("######\n#@ $.#\n######");
    std::string letters;
    for (int32_t i = 0; i < 6000; ++i) letters += "rl";
    letters += "rR";
    setText(letters);
    EXPECT_EQ(text().size(), letters.size());
    EXPECT_EQ(qm::verifySolution(), 1);
    EXPECT_EQ(solution.moveCount, 12002);
    EXPECT_EQ(solution.pushCount, 1);
    EXPECT_EQ(text(), letters);
}

TEST(SolutionVerify, LoadFrozenBoxesStayObstacles) {
    // The box in the corner is frozen on its goal at load; it still blocks the replay.
    startOn("######\n#*@$.#\n######");
    setText("lR");
    EXPECT_EQ(qm::verifySolution(), 0);
    setText("R");
    EXPECT_EQ(qm::verifySolution(), 1);
}

}  // namespace
