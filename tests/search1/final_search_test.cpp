#include <gtest/gtest.h>

#include <string>

#include "board/analysis.hpp"
#include "board/board.hpp"
#include "board/solution.hpp"
#include "search1/final_search.hpp"
#include "search1/main_line.hpp"
#include "solver/blocks.hpp"
#include "solver/control.hpp"
#include "main_line_fixture.hpp"
#include "support/test_support.hpp"

using qm::control;
using qm::finalTables;
using qm::level;
using qmtest::square;

namespace {

class FinalSearch : public MainLineTest {
protected:
    // Runs the final search on the loaded level as thread 1 does: on a cleared block.
    static int32_t run() {
        qm::clearBlock1();
        return qm::finalSearch();
    }
};

TEST_F(FinalSearch, MeetsOnTheFirstPullExpansionAndTheSolutionReplays) {
    ASSERT_EQ(qmtest::loadPicture("#######\n#@ $ .#\n#######\n"), 1);
    EXPECT_EQ(run(), qm::kResultSolved);
    EXPECT_LE(finalTables.nodeCount, 4);
    EXPECT_EQ(control.phaseNodeCount, finalTables.nodeCount);
    EXPECT_EQ(qm::verifySolution(), 1);
    EXPECT_EQ(qm::solution.pushCount, 2);
    EXPECT_STREQ(qm::solution.solutionText, "rRR");
}

// Two boxes sit in a corridor whose far box can never be reached, as the near one always stands
// between it and the pusher; the analysis does not see it. The push side runs out of positions
// while the pull side, free in the room, still has plenty.
TEST_F(FinalSearch, PushSideRunningDryEndsWithExhausted) {
    ASSERT_EQ(qmtest::loadPicture("############\n#  $ .     #\n#  $ .     #\n#@    ######\n"
                                  "#     $ .$.#\n############\n"),
              1);
    EXPECT_EQ(run(), qm::kResultFailed);
    EXPECT_EQ(control.searchExhausted, 1);
    EXPECT_EQ(finalTables.pushQueue.open, 0);
    EXPECT_GT(finalTables.pullQueue.open, 0);
}

// With the stop word set before the call the set-up still runs, and nothing is expanded. The
// solved position leaves the pusher two rooms: two solved roots, besides the start.
TEST_F(FinalSearch, StopBeforeTheCallStillSetsUpOneRootPerSolvedRegion) {
    ASSERT_EQ(qmtest::loadPicture("#########\n#  #    #\n# @$.   #\n#  #    #\n#########\n"), 1);
    control.stopFlag = 1;
    EXPECT_EQ(run(), qm::kResultTimeout);
    EXPECT_EQ(finalTables.nodeCount, 3);
    EXPECT_EQ(finalTables.pushQueue.open, 1);
    EXPECT_EQ(finalTables.pullQueue.open, 2);
    control.stopFlag = 0;
    EXPECT_EQ(run(), qm::kResultSolved);
    EXPECT_EQ(qm::verifySolution(), 1);
}

// A main line of about 300 transfers walks the box along a serpentine through a big room; every
// state on it is a push-side root. The solution must replay the whole line up to the root it
// meets, however many entries lie before it.
TEST_F(FinalSearch, MainLineRootsBeyondTwoHundredAndFiftyFiveKeepTheirPlace) {
    const int32_t side = 30;
    std::string rows;
    for (int32_t y = 0; y < side; ++y) {
        std::string row(static_cast<size_t>(side), ' ');
        for (int32_t x = 0; x < side; ++x) {
            if (x == 0 || y == 0 || x == side - 1 || y == side - 1) row[static_cast<size_t>(x)] = '#';
        }
        rows += row + "\n";
    }
    auto at = [&](int32_t x, int32_t y) -> char& {
        return rows[static_cast<size_t>(y * (side + 1) + x)];
    };
    at(3, 3) = '$';
    at(1, 1) = '@';
    at(2, 25) = '.';
    ASSERT_EQ(qmtest::loadPicture(rows), 1);

    // Rows 3, 5, ..., 25 along x 3 .. 26, alternating direction, stepping down two rows at the ends.
    int32_t x = 3, y = 3, dx = 1;
    auto pushTo = [&](int32_t nx, int32_t ny) {
        qm::appendMainLine(square(x, y), square(nx, ny), square(x, y));
        qm::markSegmentEnd();
        x = nx;
        y = ny;
    };
    for (;;) {
        while (x + dx >= 3 && x + dx <= 26) pushTo(x + dx, y);
        if (y == 25) break;
        pushTo(x, y + 1);
        pushTo(x, y + 1);
        dx = -dx;
    }
    ASSERT_GT(qm::mainLine.mainLineLength, 290);
    ASSERT_EQ(square(x, y), square(3, 25));

    const int32_t length = qm::mainLine.mainLineLength;

    // Every state of the line is a push-side root numbered by its place on the line.
    control.stopFlag = 1;
    EXPECT_EQ(run(), qm::kResultTimeout);
    EXPECT_EQ(finalTables.pushQueue.open, length + 1);
    const qm::MeetNode* last = nullptr;
    for (int32_t b = 0; b < qm::kFinalBuckets; ++b) {
        for (const qm::MeetNode* n = finalTables.pushQueue.head[b]; n != nullptr; n = n->bucketNext) {
            if (last == nullptr || n->origin > last->origin) last = n;
        }
    }
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->origin, length);
    EXPECT_EQ(last->boxes[0], square(3, 25));

    control.stopFlag = 0;
    EXPECT_EQ(run(), qm::kResultSolved);
    EXPECT_EQ(qm::verifySolution(), 1);
    // The solution replays the line up to the root the sides met at.
    EXPECT_GE(qm::solution.pushCount, qm::mainLine.mainLineLength + 1);
}

}  // namespace
