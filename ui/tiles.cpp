#include "ui/tiles.hpp"

#include <cstring>

#include "board/board.hpp"

namespace qm {

namespace {

// Colours of the pixel art.
constexpr Rgb kBackground{96, 136, 136};
constexpr Rgb kBackgroundFleck{88, 126, 128};
constexpr Rgb kSpare{72, 100, 104};
constexpr Rgb kFloor{204, 196, 170};
constexpr Rgb kFloorSeam{182, 172, 146};
constexpr Rgb kGoalRing{206, 58, 52};
constexpr Rgb kGoalCentre{236, 150, 120};
constexpr Rgb kCrate{176, 112, 52};
constexpr Rgb kCrateDark{104, 62, 26};
constexpr Rgb kCrateLight{214, 156, 88};
constexpr Rgb kCrateDone{216, 176, 40};
constexpr Rgb kCrateDoneDark{128, 96, 10};
constexpr Rgb kCrateDoneLight{246, 222, 120};
constexpr Rgb kPusherBody{40, 86, 206};
constexpr Rgb kPusherEdge{16, 34, 96};
constexpr Rgb kPusherEye{250, 250, 250};
constexpr Rgb kPusherPupil{10, 10, 30};
constexpr Rgb kPusherArrow{250, 214, 40};
constexpr Rgb kWallTop{78, 74, 92};
constexpr Rgb kWallTopFleck{92, 88, 108};
constexpr Rgb kMortar{120, 108, 100};
constexpr Rgb kBrick{162, 74, 52};
constexpr Rgb kBrickLight{190, 98, 72};
constexpr Rgb kBrickShade{120, 52, 36};

TileSheet sheet;

// Paints into one tile of the sheet with tile-local coordinates; writes outside the tile are
// dropped.
struct TilePainter {
    int32_t left, top;
    TilePainter(int32_t column, int32_t row) : left(column * kTileSize), top(row * kTileSize) {}

    void dot(int32_t x, int32_t y, Rgb c) const {
        if (x < 0 || y < 0 || x >= kTileSize || y >= kTileSize) return;
        uint8_t* p = sheet.pixels + ((top + y) * kSheetWidth + left + x) * 3;
        p[0] = c.red;
        p[1] = c.green;
        p[2] = c.blue;
    }
    void rect(int32_t x, int32_t y, int32_t w, int32_t h, Rgb c) const {
        for (int32_t j = y; j < y + h; ++j)
            for (int32_t i = x; i < x + w; ++i) dot(i, j, c);
    }
    // Pixels whose centre lies within radius r of (cx, cy), both in half pixels from the corner.
    void disc(int32_t cx2, int32_t cy2, int32_t r2, Rgb c) const {
        for (int32_t j = 0; j < kTileSize; ++j)
            for (int32_t i = 0; i < kTileSize; ++i) {
                const int32_t dx = 2 * i + 1 - cx2, dy = 2 * j + 1 - cy2;
                if (dx * dx + dy * dy <= r2 * r2) dot(i, j, c);
            }
    }
    void copyFrom(const TilePainter& other) const {
        for (int32_t j = 0; j < kTileSize; ++j)
            std::memcpy(sheet.pixels + ((top + j) * kSheetWidth + left) * 3,
                        sheet.pixels + ((other.top + j) * kSheetWidth + other.left) * 3,
                        kTileSize * 3);
    }
};

void paintBackground(const TilePainter& t) {
    t.rect(0, 0, kTileSize, kTileSize, kBackground);
    for (int32_t j = 0; j < kTileSize; j += 4)
        for (int32_t i = (j / 4) % 2 * 2; i < kTileSize; i += 4) t.dot(i, j, kBackgroundFleck);
}

void paintFloor(const TilePainter& t) {
    t.rect(0, 0, kTileSize, kTileSize, kFloor);
    t.rect(0, kTileSize - 1, kTileSize, 1, kFloorSeam);
    t.rect(kTileSize - 1, 0, 1, kTileSize, kFloorSeam);
}

void paintGoal(const TilePainter& t) {
    paintFloor(t);
    // A ring wide enough to show around the pusher standing on it.
    t.disc(24, 24, 21, kGoalRing);
    t.disc(24, 24, 16, kFloor);
    t.disc(24, 24, 6, kGoalCentre);
}

void paintCrate(const TilePainter& t, Rgb body, Rgb dark, Rgb light) {
    t.rect(2, 2, 20, 20, dark);
    t.rect(4, 4, 16, 16, body);
    t.rect(4, 4, 16, 1, light);
    t.rect(4, 4, 1, 16, light);
    // Two diagonal braces across the face.
    for (int32_t i = 0; i < 16; ++i) {
        t.dot(4 + i, 4 + i, dark);
        t.dot(4 + i, 19 - i, dark);
    }
    t.rect(2, 11, 20, 2, dark);
}

// The pusher: a round body, eyes looking along the facing (1 up .. 4 left, 0 at the viewer) and
// for a facing a small arrow beside the body.
void paintPusher(const TilePainter& t, int32_t facing) {
    t.disc(24, 24, 16, kPusherEdge);
    t.disc(24, 24, 13, kPusherBody);
    // Eye centres for each facing: left eye (x, y), right eye (x, y).
    constexpr int32_t kEyes[kFacings][4] = {
        {8, 9, 14, 9}, {8, 6, 14, 6}, {15, 8, 15, 14}, {8, 15, 14, 15}, {7, 8, 7, 14},
    };
    for (int32_t e = 0; e < 2; ++e) {
        const int32_t x = kEyes[facing][2 * e], y = kEyes[facing][2 * e + 1];
        t.rect(x, y, 3, 3, kPusherEye);
        t.dot(x + 1, y + 1, kPusherPupil);
    }
    if (facing == kFacingNone) {
        t.rect(9, 15, 6, 1, kPusherEye);  // a smile
        return;
    }
    // Arrow at the tile's edge, pointing outwards: rows widening by one pixel on each side.
    for (int32_t k = 0; k < 4; ++k) {
        for (int32_t w = -k - 1; w <= k; ++w) {
            int32_t x = 0, y = 0;
            switch (facing) {
                case 1: x = 12 + w, y = 1 + k; break;
                case 2: x = 22 - k, y = 12 + w; break;
                case 3: x = 12 + w, y = 22 - k; break;
                default: x = 1 + k, y = 12 + w; break;
            }
            t.dot(x, y, kPusherArrow);
        }
    }
}

void paintWallTop(const TilePainter& t) {
    t.rect(0, 0, kTileSize, kTileSize, kWallTop);
    for (int32_t j = 1; j < kTileSize; j += 3)
        for (int32_t i = (j * 5) % 7; i < kTileSize; i += 7) t.dot(i, j, kWallTopFleck);
}

// The front face: the wall's top as a band, then three courses of bricks in light from above.
void paintWallFront(const TilePainter& t) {
    paintWallTop(t);
    constexpr int32_t kFaceTop = 6, kCourse = 6;
    t.rect(0, kFaceTop, kTileSize, kTileSize - kFaceTop, kMortar);
    for (int32_t course = 0; course < 3; ++course) {
        const int32_t y = kFaceTop + course * kCourse;
        const int32_t shift = course % 2 == 0 ? 0 : 6;
        for (int32_t x = -12 + shift; x < kTileSize; x += 12) {
            t.rect(x + 1, y + 1, 10, kCourse - 1, kBrick);
            t.rect(x + 1, y + 1, 10, 1, kBrickLight);
            t.rect(x + 1, y + kCourse - 1, 10, 1, kBrickShade);
        }
    }
}

void paintSheet() {
    // Row 0: floor, goal, pusher, pusher on goal, background, the spare tile of code 7.
    paintFloor(TilePainter(0, 0));
    paintGoal(TilePainter(1, 0));
    paintFloor(TilePainter(2, 0));
    paintPusher(TilePainter(2, 0), kFacingNone);
    paintGoal(TilePainter(3, 0));
    paintPusher(TilePainter(3, 0), kFacingNone);
    paintBackground(TilePainter(4, 0));
    const TilePainter spare(5, 0);
    spare.rect(0, 0, kTileSize, kTileSize, kSpare);
    // Rows 1 and 2: the pusher facing up, right, down, left on floor and on a goal, the box and
    // the box on a goal, the wall's inner and front tiles.
    for (int32_t f = 1; f < kFacings; ++f) {
        paintFloor(TilePainter(f - 1, 1));
        paintPusher(TilePainter(f - 1, 1), f);
        paintGoal(TilePainter(f - 1, 2));
        paintPusher(TilePainter(f - 1, 2), f);
    }
    const TilePainter box(4, 1), boxOnGoal(4, 2);
    paintFloor(box);
    paintCrate(box, kCrate, kCrateDark, kCrateLight);
    paintGoal(boxOnGoal);
    paintCrate(boxOnGoal, kCrateDone, kCrateDoneDark, kCrateDoneLight);
    paintWallTop(TilePainter(5, 1));
    paintWallFront(TilePainter(5, 2));
}

const TilePlace& placeOf(int32_t entry) { return tileTable[entry]; }

}  // namespace

// Columns: facing 0 (none), 1 up, 2 right, 3 down, 4 left. Code 8's facings 0 and 1 are the
// wall's inner and front tiles; its other entries are never used.
const TilePlace tileTable[kTileCodes * kFacings] = {
    {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0},  // 0 floor
    {1, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0},  // 1 goal
    {4, 1}, {0, 0}, {0, 0}, {0, 0}, {0, 0},  // 2 box
    {4, 2}, {0, 0}, {0, 0}, {0, 0}, {0, 0},  // 3 box on goal
    {2, 0}, {0, 1}, {1, 1}, {2, 1}, {3, 1},  // 4 pusher
    {3, 0}, {0, 2}, {1, 2}, {2, 2}, {3, 2},  // 5 pusher on goal
    {4, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0},  // 6
    {5, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0},  // 7
    {5, 1}, {5, 2}, {4, 0}, {4, 0}, {4, 0},  // 8 wall
};

const TileSheet& tileSheet() {
    static const bool painted = (paintSheet(), true);
    (void)painted;
    return sheet;
}

TilePlace cellTile(int32_t code, int32_t facing, bool wallBelow) {
    if (code < 0 || code >= kTileCodes) return kBackgroundTile;  // OUTSIDE and anything unknown
    if ((code & PUSHER) != 0 && facing > kFacingNone && facing < kFacings)
        return placeOf(code * kFacings + facing);
    if (code == WALL) return placeOf(wallBelow ? kWallInnerEntry : kWallFrontEntry);
    return placeOf(code * kFacings);
}

void drawTile(TilePlace tile, int32_t x, int32_t y) {
    const TileSheet& s = tileSheet();
    const int32_t x0 = x < 0 ? -x : 0, x1 = x + kTileSize > kViewWidth ? kViewWidth - x : kTileSize;
    if (x0 >= x1) return;
    for (int32_t j = 0; j < kTileSize; ++j) {
        const int32_t vy = y + j;
        if (vy < 0 || vy >= kViewHeight) continue;
        std::memcpy(view.pixels + (vy * kViewWidth + x + x0) * 3,
                    s.pixels + ((tile.row * kTileSize + j) * kSheetWidth + tile.column * kTileSize + x0) * 3,
                    static_cast<size_t>(x1 - x0) * 3);
    }
}

void fillViewBackground() {
    for (int32_t r = 0; r < kViewRows; ++r)
        for (int32_t c = 0; c < kViewColumns; ++c) drawTile(kBackgroundTile, c * kTileSize, r * kTileSize);
}

}  // namespace qm
