#pragma once
// The loaded level: cell codes, per-square tables, level scalars and direction tables.
#include <cstdint>

namespace qm {

constexpr int32_t kMaxSide = 50;        // columns and rows
constexpr int32_t kMaxSquares = 2500;   // every per-square table has this many entries
constexpr int32_t kMaxBoxes = 64;       // active boxes a level may hold

// Cell codes: a small bit set per square.
constexpr int32_t FLOOR = 0;
constexpr int32_t GOAL = 1;
constexpr int32_t BOX = 2;
constexpr int32_t BOX_ON_GOAL = 3;
constexpr int32_t PUSHER = 4;
constexpr int32_t PUSHER_ON_GOAL = 5;
constexpr int32_t WALL = 8;
constexpr int32_t OUTSIDE = 16;

// Masks that derive the working maps from a cell code.
constexpr int32_t kObstacleBits = BOX | WALL;
constexpr int32_t kGoalBit = GOAL;

// Direction numbers, clockwise from up; direction d is bit 1 << d of a side set.
constexpr int32_t UP = 0, RIGHT = 1, DOWN = 2, LEFT = 3;

// Move letters: entry d walks in direction d, entry d + 4 pushes.
inline constexpr char16_t moveLetters[8] = {u'u', u'r', u'd', u'l', u'U', u'R', u'D', u'L'};

// Returns the direction number of a move letter, or -1 for any other byte.
int32_t letterDirection(char letter);
// True for the push letters U R D L.
inline bool isPushLetter(char letter) { return letter >= 'A' && letter <= 'Z'; }

// The loaded level. Written only while no solver thread runs; read freely by both.
struct Level {
    int32_t boardWidth = 0, boardHeight = 0, cellCount = 0;
    int32_t boxCount = 0;          // boxes in the level text
    int32_t activeBoxCount = 0;    // boxCount less the boxes frozen on goals at load
    int32_t pusherSquare = 0;      // the pusher's start as the solver uses it
    int32_t pusherStart = 0;       // the same square, for drawing and the replay check
    int32_t alreadySolved = 0;     // the text held neither "$" nor "."
    int32_t levelVerdict = 0;      // 0, 1, 4, 5, 6 or 7
    int32_t levelCells[kMaxSquares];   // full cell codes; OUTSIDE after sealing
    int32_t obstacleMap[kMaxSquares];  // 0 free, 2 box, 8 wall
    int32_t goalMap[kMaxSquares];      // 1 on goals
    int32_t dirOffset[4];              // by direction number: -W, +1, +W, -1
    int32_t dirBitOffset[9];           // by direction bit 1, 2, 4, 8
    int32_t ringOffset[8];             // the eight neighbours clockwise from up
};
extern Level level;

// Fills the three direction tables and cellCount for a board of the given size.
void setBoardGeometry(int32_t width, int32_t height);

// Clears the first cellCount entries of a per-square map.
void clearSquareMap(int32_t* map);

// Row and column of a square of the loaded level.
inline int32_t squareRow(int32_t s) { return s / level.boardWidth; }
inline int32_t squareColumn(int32_t s) { return s % level.boardWidth; }

// The neighbour of s in direction d, or -1 when it lies outside the rectangle.
int32_t neighbourInside(int32_t s, int32_t d);

}  // namespace qm
