#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "board/board.hpp"
#include "board/fills.hpp"
#include "board/lifted_area.hpp"
#include "board/single_box.hpp"
#include "support/test_support.hpp"

using qm::level;

namespace {

// A random closed room of w x h with walls sprinkled inside and a few boxes.
void randomBoard(std::mt19937& rng, int32_t* board, int w, int h) {
    std::string rows;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) rows += (x == 0 || y == 0 || x == w - 1 || y == h - 1) ? '#' : ' ';
        rows += '\n';
    }
    rows[static_cast<size_t>(1 * (w + 1) + 1)] = '@';
    rows[static_cast<size_t>(2 * (w + 1) + 2)] = '$';
    rows[static_cast<size_t>(2 * (w + 1) + 3)] = '.';
    ASSERT_EQ(qmtest::loadPicture(rows), 1);
    std::uniform_int_distribution<int> pick(0, 9);
    for (int32_t s = 0; s < level.cellCount; ++s) {
        board[s] = level.obstacleMap[s] == qm::WALL ? qm::WALL : 0;
        const int x = qm::squareColumn(s), y = qm::squareRow(s);
        if (board[s] != 0 || x < 1 || y < 1) continue;
        const int r = pick(rng);
        if (r < 2) board[s] = qm::WALL;
        else if (r == 2) board[s] = qm::BOX;
    }
}

int32_t componentsWithout(const int32_t* board, const qm::LiftedArea& area, int32_t removed) {
    int32_t copy[qm::kMaxSquares], reach[qm::kMaxSquares] = {};
    std::memcpy(copy, board, sizeof(int32_t) * level.cellCount);
    copy[removed] = qm::WALL;
    int32_t parts = 0;
    for (int32_t s = 0; s < level.cellCount; ++s) {
        if (area.inArea[s] == 0 || s == removed || reach[s] != 0) continue;
        qm::reachFill(copy, reach, s);
        ++parts;
    }
    return parts;
}

}  // namespace

TEST(LiftedArea, CutSquaresAreExactlyTheSquaresThatSplitTheArea) {
    std::mt19937 rng(7);
    int32_t board[qm::kMaxSquares];
    for (int round = 0; round < 200; ++round) {
        randomBoard(rng, board, 5 + round % 9, 5 + round % 7);
        int32_t start = -1;
        for (int32_t s = 0; s < level.cellCount && start < 0; ++s) {
            if (board[s] == 0) start = s;
        }
        if (start < 0) continue;
        qm::LiftedArea area;
        qm::findLiftedArea(board, start, area);
        ASSERT_TRUE(area.usable);
        int32_t smallest = -1, second = -1;
        for (int32_t s = 0; s < level.cellCount; ++s) {
            if (area.inArea[s] == 0) continue;
            if (smallest < 0) smallest = s;
            else if (second < 0) second = s;
            const bool splits = componentsWithout(board, area, s) > 1;
            ASSERT_EQ(area.cut[s] != 0, splits) << "round " << round << " square " << s;
        }
        EXPECT_EQ(area.smallest, smallest);
        EXPECT_EQ(area.secondSmallest, second);
    }
}

TEST(LiftedArea, ReachWithTheAreaEqualsReachWithoutIt) {
    std::mt19937 rng(11);
    int32_t board[qm::kMaxSquares];
    std::vector<int32_t> sidesA(qm::kMaxSquares), sidesB(qm::kMaxSquares);
    std::vector<int32_t> boxesA(qm::kMaxStates), boxesB(qm::kMaxStates), moversA(qm::kMaxStates),
        moversB(qm::kMaxStates);
    int compared = 0;
    for (int round = 0; round < 1000; ++round) {
        randomBoard(rng, board, 6 + round % 10, 6 + round % 8);
        std::uniform_int_distribution<int32_t> pickSquare(0, level.cellCount - 1);
        const int32_t box = pickSquare(rng), mover = pickSquare(rng);
        if (board[box] != 0 || board[mover] != 0 || box == mover) continue;
        board[box] = qm::BOX;
        for (int pull = 0; pull < 2; ++pull) {
            board[box] = 0;
            qm::LiftedArea area;
            qm::findLiftedArea(board, mover, area);
            board[box] = qm::BOX;
            const int32_t a = pull ? qm::boxPullReach(board, sidesA.data(), box, mover, boxesA.data(), moversA.data())
                                   : qm::boxPushReach(board, sidesA.data(), box, mover, boxesA.data(), moversA.data());
            const int32_t b = pull ? qm::boxPullReach(board, sidesB.data(), box, mover, boxesB.data(),
                                                      moversB.data(), &area)
                                   : qm::boxPushReach(board, sidesB.data(), box, mover, boxesB.data(),
                                                      moversB.data(), &area);
            ASSERT_EQ(a, b);
            for (int32_t i = 0; i < a; ++i) {
                ASSERT_EQ(boxesA[i], boxesB[i]);
                ASSERT_EQ(moversA[i], moversB[i]);
            }
            if (a > 0) {
                for (int32_t s = 0; s < level.cellCount; ++s) ASSERT_EQ(sidesA[s], sidesB[s]);
            }
            ASSERT_EQ(board[box], qm::BOX);
            compared += a > 1 ? 1 : 0;
        }
    }
    EXPECT_GT(compared, 100);
}

TEST(LiftedArea, AWalledStartLeavesTheAreaUnusable) {
    int32_t board[qm::kMaxSquares];
    std::mt19937 rng(3);
    randomBoard(rng, board, 8, 8);
    board[qmtest::square(1, 1)] = qm::WALL;
    qm::LiftedArea area;
    qm::findLiftedArea(board, qmtest::square(1, 1), area);
    EXPECT_FALSE(area.usable);
    EXPECT_EQ(qm::areaWithoutSquare(area, qmtest::square(2, 2)), -1);
}
