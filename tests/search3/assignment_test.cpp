#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "board/board.hpp"
#include "search3/assignment.hpp"
#include "support/test_support.hpp"

using qm::level;

// After one box moves, the assignment repaired by one augmenting path costs what a full
// assignment of the new position costs, over many random moves.
TEST(Assignment, RepairAfterOneMoveMatchesAFullAssignment) {
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
        boxes[j] = floor[random() % floor.size()];
        const int32_t repaired = qm::reassignMovedBox(boxes.data(), n, j);
        EXPECT_EQ(repaired, qm::cheapestAssignment(boxes.data(), n)) << "round " << round;
    }
    // Every box on its own goal costs nothing; two boxes on one goal's dead-end cost more.
    EXPECT_EQ(qm::cheapestAssignment(goals.data(), n), 0);
}
