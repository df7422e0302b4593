#include <gtest/gtest.h>

#include <cstring>

#include "board/analysis.hpp"
#include "board/board.hpp"
#include "support/test_support.hpp"

using qm::analysis;
using qm::level;
using qmtest::loadPicture;
using qmtest::square;

namespace {

int32_t analyseLoaded() { return qm::prepareAnalysis(level.obstacleMap, level.pusherSquare); }

}  // namespace

TEST(Analysis, DeadEndHoldingThePusherIsFilledUpToABox) {
    ASSERT_EQ(loadPicture("#######\n#  $ .#\n# #####\n# #\n#@#\n###\n"), 1);
    ASSERT_EQ(analyseLoaded(), 1);
    for (int y = 1; y <= 4; ++y) EXPECT_EQ(analysis.analysisBoard[square(1, y)], qm::WALL) << y;
    EXPECT_EQ(analysis.analysisBoard[square(1, 1)], qm::WALL);
    // The pusher stops in front of the box: it moves only onto free squares.
    EXPECT_EQ(analysis.analysisBoard[square(2, 1)], 0);
    EXPECT_EQ(analysis.analysisPusherSquare, square(2, 1));
    EXPECT_EQ(analysis.analysisBoard[square(3, 1)], qm::BOX);
    // The board itself is not changed.
    EXPECT_EQ(level.obstacleMap[square(1, 4)], 0);
}

TEST(Analysis, StraightCorridorKeepsItsMiddleSquare) {
    ASSERT_EQ(loadPicture("#############\n#   #####   #\n# @$       .#\n#   #####   #\n#############\n"), 1);
    ASSERT_EQ(analyseLoaded(), 1);
    for (int x = 4; x <= 8; ++x) {
        EXPECT_EQ(analysis.squareClass[square(x, 2)], x == 6 ? 1 : 2) << x;
    }
    // The squares in front of both mouths are gates: blocked neighbours on two sides.
    EXPECT_EQ(analysis.squareClass[square(3, 2)], 1);
    EXPECT_EQ(analysis.squareClass[square(9, 2)], 1);
    EXPECT_EQ(analysis.squareClass[square(2, 1)], 0);
}

TEST(Analysis, CorridorWithBoxOrGoalKeepsThoseSquares) {
    // The box stands inside the corridor: it is the kept square, the rest may not hold a box.
    ASSERT_EQ(loadPicture("#############\n#   #####   #\n# @   $    .#\n#   #####   #\n#############\n"), 1);
    ASSERT_EQ(analyseLoaded(), 1);
    for (int x = 4; x <= 8; ++x) EXPECT_EQ(analysis.squareClass[square(x, 2)], x == 6 ? 1 : 2) << x;
    // A goal in the corridor: box and goal squares kept.
    ASSERT_EQ(loadPicture("#############\n#   #####   #\n# @ $  .    #\n#   #####   #\n#############\n"), 1);
    ASSERT_EQ(analyseLoaded(), 1);
    for (int x = 4; x <= 8; ++x) EXPECT_EQ(analysis.squareClass[square(x, 2)], (x == 4 || x == 7) ? 1 : 2) << x;
}

TEST(Analysis, MaskBitOrderPutsTheFirstListEntryHighest) {
    ASSERT_EQ(loadPicture("#######\n#@    #\n#$###$#\n#.###.#\n#######\n"), 1);
    ASSERT_EQ(analyseLoaded(), 1);
    ASSERT_EQ(analysis.analysisBoxCount, 2);
    EXPECT_EQ(analysis.boxList[0], square(1, 2));
    EXPECT_EQ(analysis.goalList[0], square(1, 3));
    EXPECT_EQ(analysis.goalReachMask[square(1, 2)], 2u);
    EXPECT_EQ(analysis.goalReachMask[square(5, 2)], 1u);
    EXPECT_EQ(analysis.boxReachMask[square(1, 3)], 2u);
    EXPECT_EQ(analysis.boxReachMask[square(5, 3)], 1u);
    // No box can be pushed onto the walkway, so it carries no masks at all.
    EXPECT_EQ(analysis.goalReachMask[square(3, 1)], 0u);
    EXPECT_EQ(analysis.boxReachMask[square(3, 1)], 0u);
}

TEST(Analysis, SolvedAndInfeasiblePositions) {
    ASSERT_EQ(loadPicture("########\n#@ $  .#\n########\n"), 1);
    int32_t board[qm::kMaxSquares];
    std::memcpy(board, level.obstacleMap, sizeof(int32_t) * level.cellCount);
    board[square(3, 1)] = 0;
    board[square(6, 1)] = qm::BOX;
    EXPECT_EQ(qm::prepareAnalysis(board, level.pusherSquare), 8);
    EXPECT_EQ(analysis.analysisBoxCount, 0);
    // A box pushed against the end wall off goal can never move again.
    std::memcpy(board, level.obstacleMap, sizeof(int32_t) * level.cellCount);
    board[square(3, 1)] = 0;
    board[square(1, 1)] = qm::BOX;
    EXPECT_EQ(qm::prepareAnalysis(board, square(2, 1)), 0);
    // A goal walled into a pocket that no box can enter.
    std::memcpy(board, level.obstacleMap, sizeof(int32_t) * level.cellCount);
    board[square(5, 1)] = qm::WALL;
    EXPECT_EQ(qm::prepareAnalysis(board, level.pusherSquare), 0);
}

TEST(Analysis, FrozenGoalBoxesBecomeWallsOfTheAnalysis) {
    // The box on the goal in the corner can never move; it is part of the walls.
    ASSERT_EQ(loadPicture("#######\n#*    #\n#  $  #\n# @  .#\n#######\n"), 1);
    ASSERT_EQ(analyseLoaded(), 1);
    EXPECT_EQ(analysis.analysisBoxCount, 1);
    EXPECT_EQ(analysis.analysisBoard[square(1, 1)], qm::WALL);
    EXPECT_EQ(analysis.goalList[0], square(5, 3));
    EXPECT_EQ(analysis.boxList[0], square(3, 2));
    // A box on the top row can only slide along it: no goal is reachable.
    ASSERT_EQ(loadPicture("#######\n#*  $ #\n# @  .#\n#######\n"), 1);
    EXPECT_EQ(analyseLoaded(), 0);
}

TEST(Analysis, AreasOfTheSolvedPosition) {
    // One open area: listed without testing.
    ASSERT_EQ(loadPicture("########\n#@ $  .#\n#      #\n########\n"), 1);
    ASSERT_EQ(analyseLoaded(), 1);
    qm::analyseAreas();
    EXPECT_EQ(analysis.goalAreaCount, 1);
    EXPECT_EQ(analysis.goalAreaSquares[0], square(1, 1));
    EXPECT_EQ(analysis.areaStrategyFlag, 0);
}

