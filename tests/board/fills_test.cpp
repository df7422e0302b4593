#include <gtest/gtest.h>

#include <cstring>

#include "board/board.hpp"
#include "board/fills.hpp"
#include "support/test_support.hpp"

using qm::level;
using qmtest::loadPicture;
using qmtest::square;

namespace {

// A 8 x 5 room; the test boards add walls of their own to its obstacle map.
void loadRoom(int32_t* board) {
    ASSERT_EQ(loadPicture("########\n#      #\n#@ $ . #\n#      #\n########\n"), 1);
    std::memcpy(board, level.obstacleMap, sizeof(int32_t) * level.cellCount);
}

}  // namespace

TEST(Fills, DistanceFillCountsAndEnclosedStart) {
    int32_t board[qm::kMaxSquares], dist[qm::kMaxSquares];
    loadRoom(board);
    board[square(3, 2)] = 0;
    EXPECT_EQ(qm::distanceFill(board, dist, square(1, 1)), 18);
    EXPECT_EQ(dist[square(1, 1)], 1);
    EXPECT_EQ(dist[square(6, 3)], 8);
    EXPECT_EQ(dist[square(0, 0)], 0);
    // A start walled in on all sides reaches only itself.
    board[square(2, 1)] = qm::WALL;
    board[square(1, 2)] = qm::WALL;
    EXPECT_EQ(qm::distanceFill(board, dist, square(1, 1)), 1);
    EXPECT_EQ(dist[square(2, 2)], 0);
}

TEST(Fills, ReachFillKeepsEarlierMarksAndReturnsSmallestOfNewFill) {
    int32_t board[qm::kMaxSquares];
    loadRoom(board);
    for (int y = 1; y <= 3; ++y) board[square(3, y)] = qm::WALL;
    board[square(5, 2)] = qm::BOX;
    int32_t reach[qm::kMaxSquares] = {};
    EXPECT_EQ(qm::reachFill(board, reach, square(6, 3)), square(4, 1));
    EXPECT_EQ(qm::reachFill(board, reach, square(2, 2)), square(1, 1));
    EXPECT_EQ(reach[square(6, 1)], 1);
    EXPECT_EQ(reach[square(1, 3)], 1);
    EXPECT_EQ(reach[square(5, 2)], 0);  // the box
    EXPECT_EQ(reach[square(3, 2)], 0);  // the wall
}

TEST(Fills, LabelFillStopsAtLabelledSquares) {
    int32_t board[qm::kMaxSquares];
    loadRoom(board);
    for (int y = 1; y <= 3; ++y) board[square(3, y)] = qm::WALL;
    int32_t labels[qm::kMaxSquares] = {};
    qm::labelFill(board, labels, square(1, 1), 1);
    qm::labelFill(board, labels, square(5, 1), 2);
    qm::labelFill(board, labels, square(2, 3), 3);  // already labelled: only the start changes
    EXPECT_EQ(labels[square(2, 2)], 1);
    EXPECT_EQ(labels[square(6, 3)], 2);
    EXPECT_EQ(labels[square(3, 2)], 0);
}

TEST(Fills, ClosedCheckFindsTheBorder) {
    ASSERT_EQ(loadPicture("#####\n#@$.#\n#####\n"), 1);
    int32_t walls[qm::kMaxSquares], reach[qm::kMaxSquares];
    for (int32_t s = 0; s < level.cellCount; ++s) walls[s] = level.levelCells[s] == qm::WALL ? 8 : 0;
    EXPECT_EQ(qm::closedCheckFill(walls, reach), 1);
    walls[square(4, 1)] = 0;
    EXPECT_EQ(qm::closedCheckFill(walls, reach), 0);
}

TEST(Fills, FreezingWallsBoxesOnGoalsAndFindsImpossibleOnes) {
    // A box on a goal in a corner becomes wall; the other box stays active.
    ASSERT_EQ(loadPicture("######\n#*   #\n# @$.#\n######\n"), 1);
    EXPECT_EQ(level.activeBoxCount, 1);
    EXPECT_EQ(level.obstacleMap[square(1, 1)], qm::WALL);
    EXPECT_EQ(level.goalMap[square(1, 1)], 0);
    EXPECT_EQ(level.levelCells[square(1, 1)], qm::BOX_ON_GOAL);
    // A box held by another frozen box against a wall is frozen too.
    ASSERT_EQ(loadPicture("######\n#**  #\n# @  #\n######\n"), 1);
    EXPECT_EQ(level.activeBoxCount, 0);
    // Off goal in a corner: impossible.
    EXPECT_EQ(loadPicture("######\n#$  .#\n# @  #\n######\n"), 7);
    // A goal in a pocket no box can enter from any side.
    EXPECT_EQ(loadPicture("#######\n##.####\n#  @$ #\n#######\n"), 7);
    // The same pocket holding a box that is there already: walled, solved part.
    EXPECT_EQ(loadPicture("#######\n##*####\n#  @$.#\n#######\n"), 1);
    EXPECT_EQ(level.activeBoxCount, 1);
}

TEST(Fills, BoxesOutsideTheWallsDoNotBreakFreezing) {
    // Boxes and goals drawn beyond the outer wall touch the rectangle's border.
    EXPECT_EQ(loadPicture("$######\n.#@$ .#\n*######\n"), 7);
    EXPECT_EQ(loadPicture("*######\n #@$ .#\n*######\n"), 1);
}
