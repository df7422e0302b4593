#include "ui/board_view.hpp"

#include "board/solution.hpp"
#include "solver/blocks.hpp"
#include "solver/control.hpp"
#include "ui/fonts.hpp"
#include "ui/texts.hpp"
#include "ui/tiles.hpp"
#include "ui/view.hpp"
#include "ui/window_system.hpp"

namespace qm {

BoardView boardView;

namespace {

// A picture drawn from tiles: rows of digits, each the display code whose facing-0 tile is drawn.
struct Picture {
    int32_t columns, rows;
    int32_t left, top;       // view pixel of the first tile
    const char* digits;      // columns * rows digits, row after row
    bool wallRule;           // walls pick inner or front tiles by the digit below them
};

// "SIZE" over "OVER" in boxes: shown for a level larger than 50 x 50.
constexpr Picture kLargePicture{28, 12, 48, 96,
                                "6622226622222662222266222226"
                                "6266666666266666662666266666"
                                "6622266666266666626666222266"
                                "6666626666266666266666266666"
                                "6222266622222662222266222226"
                                "6666666666666666666666666666"
                                "6666666666666666666666666666"
                                "6622266626662662222266222266"
                                "6266626626662662666666266626"
                                "6266626626662662222666222266"
                                "6266626662626662666666266266"
                                "6622266666266662222266266626",
                                false};

constexpr Picture kQuestionMark{5, 7, 312, 144,
                                "62226"
                                "26662"
                                "66626"
                                "66626"
                                "66626"
                                "66666"
                                "66266",
                                false};

// A small L-shaped level of three boxes for the title screen; its top row stays clear of the
// text line above it.
constexpr Picture kSmallLevel{7, 9, 528, 192,
                              "6666666"
                              "8888666"
                              "8008666"
                              "8028666"
                              "8018888"
                              "8020008"
                              "8010208"
                              "8400108"
                              "8888888",
                              true};

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kLightYellow{255, 255, 100};
constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kDarkBlue{0, 0, 80};

void drawPicture(const Picture& picture) {
    for (int32_t r = 0; r < picture.rows; ++r) {
        for (int32_t c = 0; c < picture.columns; ++c) {
            const int32_t code = picture.digits[r * picture.columns + c] - '0';
            const bool wallBelow = picture.wallRule && r + 1 < picture.rows &&
                                   picture.digits[(r + 1) * picture.columns + c] - '0' == WALL;
            drawTile(cellTile(code, kFacingNone, wallBelow), picture.left + c * kTileSize,
                     picture.top + r * kTileSize);
        }
    }
}

// True when the loaded level's size fits the tables, so that its cells may be drawn.
bool levelDrawable() {
    const int32_t w = level.boardWidth, h = level.boardHeight;
    return w > 0 && h > 0 && w <= kMaxSide && h <= kMaxSide;
}

// Draws every cell of the display board that falls inside the view; the pusher's tile uses facing.
void drawCells(int32_t facing) {
    if (!levelDrawable()) return;
    const int32_t w = level.boardWidth, h = level.boardHeight;
    const int32_t* board = boardView.displayBoard;
    for (int32_t y = 0; y < h; ++y) {
        const int32_t vr = y + boardView.rowOffset;
        if (vr < 0 || vr >= kViewRows) continue;
        for (int32_t x = 0; x < w; ++x) {
            const int32_t vc = x + boardView.columnOffset;
            if (vc < 0 || vc >= kViewColumns) continue;
            const int32_t s = y * w + x;
            const bool wallBelow = y + 1 < h && board[s + w] == WALL;
            drawTile(cellTile(board[s], facing, wallBelow), vc * kTileSize, vr * kTileSize);
        }
    }
}

// The facing a move letter gives the pusher: u/U 1, r/R 2, d/D 3, l/L 4; 0 for anything else.
int32_t facingOfLetter(char letter) {
    const int32_t d = letterDirection(letter);
    return d < 0 ? kFacingNone : d + 1;
}

}  // namespace

void placeOrigin(int32_t pusherSquare) {
    const int32_t w = level.boardWidth, h = level.boardHeight;
    const int32_t px = w > 0 ? pusherSquare % w : 0, py = w > 0 ? pusherSquare / w : 0;
    int32_t columnOffset = (kViewColumns - w) / 2;
    int32_t rowOffset = (kViewRows - h) / 2;
    if (columnOffset < 0) {
        if (px > 15) {
            if (w - px < 16) columnOffset = kViewColumns - w;
        } else {
            columnOffset = 0;
        }
    }
    if (rowOffset < 0) {
        if (py > 9) {
            if (h - py < 10) rowOffset = kViewRows - h;
        } else {
            rowOffset = 0;
        }
    }
    boardView.columnOffset = columnOffset;
    boardView.rowOffset = rowOffset;
}

void drawStart(int32_t mode) {
    fillViewBackground();
    if (mode == kResultSizeOver) {
        drawPicture(kLargePicture);
    } else if (levelDrawable()) {
        const int32_t cells = level.boardWidth * level.boardHeight;
        int32_t pusher = 0;
        for (int32_t s = 0; s < cells; ++s) {
            boardView.displayBoard[s] = level.levelCells[s];
            if ((level.levelCells[s] & PUSHER) != 0) pusher = s;
        }
        placeOrigin(pusher);
        drawCells(kFacingNone);
    }
    windowSystem().viewChanged();
}

void drawLive() {
    fillViewBackground();
    if (levelDrawable()) {
        // Only the snapshot is read: a solver thread may be writing the solution meanwhile.
        LiveSnapshot& live = boardView.live;
        takeLiveSnapshot(live);
        const int32_t cells = level.boardWidth * level.boardHeight;
        for (int32_t s = 0; s < cells; ++s) {
            const int32_t cell = level.levelCells[s];
            int32_t code = cell & (GOAL | WALL | OUTSIDE);
            if (cell == BOX_ON_GOAL && level.obstacleMap[s] == WALL) {
                code = BOX_ON_GOAL;  // frozen on its goal at load
            } else if (live.replayBoard[s] == BOX) {
                code |= BOX;
            }
            boardView.displayBoard[s] = code;
        }
        const int32_t pusher = live.replayPusher >= 0 && live.replayPusher < cells ? live.replayPusher : 0;
        boardView.displayBoard[pusher] |= PUSHER;
        placeOrigin(pusher);
        drawCells(facingOfLetter(live.lastLetter));
    }
    windowSystem().viewChanged();
}

void drawTraceStep(int32_t facing, int32_t direction) {
    const int32_t w = level.boardWidth, h = level.boardHeight;
    if (facing != kFacingNone && (w > kViewColumns || h > kViewRows) && levelDrawable()) {
        int32_t pusher = 0;
        for (int32_t s = 0; s < w * h; ++s) {
            if ((boardView.displayBoard[s] & PUSHER) != 0) pusher = s;
        }
        const int32_t px = pusher % w, py = pusher / w;
        int32_t& co = boardView.columnOffset;
        int32_t& ro = boardView.rowOffset;
        switch (direction) {
            case UP:
                if (ro < 0 && ro + py < 5) ++ro;
                break;
            case RIGHT:
                if (w + co > kViewColumns && co + px > 27) --co;
                break;
            case DOWN:
                if (ro + h > kViewRows && ro + py > 15) --ro;
                break;
            case LEFT:
                if (co < 0 && co + px < 5) ++co;
                break;
            default:
                break;
        }
    }
    fillViewBackground();
    drawCells(facing);
    windowSystem().viewChanged();
}

void drawQuestionMark() {
    fillViewBackground();
    drawPicture(kQuestionMark);
    windowSystem().viewChanged();
}

void drawTitleScreen() {
    fillViewBackground();
    drawPicture(kSmallLevel);
    const bool memory = blocks.memoryReady != 0;
    const int32_t limit = control.timeLimit;
    drawViewText(66, 102, kTitleString, 26, kFontSans, false, kBlack);
    drawViewText(64, 100, kTitleString, 26, kFontSans, false, kWhite);
    drawViewText(100, 135, "Fixed \"Begin Ended\" being disabled.", 20, kFontSans, false, kWhite);
    drawViewText(420, 145, "(2021/10/20)", 20, kFontSans, false, kWhite);
    drawViewText(100, 155, "You can skip a level during batch.", 20, kFontSans, false, kWhite);
    drawViewText(70, 180, "This software looks for the solution in Kelvaro.", 24, kFontSans, false, kBlack);
    drawViewText(120, 240, formatText("MaxWidth   %4d ", kMaxSide).c_str(), 22, kFontMono, false, kLightYellow);
    drawViewText(120, 260, formatText("MaxHeight  %4d", kMaxSide).c_str(), 22, kFontMono, false, kLightYellow);
    drawViewText(120, 280, formatText("MaxBoxes   %4d", kMaxBoxes).c_str(), 22, kFontMono, false, kLightYellow);
    drawViewText(120, 300, "MaxMoves    Unlimited", 22, kFontMono, false, kLightYellow);
    drawViewText(120, 320, formatText("TimeLimit%6d sec(Variable)", limit).c_str(), 22, kFontMono, false,
                 kLightYellow);
    drawViewText(120, 340, "SolverThread  2", 22, kFontMono, false, kLightYellow);
    drawViewText(120, 360, formatText("MemoryUse   %s GB", kMemoryText).c_str(), 22, kFontMono, !memory,
                 memory ? kLightYellow : kRed);
    if (!memory) drawViewText(140, 400, "Out of memory.", 30, kFontSans, false, kRed);
    drawViewText(530, 410, "Title: L", 20, kFontSans, true, kDarkBlue);
    drawViewText(530, 434, "Author: nuvelka", 20, kFontSans, true, kDarkBlue);
    windowSystem().viewChanged();
}

bool renderStartPng(const std::string& path, std::string& error) {
    if (level.levelVerdict == kResultNoLevel) {
        error = "no level loaded";
        return false;
    }
    drawStart(level.levelVerdict);
    return writeViewPng(path, error);
}

bool renderTitlePng(const std::string& path, std::string& error) {
    drawTitleScreen();
    return writeViewPng(path, error);
}

}  // namespace qm
