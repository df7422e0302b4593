#pragma once
// The tile sheet: 6 x 3 tiles of 24 x 24 pixels drawn by code, the table that picks a tile for a
// display code and facing, and copying tiles into the view.
#include <cstdint>

#include "ui/view.hpp"

namespace qm {

constexpr int32_t kSheetColumns = 6, kSheetRows = 3;
constexpr int32_t kSheetWidth = kSheetColumns * kTileSize;   // 144
constexpr int32_t kSheetHeight = kSheetRows * kTileSize;     // 72

// Display codes beyond the cell codes' bits: facings of the pusher's tile.
constexpr int32_t kFacingNone = 0;  // 1 up, 2 right, 3 down, 4 left: direction number + 1
constexpr int32_t kFacings = 5;
constexpr int32_t kTileCodes = 9;   // display codes 0 to 8 have table entries

struct TilePlace {
    int32_t column = 0, row = 0;
};

struct TileSheet {
    uint8_t pixels[kSheetWidth * kSheetHeight * 3];  // RGB, rows top to bottom
};

// Entry code * 5 + facing: the tile of display code 0 to 8 with facing 0 to 4.
extern const TilePlace tileTable[kTileCodes * kFacings];
constexpr TilePlace kBackgroundTile{4, 0};   // outside squares and the view's background
constexpr int32_t kWallInnerEntry = 40;      // (5,1): a wall with a wall below it
constexpr int32_t kWallFrontEntry = 41;      // (5,2): a wall's front face

// The sheet, drawn on first use.
const TileSheet& tileSheet();

// The tile for display code code with the pusher facing facing (used only on pusher squares);
// wallBelow tells whether the square below a wall is a wall inside the board.
TilePlace cellTile(int32_t code, int32_t facing, bool wallBelow);

// Copies a tile to view pixel (x, y), its top-left corner; parts outside the view are cut.
void drawTile(TilePlace tile, int32_t x, int32_t y);
// Covers the whole view with the background tile.
void fillViewBackground();

}  // namespace qm
