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
    qm::prepareGoalDistances(walls.data(), goals.data(), n);
    std::mt19937 random(7);
    for (int32_t round = 0; round < 500; ++round) {
        qm::cheapestAssignment(boxes.data(), n);
        const int32_t j = static_cast<int32_t>(random() % n);
        qm::prepareMovedBoxes(boxes.data(), n);
        std::vector<int32_t> predicted;
        for (const int32_t t : floor) predicted.push_back(qm::costWithMovedBoxOn(j, t));
        const int32_t from = boxes[j];
        for (size_t k = 0; k < floor.size(); ++k) {
            boxes[j] = floor[k];
            ASSERT_EQ(predicted[k], qm::cheapestAssignment(boxes.data(), n))
                << "round " << round << ", square " << floor[k];
        }
        boxes[j] = round % 2 == 0 ? from : floor[random() % floor.size()];
    }
    // Every box on its own goal costs nothing; two boxes on one goal's dead-end cost more.
    EXPECT_EQ(qm::cheapestAssignment(goals.data(), n), 0);
}
