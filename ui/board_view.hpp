#pragma once
// The board view: the level's start position, the live position of a running search, the trace
// viewer's position, the title screen and the pictures drawn from tiles, all into the view.
#include <cstdint>
#include <string>

#include "board/board.hpp"
#include "board/solution.hpp"

namespace qm {

// Display codes are cell codes: goal 1, box 2, pusher 4, wall 8, outside 16.
struct BoardView {
    int32_t displayBoard[kMaxSquares];  // the current display board, the level's size, row-major
    int32_t columnOffset = 0;           // view column of level column x is x + columnOffset
    int32_t rowOffset = 0;              // view row of level row y is y + rowOffset
    LiveSnapshot live;                  // the live view's copy of the position being built
};
extern BoardView boardView;

// The start display: background; for mode 4 (size over) the large picture; otherwise the level's
// start position (levelCells) becomes the display board, the origin is placed for its pusher and
// every visible cell is drawn without facing.
void drawStart(int32_t mode);
// The position reached by the solution being built, from a consistent snapshot of it.
void drawLive();
// After the trace viewer moved the pusher: scroll by at most one cell towards the pusher's
// direction of travel, then redraw; the pusher's tile uses facing (0 none, else direction + 1).
void drawTraceStep(int32_t facing, int32_t direction);
// The title screen with its texts and the small level picture.
void drawTitleScreen();
// The question mark shown after a load error.
void drawQuestionMark();

// Places the origin so that a level of the loaded size is centred, or when it does not fit,
// shows the side the pusher on pusherSquare is on.
void placeOrigin(int32_t pusherSquare);

// For the command-line tool: the loaded level's start display, or the title screen, written as
// a PNG file. On failure returns false and says why in error.
bool renderStartPng(const std::string& path, std::string& error);
bool renderTitlePng(const std::string& path, std::string& error);

}  // namespace qm
