#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "board/board.hpp"
#include "board/handover.hpp"
#include "search2/corral.hpp"
#include "search2/bidirectional_steps.hpp"
#include "search2/corridors.hpp"
#include "search2/macro_moves.hpp"
#include "search2/priorities.hpp"
#include "search2/node_table.hpp"
#include "search2/thread2.hpp"
#include "solver/blocks.hpp"
#include "solver/control.hpp"
#include "solver/preparation.hpp"
#include "support/test_support.hpp"

using qm::handover;
using qm::level;
using qm::corridorRules;
using qm::priorityTables;
using qm::stepList;
using qmtest::loadPicture;
using qmtest::square;

namespace {

// searchBoard as the search starts: the level's walls and boxes; no reach masks.
void boardFromLevel() {
    std::memcpy(handover.searchBoard, level.obstacleMap, sizeof(int32_t) * level.cellCount);
    std::memset(handover.t2StartMask, 0, sizeof(handover.t2StartMask));
}

void wallsOnly() {
    for (int32_t s = 0; s < level.cellCount; ++s) handover.searchBoard[s] &= qm::WALL;
}

int32_t markedCount() {
    int32_t count = 0;
    for (int32_t s = 0; s < level.cellCount; ++s) count += corridorRules.noStopMark[s];
    return count;
}

}  // namespace

TEST(CorridorAnalysis, RunKeepsItsMiddleOrItsBoxAndGoalSquaresFree) {
    ASSERT_EQ(loadPicture("###########\n"
                          "#    ###  #\n"
                          "# @$    . #\n"
                          "#    ###  #\n"
                          "###########\n"),
              1);
    boardFromLevel();
    qm::corridorAnalysis();
    EXPECT_EQ(corridorRules.noStopMark[square(5, 2)], 1);
    EXPECT_EQ(corridorRules.noStopMark[square(6, 2)], 0);
    EXPECT_EQ(corridorRules.noStopMark[square(7, 2)], 1);
    EXPECT_EQ(markedCount(), 2);

    // A goal and a start box in the run: only their squares stay free of the mark.
    level.goalMap[square(5, 2)] = 1;
    handover.searchBoard[square(7, 2)] = qm::BOX;
    qm::corridorAnalysis();
    EXPECT_EQ(corridorRules.noStopMark[square(5, 2)], 0);
    EXPECT_EQ(corridorRules.noStopMark[square(6, 2)], 1);
    EXPECT_EQ(corridorRules.noStopMark[square(7, 2)], 0);
    EXPECT_EQ(markedCount(), 1);
}

TEST(CorridorAnalysis, VerticalRunsAndSingleSquareDoors) {
    // A vertical run of three below the room, and a one-square door in the wall on the right.
    ASSERT_EQ(loadPicture("########\n"
                          "#   #  #\n"
                          "# @    #\n"
                          "#   #  #\n"
                          "## ###.#\n"
                          "## ###$#\n"
                          "## ### #\n"
                          "#      #\n"
                          "#      #\n"
                          "########\n"),
              1);
    boardFromLevel();
    qm::corridorAnalysis();
    EXPECT_EQ(corridorRules.noStopMark[square(2, 4)], 1);
    EXPECT_EQ(corridorRules.noStopMark[square(2, 5)], 0);
    EXPECT_EQ(corridorRules.noStopMark[square(2, 6)], 1);
    EXPECT_EQ(corridorRules.noStopMark[square(4, 2)], 0);  // the door: a run of one square
    // The right-hand run holds a goal and a box: only its empty lower square is marked.
    EXPECT_EQ(corridorRules.noStopMark[square(6, 4)], 0);
    EXPECT_EQ(corridorRules.noStopMark[square(6, 5)], 0);
    EXPECT_EQ(corridorRules.noStopMark[square(6, 6)], 1);
    EXPECT_EQ(markedCount(), 3);
}

TEST(CorridorAnalysis, MouthSquareLeadsToTheFirstPermittedStop) {
    ASSERT_EQ(loadPicture("###########\n"
                          "#   ####  #\n"
                          "#  @      #\n"
                          "#    ###  #\n"
                          "#  $   .  #\n"
                          "###########\n"),
              1);
    const int32_t mouth = square(4, 2), entry = square(5, 2);
    auto exits = [] {
        int32_t count = 0;
        for (int32_t s = 0; s < level.cellCount; ++s) count += corridorRules.corridorExit[s] != 0 ? 1 : 0;
        return count;
    };
    boardFromLevel();
    qm::corridorAnalysis();
    EXPECT_EQ(exits(), 0);  // no box can enter the corridor

    handover.t2StartMask[entry] = 1;
    qm::corridorAnalysis();
    EXPECT_EQ(corridorRules.corridorExit[mouth], square(6, 2));  // past the marked first square
    EXPECT_EQ(exits(), 1);
}

TEST(ConnectivityScore, CountsRegionsCutOffFromThePusher) {
    ASSERT_EQ(loadPicture("##############\n#@         $.#\n##############\n"), 1);
    boardFromLevel();
    wallsOnly();
    const int32_t p = square(1, 1);
    EXPECT_EQ(qm::connectivityScore(p), 4);
    const int32_t expected[] = {3, 2, 1, 0, 0};
    for (int32_t k = 0; k < 5; ++k) {
        handover.searchBoard[square(3 + 2 * k, 1)] = qm::BOX;
        EXPECT_EQ(qm::connectivityScore(p), expected[k]) << (k + 1) << " boxes";
    }
}

TEST(StepWriters, LongForwardChainIsWrittenOldestFirst) {
    ASSERT_EQ(loadPicture("########\n#@ $  .#\n########\n"), 1);
    boardFromLevel();
    handover.t2BoxCount = 1;
    qm::resetSteps();
    const int32_t a = square(3, 1), b = square(4, 1);
    // Far deeper than a recursive walk could go on a thread's stack.
    constexpr int32_t kDepth = 300'000;
    std::vector<qm::SearchNode> chain(kDepth);
    for (int32_t i = 0; i < kDepth; ++i) {
        chain[i] = qm::SearchNode{};
        chain[i].boxes[0] = static_cast<int16_t>(i % 2 == 0 ? b : a);
        chain[i].pusher = static_cast<int16_t>(square(1, 1) + i % 3);
        chain[i].movedBox = 0;
        chain[i].tag = qm::kForwardTag;
        chain[i].parent = i == 0 ? nullptr : &chain[i - 1];
    }
    qm::writeForwardSteps(&chain[kDepth - 1]);
    ASSERT_EQ(stepList.stepCount, kDepth);
    EXPECT_EQ(stepList.stepOverflow, 0);
    EXPECT_EQ(stepList.steps[0].from, a);
    EXPECT_EQ(stepList.steps[0].to, b);
    EXPECT_EQ(stepList.steps[1].from, b);
    EXPECT_EQ(stepList.steps[1].to, a);
    EXPECT_EQ(stepList.steps[12345].pusher, square(1, 1) + 12345 % 3);
    EXPECT_EQ(stepList.stepBoard[a], qm::BOX);  // depth is even: the box ends back on a
    EXPECT_EQ(stepList.stepBoard[b], 0);
    EXPECT_EQ(stepList.lastStepPusher, chain[kDepth - 1].pusher);
    qm::releaseSteps();
}

TEST(StepWriters, BackwardChainIsReplayedAsPushesTowardsTheRoot) {
    ASSERT_EQ(loadPicture("#########\n#@ $   .#\n#########\n"), 1);
    boardFromLevel();
    handover.t2BoxCount = 1;
    qm::resetSteps();
    const int32_t a = square(3, 1), b = square(4, 1), c = square(5, 1), g = square(7, 1);
    qm::appendStep(a, b, square(2, 1));  // the forward half ends with the box on b
    qm::SearchNode root{}, middle{}, meet{};
    root.boxes[0] = static_cast<int16_t>(g);
    root.pusher = static_cast<int16_t>(square(1, 1));
    root.movedBox = 1;  // a root moved no box
    root.tag = qm::kBackwardTag;
    middle.boxes[0] = static_cast<int16_t>(c);
    middle.pusher = static_cast<int16_t>(square(1, 1));
    middle.tag = qm::kBackwardTag;
    middle.parent = &root;
    meet.boxes[0] = static_cast<int16_t>(b);
    meet.pusher = static_cast<int16_t>(square(1, 1));
    meet.parent = &middle;
    qm::nodes.meetNode = &meet;
    qm::writeBackwardSteps();
    ASSERT_EQ(stepList.stepCount, 3);
    EXPECT_EQ(stepList.steps[1].from, b);
    EXPECT_EQ(stepList.steps[1].to, c);
    EXPECT_EQ(stepList.steps[2].from, c);
    EXPECT_EQ(stepList.steps[2].to, g);
    EXPECT_EQ(stepList.stepBoard[g], qm::BOX);
    qm::nodes.meetNode = nullptr;
    qm::releaseSteps();
}

// The expansion of a node never moves the box its parent moved; a root moves every box.
TEST(ForwardExpand, ParentsMovedBoxStaysInPlace) {
    ASSERT_EQ(qm::allocateBlocks(), 1);
    ASSERT_EQ(loadPicture("########\n"
                          "#      #\n"
                          "# $  $ #\n"
                          "# .  . #\n"
                          "#   @  #\n"
                          "########\n"),
              1);
    qm::prepareSolve();
    const int32_t n = handover.t2BoxCount;
    ASSERT_EQ(n, 2);
    qm::clearBlock2();
    qm::bindThread2Tables();
    qm::corral.clearingMode = 0;
    qm::control.stopFlag = 0;
    qm::control.solveDeadline = qm::nowSeconds() + 30;
    for (int32_t s = 0; s < level.cellCount; ++s) {
        qm::corral.t2CorralBoard[s] = handover.searchBoard[s] & qm::WALL;
    }
    qm::corridorAnalysis();
    std::memset(priorityTables.visitWeight, 0, sizeof(priorityTables.visitWeight));

    // Children of the start position stored with movedBox 0 (excluded) and n (none).
    for (const int32_t excluded : {0, n}) {
        SCOPED_TRACE(excluded);
        qm::resetTables();
        qm::nodes.forwardLists.clear();
        wallsOnly();
        for (int32_t j = 0; j < n; ++j) handover.t2Boxes[j] = handover.t2StartBoxes[j];
        qm::SearchNode* start = qm::nodeLookup(level.pusherSquare);
        qm::storeNode(start, level.pusherSquare, excluded, qm::kForwardTag, nullptr);
        qm::nodes.forwardLists.push(0, start);
        ASSERT_EQ(qm::forwardExpand(), 2);
        int32_t children = 0, movedFirst = 0;
        while (qm::SearchNode* child = qm::nodes.forwardLists.pop()) {
            ++children;
            EXPECT_EQ(child->parent, start);
            EXPECT_NE(child->movedBox, excluded);
            if (child->boxes[0] != start->boxes[0]) ++movedFirst;
        }
        EXPECT_GT(children, 0);
        if (excluded == 0) EXPECT_EQ(movedFirst, 0);
        else EXPECT_GT(movedFirst, 0);
        // The expansion leaves searchBoard without boxes.
        for (int32_t s = 0; s < level.cellCount; ++s) ASSERT_NE(handover.searchBoard[s], qm::BOX);
    }
}
