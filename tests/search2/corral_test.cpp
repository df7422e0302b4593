#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "board/board.hpp"
#include "board/handover.hpp"
#include "search2/corral.hpp"
#include "search2/node_table.hpp"
#include "solver/blocks.hpp"
#include "solver/control.hpp"
#include "support/test_support.hpp"

namespace {

using qm::corral;
using qm::handover;
using qmtest::square;

// Positions are drawn as they stand right after a push: '@' is where the pusher ended.
class CorralTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(qm::allocateBlocks(), 1);
        qm::bindThread2Tables();
        qm::resetTables();
        corral.clearingMode = 0;
        qm::control.stopFlag = 0;
        qm::control.solveDeadline = qm::nowSeconds() + 3600;
    }
    void TearDown() override {
        corral.clearingMode = 0;
        qm::control.stopFlag = 0;
        qm::control.solveDeadline = 0;
        qm::resetTables();
    }

    // Loads the picture and hands its boxes to thread 2's tables in square order.
    static void loadPosition(const std::string& picture) {
        ASSERT_NE(qmtest::loadPicture(picture), 0);  // dead positions may load as impossible
        const int32_t cells = qm::level.cellCount;
        std::memcpy(handover.searchBoard, qm::level.obstacleMap, sizeof(int32_t) * cells);
        int32_t n = 0;
        for (int32_t s = 0; s < cells; ++s) {
            if (handover.searchBoard[s] == qm::BOX) handover.t2Boxes[n++] = s;
        }
        handover.t2BoxCount = n;
    }

    // Runs the corral test for the box on u and checks that it leaves thread 2's board and box
    // list as it found them.
    static int32_t corralTest(int32_t u) {
        int32_t board[qm::kMaxSquares], boxes[qm::kMaxBoxes];
        std::memcpy(board, handover.searchBoard, sizeof(board));
        std::memcpy(boxes, handover.t2Boxes, sizeof(boxes));
        const int32_t r = qm::t2CorralTest(u, qm::level.pusherSquare);
        EXPECT_EQ(std::memcmp(board, handover.searchBoard, sizeof(board)), 0);
        EXPECT_EQ(std::memcmp(boxes, handover.t2Boxes, sizeof(boxes)), 0);
        return r;
    }

    static int32_t entriesWithVerdict(int32_t verdict) {
        int32_t count = 0;
        for (uint32_t i = 0; i < qm::kCorralSlots; ++i) {
            if (corral.t2CorralTable[i].pusher != 0 && corral.t2CorralTable[i].verdict == verdict) {
                ++count;
            }
        }
        return count;
    }
};

// The box just pushed into the doorway is stopped by the box behind it: the room is lost.
constexpr const char* kDeadRoom =
    "#########\n"
    "#.  #   #\n"
    "#  @$ $ #\n"
    "#.  #   #\n"
    "#########";
// The same with the inner box one square further in: two pushes open the room.
constexpr const char* kOpenRoom =
    "#########\n"
    "#.  #   #\n"
    "#  @$  $#\n"
    "#.  #   #\n"
    "#########";

TEST_F(CorralTest, MoveThatCutsNoFloorOffIsNoDeadlock) {
    loadPosition("#######\n"
                 "#.    #\n"
                 "# @$  #\n"
                 "#.  $ #\n"
                 "#######");
    EXPECT_EQ(corralTest(square(3, 2)), 0);
    EXPECT_EQ(corral.t2CorralSerial, 0);  // no sub-search was started
}

TEST_F(CorralTest, CorralBehindBoxesOnGoalsIsResolvedAtOnce) {
    loadPosition("########\n"
                 "#   #  #\n"
                 "#  @*  #\n"
                 "#   #  #\n"
                 "########");
    EXPECT_EQ(corralTest(square(4, 2)), 0);
    EXPECT_EQ(corral.t2CorralSerial, 0);
    EXPECT_EQ(entriesWithVerdict(0) + entriesWithVerdict(1) + entriesWithVerdict(2), 0);

    // Off its goal the same box needs a sub-search.
    loadPosition("########\n"
                 "#.  #  #\n"
                 "#  @$  #\n"
                 "#   #  #\n"
                 "########");
    EXPECT_EQ(corralTest(square(4, 2)), 0);
    EXPECT_EQ(corral.t2CorralSerial, 1);
}

TEST_F(CorralTest, BlockedDoorwayIsDeadOpenOneIsNotAndBothAreCached) {
    loadPosition(kDeadRoom);
    EXPECT_EQ(corralTest(square(4, 2)), 1);
    EXPECT_EQ(entriesWithVerdict(2), 1);
    const int32_t serial = corral.t2CorralSerial;
    EXPECT_EQ(serial, 1);
    EXPECT_EQ(corralTest(square(4, 2)), 1);
    EXPECT_EQ(corral.t2CorralSerial, serial);  // the root matched its stored verdict

    loadPosition(kOpenRoom);
    EXPECT_EQ(corralTest(square(4, 2)), 0);
    EXPECT_EQ(corral.t2CorralSerial, serial + 1);
    EXPECT_EQ(corralTest(square(4, 2)), 0);
    EXPECT_EQ(corral.t2CorralSerial, serial + 1);
    EXPECT_EQ(entriesWithVerdict(1), 1);
    EXPECT_EQ(entriesWithVerdict(2), 1);
}

// Pockets A (left) and B (right) are split by the box between them. With B's door box left out,
// the pusher walks into B and pushes the middle box onto A's goal corner, and the other way round;
// with both door boxes in place neither pocket can be entered.
constexpr const char* kTwoPockets =
    "#########\n"
    "##. $ .##\n"
    "##$###$##\n"
    "# @     #\n"
    "#    .  #\n"
    "#########";

TEST_F(CorralTest, TwoCorralsResolvableAloneAreDeadTogether) {
    loadPosition(kTwoPockets);
    EXPECT_EQ(corralTest(square(2, 2)), 1);

    const int32_t a = corral.regionLabels[square(2, 1)];
    const int32_t b = corral.regionLabels[square(6, 1)];
    ASSERT_GT(a, 1);
    ASSERT_GT(b, 1);
    ASSERT_NE(a, b);
    EXPECT_EQ(corral.regionLabels[square(3, 1)], a);
    qm::resetCorralTable();
    const int32_t t = qm::level.pusherSquare;
    EXPECT_EQ(qm::t2CorralSubSearch(t, corral.regionLabels, a, -1), 0);
    EXPECT_EQ(qm::t2CorralSubSearch(t, corral.regionLabels, b, -1), 0);
    EXPECT_EQ(qm::t2CorralSubSearch(t, corral.regionLabels, a, b), 1);
}

TEST_F(CorralTest, AreaClearingCountsABoxFrozenOnAGoalAsStuck) {
    // The only way into the pocket freezes the box on the goal at its end.
    const char* pocket =
        "######\n"
        "#.#  #\n"
        "#$#  #\n"
        "#@   #\n"
        "######";
    loadPosition(pocket);
    EXPECT_EQ(corralTest(square(1, 2)), 0);

    qm::resetTables();
    corral.clearingMode = 1;
    EXPECT_EQ(corralTest(square(1, 2)), 1);
}

// Thirteen boxes touch the room; with the door box blocked the room is lost all the same.
constexpr const char* kThirteenBoxes =
    "#################\n"
    "#               #\n"
    "# $ $ $ $ $ $ $ #\n"
    "#               #\n"
    "# $ $   $   $ $ #\n"
    "########$########\n"
    "#...... + ......#\n"
    "#################";

TEST_F(CorralTest, ThirteenBoxesLeaveTheCorralUnproved) {
    loadPosition(kThirteenBoxes);
    ASSERT_EQ(handover.t2BoxCount, 13);
    EXPECT_EQ(corralTest(square(8, 5)), 0);
    EXPECT_EQ(corral.t2CorralSerial, 0);
    EXPECT_EQ(qm::t2CorralSubSearch(qm::level.pusherSquare, corral.regionLabels,
                                    corral.regionLabels[square(1, 1)], -1),
              9);

    // Twelve boxes are searched, and the room is proved dead.
    std::string twelve = kThirteenBoxes;
    twelve[twelve.find("$ $ #\n#####")] = ' ';
    twelve[twelve.find('+')] = '@';
    loadPosition(twelve);
    ASSERT_EQ(handover.t2BoxCount, 12);
    EXPECT_EQ(corralTest(square(8, 5)), 1);
}

TEST_F(CorralTest, StopWordAndDeadlineLeaveTheCorralUnproved) {
    loadPosition(kDeadRoom);
    qm::control.stopFlag = 1;
    EXPECT_EQ(corralTest(square(4, 2)), 0);
    qm::control.stopFlag = 0;
    qm::control.solveDeadline = qm::nowSeconds();
    EXPECT_EQ(corralTest(square(4, 2)), 0);
    EXPECT_EQ(entriesWithVerdict(2), 0);

    // The undecided roots left behind do not stand in the way of a later proof.
    qm::control.solveDeadline = qm::nowSeconds() + 3600;
    EXPECT_EQ(corralTest(square(4, 2)), 1);
    EXPECT_EQ(entriesWithVerdict(2), 1);
}

TEST_F(CorralTest, SpentBudgetLeavesTheCorralUnproved) {
    loadPosition(kDeadRoom);
    corral.t2CorralSerial = qm::kCorralBudgetLimit;
    EXPECT_EQ(corralTest(square(4, 2)), 0);
    EXPECT_EQ(corral.t2CorralSerial, qm::kCorralBudgetLimit);  // the root was not stored

    // One insert left: the root is stored, then the budget stops the search.
    corral.t2CorralSerial = qm::kCorralBudgetLimit - 1;
    EXPECT_EQ(corralTest(square(4, 2)), 0);
    EXPECT_EQ(corral.t2CorralSerial, qm::kCorralBudgetLimit);
    EXPECT_EQ(entriesWithVerdict(2), 0);
}

TEST_F(CorralTest, TableFullOfCurrentStatesEndsTheProbeButStaleOnesAreReused) {
    loadPosition(kDeadRoom);
    // Every slot already holds an undecided state of the next sub-search, none of them this one.
    corral.t2CorralSerial = 4;
    for (uint32_t i = 0; i < qm::kCorralSlots; ++i) {
        qm::CorralEntry& e = corral.t2CorralTable[i];
        e.stamp = 5;
        e.pusher = 1;
        e.count = 1;
        e.boxes[0] = 1;
        e.verdict = 0;
    }
    EXPECT_EQ(corralTest(square(4, 2)), 0);
    EXPECT_EQ(corral.t2CorralSerial, 4);

    // Left undecided by an earlier sub-search, the same entries are free slots.
    for (uint32_t i = 0; i < qm::kCorralSlots; ++i) corral.t2CorralTable[i].stamp = 3;
    EXPECT_EQ(corralTest(square(4, 2)), 1);
    EXPECT_EQ(entriesWithVerdict(2), 1);
}

}  // namespace
