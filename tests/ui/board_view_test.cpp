#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <vector>

#include "ui/fonts.hpp"
#include "ui_fixture.hpp"

namespace {

using qmtest::UiTest;
using qmtest::viewTileAtPixelIs;
using qmtest::viewTileIs;

constexpr qm::TilePlace kFloor{0, 0}, kGoal{1, 0}, kBox{4, 1}, kBoxOnGoal{4, 2};
constexpr qm::TilePlace kPusher{2, 0}, kWallInner{5, 1}, kWallFront{5, 2};

bool sameTile(qm::TilePlace a, qm::TilePlace b) {
    const qm::TileSheet& s = qm::tileSheet();
    for (int32_t j = 0; j < qm::kTileSize; ++j) {
        const uint8_t* pa = s.pixels + ((a.row * qm::kTileSize + j) * qm::kSheetWidth + a.column * qm::kTileSize) * 3;
        const uint8_t* pb = s.pixels + ((b.row * qm::kTileSize + j) * qm::kSheetWidth + b.column * qm::kTileSize) * 3;
        if (std::memcmp(pa, pb, qm::kTileSize * 3) != 0) return false;
    }
    return true;
}

TEST(TileSheet, EveryTileTheTableNamesLooksDifferent) {
    std::vector<qm::TilePlace> tiles;
    for (int32_t row = 0; row < qm::kSheetRows; ++row)
        for (int32_t column = 0; column < qm::kSheetColumns; ++column) tiles.push_back({column, row});
    for (size_t i = 0; i < tiles.size(); ++i)
        for (size_t j = i + 1; j < tiles.size(); ++j)
            EXPECT_FALSE(sameTile(tiles[i], tiles[j]))
                << "(" << tiles[i].column << "," << tiles[i].row << ") and (" << tiles[j].column << ","
                << tiles[j].row << ")";
}

TEST(TileSheet, CellTilesFollowCodeFacingAndWallRule) {
    EXPECT_TRUE(sameTile(qm::cellTile(qm::FLOOR, 3, false), kFloor));
    EXPECT_TRUE(sameTile(qm::cellTile(qm::GOAL, 2, false), kGoal));  // facing only for the pusher
    EXPECT_TRUE(sameTile(qm::cellTile(qm::BOX, 0, false), kBox));
    EXPECT_TRUE(sameTile(qm::cellTile(qm::BOX_ON_GOAL, 0, false), kBoxOnGoal));
    EXPECT_TRUE(sameTile(qm::cellTile(qm::PUSHER, 0, false), kPusher));
    const qm::TilePlace onFloor[4] = {{0, 1}, {1, 1}, {2, 1}, {3, 1}};
    const qm::TilePlace onGoal[4] = {{0, 2}, {1, 2}, {2, 2}, {3, 2}};
    for (int32_t f = 1; f <= 4; ++f) {
        EXPECT_TRUE(sameTile(qm::cellTile(qm::PUSHER, f, false), onFloor[f - 1])) << f;
        EXPECT_TRUE(sameTile(qm::cellTile(qm::PUSHER_ON_GOAL, f, false), onGoal[f - 1])) << f;
    }
    EXPECT_TRUE(sameTile(qm::cellTile(qm::PUSHER_ON_GOAL, 0, false), {3, 0}));
    EXPECT_TRUE(sameTile(qm::cellTile(qm::WALL, 0, true), kWallInner));
    EXPECT_TRUE(sameTile(qm::cellTile(qm::WALL, 0, false), kWallFront));
    EXPECT_TRUE(sameTile(qm::cellTile(qm::OUTSIDE, 0, false), qm::kBackgroundTile));
}

TEST_F(UiTest, SmallLevelIsCentredWithWallFaces) {
    // 20 x 10: origin (6, 5).
    ASSERT_EQ(qmtest::loadPicture(qmtest::room(20, 10, 3, 4, 5, 5, 8, 5)), 1);
    qm::drawStart(0);
    EXPECT_EQ(qm::boardView.columnOffset, 6);
    EXPECT_EQ(qm::boardView.rowOffset, 5);
    EXPECT_TRUE(viewTileIs(6, 5, kWallInner));    // corner: a wall below it
    EXPECT_TRUE(viewTileIs(7, 5, kWallFront));    // top wall above floor
    EXPECT_TRUE(viewTileIs(6, 14, kWallFront));   // the last row always shows the face
    EXPECT_TRUE(viewTileIs(6 + 3, 5 + 4, kPusher));
    EXPECT_TRUE(viewTileIs(6 + 5, 5 + 5, kBox));
    EXPECT_TRUE(viewTileIs(6 + 8, 5 + 5, kGoal));
    EXPECT_TRUE(viewTileIs(6 + 1, 5 + 1, kFloor));
    EXPECT_TRUE(viewTileIs(5, 5, qm::kBackgroundTile));
    EXPECT_TRUE(viewTileIs(26, 5, qm::kBackgroundTile));
    EXPECT_EQ(std::memcmp(qm::boardView.displayBoard, qm::level.levelCells, sizeof(int32_t) * 200), 0);
    EXPECT_GT(fake.viewUpdates, 0);
}

TEST_F(UiTest, WideLevelOriginFollowsThePusherSide) {
    ASSERT_EQ(qmtest::loadPicture(qmtest::room(50, 5, 40, 2, 3, 2, 5, 2)), 1);
    qm::drawStart(0);
    EXPECT_EQ(qm::boardView.columnOffset, -18);  // right edge: 50 - 40 < 16
    EXPECT_EQ(qm::boardView.rowOffset, 7);
    EXPECT_TRUE(viewTileIs(40 - 18, 2 + 7, kPusher));
    EXPECT_TRUE(viewTileIs(31, 7, kWallInner));  // level column 49 at the view's last column

    qm::placeOrigin(qmtest::square(20, 2));
    EXPECT_EQ(qm::boardView.columnOffset, -9);  // the centred value
    qm::placeOrigin(qmtest::square(15, 2));
    EXPECT_EQ(qm::boardView.columnOffset, 0);
    qm::placeOrigin(qmtest::square(35, 2));
    EXPECT_EQ(qm::boardView.columnOffset, -18);
    qm::placeOrigin(qmtest::square(34, 2));
    EXPECT_EQ(qm::boardView.columnOffset, -9);
}

TEST_F(UiTest, TallLevelOriginFollowsThePusherRow) {
    ASSERT_EQ(qmtest::loadPicture(qmtest::room(10, 50, 2, 45, 3, 3, 5, 3)), 1);
    qm::drawStart(0);
    EXPECT_EQ(qm::boardView.rowOffset, -30);
    EXPECT_EQ(qm::boardView.columnOffset, 11);
    qm::placeOrigin(qmtest::square(2, 30));
    EXPECT_EQ(qm::boardView.rowOffset, -15);
    qm::placeOrigin(qmtest::square(2, 9));
    EXPECT_EQ(qm::boardView.rowOffset, 0);
    qm::placeOrigin(qmtest::square(2, 41));
    EXPECT_EQ(qm::boardView.rowOffset, -30);
    qm::placeOrigin(qmtest::square(2, 40));
    EXPECT_EQ(qm::boardView.rowOffset, -15);
}

TEST_F(UiTest, SizeOverShowsTheLargePicture) {
    ASSERT_EQ(qmtest::loadPicture(qmtest::room(51, 5, 2, 2, 4, 2, 6, 2)), 4);
    qm::drawStart(4);
    EXPECT_TRUE(viewTileAtPixelIs(48, 96, qm::kBackgroundTile));
    EXPECT_TRUE(viewTileAtPixelIs(48 + 24 * 2, 96, kBox));
    EXPECT_TRUE(viewTileAtPixelIs(48 + 24 * 27, 96 + 24 * 11, qm::kBackgroundTile));
    EXPECT_TRUE(viewTileAtPixelIs(48 + 24 * 26, 96 + 24 * 11, kBox));
    // Any other mode on a level too large for the tables draws no cells at all.
    qm::drawStart(0);
    for (int32_t r = 0; r < qm::kViewRows; ++r)
        for (int32_t c = 0; c < qm::kViewColumns; ++c) ASSERT_TRUE(viewTileIs(c, r, qm::kBackgroundTile));
}

TEST_F(UiTest, LiveBoardShowsTheSnapshotWithFrozenGoalBoxes) {
    // The box on the goal in the corner is frozen at load; the other box is pushed right once.
    ASSERT_EQ(qmtest::loadPicture("######\n"
                                  "#*   #\n"
                                  "#@$ .#\n"
                                  "######"),
              1);
    const int32_t frozen = qmtest::square(1, 1), box = qmtest::square(2, 2);
    ASSERT_EQ(qm::level.obstacleMap[frozen], qm::WALL);
    qm::resetSolution();
    {
        std::lock_guard<std::mutex> guard(qm::solution.snapshotLock);
        qm::solution.replayBoard[box] = 0;
        qm::solution.replayBoard[box + 1] = qm::BOX;
        qm::solution.replayPusher = box;
    }
    qm::appendLetter(qm::RIGHT, true);
    qm::drawLive();
    const int32_t* shown = qm::boardView.displayBoard;
    EXPECT_EQ(shown[frozen], qm::BOX_ON_GOAL);
    EXPECT_EQ(shown[qmtest::square(1, 2)], qm::FLOOR);
    EXPECT_EQ(shown[box], qm::PUSHER);
    EXPECT_EQ(shown[box + 1], qm::BOX);
    EXPECT_EQ(shown[qmtest::square(4, 2)], qm::GOAL);
    const int32_t co = qm::boardView.columnOffset, ro = qm::boardView.rowOffset;
    EXPECT_TRUE(viewTileIs(co + 2, ro + 2, {1, 1}));  // pusher facing right
    EXPECT_TRUE(viewTileIs(co + 1, ro + 1, kBoxOnGoal));
}

TEST_F(UiTest, TitleScreenShowsTheSmallLevelAndMemoryState) {
    qm::drawTitleScreen();
    EXPECT_TRUE(viewTileAtPixelIs(528, 192 + 24, kWallInner));
    EXPECT_TRUE(viewTileAtPixelIs(528 + 24, 192 + 24, kWallFront));
    EXPECT_TRUE(viewTileAtPixelIs(528 + 24 * 3, 192 + 24, kWallInner));
    EXPECT_TRUE(viewTileAtPixelIs(528 + 24, 192 + 24 * 7, kPusher));
    EXPECT_TRUE(viewTileAtPixelIs(528 + 24 * 6, 192, qm::kBackgroundTile));
    EXPECT_TRUE(viewTileAtPixelIs(528 + 24 * 6, 192 + 24 * 8, kWallFront));
    if (!qm::drawViewText(0, 0, "", 20, qm::kFontSans, false, {})) GTEST_SKIP() << "no font";
    // Red appears only where "Out of memory." is written, and only when memory is missing.
    auto redPixels = [] {
        int32_t n = 0;
        for (int32_t y = 400; y < 436; ++y)
            for (int32_t x = 140; x < 400; ++x) {
                const qm::Rgb p = qmtest::viewPixel(x, y);
                if (p.red > 200 && p.green < 80 && p.blue < 80) ++n;
            }
        return n;
    };
    EXPECT_EQ(redPixels(), 0);
    qm::blocks.memoryReady = 0;
    qm::drawTitleScreen();
    EXPECT_GT(redPixels(), 50);
}

TEST_F(UiTest, RenderFunctionsWritePngFiles) {
    const auto folder = qmtest::freshFolder("render");
    std::string error;
    qm::level.levelVerdict = 0;
    EXPECT_FALSE(qm::renderStartPng((folder / "none.png").string(), error));
    EXPECT_FALSE(error.empty());
    ASSERT_EQ(qmtest::loadPicture(qmtest::room(8, 6, 2, 2, 4, 3, 5, 3)), 1);
    EXPECT_TRUE(qm::renderStartPng((folder / "level.png").string(), error)) << error;
    EXPECT_TRUE(qm::renderTitlePng((folder / "title.png").string(), error)) << error;
    const auto minimum = static_cast<uintmax_t>(qm::kViewWidth) * qm::kViewHeight * 3;
    EXPECT_GT(std::filesystem::file_size(folder / "level.png"), minimum);
    EXPECT_GT(std::filesystem::file_size(folder / "title.png"), minimum);
    std::filesystem::remove_all(folder);
}

}  // namespace
