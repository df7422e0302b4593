#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "board/board.hpp"
#include "board/analysis.hpp"
#include "board/solution.hpp"
#include "levels/sources.hpp"
#include "solver/blocks.hpp"
#include "solver/control.hpp"
#include "search/shared_line.hpp"
#include "search/step_list.hpp"
#include "search3/feature_search.hpp"
#include "solver/driver.hpp"
#include "solver/preparation.hpp"
#include "solver/solve_stats.hpp"
#include "support/test_support.hpp"

using qm::control;

namespace {

class FeatureSearch : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_EQ(qm::allocateBlocks(), 1);
        ASSERT_EQ(qm::allocateSolution(), 1);
    }
    void SetUp() override {
        control.timeLimit = 10;
        qm::driverOptions = qm::DriverOptions{};
        qm::driverOptions.runThread1 = false;
        qm::driverOptions.runThread2Methods = false;
    }
    void TearDown() override { qm::driverOptions = qm::DriverOptions{}; }
};

}  // namespace

// The feature search alone solves the small shared levels through the driver, and every
// solution it leaves is replayed by the driver's check before it counts.
TEST_F(FeatureSearch, SolvesSmallLevelsAndEverySolutionReplays) {
    ASSERT_GT(qm::openText(qmtest::dataFile("small.txt")), 0);
    int32_t solved = 0;
    for (int32_t n = 1; n <= 40; ++n) {
        qm::goToLevel(n);
        ASSERT_EQ(qm::levelSet.currentLevel, n);
        const int32_t result = qm::solveLevel();
        EXPECT_NE(result, qm::kResultTraceMiss) << "level " << n;
        if (result != qm::kResultSolved) continue;
        ++solved;
        EXPECT_EQ(control.solvedBy, qm::kSolvedByFeatureSearch);
        EXPECT_EQ(qm::verifySolution(), 1) << "level " << n;
        EXPECT_GT(qm::thread2Stats().nodes[qm::kStatsFeature], 0);
    }
    EXPECT_EQ(solved, 40);
}

// A level the analysis accepts but no push sequence solves (the far box of the corridor can
// never be reached): the feature search runs out of positions and reports a failure, never a
// solution, long before the deadline.
TEST_F(FeatureSearch, RunsDryOnAnUnsolvableLevel) {
    ASSERT_EQ(qmtest::loadPicture("############\n#  $ .     #\n#  $ .     #\n#@    ######\n"
                                  "#     $ .$.#\n############\n"),
              1);
    EXPECT_EQ(qm::solveLevel(), qm::kResultFailed);
    EXPECT_EQ(qm::thread2Stats().endReason, qm::kEndExhausted);
    EXPECT_LT(qm::thread2Stats().seconds, 5.0);
}

// With thread 2's methods first (their turn is the first second of ten), the goal-room levels
// they cannot finish in it pass to the feature search on the same core; all are solved.
TEST_F(FeatureSearch, FollowsThreadTwosMethodsOnTheSameCore) {
    qm::driverOptions.runThread2Methods = true;
    ASSERT_EQ(qm::openText(qmtest::dataFile("goalroom.txt")), 1);
    int32_t byFeatureSearch = 0;
    for (int32_t n = 1; n <= 12; ++n) {
        qm::goToLevel(n);
        EXPECT_EQ(qm::solveLevel(), qm::kResultSolved) << "level " << n;
        EXPECT_EQ(qm::verifySolution(), 1) << "level " << n;
        if (control.solvedBy == qm::kSolvedByFeatureSearch) {
            ++byFeatureSearch;
            EXPECT_EQ(qm::thread2Stats().phase, qm::kStatsPhaseFeature);
        }
    }
    EXPECT_GT(byFeatureSearch, 0);
}

// With a backward expansion after every forward one, many small levels are solved where the two
// halves meet; the joined solutions (forward pushes, then the backward pulls reversed) replay.
TEST_F(FeatureSearch, JoinedHalvesGiveSolutionsThatReplay) {
    ASSERT_GT(qm::openText(qmtest::dataFile("small.txt")), 0);
    int32_t joined = 0;
    for (int32_t n = 1; n <= 40; ++n) {
        qm::goToLevel(n);
        if (qm::prepareSolve() != qm::kAnalysisDone || qm::level.alreadySolved != 0) continue;
        control.stopFlag = qm::kStopRun;
        control.solveDeadline = qm::nowSeconds() + control.timeLimit;
        qm::clearBlock2();
        ASSERT_EQ(qm::featureSearch(qm::blocks.block2, qm::kBlock2Bytes, 1), qm::kResultSolved)
            << "level " << n;
        qm::rebuildThread2Solution();
        EXPECT_EQ(qm::verifySolution(), 1) << "level " << n;
        if (qm::featureSearchJoinedHalves()) ++joined;
    }
    EXPECT_GT(joined, 10);
}

namespace {

// Publishes the pushes of a move string, one transfer each, as thread 1 publishes its main line.
void publishPushes(const std::string& moves) {
    int32_t pusher = qm::level.pusherSquare, count = 0;
    for (const char letter : moves) {
        const size_t d = std::string("urdl").find(static_cast<char>(std::tolower(letter)));
        if (d == std::string::npos) continue;
        const int32_t next = pusher + qm::level.dirOffset[d];
        if (std::isupper(static_cast<unsigned char>(letter)) != 0) {
            qm::writeSharedTransfer(count++, {next, next + qm::level.dirOffset[d], next, true});
        }
        pusher = next;
    }
    qm::publishSharedTransfers(count);
}

int32_t solveWithBackwardHalf() {
    control.stopFlag = qm::kStopRun;
    control.solveDeadline = qm::nowSeconds() + control.timeLimit;
    qm::clearBlock2();
    return qm::featureSearch(qm::blocks.block2, qm::kBlock2Bytes, 1);
}

}  // namespace

// The search follows a published line: given a whole solution as the line, single pushes, it ends
// through the line's positions, after many more steps than it takes on its own; given a line
// whose first transfer moves no box, it ignores the line and still solves. Every solution
// replays.
TEST_F(FeatureSearch, FollowsAPublishedLineAndIgnoresOneThatDoesNotFit) {
    ASSERT_GT(qm::openText(qmtest::dataFile("goalroom.txt")), 0);
    int32_t endedOnTheLine = 0;
    for (int32_t n = 1; n <= 12; ++n) {
        int32_t ownSteps = 0;
        for (const bool fits : {false, true}) {
            qm::goToLevel(n);
            if (qm::prepareSolve() != qm::kAnalysisDone || qm::level.alreadySolved != 0) continue;
            qm::resetSharedLine();
            publishPushes(qmtest::lineOf(qmtest::dataFile("goalroom.solutions.txt"), n));
            if (!fits) qm::writeSharedTransfer(0, {0, 1, 2, true});  // square 0 is a wall
            ASSERT_EQ(solveWithBackwardHalf(), qm::kResultSolved) << "level " << n;
            const int32_t steps = qm::stepList.stepCount;
            if (!fits) ownSteps = steps;
            // The line's positions are read after the first expansion; the search ends through
            // them, on the line's last position or meeting the backward half on the way, along
            // the line's many single pushes.
            if (fits && steps > ownSteps + 10) ++endedOnTheLine;
            qm::rebuildThread2Solution();
            EXPECT_EQ(qm::verifySolution(), 1) << "level " << n << (fits ? "" : ", line not fitting");
        }
    }
    qm::resetSharedLine();
    EXPECT_GE(endedOnTheLine, 10);
}

// A crowded level (40 boxes) with both threads: thread 1 publishes the segments it commits while
// the feature search reads them and aims its backward half at them. The threads share only
// atomic words, which the thread sanitizer checks in this run; a solution replays.
TEST_F(FeatureSearch, ReadsThreadOnesLineWhileBothRunOnACrowdedLevel) {
    qm::driverOptions.runThread1 = true;
    ASSERT_EQ(qm::openText(qmtest::dataFile("wide.txt")), 1);
    qm::goToLevel(10);
    const int32_t result = qm::solveLevel();
    EXPECT_GT(qm::publishedSharedTransfers(), 0);
    EXPECT_EQ(qm::thread2Stats().phase, qm::kStatsPhaseFeature);
    if (result == qm::kResultSolved) {
        EXPECT_EQ(qm::verifySolution(), 1);
    }
}
