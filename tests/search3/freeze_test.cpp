#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "board/board.hpp"
#include "search3/freeze_test.hpp"

using qm::level;

namespace {

// Asks whether the box at column x, row y of the picture (rows of equal width; a position the
// level loader would settle at once, so it is read here) is frozen with a box off goal.
bool frozenAt(const std::string& picture, int32_t x, int32_t y) {
    std::vector<std::string> rows;
    for (size_t start = 0; start < picture.size();) {
        const size_t end = picture.find('\n', start);
        rows.push_back(picture.substr(start, end - start));
        start = end + 1;
    }
    const int32_t w = static_cast<int32_t>(rows[0].size()), h = static_cast<int32_t>(rows.size());
    qm::setBoardGeometry(w, h);
    std::vector<int32_t> board(level.cellCount, 0), goalIndex(level.cellCount, -1);
    std::vector<uint8_t> dead(level.cellCount, 0);
    for (int32_t r = 0; r < h; ++r) {
        for (int32_t c = 0; c < w; ++c) {
            const char ch = rows[r][c];
            const int32_t s = r * w + c;
            if (ch == '#') board[s] = qm::WALL;
            if (ch == '$' || ch == '*') board[s] = qm::BOX;
            if (ch == '.' || ch == '*') goalIndex[s] = 0;
        }
    }
    const std::vector<int32_t> before = board;
    const bool frozen = qm::frozenOffGoal(board.data(), dead.data(), goalIndex.data(), y * w + x);
    EXPECT_EQ(board, before) << "the board is restored";
    return frozen;
}

}  // namespace

TEST(FreezeTest, BlocksOfBoxesAgainstWallsAndEachOther) {
    // Two boxes side by side along the top wall cannot move.
    EXPECT_TRUE(frozenAt("########\n#  $$  #\n#@   ..#\n########\n", 3, 1));
    // The same pair on goals is no deadlock.
    EXPECT_FALSE(frozenAt("########\n#  **  #\n#@     #\n########\n", 3, 1));
    // A square of four boxes in the open, one of them off its goal.
    EXPECT_TRUE(frozenAt("########\n#      #\n# $*   #\n# **  @#\n#     .#\n########\n", 2, 2));
    // A box beside a movable box is free.
    EXPECT_FALSE(frozenAt("########\n#      #\n# $$  .#\n#@    .#\n########\n", 2, 2));
    // Pushing a box beside a box along the wall freezes the neighbour off its goal.
    EXPECT_TRUE(frozenAt("#######\n#.$*  #\n#@   .#\n#######\n", 3, 1));
}
