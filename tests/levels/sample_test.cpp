#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "board/board.hpp"
#include "board/fills.hpp"
#include "levels/parser.hpp"
#include "levels/sample.hpp"
#include "levels/sources.hpp"
#include "support/test_support.hpp"

using qm::level;
using qm::levelSet;

namespace {

int32_t countCells(int32_t code) {
    int32_t n = 0;
    for (int32_t s = 0; s < level.cellCount; ++s) n += level.levelCells[s] == code;
    return n;
}

bool isBlocked(int32_t s) {
    return level.levelCells[s] == qm::WALL || level.levelCells[s] == qm::OUTSIDE;
}

// True when closing square door cuts the pusher (boxes passable) off from every goal while
// leaving every box on its side, and the goals form one region behind it.
bool separatesBoxesFromGoals(int32_t door) {
    static int32_t board[qm::kMaxSquares], reach[qm::kMaxSquares], behind[qm::kMaxSquares];
    if (isBlocked(door) || door == level.pusherStart) return false;
    int32_t firstGoal = -1;
    for (int32_t s = 0; s < level.cellCount; ++s) {
        board[s] = isBlocked(s) || s == door ? qm::WALL : 0;
        reach[s] = behind[s] = 0;
        if (firstGoal < 0 && (level.levelCells[s] & qm::GOAL) != 0 && !isBlocked(s)) firstGoal = s;
    }
    qm::reachFill(board, reach, level.pusherStart);
    qm::reachFill(board, behind, firstGoal);
    for (int32_t s = 0; s < level.cellCount; ++s) {
        const int32_t c = level.levelCells[s];
        if (isBlocked(s)) continue;
        if ((c & qm::BOX) != 0 && !reach[s]) return false;
        if ((c & qm::GOAL) != 0 && (reach[s] || !behind[s])) return false;
    }
    return true;
}

// True when the walls of door lie on two opposite sides, so it is one square wide.
bool isOneSquareWide(int32_t door) {
    const int32_t* d = level.dirOffset;
    return (isBlocked(door + d[qm::UP]) && isBlocked(door + d[qm::DOWN])) ||
           (isBlocked(door + d[qm::LEFT]) && isBlocked(door + d[qm::RIGHT]));
}

// The number of one-square-wide squares that separate the boxes from the goals.
int32_t narrowSeparators() {
    int32_t n = 0;
    for (int32_t s = 0; s < level.cellCount; ++s) {
        n += separatesBoxesFromGoals(s) && isOneSquareWide(s);
    }
    return n;
}

std::string sampleSolutions() {
    const auto path = std::filesystem::path(__FILE__).parent_path().parent_path() / "data" /
                      "sample_solutions.txt";
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

}  // namespace

TEST(Sample, TextHasSixTitledLevelsInAShortText) {
    const std::string text(qm::sampleText());
    EXPECT_LE(text.size(), qm::kShortTextBytes);
    EXPECT_EQ(text.find('\r'), std::string::npos);
    EXPECT_EQ(text.back(), '\n');
    for (int32_t k = 1; k <= qm::kSampleLevels; ++k) {
        const std::string label = "Quillmate Basics #" + std::to_string(k);
        EXPECT_EQ(qm::sampleLabel(k), label);
        // The title line and a blank line, then the level's first row.
        const std::string title = "; " + label + "\n\n";
        const size_t at = text.find(title);
        ASSERT_NE(at, std::string::npos) << k;
        const char* row = text.c_str() + at + title.size();
        EXPECT_TRUE(qm::isRowLine(row, row + std::strcspn(row, "\n"))) << k;
        EXPECT_EQ(qm::parseLevel(row, 0), qm::kLevelOk) << k;
    }
    EXPECT_STREQ(qm::sampleLabel(0), "");
    EXPECT_STREQ(qm::sampleLabel(qm::kSampleLevels + 1), "");
}

TEST(Sample, EveryLevelLoadsSolvableWithEveryBoxActive) {
    ASSERT_EQ(qm::openSample(), 1);
    EXPECT_EQ(levelSet.levelSetName, "Sample");
    ASSERT_EQ(levelSet.levelCount, qm::kSampleLevels);
    for (int32_t k = 1; k <= qm::kSampleLevels; ++k) {
        qm::goToLevel(k);
        ASSERT_EQ(levelSet.currentLevel, k);
        EXPECT_EQ(level.levelVerdict, qm::kLevelOk) << k;
        EXPECT_EQ(level.activeBoxCount, level.boxCount) << k;
        EXPECT_EQ(level.alreadySolved, 0) << k;
    }
}

TEST(Sample, LevelsShowTheirDesignedFeatures) {
    ASSERT_EQ(qm::openSample(), 1);

    qm::goToLevel(1);  // a warm-up
    EXPECT_GE(level.boxCount, 2);
    EXPECT_LE(level.boxCount, 3);

    qm::goToLevel(2);  // boxes travel through a corridor of several squares
    EXPECT_GE(narrowSeparators(), 5);

    qm::goToLevel(3);  // every goal behind a one-square door, every box outside
    EXPECT_GE(narrowSeparators(), 1);

    qm::goToLevel(4);
    EXPECT_GE(level.boxCount, 10);

    // A box on a goal, among other boxes, is the only box the pusher can reach at first, so
    // every solution moves it.
    qm::goToLevel(5);
    EXPECT_EQ(countCells(qm::BOX_ON_GOAL), 1);
    EXPECT_GE(countCells(qm::BOX), 2);
    static int32_t reach[qm::kMaxSquares];
    qm::pusherFill(level.obstacleMap, reach);
    int32_t touched = 0;
    for (int32_t s = 0; s < level.cellCount; ++s) {
        if (!reach[s]) continue;
        for (int32_t d = 0; d < 4; ++d) {
            const int32_t n = s + level.dirOffset[d];
            if (level.obstacleMap[n] != qm::BOX) continue;
            EXPECT_EQ(level.levelCells[n], qm::BOX_ON_GOAL);
            ++touched;
        }
    }
    EXPECT_GE(touched, 1);

    qm::goToLevel(6);  // larger than the board view, with a few boxes
    EXPECT_TRUE(level.boardWidth > 32 || level.boardHeight > 20);
    EXPECT_LE(level.boardWidth, qm::kMaxSide);
    EXPECT_LE(level.boardHeight, qm::kMaxSide);
    EXPECT_LE(level.boxCount, 6);
}

TEST(Sample, SolutionFileHoldsOneMoveStringPerLevel) {
    const std::string text = sampleSolutions();
    ASSERT_FALSE(text.empty());
    int32_t lines = 0;
    for (char c : text) lines += c == '\n';
    EXPECT_EQ(lines, qm::kSampleLevels);
    ASSERT_EQ(qm::openSample(), 1);
    for (int32_t k = 1; k <= qm::kSampleLevels; ++k) {
        const std::string moves = qmtest::lineOf(text, k);
        ASSERT_FALSE(moves.empty()) << k;
        EXPECT_EQ(moves.find_first_not_of("urdlURDL"), std::string::npos) << k;
        qm::goToLevel(k);
        int32_t pushes = 0;
        for (char c : moves) pushes += qm::isPushLetter(c);
        EXPECT_GE(pushes, countCells(qm::BOX)) << k;  // each box off goal is pushed at least once
    }
}
