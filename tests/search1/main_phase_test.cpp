#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "board/analysis.hpp"
#include "board/board.hpp"
#include "board/solution.hpp"
#include "search1/companion.hpp"
#include "search1/main_line.hpp"
#include "search1/thread1.hpp"
#include "solver/blocks.hpp"
#include "solver/control.hpp"
#include "support/solver_fixture.hpp"
#include "support/test_support.hpp"

using qm::control;
using qm::level;
using qm::mainLine;

namespace {

// A 31 x 10 room with 27 boxes on rows 2 and 4 and their goals on row 6: the companion does not
// start above 20 boxes, so the first segments are the main phase's own work.
std::string twentySevenBoxes() {
    const int32_t w = 31, h = 10;
    std::string rows;
    for (int32_t y = 0; y < h; ++y) {
        std::string row(static_cast<size_t>(w), ' ');
        for (int32_t x = 0; x < w; ++x) {
            if (x == 0 || y == 0 || x == w - 1 || y == h - 1) row[static_cast<size_t>(x)] = '#';
        }
        if (y == 1) row[1] = '@';
        for (int32_t b = 0; b < 27; ++b) {
            if (y == 2 + 2 * (b / 14)) row[static_cast<size_t>(2 + 2 * (b % 14))] = '$';
            if (y == 6) row[static_cast<size_t>(1 + b)] = '.';
        }
        rows += row + "\n";
    }
    return rows;
}

using MainPhase = qmtest::SolverTest;

// The main line's transfers are legal moves from the start, each segment ends with a flagged
// entry, and the solution text (written by the segments, or by the companion after them) solves
// the level.
TEST_F(MainPhase, SolvesSegmentBySegmentAlongALegalMainLine) {
    ASSERT_EQ(qmtest::loadPicture(twentySevenBoxes()), 1);
    qm::resetSolution();
    qm::clearBlock1();
    control.secondaryState = qm::kCompanionNotStarted;
    ASSERT_EQ(qm::mainPhase(), qm::kResultSolved);
    EXPECT_EQ(qm::verifySolution(), 1);

    ASSERT_GE(mainLine.mainLineLength, 7);
    int32_t board[qm::kMaxSquares];
    std::memcpy(board, level.obstacleMap, sizeof(int32_t) * level.cellCount);
    int32_t segmentEnds = 0;
    for (int32_t i = 0; i < mainLine.mainLineLength; ++i) {
        const qm::MainLineEntry& e = mainLine.entries[i];
        ASSERT_EQ(board[e.from], qm::BOX) << "entry " << i;
        ASSERT_EQ(board[e.to], 0) << "entry " << i;
        board[e.from] = 0;
        board[e.to] = qm::BOX;
        segmentEnds += e.segmentEnd;
    }
    EXPECT_GE(segmentEnds, 7);
    EXPECT_EQ(mainLine.entries[mainLine.mainLineLength - 1].segmentEnd, 1);
}

// The main line keeps every entry, far beyond the thousand of the old fixed table.
TEST(MainLine, KeepsEveryEntryAndMarksSegmentEnds) {
    qm::resetMainLine();
    for (int32_t i = 0; i < 5000; ++i) {
        ASSERT_TRUE(qm::appendMainLine(100 + i % 7, 200 + i % 11, 300 + i % 13));
        if (i % 100 == 99) qm::markSegmentEnd();
    }
    ASSERT_EQ(mainLine.mainLineLength, 5000);
    EXPECT_EQ(mainLine.mainLineOverflow, 0);
    EXPECT_EQ(mainLine.entries[4321].from, 100 + 4321 % 7);
    EXPECT_EQ(mainLine.entries[4999].segmentEnd, 1);
    EXPECT_EQ(mainLine.entries[4998].segmentEnd, 0);
    qm::resetMainLine();
    EXPECT_EQ(mainLine.mainLineLength, 0);
    qm::releaseMainLine();
}

}  // namespace
