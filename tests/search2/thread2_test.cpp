#include <gtest/gtest.h>

#include <string>

#include "board/analysis.hpp"
#include "board/board.hpp"
#include "board/handover.hpp"
#include "board/solution.hpp"
#include "levels/sources.hpp"
#include "search2/node_table.hpp"
#include "search2/thread2.hpp"
#include "solver/blocks.hpp"
#include "solver/control.hpp"
#include "solver/preparation.hpp"
#include "support/refusing_memory.hpp"
#include "support/test_support.hpp"

using qm::control;
using qm::stepList;
using qmtest::loadPicture;
using qmtest::square;

namespace {

// Turns thread 2's step list into move letters on a fresh solution text and replays them.
// Returns verifySolution's result: 1 when the letters solve the loaded level.
int32_t replayThread2StepsForTest() {
    qm::resetSolution();
    for (int32_t i = 0; i < stepList.stepCount; ++i) {
        const qm::Step& step = stepList.steps[i];
        qm::appendBoxTransfer(step.to, step.pusher, step.from);
    }
    return qm::verifySolution();
}

// One box pushed along the top row onto its goal solves the level.
const char* const kOneMove =
    "#######\n"
    "#@ $ .#\n"
    "#     #\n"
    "#     #\n"
    "#######\n";

// Both boxes sit in a one-wide corridor that only the left box's side can be entered from:
// every box can reach a goal alone and the boxes can be matched to goals, but the right box
// can never be pushed because the left one always stands between it and the pusher.
const char* const kBlockedCorridor =
    "#######\n"
    "#     #\n"
    "#     #\n"
    "#@    ######\n"
    "#     $ .$.#\n"
    "############\n";

// A room with the given number of boxes (at most 27) in rows of nine, and as many goals.
std::string roomWithBoxes(int32_t boxes) {
    std::string text = "######################\n#                    #\n";
    for (int32_t row = 0; row < 3; ++row) {
        std::string line = "#                    #";
        for (int32_t k = 0; k < 9 && row * 9 + k < boxes; ++k) line[2 + 2 * k] = '$';
        text += line + "\n#                    #\n";
    }
    for (int32_t row = 0; row < 3; ++row) {
        std::string line = "#                    #";
        for (int32_t k = 0; k < 9 && row * 9 + k < boxes; ++k) line[2 + 2 * k] = '.';
        if (row == 2) line[20] = '@';
        text += line + "\n#                    #\n";
    }
    return text + "######################\n";
}

class Thread2 : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        qm::allocateBlocks();
        qm::allocateSolution();
    }

    void SetUp() override { ASSERT_EQ(qm::blocks.memoryReady, 1); }

    // Prepares the loaded level as the driver does and runs thread 2's body on this thread.
    static int32_t runThread2(int64_t deadlineFromNow = 30) {
        qm::prepareSolve();
        control.stopFlag = 0;
        control.solvedBy = 0;
        control.solveDeadline = qm::nowSeconds() + deadlineFromNow;
        control.thread2State = qm::kResultRunning;
        qm::thread2Main();
        return control.thread2State;
    }
};

TEST_F(Thread2, OneMacroMoveIsSolvedWhileSeedingWithOneStep) {
    ASSERT_EQ(loadPicture(kOneMove), 1);
    EXPECT_EQ(runThread2(), qm::kResultSolved);
    EXPECT_EQ(control.solvedBy, 3);
    ASSERT_EQ(stepList.stepCount, 1);
    EXPECT_EQ(stepList.stepOverflow, 0);
    EXPECT_EQ(stepList.steps[0].from, square(3, 1));
    EXPECT_EQ(stepList.steps[0].to, square(5, 1));
    EXPECT_EQ(stepList.lastStepPusher, stepList.steps[0].pusher);
    EXPECT_EQ(stepList.stepBoard[square(5, 1)], qm::BOX);
    EXPECT_EQ(stepList.stepBoard[square(3, 1)], 0);
    EXPECT_EQ(replayThread2StepsForTest(), 1);
}

TEST_F(Thread2, SolvesTheFirstSmallLevelsAndTheirStepsReplay) {
    const std::string text = qmtest::dataFile("small.txt");
    ASSERT_EQ(qm::openText(text), 1);
    for (int32_t k = 1; k <= 15; ++k) {
        SCOPED_TRACE("small level " + std::to_string(k));
        qm::goToLevel(k);
        ASSERT_EQ(qm::levelSet.currentLevel, k);
        ASSERT_EQ(qm::level.levelVerdict, 1);
        EXPECT_EQ(runThread2(), qm::kResultSolved);
        EXPECT_NE(control.solvedBy, 0);
        EXPECT_EQ(stepList.stepOverflow, 0);
        EXPECT_GT(stepList.stepCount, 0);
        EXPECT_EQ(replayThread2StepsForTest(), 1);
    }
}

TEST_F(Thread2, BackwardMeetingJoinsBothHalvesIntoOneSolution) {
    // Small level 20 runs its forward nodes out and is solved by the backward search.
    const std::string text = qmtest::dataFile("small.txt");
    ASSERT_EQ(qm::openText(text), 1);
    qm::goToLevel(20);
    ASSERT_EQ(qm::level.levelVerdict, 1);
    EXPECT_EQ(runThread2(), qm::kResultSolved);
    ASSERT_NE(qm::nodes.meetNode, nullptr);
    EXPECT_EQ(qm::nodes.meetNode->tag, qm::kForwardTag);
    EXPECT_EQ(stepList.stepOverflow, 0);
    EXPECT_EQ(replayThread2StepsForTest(), 1);
    // stepBoard followed the steps to the solved position.
    for (int32_t j = 0; j < qm::handover.t2BoxCount; ++j) {
        EXPECT_EQ(stepList.stepBoard[qm::handover.t2Goals[j]], qm::BOX);
    }
}

TEST_F(Thread2, TwentySevenBoxesAreRefusedWithoutTouchingBlockTwo) {
    ASSERT_EQ(loadPicture(roomWithBoxes(27)), 1);
    qm::blocks.block2[12345] = 0x5A;
    EXPECT_EQ(runThread2(), qm::kResultBoxesOver);
    EXPECT_EQ(qm::handover.t2BoxCount, 27);
    EXPECT_EQ(qm::blocks.block2[12345], 0x5A);
    EXPECT_EQ(control.solvedBy, 0);

    // Twenty-six boxes are searched: block 2 is cleared, and the set stop word ends the search.
    ASSERT_EQ(loadPicture(roomWithBoxes(26)), 1);
    qm::prepareSolve();
    ASSERT_EQ(qm::handover.t2BoxCount, 26);
    control.stopFlag = 1;
    control.solveDeadline = qm::nowSeconds() + 30;
    qm::thread2Main();
    EXPECT_EQ(control.thread2State, qm::kResultTimeout);
    EXPECT_EQ(qm::blocks.block2[12345], 0);
    control.stopFlag = 0;
}

TEST_F(Thread2, BackwardSearchProvesABlockedCorridorImpossible) {
    ASSERT_EQ(loadPicture(kBlockedCorridor), 1);
    // The analysis finds nothing wrong with the level.
    ASSERT_EQ(qm::prepareSolve(), 1);
    EXPECT_EQ(runThread2(), qm::kResultImpossible);
    EXPECT_EQ(control.solvedBy, 0);
}

// The pusher's only push walls it in; the box off its goal below stays out of reach for good. The
// analysis must not settle that box and goal as walls, which would leave a solved position.
TEST_F(Thread2, BoxForeverOutOfReachMakesTheLevelInfeasible) {
    ASSERT_EQ(loadPicture("########\n# *@ **#\n# ###**#\n#*  $. #\n#      #\n#      #\n########\n"), 1);
    EXPECT_EQ(qm::prepareSolve(), qm::kAnalysisInfeasible);
}

TEST_F(Thread2, StopWordAndPassedDeadlineStopTheSearch) {
    // Small level 1 needs more than the seeding, so both checks are reached.
    const std::string text = qmtest::dataFile("small.txt");
    ASSERT_EQ(qm::openText(text), 1);
    qm::goToLevel(1);
    ASSERT_EQ(qm::level.levelVerdict, 1);

    qm::prepareSolve();
    control.stopFlag = 1;
    control.solveDeadline = qm::nowSeconds() + 30;
    qm::thread2Main();
    EXPECT_EQ(control.thread2State, qm::kResultTimeout);
    control.stopFlag = 0;

    // The level is solved with time to spare, so the passed deadline alone ends the search.
    EXPECT_EQ(runThread2(-2), qm::kResultTimeout);
    EXPECT_EQ(control.solvedBy, 0);
    EXPECT_EQ(runThread2(), qm::kResultSolved);
}

TEST_F(Thread2, MissingMemoryBlockFailsAtOnce) {
    ASSERT_EQ(loadPicture(kOneMove), 1);
    qm::prepareSolve();
    qm::blocks.memoryReady = 0;
    EXPECT_EQ(qm::bidirectionalSearch(), qm::kResultFailed);
    qm::blocks.memoryReady = 1;
}

// Regions of the solved position too small to be listed as areas still get a backward root
// when a solution can end in them, so such levels are solved rather than called impossible.
TEST_F(Thread2, UnlistedFinalRegionStillGetsARoot) {
    // Three squares of floor: no pusher area of the solved position is large enough to be listed.
    ASSERT_EQ(loadPicture("#####\n#@$.#\n#####\n"), 1);
    qm::prepareSolve();
    ASSERT_EQ(qm::handover.goalAreaCount, 0);
    EXPECT_EQ(runThread2(), qm::kResultSolved);
    // A corridor of five: the box ends two squares on, the pusher in a region of three.
    ASSERT_EQ(loadPicture("#######\n#@ $ .#\n#######\n"), 1);
    qm::prepareSolve();
    ASSERT_EQ(qm::handover.goalAreaCount, 0);
    EXPECT_EQ(runThread2(), qm::kResultSolved);
}

}  // namespace

// The step list grows instead of dropping steps; only a failed growth loses one.
TEST(StepList, GrowsPastTwoHundredStepsAndFollowsTheBoard) {
    ASSERT_EQ(loadPicture("########\n#@ $  .#\n########\n"), 1);
    qm::resetSteps();
    EXPECT_EQ(stepList.lastStepPusher, qm::level.pusherSquare);
    const int32_t a = square(3, 1), b = square(4, 1);
    for (int32_t i = 0; i < 1000; ++i) qm::appendStep(i % 2 == 0 ? a : b, i % 2 == 0 ? b : a, i);
    EXPECT_EQ(stepList.stepCount, 1000);
    EXPECT_EQ(stepList.stepOverflow, 0);
    EXPECT_EQ(stepList.steps[999].from, b);
    EXPECT_EQ(stepList.steps[250].pusher, 250);
    EXPECT_EQ(stepList.stepBoard[a], qm::BOX);
    EXPECT_EQ(stepList.stepBoard[b], 0);

    // Growth refused: the step is lost and flagged, the board and pusher still follow it.
    {
        qmtest::MemoryRefusal refusal(sizeof(qm::Step) * static_cast<size_t>(stepList.capacity));
        while (stepList.stepCount < stepList.capacity) qm::appendStep(a, a, 1);
        const int32_t full = stepList.stepCount;
        qm::appendStep(a, b, 2);
        EXPECT_EQ(stepList.stepCount, full);
        EXPECT_EQ(stepList.stepOverflow, 1);
        EXPECT_EQ(stepList.lastStepPusher, 2);
        EXPECT_EQ(stepList.stepBoard[b], qm::BOX);
    }

    qm::resetSteps();
    EXPECT_EQ(stepList.stepCount, 0);
    EXPECT_EQ(stepList.stepOverflow, 0);
    EXPECT_EQ(stepList.stepBoard[a], qm::BOX);
    qm::releaseSteps();
}

namespace {

// The box can only slide along the top row while the goal lies in a part of the room the pusher
// never reaches: the analysis proves the level infeasible and leaves its goal list unwritten.
const char* const kUnreachableGoal =
    "########\n"
    "#   $  #\n"
    "#   # @#\n"
    "# ## # #\n"
    "##    ##\n"
    "#      #\n"
    "#      #\n"
    "# .    #\n"
    "#      #\n"
    "########\n";

// Thread 2 never searches an infeasible analysis, whose lists may still hold an earlier level's
// goals: it once "solved" such a level towards a stale goal, with a solution that failed replay.
TEST_F(Thread2, InfeasibleAnalysisIsImpossibleWhateverCameBefore) {
    ASSERT_EQ(loadPicture("#########\n# . $.# #\n# #  $@*#\n# #  # ##\n#  #  # #\n##  # . #\n"
                          "#  ##   #\n# $     #\n# # #   #\n#########\n"),
              1);
    runThread2();
    ASSERT_EQ(loadPicture(kUnreachableGoal), 1);
    ASSERT_EQ(qm::prepareSolve(), 0);
    EXPECT_EQ(runThread2(), qm::kResultImpossible);
    EXPECT_EQ(stepList.stepCount, 0);
}

}  // namespace
