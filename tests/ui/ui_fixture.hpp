#pragma once
// The shared setting of the user-interface tests: a recording window system, solver memory
// marked present, an empty solution and an idle window.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "board/board.hpp"
#include "board/solution.hpp"
#include "levels/sources.hpp"
#include "solver/blocks.hpp"
#include "solver/control.hpp"
#include "support/fake_window_system.hpp"
#include "support/test_support.hpp"
#include "ui/board_view.hpp"
#include "ui/settings.hpp"
#include "ui/state.hpp"
#include "ui/texts.hpp"
#include "ui/tiles.hpp"
#include "ui/trace.hpp"
#include "ui/view.hpp"
#include "ui/window_system.hpp"

namespace qmtest {

class UiTest : public ::testing::Test {
protected:
    FakeWindowScope scope;
    FakeWindowSystem& fake = scope.fake;

    void SetUp() override {
        qm::blocks.memoryReady = 1;  // the flag only: the tests never touch the blocks
        qm::windowState.solvingFlag = 0;
        qm::windowState.batchFlag = 0;
        qm::windowState.playingFlag = 0;
        qm::control.skipRequest = 0;
        qm::control.thread1State = 0;
        qm::control.thread2State = 0;
        qm::control.solverPhase = 0;
        qm::settings.traceSpeed = qm::kHighSpeed;
        qm::clearLevelSet();
        ASSERT_EQ(qm::allocateSolution(), 1);
        qm::clearSolution();
    }
    void TearDown() override { qm::blocks.memoryReady = 0; }

    // Opens a level set from text and runs the after-load step.
    void loadSet(const std::string& text) {
        qm::openText(text);
        qm::afterLoad();
    }
    // Makes letters the found solution of the loaded level and puts the trace at its start.
    void setSolution(const std::string& letters) {
        qm::resetSolution();
        for (char c : letters) qm::appendLetter(qm::letterDirection(c), qm::isPushLetter(c));
        qm::traceTop();
    }
    bool on(int32_t control) { return fake.enabled(control); }
};

// The colour of view pixel (x, y); x and y must lie inside the view.
inline qm::Rgb viewPixel(int32_t x, int32_t y) {
    const uint8_t* p = qm::view.pixels + (y * qm::kViewWidth + x) * 3;
    return qm::Rgb{p[0], p[1], p[2]};
}

// True when the tile drawn at view pixel (x, y) holds exactly the sheet's tile t.
inline bool viewTileAtPixelIs(int32_t x, int32_t y, qm::TilePlace t) {
    const qm::TileSheet& sheet = qm::tileSheet();
    for (int32_t j = 0; j < qm::kTileSize; ++j) {
        const uint8_t* v = qm::view.pixels + ((y + j) * qm::kViewWidth + x) * 3;
        const uint8_t* s = sheet.pixels +
                           ((t.row * qm::kTileSize + j) * qm::kSheetWidth + t.column * qm::kTileSize) * 3;
        if (std::memcmp(v, s, qm::kTileSize * 3) != 0) return false;
    }
    return true;
}
// The same for the tile at view column c, row r.
inline bool viewTileIs(int32_t c, int32_t r, qm::TilePlace t) {
    return viewTileAtPixelIs(c * qm::kTileSize, r * qm::kTileSize, t);
}

// A closed room of w x h squares (walls around floor) with the pusher, one box and one goal.
inline std::string room(int32_t w, int32_t h, int32_t pusherX, int32_t pusherY, int32_t boxX,
                        int32_t boxY, int32_t goalX, int32_t goalY) {
    std::string text;
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            char c = ' ';
            if (x == 0 || y == 0 || x == w - 1 || y == h - 1) c = '#';
            else if (x == pusherX && y == pusherY) c = '@';
            else if (x == boxX && y == boxY) c = '$';
            else if (x == goalX && y == goalY) c = '.';
            text += c;
        }
        text += '\n';
    }
    return text;
}

}  // namespace qmtest
