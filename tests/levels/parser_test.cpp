#include <gtest/gtest.h>

#include <string>

#include "board/board.hpp"
#include "levels/parser.hpp"
#include "support/test_support.hpp"

using qm::level;
using qmtest::loadPicture;

namespace {

const char* kSmall =
    "#####\n"
    "#@$.#\n"
    "#####\n";

std::string indent(const std::string& rows, const std::string& margin) {
    std::string out;
    size_t start = 0;
    while (start < rows.size()) {
        const size_t end = rows.find('\n', start);
        out += margin + rows.substr(start, end - start) + "\n";
        start = end + 1;
    }
    return out;
}

}  // namespace

TEST(Parser, IndentedLevelLoadsLikeUnindented) {
    const std::string rows = "  ####\n###  #\n#@$. #\n######\n";
    ASSERT_EQ(loadPicture(rows), 1);
    const int32_t width = level.boardWidth, height = level.boardHeight, pusher = level.pusherSquare;
    int32_t cells[qm::kMaxSquares];
    std::copy(level.levelCells, level.levelCells + level.cellCount, cells);
    for (const char* margin : {"  ", "--", "__", "- _"}) {
        ASSERT_EQ(loadPicture(indent(rows, margin)), 1) << margin;
        EXPECT_EQ(level.boardWidth, width);
        EXPECT_EQ(level.boardHeight, height);
        EXPECT_EQ(level.pusherSquare, pusher);
        EXPECT_TRUE(std::equal(cells, cells + width * height, level.levelCells)) << margin;
    }
}

TEST(Parser, WidthCountsNonFloorColumnsOnly) {
    // Trailing floor beyond column 50 is not part of the level.
    std::string wide = std::string("#####") + std::string(60, ' ') + "\n#@$.#\n#####\n";
    EXPECT_EQ(loadPicture(wide), 1);
    EXPECT_EQ(level.boardWidth, 5);
    // A wall in the 51st column makes it too large.
    std::string over = "#####\n#@$.#\n#####" + std::string(45, ' ') + "#\n";
    EXPECT_EQ(loadPicture(over), 4);
    EXPECT_EQ(level.boardWidth, 51);
    EXPECT_EQ(level.boxCount, 1);
}

TEST(Parser, ValidityNeedsThreeRowsOneBoxOneGoalOnePusher) {
    EXPECT_EQ(loadPicture(kSmall), 1);
    EXPECT_EQ(qm::parseLevel("#####\n#@$.#\n", 0), 0);             // two rows
    EXPECT_EQ(qm::parseLevel("#####\n#@@.#\n#####\n", 0), 0);      // no box, two pushers
    EXPECT_EQ(qm::parseLevel("######\n#@$.@#\n######\n", 0), 0);   // two pushers
    EXPECT_EQ(qm::parseLevel("######\n#+$.@#\n######\n", 0), 0);   // "+" is a pusher too
    EXPECT_EQ(qm::parseLevel("#####\n#@  #\n#####\n", 0), 0);      // nothing to do
    EXPECT_EQ(qm::parseLevel(kSmall, 0), 1);
}

TEST(Parser, VerdictsInTheirOrder) {
    // An open level is irregular even with matching boxes and goals.
    EXPECT_EQ(loadPicture("#####\n #@$. \n#####\n"), 6);
    // A gap only behind walls the pusher cannot pass is sealed away.
    EXPECT_EQ(loadPicture("#######\n#@$.# \n#######\n"), 1);
    EXPECT_EQ(level.levelCells[qmtest::square(5, 1)], qm::OUTSIDE);
    EXPECT_EQ(level.obstacleMap[qmtest::square(5, 1)], qm::WALL);
    // Three boxes and four goals.
    EXPECT_EQ(loadPicture("#######\n#@$$$ #\n#.... #\n#######\n"), 6);
    // A box in a corner off goal.
    EXPECT_EQ(loadPicture("#####\n#$  #\n# @.#\n#####\n"), 7);
    // Mismatched counts win over a frozen box.
    EXPECT_EQ(loadPicture("#####\n#$ .#\n# @.#\n#####\n"), 6);
}

TEST(Parser, AlreadySolvedTextLoads) {
    EXPECT_EQ(loadPicture("#####\n#@* #\n#####\n"), 1);
    EXPECT_EQ(level.alreadySolved, 1);
    EXPECT_EQ(level.activeBoxCount, 0);  // the box on goal can never move: frozen into wall
    EXPECT_EQ(loadPicture(kSmall), 1);
    EXPECT_EQ(level.alreadySolved, 0);
}

TEST(Parser, SixtyFiveActiveBoxesAreBoxesOver) {
    // A 50 x 12 room: boxes on every other square of rows 2, 4, 6, 8; goals fill rows 1, 3, 5.
    const int w = 50, h = 12;
    std::string grid(static_cast<size_t>(w * h), ' ');
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (x == 0 || y == 0 || x == w - 1 || y == h - 1) grid[static_cast<size_t>(y * w + x)] = '#';
        }
    }
    auto at = [&](int x, int y) -> char& { return grid[static_cast<size_t>(y * w + x)]; };
    int boxes = 0;
    for (int y = 2; y <= 8; y += 2) {
        for (int x = 2; x <= 46 && boxes < 65; x += 2) {
            at(x, y) = '$';
            ++boxes;
        }
    }
    int goals = 0;
    for (int y = 9; y <= 10; ++y) {
        for (int x = 1; x <= 48 && goals < boxes; ++x) {
            at(x, y) = '.';
            ++goals;
        }
    }
    at(48, 1) = '@';
    auto text = [&]() {
        std::string rows;
        for (int y = 0; y < h; ++y) rows += grid.substr(static_cast<size_t>(y * w), w) + "\n";
        return rows;
    };
    ASSERT_EQ(boxes, 65);
    EXPECT_EQ(loadPicture(text()), 5);
    // Turning one box and its goal into a box on goal in a corner leaves 64 active boxes.
    at(38, 6) = ' ';   // the last box placed
    at(17, 10) = ' ';  // the last goal placed
    at(1, 1) = '*';
    EXPECT_EQ(loadPicture(text()), 1);
    EXPECT_EQ(level.boxCount, 65);
    EXPECT_EQ(level.activeBoxCount, 64);
}

TEST(Parser, FiftyByFiftyLoadsAndFiftyOneIsSizeOver) {
    auto room = [](int w, int h) {
        std::string rows;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                char c = (x == 0 || y == 0 || x == w - 1 || y == h - 1) ? '#' : ' ';
                if (y == 1 && x == 1) c = '@';
                if (y == 2 && x == 2) c = '$';
                if (y == 3 && x == 3) c = '.';
                rows += c;
            }
            rows += '\n';
        }
        return rows;
    };
    EXPECT_EQ(loadPicture(room(50, 50)), 1);
    EXPECT_EQ(level.cellCount, 2500);
    EXPECT_EQ(loadPicture(room(51, 50)), 4);
    EXPECT_EQ(loadPicture(room(50, 51)), 4);
    EXPECT_EQ(level.boardHeight, 51);
    EXPECT_EQ(loadPicture(room(60, 60)), 4);
}

TEST(Parser, DirectionTablesFollowTheWidth) {
    ASSERT_EQ(loadPicture("#######\n#@ $ .#\n#######\n"), 1);
    const int32_t dirs[4] = {-7, 1, 7, -1};
    const int32_t ring[8] = {-7, -6, 1, 8, 7, 6, -1, -8};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(level.dirOffset[i], dirs[i]);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(level.ringOffset[i], ring[i]);
    EXPECT_EQ(level.dirBitOffset[1], -7);
    EXPECT_EQ(level.dirBitOffset[8], -1);
}

TEST(Parser, LineEndsAndSeparators) {
    // A letter among walls makes the line a separator, ending the level above it.
    EXPECT_EQ(qm::parseLevel("#####\n#@$.#\n#####\n#a###\n", 0), 1);
    EXPECT_EQ(qm::parseLevel("#####\n#@$.#\n#a###\n#####\n", 0), 0);
    // A tab disqualifies a row.
    EXPECT_EQ(qm::parseLevel("#####\n#@$.\t#\n#####\n", 0), 0);
    // CR LF is one line end; CR alone and VT too.
    EXPECT_EQ(qm::parseLevel("#####\r\n#@$.#\r\n#####\r\n", 0), 1);
    EXPECT_EQ(qm::parseLevel("#####\r#@$.#\r#####", 0), 1);
    EXPECT_EQ(qm::parseLevel("#####\v#@$.#\v#####\v", 0), 1);
    // Once a VT has ended a row, CR LF leaves an empty line: the level ends at the first CR LF.
    EXPECT_EQ(qm::parseLevel("#####\v#@$.#\r\n#####\n", 0), 0);
    EXPECT_EQ(loadPicture("; title\n\n#####\v#@$.#\v#####\r\n#####\n"), 1);
    EXPECT_EQ(level.boardHeight, 3);
}

TEST(Parser, NulBytesAndBinaryNeverCrash) {
    const std::string withNul("#####\n#@$.#\n###\0##\n#####\n", 24);
    EXPECT_EQ(qm::parseLevel(withNul.data(), withNul.data() + withNul.size(), 0), 0);
    std::string noise;
    uint32_t x = 12345;
    for (int i = 0; i < 100000; ++i) {
        x = x * 1103515245u + 12345u;
        noise += "#@$.*+ -_\n\r\v\t\0x"[(x >> 16) % 16];
    }
    for (size_t start = 0; start < noise.size(); start += 997) {
        const int32_t v = qm::parseLevel(noise.data() + start, noise.data() + noise.size(), 1);
        EXPECT_TRUE(v == 0 || v == 1 || (v >= 4 && v <= 7));
    }
}
