#include "levels/parser.hpp"

#include <cstring>

#include "board/analysis.hpp"
#include "board/board.hpp"
#include "board/fills.hpp"

namespace qm {

namespace {

int32_t cellCode(char c) {
    switch (c) {
        case '#': return WALL;
        case '$': return BOX;
        case '*': return BOX_ON_GOAL;
        case '.': return GOAL;
        case '@': return PUSHER;
        case '+': return PUSHER_ON_GOAL;
        default: return FLOOR;
    }
}

// What one reading pass over the rows found.
struct ParseCounts {
    int32_t rows = 0, width = 0, boxes = 0, goals = 0, pushers = 0;
    int32_t margin = kMaxSide;
    bool boxOrGoalSeen = false;
};

// The staging grid: rows and columns beyond 50 are counted but not stored.
struct StagingGrid {
    int32_t cells[kMaxSide][kMaxSide];
};

void readRow(const char* start, const char* stop, int32_t pass, int32_t margin, StagingGrid& grid,
             ParseCounts& counts) {
    const int32_t row = counts.rows;
    const char* p = start;
    if (pass == 2) p = stop - start > margin ? start + margin : stop;
    int32_t column = 0;
    for (; p < stop; ++p, ++column) {
        const char c = *p;
        const int32_t code = cellCode(c);
        if (row < kMaxSide && column < kMaxSide) grid.cells[row][column] = code;
        if (code != FLOOR) {
            if (column + 1 > counts.width) counts.width = column + 1;
            if (pass == 1 && column < counts.margin) counts.margin = column;
        }
        if (c == '$' || c == '*') ++counts.boxes;
        if (c == '.' || c == '*' || c == '+') ++counts.goals;
        if (c == '@' || c == '+') ++counts.pushers;
        if (c == '$' || c == '.') counts.boxOrGoalSeen = true;
    }
    if (row < kMaxSide) {
        for (int32_t x = column; x < kMaxSide; ++x) grid.cells[row][x] = FLOOR;
    }
    ++counts.rows;
}

ParseCounts readRows(const char* text, const char* end, int32_t pass, int32_t margin,
                     StagingGrid& grid) {
    ParseCounts counts;
    bool splitCrLf = false;
    const char* pos = text;
    while (pos < end) {
        const char* stop = nullptr;
        bool sawVt = false;
        const char* next = readLine(pos, end, splitCrLf, &stop, &sawVt);
        if (sawVt) splitCrLf = true;
        if (isRowLine(pos, stop)) {
            readRow(pos, stop, pass, margin, grid, counts);
        } else if (counts.rows > 0) {
            break;
        }
        pos = next;
    }
    return counts;
}

bool isValidLevel(const ParseCounts& c) {
    return c.rows >= 3 && c.width >= 3 && c.boxes >= 1 && c.goals >= 1 && c.pushers == 1;
}

void copyGridToBoard(const StagingGrid& grid) {
    const int32_t w = level.boardWidth;
    for (int32_t y = 0; y < level.boardHeight; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            const int32_t s = y * w + x;
            const int32_t code = grid.cells[y][x];
            level.levelCells[s] = code;
            level.obstacleMap[s] = code & kObstacleBits;
            level.goalMap[s] = code & kGoalBit;
            if (code & PUSHER) {
                level.pusherSquare = s;
                level.pusherStart = s;
            }
        }
    }
}

// Every square that is neither a wall nor in the pusher's region becomes OUTSIDE.
void sealLevel(const int32_t* region) {
    for (int32_t s = 0; s < level.cellCount; ++s) {
        if (level.levelCells[s] == WALL || region[s] != 0) continue;
        level.levelCells[s] = OUTSIDE;
        level.obstacleMap[s] = WALL;
    }
}

int32_t loadLevel(const StagingGrid& grid, const ParseCounts& counts) {
    if (counts.rows > kMaxSide || counts.width > kMaxSide) return kSizeOver;
    setBoardGeometry(counts.width, counts.rows);
    copyGridToBoard(grid);
    level.activeBoxCount = level.boxCount;
    int32_t wallMap[kMaxSquares];
    int32_t region[kMaxSquares];
    for (int32_t s = 0; s < level.cellCount; ++s) {
        wallMap[s] = level.levelCells[s] == WALL ? WALL : 0;
    }
    // The closure check runs before the freezing so that no fill ever walks off an open board;
    // an open level is irregular whatever the freezing would find.
    if (closedCheckFill(wallMap, region) == 0) return kIrregular;
    const bool impossible = freezeAtLoad() == kImpossible;
    sealLevel(region);
    if (counts.goals != counts.boxes) return kIrregular;
    if (impossible) return kImpossible;
    if (level.activeBoxCount > kMaxBoxes) return kBoxesOver;
    return kLevelOk;
}

}  // namespace

bool isRowChar(char c) {
    switch (c) {
        case '-': case '_': case ' ': case '.': case '$': case '*': case '@': case '+': case '#':
            return true;
        default:
            return false;
    }
}

bool isRowLine(const char* start, const char* stop) {
    bool wall = false;
    for (const char* p = start; p < stop; ++p) {
        if (!isRowChar(*p)) return false;
        if (*p == '#') wall = true;
    }
    return wall;
}

const char* readLine(const char* pos, const char* end, bool splitCrLf, const char** stop,
                     bool* sawVt) {
    const char* p = pos;
    while (p < end && !isLineEnd(*p)) ++p;
    *stop = p;
    if (p == end) return p;
    if (*p == '\v' && sawVt != nullptr) *sawVt = true;
    if (*p == '\r' && !splitCrLf && p + 1 < end && p[1] == '\n') return p + 2;
    return p + 1;
}

int32_t parseLevel(const char* text, const char* end, int32_t load) {
    static thread_local StagingGrid grid;
    ParseCounts counts = readRows(text, end, 1, 0, grid);
    if (counts.margin != 0) counts = readRows(text, end, 2, counts.margin, grid);
    if (load != 0) {
        level.boxCount = counts.boxes;
        level.boardHeight = counts.rows;
        level.boardWidth = counts.width;
        level.alreadySolved = counts.boxOrGoalSeen ? 0 : 1;
        analysis.areaStrategyFlag = 0;
    }
    if (!isValidLevel(counts)) return kNoLevel;
    if (load == 0) return kLevelOk;
    return loadLevel(grid, counts);
}

int32_t parseLevel(const char* text, int32_t load) {
    return parseLevel(text, text + std::strlen(text), load);
}

}  // namespace qm
