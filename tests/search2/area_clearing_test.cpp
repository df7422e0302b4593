#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>

#include "board/analysis.hpp"
#include "board/board.hpp"
#include "board/fills.hpp"
#include "board/handover.hpp"
#include "board/solution.hpp"
#include "levels/sources.hpp"
#include "search2/area_clearing.hpp"
#include "search2/area_work.hpp"
#include "search2/corral.hpp"
#include "search2/node_table.hpp"
#include "search2/thread2.hpp"
#include "solver/blocks.hpp"
#include "solver/control.hpp"
#include "solver/preparation.hpp"
#include "support/test_support.hpp"

using qm::areaClearing;
using qm::control;
using qm::handover;
using qm::level;
using qm::stepList;
using qmtest::square;

namespace {

// A room on the left whose doorway (3,2) is a goal; the deep goal (2,2) lies behind it. Both
// boxes start outside.
const char* const kDoorRoom =
    "########\n"
    "#  #   #\n"
    "# .. $ #\n"
    "#  # $ #\n"
    "#  #  @#\n"
    "########\n";

// The door room with its deep goal already holding a box.
const char* const kDoorRoomOneHome =
    "########\n"
    "#  #   #\n"
    "# *. $ #\n"
    "#  #   #\n"
    "#  #  @#\n"
    "########\n";

// A goal room on the right; the pusher starts two squares deep in a dead end, which the analysis
// walls.
const char* const kGoalRoomDeadEndStart =
    "      ###\n"
    "      #@#\n"
    "     ## ##\n"
    "     #   #########\n"
    "   ###      ##   #\n"
    "   #  $      #   #\n"
    "####  #      #   #\n"
    "#       #    #. .#\n"
    "#    $ $      .. #\n"
    "#           ##   #\n"
    "#  ##       ######\n"
    "#  ## #######\n"
    "# $   #\n"
    "#     #\n"
    "#######\n";

// An open room with a box on one goal next to the free goal, another box beside it.
const char* const kOpenRoomOneHome =
    "#######\n"
    "#     #\n"
    "#     #\n"
    "# $*. #\n"
    "#     #\n"
    "#  @  #\n"
    "#######\n";

// Three goals in a column wall off the floor behind them, where the solved position leaves
// the pusher.
const char* const kColumnRoom =
    "#########\n"
    "#  .#   #\n"
    "#  .  $ #\n"
    "#  .#$$ #\n"
    "#   #  @#\n"
    "#########\n";

int32_t replayStepsForTest() {
    qm::resetSolution();
    for (int32_t i = 0; i < stepList.stepCount; ++i) {
        const qm::Step& step = stepList.steps[i];
        qm::appendBoxTransfer(step.to, step.pusher, step.from);
    }
    return qm::verifySolution();
}

// A plan record of a two-box level: box squares by box index (0 out of play) and a square of
// the pusher's region.
struct TwoBoxRecord {
    int32_t first, second, pusherAt;
};

void setPlan(std::initializer_list<TwoBoxRecord> records) {
    ASSERT_EQ(handover.t2BoxCount, 2);
    ASSERT_EQ(qm::reservePlan(static_cast<int32_t>(records.size())), 1);
    int32_t m = 0;
    for (const TwoBoxRecord& r : records) {
        int32_t board[qm::kMaxSquares], reach[qm::kMaxSquares] = {};
        for (int32_t s = 0; s < level.cellCount; ++s) board[s] = handover.searchBoard[s] & qm::WALL;
        qm::PlanRecord& record = areaClearing.planRecords[m++];
        std::memset(&record, 0, sizeof(record));
        record.boxes[0] = static_cast<int16_t>(r.first);
        record.boxes[1] = static_cast<int16_t>(r.second);
        for (const int32_t b : {r.first, r.second}) {
            if (b != 0) board[b] = qm::BOX;
            if (b != 0) ++record.boxesInPlay;
        }
        record.pusher = static_cast<int16_t>(qm::reachFill(board, reach, r.pusherAt));
    }
    areaClearing.planLength = m;
}

// The listed area of the solved position whose region holds no start box: the goal room seen
// from inside; -1 when there is none.
int32_t roomAreaSquare() {
    int32_t board[qm::kMaxSquares];
    for (int32_t k = 0; k < handover.goalAreaCount; ++k) {
        int32_t reach[qm::kMaxSquares] = {};
        for (int32_t s = 0; s < level.cellCount; ++s) board[s] = handover.searchBoard[s] & qm::WALL;
        for (int32_t j = 0; j < handover.t2BoxCount; ++j) board[handover.t2Goals[j]] = qm::BOX;
        qm::reachFill(board, reach, handover.goalAreaSquares[k]);
        bool startBox = false;
        for (int32_t j = 0; j < handover.t2BoxCount; ++j) {
            startBox = startBox || reach[handover.t2StartBoxes[j]] != 0;
        }
        if (!startBox) return handover.goalAreaSquares[k];
    }
    return -1;
}

class AreaClearingTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        qm::allocateBlocks();
        qm::allocateSolution();
        qm::bindThread2Tables();
    }

    void SetUp() override {
        ASSERT_EQ(qm::blocks.memoryReady, 1);
        control.stopFlag = 0;
        control.solveDeadline = qm::nowSeconds() + 20;
        qm::corral.clearingMode = 1;
    }

    void TearDown() override {
        control.stopFlag = 0;
        qm::corral.clearingMode = 0;
    }

    // Loads and prepares a picture as the driver does, with the room behind (1,1) as the solved
    // position's one listed area, then runs the preparation of the method.
    static void loadRoom(const char* picture) {
        ASSERT_EQ(qmtest::loadPicture(picture), 1);
        qm::prepareSolve();
        handover.goalAreaSquares[0] = square(1, 1);
        handover.goalAreaCount = 1;
        handover.areaStrategyFlag = 1;
        qm::clearBlock2();
        qm::prepareAreaClearing();
    }

    // Starts the first sub-search of the plan by hand, as the following stage does, so that the
    // positions it leaves waiting can be inspected.
    static void startFirstSubSearch() {
        const int32_t n = handover.t2BoxCount;
        qm::resetTables();
        for (int32_t j = 0; j < n; ++j) {
            handover.t2Boxes[j] = handover.t2StartBoxes[j];
            handover.searchBoard[handover.t2Boxes[j]] = qm::BOX;
        }
        int32_t reach[qm::kMaxSquares] = {};
        const int32_t u = qm::reachFill(handover.searchBoard, reach, level.pusherSquare);
        qm::SearchNode* root = qm::nodeLookupByCount(u, n);
        qm::storeNode(root, u, n, n, nullptr);
        areaClearing.planIndex = 0;
        areaClearing.planMode = 0;
        ASSERT_EQ(qm::nextSubGoal(), 1);
        qm::buildFillMap();
        const int32_t priority = qm::fillPriority(u);
        ASSERT_LT(priority, qm::kSubGoalMet);
        qm::nodes.areaLists.push(priority, root);
        for (int32_t j = 0; j < n; ++j) handover.searchBoard[handover.t2Boxes[j]] = 0;
    }

    // Empties the waiting lists; counts the positions with a box on square s and all of them.
    static int32_t waitingWithBoxOn(int32_t s, int32_t* waiting) {
        int32_t count = 0;
        *waiting = 0;
        for (qm::SearchNode* q = qm::nodes.areaLists.pop(); q != nullptr;
             q = qm::nodes.areaLists.pop(), ++*waiting) {
            for (int32_t j = 0; j < handover.t2BoxCount; ++j) count += q->boxes[j] == s ? 1 : 0;
        }
        return count;
    }
};

TEST_F(AreaClearingTest, GoalRoomLevelsAreSolvedAndTheirStepsReplay) {
    const std::string text = qmtest::dataFile("goalroom.txt");
    ASSERT_EQ(qm::openText(text), 1);
    int32_t selected = 0, tried = 0, solved = 0;
    for (int32_t k = 1; k <= qm::levelSet.levelCount; ++k) {
        qm::goToLevel(k);
        ASSERT_EQ(level.levelVerdict, 1) << "level " << k;
        qm::prepareSolve();
        if (level.alreadySolved == 0 && handover.areaStrategyFlag != 0 &&
            handover.goalAreaCount == 1) {
            ++selected;
        } else {
            // The analysis lists the room beside the outside: plan from inside the room.
            const int32_t room = roomAreaSquare();
            if (room < 0) continue;
            handover.goalAreaSquares[0] = room;
            handover.goalAreaCount = 1;
        }
        ++tried;
        control.solveDeadline = qm::nowSeconds() + 20;
        qm::clearBlock2();
        const int32_t result = qm::areaClearingSearch();
        EXPECT_TRUE(result == 8 || result == 9 || result == 10) << "level " << k;
        if (result != 8) continue;
        EXPECT_EQ(replayStepsForTest(), 1) << "level " << k;
        ++solved;
    }
    std::printf("goal rooms: %d selected by the analysis, %d tried, %d solved\n", selected, tried,
                solved);
    EXPECT_GE(tried, 20);
    EXPECT_GE(solved, tried / 2);
}

TEST_F(AreaClearingTest, StartsFromThePusherSquareTheAnalysisLeft) {
    ASSERT_EQ(qmtest::loadPicture(kGoalRoomDeadEndStart), 1);
    qm::prepareSolve();
    ASSERT_EQ(handover.searchBoard[level.pusherSquare], qm::WALL);
    ASSERT_EQ(handover.searchBoard[handover.t2PusherSquare], 0);
    const int32_t room = roomAreaSquare();
    ASSERT_GE(room, 0);
    handover.goalAreaSquares[0] = room;
    handover.goalAreaCount = 1;
    qm::clearBlock2();
    ASSERT_EQ(qm::areaClearingSearch(), 8);
    EXPECT_EQ(replayStepsForTest(), 1);
}

TEST_F(AreaClearingTest, PlanRunsFromFewestBoxesInPlayToTheSolvedPosition) {
    loadRoom(kColumnRoom);
    // The doorway and the floor outside it are storage; the floor behind the goals is room.
    EXPECT_EQ(areaClearing.storageMark[square(4, 2)], 1);
    EXPECT_EQ(areaClearing.storageMark[square(5, 2)], 1);
    EXPECT_EQ(areaClearing.storageMark[square(2, 2)], 0);
    EXPECT_EQ(areaClearing.roomDepth[square(2, 2)], 1);
    EXPECT_EQ(areaClearing.roomDepth[square(5, 2)], 0);
    ASSERT_EQ(qm::planSearch(), 8);
    const int32_t n = handover.t2BoxCount;
    ASSERT_GE(areaClearing.planLength, 2);
    for (int32_t m = 0, previous = 1; m < areaClearing.planLength; ++m) {
        const qm::PlanRecord& record = areaClearing.planRecords[m];
        int32_t inPlay = 0;
        for (int32_t j = 0; j < n; ++j) inPlay += record.boxes[j] != 0 ? 1 : 0;
        EXPECT_EQ(inPlay, record.boxesInPlay) << "record " << m;
        EXPECT_GE(inPlay, previous) << "record " << m;
        previous = inPlay;
    }
    const qm::PlanRecord& last = areaClearing.planRecords[areaClearing.planLength - 1];
    for (int32_t j = 0; j < n; ++j) EXPECT_EQ(last.boxes[j], handover.t2Goals[j]);

    // Through the thread body: the later records are appended directly and the last step
    // leaves the pusher behind the goals.
    control.thread2State = 1;
    control.solvedBy = 0;
    qm::thread2Main();
    ASSERT_EQ(control.thread2State, 8);
    EXPECT_EQ(control.solvedBy, 2);
    EXPECT_EQ(areaClearing.planMode, 2);
    EXPECT_EQ(areaClearing.planIndex, areaClearing.planLength);
    ASSERT_GE(stepList.stepCount, 3);
    EXPECT_EQ(stepList.steps[stepList.stepCount - 1].pusher, square(1, 1));
    EXPECT_EQ(replayStepsForTest(), 1);
}

TEST_F(AreaClearingTest, StopWordDeadlineAndMissingMemoryEndTheSearch) {
    loadRoom(kColumnRoom);
    control.stopFlag = 1;
    EXPECT_EQ(qm::areaClearingSearch(), 10);
    control.stopFlag = 0;
    control.solveDeadline = qm::nowSeconds() - 1;
    EXPECT_EQ(qm::areaClearingSearch(), 10);
    control.solveDeadline = qm::nowSeconds() + 20;
    ASSERT_EQ(qm::planSearch(), 8);
    control.stopFlag = 2;
    EXPECT_EQ(qm::followPlan(), 10);
    control.stopFlag = 0;
    qm::blocks.memoryReady = 0;
    stepList.stepCount = 5;
    EXPECT_EQ(qm::areaClearingSearch(), 9);
    EXPECT_EQ(stepList.stepCount, 5);  // nothing was touched
    qm::blocks.memoryReady = 1;
}

TEST_F(AreaClearingTest, FirstRecordWithEveryBoxInPlayIsOneSubGoalAndTheRestIsDirect) {
    loadRoom(kDoorRoom);
    // The doorway box one pull out of the room, then the solved position.
    setPlan({{square(2, 2), square(4, 2), square(5, 2)},
             {square(2, 2), square(3, 2), square(4, 2)}});
    ASSERT_EQ(qm::followPlan(), 8);
    EXPECT_EQ(areaClearing.planMode, 2);
    EXPECT_EQ(areaClearing.planIndex, 2);
    EXPECT_EQ(areaClearing.targetCount, 2);
    ASSERT_GE(stepList.stepCount, 3);
    const qm::Step& direct = stepList.steps[stepList.stepCount - 1];
    EXPECT_EQ(direct.from, square(4, 2));
    EXPECT_EQ(direct.to, square(3, 2));
    EXPECT_EQ(direct.pusher, areaClearing.planRecords[1].pusher);
    EXPECT_EQ(stepList.lastStepPusher, areaClearing.planRecords[1].pusher);
    EXPECT_EQ(replayStepsForTest(), 1);
}

TEST_F(AreaClearingTest, StartBoxOnItsPlanSquareIsNeverMoved) {
    loadRoom(kDoorRoomOneHome);
    // The box on the deep goal stays in play while the other is out, then the solved position.
    setPlan({{square(2, 2), 0, square(4, 2)}, {square(2, 2), square(3, 2), square(4, 2)}});
    ASSERT_EQ(qm::followPlan(), 8);
    EXPECT_EQ(areaClearing.targetMark[square(2, 2)], 1);
    ASSERT_EQ(areaClearing.targetCount, 1);
    EXPECT_EQ(areaClearing.targetList[0], square(3, 2));
    ASSERT_EQ(stepList.stepCount, 1);
    EXPECT_EQ(stepList.steps[0].to, square(3, 2));
    EXPECT_EQ(replayStepsForTest(), 1);

    // In an open room the box at home is the nearest to the free goal and could be pushed round
    // onto it; the sub-search brings the other box instead.
    loadRoom(kOpenRoomOneHome);
    setPlan({{square(3, 3), 0, square(1, 1)}, {square(3, 3), square(4, 3), square(1, 1)}});
    startFirstSubSearch();
    EXPECT_EQ(areaClearing.targetMark[square(3, 3)], 1);
    ASSERT_EQ(qm::fillExpand(), 8);
    const qm::SearchNode* meet = qm::nodes.meetNode;
    EXPECT_TRUE(meet->boxes[0] == square(3, 3) || meet->boxes[1] == square(3, 3));
    int32_t waiting = 0;
    EXPECT_EQ(waitingWithBoxOn(square(3, 3), &waiting), waiting);
}

TEST_F(AreaClearingTest, BoxFromOutsideNeverStopsOnAGoalThatIsNoTarget) {
    loadRoom(kDoorRoom);
    // The first sub-goal is the deep goal alone; the doorway goal is no target of it.
    setPlan({{square(2, 2), 0, square(4, 2)}, {square(2, 2), square(3, 2), square(4, 2)}});
    startFirstSubSearch();
    ASSERT_EQ(areaClearing.targetCount, 1);
    EXPECT_EQ(areaClearing.fillMap[square(3, 2)], 1);
    EXPECT_EQ(areaClearing.fillMap[square(5, 2)], 0);
    EXPECT_EQ(areaClearing.fillMap[square(1, 2)], 2);
    EXPECT_EQ(areaClearing.fillMap[square(2, 2)], 3);

    // The box in front of the doorway is pushed through it onto the deep goal at once; none of
    // the positions left waiting has a box on the doorway goal.
    ASSERT_EQ(qm::fillExpand(), 8);
    const qm::SearchNode* meet = qm::nodes.meetNode;
    EXPECT_TRUE(meet->boxes[0] == square(2, 2) || meet->boxes[1] == square(2, 2));
    int32_t waiting = 0;
    EXPECT_EQ(waitingWithBoxOn(square(3, 2), &waiting), 0);
    EXPECT_GE(waiting, 1);
}

TEST_F(AreaClearingTest, MetSubGoalsAndTargetsThatCannotBePulledOutStayInBounds) {
    loadRoom(kDoorRoom);
    const TwoBoxRecord deep{square(2, 2), 0, square(4, 2)};
    const TwoBoxRecord solvedOutside{square(2, 2), square(3, 2), square(4, 2)};
    setPlan({deep, solvedOutside});
    ASSERT_EQ(qm::followPlan(), 8);
    const int32_t plainSteps = stepList.stepCount;
    // A record repeated: the second sub-search starts on its goal and adds no step.
    setPlan({deep, deep, solvedOutside});
    ASSERT_EQ(qm::followPlan(), 8);
    EXPECT_EQ(areaClearing.planIndex, 3);
    EXPECT_EQ(stepList.stepCount, plainSteps);
    EXPECT_EQ(replayStepsForTest(), 1);

    // The doorway box, with the pusher shut in the room, cannot be pulled out: it gets no target
    // in the first sub-goal, and the last sub-goal takes it up.
    setPlan({{square(3, 2), 0, square(1, 1)}, solvedOutside});
    ASSERT_EQ(qm::followPlan(), 8);
    EXPECT_EQ(areaClearing.targetCount, 2);
    EXPECT_EQ(replayStepsForTest(), 1);
    // As the last sub-goal neither box can be pulled out: both are still targets, and the
    // sub-search, which cannot end with the pusher in the room, runs out.
    setPlan({{square(2, 2), square(3, 2), square(1, 1)}});
    EXPECT_EQ(qm::followPlan(), 9);
    EXPECT_EQ(areaClearing.targetCount, 2);
}

TEST_F(AreaClearingTest, PlanLongerThanAHundredRecordsIsKeptWhole) {
    loadRoom(kDoorRoom);
    // A chain of 150 positions; the last has no box in play, so the plan starts at its parent.
    constexpr int32_t kChain = 150;
    static qm::SearchNode chain[kChain];
    for (int32_t i = 0; i < kChain; ++i) {
        std::memset(&chain[i], 0, sizeof(chain[i]));
        chain[i].boxes[0] = static_cast<int16_t>(i + 1 < kChain ? 100 + i : 0);
        chain[i].boxes[1] = static_cast<int16_t>(i + 1 < kChain ? 300 + i : 0);
        chain[i].pusher = static_cast<int16_t>(i + 10);
        chain[i].tag = static_cast<int8_t>(i + 1 < kChain ? 2 : 0);
        chain[i].parent = i > 0 ? &chain[i - 1] : nullptr;
    }
    qm::nodes.meetNode = &chain[kChain - 1];
    ASSERT_EQ(qm::buildPlan(), 1);
    ASSERT_EQ(areaClearing.planLength, kChain - 1);
    for (int32_t m = 0; m < kChain - 1; ++m) {
        const qm::SearchNode& node = chain[kChain - 2 - m];
        const qm::PlanRecord& record = areaClearing.planRecords[m];
        ASSERT_EQ(record.boxes[0], node.boxes[0]) << "record " << m;
        ASSERT_EQ(record.boxes[1], node.boxes[1]) << "record " << m;
        ASSERT_EQ(record.pusher, node.pusher) << "record " << m;
        ASSERT_EQ(record.boxesInPlay, 2) << "record " << m;
    }
    qm::nodes.meetNode = nullptr;
    qm::releasePlan();
    EXPECT_EQ(areaClearing.planCapacity, 0);
}

}  // namespace
