#include "ui/icon.hpp"

#include <vector>

#include "board/board.hpp"
#include "ui/tiles.hpp"
#include "ui/view.hpp"

namespace qm {

namespace {

constexpr int32_t kIconTiles = 2;                        // tiles a side
constexpr int32_t kIconSource = kIconTiles * kTileSize;  // source pixels a side
constexpr int32_t kFacingRight = RIGHT + 1;
constexpr int32_t kSamples = 4;  // samples a side per target pixel

// The cell codes of the icon's tiles, row by row; the pusher faces the box.
constexpr int32_t kIconCodes[kIconTiles * kIconTiles] = {PUSHER, BOX, GOAL, BOX_ON_GOAL};

// The RGB pixel at source point (x, y) of the 2 x 2 tile picture.
const uint8_t* sourcePixel(int32_t x, int32_t y) {
    const int32_t code = kIconCodes[(y / kTileSize) * kIconTiles + x / kTileSize];
    const TilePlace tile = cellTile(code, code == PUSHER ? kFacingRight : kFacingNone, false);
    const int32_t sx = tile.column * kTileSize + x % kTileSize, sy = tile.row * kTileSize + y % kTileSize;
    return tileSheet().pixels + (sy * kSheetWidth + sx) * 3;
}

// Scales the tile picture to size x size by averaging kSamples x kSamples points per pixel, so
// both shrinking and growing stay smooth.
void scaleIcon(std::vector<uint8_t>& rgb, int32_t size) {
    rgb.assign(static_cast<size_t>(size) * size * 3, 0);
    for (int32_t y = 0; y < size; ++y)
        for (int32_t x = 0; x < size; ++x) {
            int32_t sum[3] = {0, 0, 0};
            for (int32_t j = 0; j < kSamples; ++j)
                for (int32_t i = 0; i < kSamples; ++i) {
                    const int32_t sx = ((x * kSamples + i) * kIconSource + kIconSource / 2) / (size * kSamples);
                    const int32_t sy = ((y * kSamples + j) * kIconSource + kIconSource / 2) / (size * kSamples);
                    const uint8_t* p = sourcePixel(sx, sy);
                    for (int32_t c = 0; c < 3; ++c) sum[c] += p[c];
                }
            for (int32_t c = 0; c < 3; ++c)
                rgb[(static_cast<size_t>(y) * size + x) * 3 + c] =
                    static_cast<uint8_t>((sum[c] + kSamples * kSamples / 2) / (kSamples * kSamples));
        }
}

}  // namespace

bool writeIconPng(const std::string& path, int32_t size, std::string& error) {
    if (size < kMinIconSize || size > kMaxIconSize) {
        error = "icon size must be between 16 and 1024 pixels";
        return false;
    }
    std::vector<uint8_t> rgb;
    scaleIcon(rgb, size);
    return writePng(path, rgb.data(), size, size, error);
}

}  // namespace qm
