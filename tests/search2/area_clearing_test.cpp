#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "board/analysis.hpp"
#include "board/board.hpp"
#include "board/fills.hpp"
#include "board/handover.hpp"
#include "board/solution.hpp"
#include "levels/sources.hpp"
#include "search2/area_clearing.hpp"
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
using qmtest::loadPicture;
using qmtest::square;

namespace {

// A two-square goal room on the left: the goal in its doorway (3,2) walls it off once filled,
// the deep goal (2,2) lies behind it. Both boxes start outside.
const char* const kDoorRoom =
    "########\n"
    "#  #   #\n"
    "# .. $ #\n"
    "#  # $ #\n"
    "#  #  @#\n"
    "########\n";

// A goal room whose three goals stand in a column: once filled they wall off the floor behind
// them, which is where the solved position leaves the pusher.
const char* const kColumnRoom =
    "#########\n"
    "#  .#   #\n"
    "#  .  $ #\n"
    "#  .#$$ #\n"
    "#   #  @#\n"
    "#########\n";

// The door room with its deep goal already holding a box.
const char* const kDoorRoomOneHome =
    "########\n"
    "#  #   #\n"
    "# *. $ #\n"
    "#  #   #\n"
    "#  #  @#\n"
    "########\n";

int32_t replayStepsForTest() {
    qm::resetSolution();
    for (int32_t i = 0; i < stepList.stepCount; ++i) {
        const qm::Step& step = stepList.steps[i];
        qm::appendBoxTransfer(step.to, step.pusher, step.from);
    }
    return qm::verifySolution();
}

// The smallest square of the pusher's region from start with boxes on the given squares.
int32_t pusherRegion(const int32_t* boxes, int32_t count, int32_t start) {
    int32_t board[qm::kMaxSquares], reach[qm::kMaxSquares] = {};
    for (int32_t s = 0; s < level.cellCount; ++s) board[s] = handover.searchBoard[s] & qm::WALL;
    for (int32_t i = 0; i < count; ++i) board[boxes[i]] = qm::BOX;
    return qm::reachFill(board, reach, start);
}

// Index of the box that starts on square s.
int32_t startIndex(int32_t s) {
    for (int32_t j = 0; j < handover.t2BoxCount; ++j) {
        if (handover.t2StartBoxes[j] == s) return j;
    }
    return -1;
}

void setRecord(int32_t m, const int32_t* boxes, int32_t pusher) {
    qm::PlanRecord& record = areaClearing.planRecords[m];
    std::memset(&record, 0, sizeof(record));
    int32_t inPlay = 0;
    for (int32_t j = 0; j < handover.t2BoxCount; ++j) {
        record.boxes[j] = static_cast<int16_t>(boxes[j]);
        if (boxes[j] != 0) ++inPlay;
    }
    record.pusher = static_cast<int16_t>(pusher);
    record.boxesInPlay = static_cast<int8_t>(inPlay);
}

// The listed area of the solved position that holds no start box: the goal room, as seen from
// inside. -1 when there is none.
int32_t roomAreaSquare() {
    int32_t board[qm::kMaxSquares];
    for (int32_t k = 0; k < qm::analysis.goalAreaCount; ++k) {
        int32_t reach[qm::kMaxSquares] = {};
        for (int32_t s = 0; s < level.cellCount; ++s) board[s] = handover.searchBoard[s] & qm::WALL;
        for (int32_t j = 0; j < handover.t2BoxCount; ++j) board[handover.t2Goals[j]] = qm::BOX;
        qm::reachFill(board, reach, qm::analysis.goalAreaSquares[k]);
        bool startBox = false;
        for (int32_t j = 0; j < handover.t2BoxCount; ++j) {
            startBox = startBox || reach[handover.t2StartBoxes[j]] != 0;
        }
        if (!startBox) return qm::analysis.goalAreaSquares[k];
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

    // Loads a picture and prepares it as the driver does, with the room behind (1,1) as the
    // solved position's only listed pusher area.
    static void loadDoorRoom(const char* picture) {
        ASSERT_EQ(loadPicture(picture), 1);
        qm::prepareSolve();
        qm::analysis.goalAreaSquares[0] = square(1, 1);
        qm::analysis.goalAreaCount = 1;
        qm::analysis.areaStrategyFlag = 1;
        qm::clearBlock2();
    }
};

TEST_F(AreaClearingTest, GoalRoomLevelsAreSolvedAndTheirStepsReplay) {
    const std::string text = qmtest::sharedLevelFile("goalroom.txt");
    if (text.empty()) GTEST_SKIP() << "goalroom.txt is missing";
    ASSERT_EQ(qm::openText(text), 1);
    int32_t selected = 0, tried = 0, solved = 0;
    for (int32_t k = 1; k <= qm::levelSet.levelCount; ++k) {
        qm::goToLevel(k);
        ASSERT_EQ(level.levelVerdict, 1) << "level " << k;
        qm::prepareSolve();
        if (level.alreadySolved == 0 && qm::analysis.areaStrategyFlag != 0 &&
            qm::analysis.goalAreaCount == 1) {
            ++selected;
        } else {
            // Levels whose room the analysis lists beside the outside: plan from inside the room.
            const int32_t room = roomAreaSquare();
            if (room < 0) continue;
            qm::analysis.goalAreaSquares[0] = room;
            qm::analysis.goalAreaCount = 1;
        }
        ++tried;
        control.stopFlag = 0;
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

TEST_F(AreaClearingTest, ColumnRoomIsSolvedThroughTheThreadBody) {
    loadDoorRoom(kColumnRoom);
    control.thread2State = 1;
    control.solvedBy = 0;
    qm::thread2Main();
    ASSERT_EQ(control.thread2State, 8);
    EXPECT_EQ(control.solvedBy, 2);
    EXPECT_EQ(replayStepsForTest(), 1);
    // The solved position's pusher area lies behind the goals, so the last step leaves the
    // pusher there.
    ASSERT_GE(stepList.stepCount, 3);
    EXPECT_EQ(stepList.steps[stepList.stepCount - 1].pusher, square(1, 1));
}

TEST_F(AreaClearingTest, PlanRunsFromFewestBoxesInPlayToTheSolvedPosition) {
    loadDoorRoom(kColumnRoom);
    qm::prepareAreaClearing();
    // The doorway and the floor outside it, where boxes pulled out of the room can go, are
    // storage; the floor behind the goals is room of depth 1 next to them.
    EXPECT_EQ(areaClearing.storageMark[square(4, 2)], 1);
    EXPECT_EQ(areaClearing.storageMark[square(5, 2)], 1);
    EXPECT_EQ(areaClearing.storageMark[square(2, 2)], 0);
    EXPECT_EQ(areaClearing.roomDepth[square(2, 2)], 1);
    EXPECT_EQ(areaClearing.roomDepth[square(5, 2)], 0);
    ASSERT_EQ(qm::planSearch(), 8);
    const int32_t n = handover.t2BoxCount;
    ASSERT_GE(areaClearing.planLength, 1);
    int32_t previous = 0;
    for (int32_t m = 0; m < areaClearing.planLength; ++m) {
        const qm::PlanRecord& record = areaClearing.planRecords[m];
        int32_t inPlay = 0;
        for (int32_t j = 0; j < n; ++j) inPlay += record.boxes[j] != 0 ? 1 : 0;
        EXPECT_EQ(inPlay, record.boxesInPlay) << "record " << m;
        EXPECT_GE(inPlay, previous) << "record " << m;
        EXPECT_GT(inPlay, 0) << "record " << m;
        previous = inPlay;
    }
    const qm::PlanRecord& last = areaClearing.planRecords[areaClearing.planLength - 1];
    EXPECT_EQ(last.boxesInPlay, n);
    for (int32_t j = 0; j < n; ++j) EXPECT_EQ(last.boxes[j], handover.t2Goals[j]);
    ASSERT_EQ(qm::followPlan(), 8);
    EXPECT_EQ(areaClearing.planMode, 2);
    EXPECT_EQ(areaClearing.planIndex, areaClearing.planLength);
    EXPECT_EQ(replayStepsForTest(), 1);
}

TEST_F(AreaClearingTest, StopWordDeadlineAndMissingMemoryEndTheSearch) {
    loadDoorRoom(kColumnRoom);
    control.stopFlag = 1;
    EXPECT_EQ(qm::areaClearingSearch(), 10);
    control.stopFlag = 0;
    control.solveDeadline = qm::nowSeconds() - 1;
    EXPECT_EQ(qm::areaClearingSearch(), 10);
    // With the plan made, the following stage stops on its own checks too.
    control.solveDeadline = qm::nowSeconds() + 20;
    qm::prepareAreaClearing();
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
    loadDoorRoom(kDoorRoom);
    qm::prepareAreaClearing();
    const int32_t n = handover.t2BoxCount;
    ASSERT_EQ(n, 2);
    // Record 0: the doorway box one pull out of the room; record 1: the solved position.
    const int32_t before[2] = {square(2, 2), square(4, 2)};
    const int32_t solvedBoxes[2] = {square(2, 2), square(3, 2)};
    ASSERT_EQ(qm::reservePlan(2), 1);
    setRecord(0, before, pusherRegion(before, 2, square(5, 2)));
    setRecord(1, solvedBoxes, pusherRegion(solvedBoxes, 2, square(4, 2)));
    areaClearing.planLength = 2;

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
    loadDoorRoom(kDoorRoomOneHome);
    qm::prepareAreaClearing();
    const int32_t n = handover.t2BoxCount;
    ASSERT_EQ(n, 2);
    const int32_t home = startIndex(square(2, 2));
    ASSERT_GE(home, 0);
    int32_t first[2] = {0, 0}, solvedBoxes[2] = {0, 0};
    first[home] = square(2, 2);
    solvedBoxes[home] = square(2, 2);
    solvedBoxes[1 - home] = square(3, 2);
    ASSERT_EQ(qm::reservePlan(2), 1);
    const int32_t homeOnly[1] = {square(2, 2)};
    setRecord(0, first, pusherRegion(homeOnly, 1, square(4, 2)));
    setRecord(1, solvedBoxes, pusherRegion(solvedBoxes, 2, square(4, 2)));
    areaClearing.planLength = 2;

    ASSERT_EQ(qm::followPlan(), 8);
    EXPECT_EQ(areaClearing.targetMark[square(2, 2)], 1);
    EXPECT_EQ(areaClearing.targetCount, 1);
    EXPECT_EQ(areaClearing.targetList[0], square(3, 2));
    for (int32_t i = 0; i < stepList.stepCount; ++i) {
        EXPECT_NE(stepList.steps[i].from, square(2, 2)) << "step " << i;
    }
    EXPECT_EQ(stepList.stepCount, 1);
    EXPECT_EQ(replayStepsForTest(), 1);
}

TEST_F(AreaClearingTest, BoxFromOutsideNeverStopsOnAGoalThatIsNoTarget) {
    loadDoorRoom(kDoorRoom);
    qm::prepareAreaClearing();
    const int32_t n = handover.t2BoxCount;
    ASSERT_EQ(n, 2);
    // Record 0 holds only the deep goal; the doorway goal is no target of the first sub-goal.
    int32_t first[2] = {square(2, 2), 0};
    const int32_t solvedBoxes[2] = {square(2, 2), square(3, 2)};
    ASSERT_EQ(qm::reservePlan(2), 1);
    const int32_t deepOnly[1] = {square(2, 2)};
    setRecord(0, first, pusherRegion(deepOnly, 1, square(4, 2)));
    setRecord(1, solvedBoxes, pusherRegion(solvedBoxes, 2, square(4, 2)));
    areaClearing.planLength = 2;

    // The first sub-search, started by hand so that its lists can be inspected.
    qm::resetTables();
    for (int32_t s = 0; s < level.cellCount; ++s) handover.searchBoard[s] &= qm::WALL;
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
    EXPECT_EQ(areaClearing.planMode, 1);
    ASSERT_EQ(areaClearing.targetCount, 1);
    EXPECT_EQ(areaClearing.targetList[0], square(2, 2));
    qm::buildFillMap();
    EXPECT_EQ(areaClearing.fillMap[square(3, 2)], 1);
    EXPECT_EQ(areaClearing.fillMap[square(5, 2)], 0);
    EXPECT_EQ(areaClearing.fillMap[square(1, 2)], 2);
    EXPECT_EQ(areaClearing.fillMap[square(2, 2)], 3);
    const int32_t priority = qm::fillPriority(u);
    ASSERT_LT(priority, qm::kSubGoalMet);
    qm::pushNode(qm::nodes.areaLists, priority, root);
    for (int32_t j = 0; j < n; ++j) handover.searchBoard[handover.t2Boxes[j]] = 0;

    // The box in front of the doorway passes the doorway goal on its way to the deep goal.
    ASSERT_EQ(qm::fillExpand(), 8);
    const qm::SearchNode* meet = qm::nodes.meetNode;
    ASSERT_NE(meet, nullptr);
    EXPECT_TRUE(meet->boxes[0] == square(2, 2) || meet->boxes[1] == square(2, 2));
    int32_t waiting = 0;
    for (qm::SearchNode* q = qm::popBest(qm::nodes.areaLists); q != nullptr;
         q = qm::popBest(qm::nodes.areaLists)) {
        ++waiting;
        for (int32_t j = 0; j < n; ++j) EXPECT_NE(q->boxes[j], square(3, 2));
    }
    EXPECT_GE(waiting, 1);
}

TEST_F(AreaClearingTest, PlanLongerThanAHundredRecordsIsKeptWhole) {
    ASSERT_EQ(loadPicture(kDoorRoom), 1);
    qm::prepareSolve();
    ASSERT_EQ(handover.t2BoxCount, 2);
    // A chain of 150 positions; the last one has no box in play, so the plan starts at its
    // parent.
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
    EXPECT_GE(areaClearing.planCapacity, kChain - 1);
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
