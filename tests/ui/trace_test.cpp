#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ui_fixture.hpp"

namespace {

using qmtest::UiTest;

const char* kOneLevel = "#######\n#@ $ .#\n#######\n";

std::vector<uint8_t> viewCopy() { return {qm::view.pixels, qm::view.pixels + sizeof qm::view.pixels}; }

bool displayIsStart() {
    return std::memcmp(qm::boardView.displayBoard, qm::level.levelCells,
                       sizeof(int32_t) * static_cast<size_t>(qm::level.cellCount)) == 0;
}

// Plays timer ticks until playback stops; returns the ticks played.
int32_t playToEnd() {
    int32_t ticks = 0;
    while (qm::windowState.playingFlag != 0 && ticks < 100000) {
        qm::traceTick();
        ++ticks;
    }
    return ticks;
}

TEST_F(UiTest, PlayThroughSolvesAndTopRestoresTheStart) {
    loadSet(qmtest::dataFile("small.txt"));
    const std::string letters = qmtest::lineOf(qmtest::dataFile("small.solutions.txt"), 1);
    ASSERT_GT(qm::levelSet.levelCount, 0);
    ASSERT_FALSE(letters.empty());
    setSolution(letters);
    const std::vector<uint8_t> start = viewCopy();

    qm::tracePlayToggle();
    EXPECT_EQ(fake.text(qm::kCtlPlay), "Pause");
    EXPECT_EQ(fake.runningTimers[qm::kTimerTrace], 5);
    EXPECT_TRUE(on(qm::kCtlPlay));
    EXPECT_FALSE(on(qm::kCtlTop));
    EXPECT_FALSE(on(qm::kCtlSample));
    EXPECT_EQ(playToEnd(), static_cast<int32_t>(letters.size()));

    // Playback paused itself at the end.
    EXPECT_FALSE(fake.timerRunning(qm::kTimerTrace));
    EXPECT_EQ(fake.text(qm::kCtlPlay), "Play");
    EXPECT_EQ(qm::trace.tracePos, qm::solution.moveCount);
    EXPECT_EQ(qm::trace.tracePushes, qm::solution.pushCount);
    EXPECT_EQ(fake.text(qm::kCtlMoves), qm::formatText("%d/%dm", int32_t(letters.size()), int32_t(letters.size())));
    for (int32_t s = 0; s < qm::level.cellCount; ++s) {
        const int32_t code = qm::boardView.displayBoard[s];
        EXPECT_FALSE((code & qm::BOX) != 0 && (code & qm::GOAL) == 0) << "box off its goal at " << s;
    }
    EXPECT_TRUE(on(qm::kCtlTop));
    EXPECT_FALSE(on(qm::kCtlPlay));

    qm::traceTop();
    EXPECT_TRUE(displayIsStart());
    EXPECT_TRUE(viewCopy() == start);
    EXPECT_EQ(fake.text(qm::kCtlMoves), qm::formatText("0/%dm", int32_t(letters.size())));
    EXPECT_EQ(fake.text(qm::kCtlPushes), qm::formatText("0/%dp", int32_t(qm::solution.pushCount)));
}

TEST_F(UiTest, BackStepsUndoPushesAndEndWithoutFacing) {
    loadSet(kOneLevel);
    setSolution("rRR");
    for (int32_t i = 0; i < 3; ++i) qm::traceForward();
    EXPECT_EQ(fake.text(qm::kCtlPushes), "2/2p");
    EXPECT_EQ(qm::boardView.displayBoard[qmtest::square(5, 1)], qm::BOX_ON_GOAL);

    qm::traceBack();
    EXPECT_EQ(qm::trace.tracePushes, 1);
    EXPECT_EQ(fake.text(qm::kCtlMoves), "2/3m");
    EXPECT_EQ(fake.text(qm::kCtlPushes), "1/2p");
    EXPECT_EQ(qm::boardView.displayBoard[qmtest::square(5, 1)], qm::GOAL);
    EXPECT_EQ(qm::boardView.displayBoard[qmtest::square(4, 1)], qm::BOX);
    EXPECT_EQ(qm::boardView.displayBoard[qmtest::square(3, 1)], qm::PUSHER);
    const int32_t co = qm::boardView.columnOffset, ro = qm::boardView.rowOffset;
    EXPECT_TRUE(qmtest::viewTileIs(co + 3, ro + 1, {1, 1}));  // still facing right

    qm::traceBack();
    qm::traceBack();
    EXPECT_EQ(fake.text(qm::kCtlPushes), "0/2p");
    EXPECT_TRUE(displayIsStart());
    EXPECT_TRUE(qmtest::viewTileIs(co + 1, ro + 1, {2, 0}));  // the pusher without a facing
    EXPECT_FALSE(on(qm::kCtlBack));

    const int32_t updates = fake.viewUpdates;
    qm::traceBack();  // at the start: nothing
    EXPECT_EQ(qm::trace.tracePos, 0);
    EXPECT_EQ(fake.viewUpdates, updates);
}

TEST_F(UiTest, ForwardAtTheEndDoesNothing) {
    loadSet(kOneLevel);
    setSolution("rRR");
    for (int32_t i = 0; i < 3; ++i) qm::traceForward();
    std::vector<int32_t> board(qm::boardView.displayBoard, qm::boardView.displayBoard + qm::level.cellCount);
    const int32_t updates = fake.viewUpdates;
    qm::traceForward();
    EXPECT_EQ(qm::trace.tracePos, 3);
    EXPECT_EQ(qm::trace.tracePushes, 2);
    EXPECT_EQ(fake.viewUpdates, updates);
    EXPECT_TRUE(std::equal(board.begin(), board.end(), qm::boardView.displayBoard));
    EXPECT_EQ(fake.text(qm::kCtlMoves), "3/3m");
}

TEST_F(UiTest, PauseStopsTheTimerAndSpeedsSetThePeriod) {
    loadSet(kOneLevel);
    setSolution("rRR");
    const int32_t periods[4] = {600, 200, 60, 5};
    for (int32_t speed = 0; speed < 4; ++speed) {
        qm::settings.traceSpeed = speed;
        qm::tracePlayToggle();
        EXPECT_EQ(fake.runningTimers[qm::kTimerTrace], periods[speed]);
        EXPECT_EQ(qm::windowState.playingFlag, 1);
        qm::tracePlayToggle();
        EXPECT_FALSE(fake.timerRunning(qm::kTimerTrace));
        EXPECT_EQ(qm::windowState.playingFlag, 0);
        EXPECT_EQ(fake.text(qm::kCtlPlay), "Play");
    }
    qm::tracePlayToggle();
    qm::traceTick();
    EXPECT_EQ(qm::trace.tracePos, 1);
    EXPECT_EQ(qm::windowState.playingFlag, 1);
    EXPECT_EQ(playToEnd(), 2);
    EXPECT_EQ(qm::trace.tracePos, 3);
}

TEST_F(UiTest, LargeLevelScrollsToKeepThePusherInView) {
    ASSERT_EQ(qmtest::loadPicture(qmtest::room(50, 50, 1, 1, 10, 10, 11, 10)), 1);
    qm::levelSet.levelCount = 1;
    const std::string letters = std::string(47, 'r') + std::string(47, 'd') + std::string(47, 'l') +
                                std::string(47, 'u');
    setSolution(letters);
    EXPECT_EQ(qm::boardView.columnOffset, 0);
    EXPECT_EQ(qm::boardView.rowOffset, 0);
    const int32_t facingTile[4][2] = {{0, 1}, {1, 1}, {2, 1}, {3, 1}};
    auto checkPusher = [&](int32_t facing) {
        const int32_t px = qm::trace.tracePusher % 50, py = qm::trace.tracePusher / 50;
        const int32_t vc = px + qm::boardView.columnOffset, vr = py + qm::boardView.rowOffset;
        ASSERT_TRUE(vc >= 0 && vc < 32 && vr >= 0 && vr < 20) << px << "," << py;
        ASSERT_TRUE(qmtest::viewTileIs(vc, vr, {facingTile[facing - 1][0], facingTile[facing - 1][1]}));
    };
    for (size_t i = 0; i < letters.size(); ++i) {
        qm::traceForward();
        checkPusher(qm::letterDirection(letters[i]) + 1);
        const int32_t vc = qm::trace.tracePusher % 50 + qm::boardView.columnOffset;
        const int32_t vr = qm::trace.tracePusher / 50 + qm::boardView.rowOffset;
        // The view follows one cell at a time, keeping a margin until the board's edge shows.
        const int32_t co = qm::boardView.columnOffset, ro = qm::boardView.rowOffset;
        switch (letters[i]) {
            case 'r': EXPECT_TRUE(vc <= 27 || co == -18) << i; break;
            case 'd': EXPECT_TRUE(vr <= 15 || ro == -30) << i; break;
            case 'l': EXPECT_TRUE(vc >= 5 || co == 0) << i; break;
            default: EXPECT_TRUE(vr >= 5 || ro == 0) << i; break;
        }
        if (i == 46) { EXPECT_EQ(co, -18); }
        if (i == 93) { EXPECT_EQ(ro, -30); }
    }
    EXPECT_EQ(qm::boardView.columnOffset, 0);
    EXPECT_EQ(qm::boardView.rowOffset, 0);
    // Stepping back scrolls the other way.
    for (int32_t i = 0; i < 47 + 40; ++i) qm::traceBack();
    EXPECT_EQ(qm::trace.tracePusher, qmtest::square(41, 48));
    EXPECT_EQ(qm::boardView.rowOffset, -30);
    EXPECT_EQ(qm::boardView.columnOffset, 27 - 41);
    checkPusher(4);  // stepping back keeps the letter's facing
}

}  // namespace
