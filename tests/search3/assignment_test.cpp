#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "board/board.hpp"
#include "search3/assignment.hpp"
#include "support/test_support.hpp"

using qm::level;

// After one box moves, the cost worked out from the last assignment is what a full assignment
// of the new position costs, over many random moves and every square the box could move to.
TEST(Assignment, CostAfterOneMoveMatchesAFullAssignment) {
    ASSERT_EQ(qmtest::loadPicture("############\n"
                                  "#@ $  $  . #\n"
                                  "# $ .  $ . #\n"
                                  "#  $ ## .  #\n"
                                  "# . $  $ . #\n"
                                  "#  . $  .  #\n"
                                  "############\n"),
              1);
    std::vector<int32_t> walls(level.cellCount), goals, boxes, floor;
    for (int32_t s = 0; s < level.cellCount; ++s) {
        walls[s] = level.obstacleMap[s] == qm::WALL ? qm::WALL : 0;
        if (level.goalMap[s] != 0) goals.push_back(s);
        if (level.obstacleMap[s] == qm::BOX) boxes.push_back(s);
        if (walls[s] == 0) floor.push_back(s);
    }
    ASSERT_EQ(goals.size(), boxes.size());
    const int32_t n = static_cast<int32_t>(boxes.size());
    qm::prepareGoalDistances(qm::goalAssignment, walls.data(), goals.data(), n);
    std::mt19937 random(7);
    for (int32_t round = 0; round < 500; ++round) {
        qm::cheapestAssignment(qm::goalAssignment, boxes.data(), n);
        const int32_t j = static_cast<int32_t>(random() % n);
        qm::prepareMovedBoxes(qm::goalAssignment, boxes.data(), n);
        std::vector<int32_t> predicted;
        for (const int32_t t : floor) predicted.push_back(qm::costWithMovedBoxOn(qm::goalAssignment, j, t));
        const int32_t from = boxes[j];
        for (size_t k = 0; k < floor.size(); ++k) {
            boxes[j] = floor[k];
            ASSERT_EQ(predicted[k], qm::cheapestAssignment(qm::goalAssignment, boxes.data(), n))
                << "round " << round << ", square " << floor[k];
        }
        boxes[j] = round % 2 == 0 ? from : floor[random() % floor.size()];
    }
    // Every box on its own goal costs nothing; two boxes on one goal's dead-end cost more.
    EXPECT_EQ(qm::cheapestAssignment(qm::goalAssignment, goals.data(), n), 0);
}

// A box pulled from a square to a target needs as many pulls as it needs pushes from the target
// back to the square: the two distance tables are each other's mirror, on every pair of squares.
TEST(Assignment, PullDistancesMirrorPushDistances) {
    ASSERT_EQ(qmtest::loadPicture("##########\n"
                                  "#@   #   #\n"
                                  "# $  # . #\n"
                                  "#  ##    #\n"
                                  "#        #\n"
                                  "###   ####\n"
                                  "  #####   \n"),
              1);
    std::vector<int32_t> walls(level.cellCount), floor;
    for (int32_t s = 0; s < level.cellCount; ++s) {
        walls[s] = level.obstacleMap[s] == qm::WALL ? qm::WALL : 0;
        if (walls[s] == 0) floor.push_back(s);
    }
    qm::Assignment& pushed = qm::goalAssignment;
    static qm::Assignment pulled;
    const int32_t n = static_cast<int32_t>(floor.size());
    ASSERT_LE(n, qm::kMaxBoxes);
    qm::prepareDistances(pushed, walls.data(), floor.data(), n, qm::Travel::kPushed);
    qm::prepareDistances(pulled, walls.data(), floor.data(), n, qm::Travel::kPulled);
    int32_t reachable = 0, unreachable = 0;
    for (int32_t i = 0; i < n; ++i) {
        for (int32_t k = 0; k < n; ++k) {
            ASSERT_EQ(pulled.distance[i][floor[k]], pushed.distance[k][floor[i]]) << i << " " << k;
            (pushed.distance[k][floor[i]] < qm::kNoPath ? reachable : unreachable) += 1;
        }
    }
    EXPECT_GT(reachable, n);
    EXPECT_GT(unreachable, 0);
}
