#include "search3/line_follow.hpp"

#include <cstring>

#include "board/board.hpp"
#include "search3/feature_level.hpp"

namespace qm {

namespace {

struct LineFollow {
    int32_t board[kMaxSquares];  // walls and the line's boxes: 0 free, 2 box, 8 wall
    int32_t boxes[kMaxBoxes];
    int32_t boxCount = 0;
    int32_t taken = 0;           // transfers read
    bool ended = false;
};
LineFollow line;

bool onFloor(int32_t s) { return s >= 0 && s < level.cellCount && featureLevel.floorBit[s] >= 0; }

}  // namespace

void startLineFollow() {
    LineFollow& l = line;
    const FeatureLevel& fl = featureLevel;
    std::memcpy(l.board, fl.board, sizeof(int32_t) * static_cast<size_t>(level.cellCount));
    l.boxCount = fl.boxCount;
    for (int32_t j = 0; j < fl.boxCount; ++j) {
        l.boxes[j] = fl.startBoxes[j];
        l.board[fl.startBoxes[j]] = BOX;
    }
    l.taken = 0;
    l.ended = false;
}

bool nextLineTransfer(SharedTransfer& out) {
    LineFollow& l = line;
    if (l.ended || l.taken >= publishedSharedTransfers()) return false;
    const SharedTransfer t = readSharedTransfer(l.taken++);
    int32_t j = 0;
    while (j < l.boxCount && l.boxes[j] != t.from) ++j;
    const bool fits = j < l.boxCount && onFloor(t.to) && onFloor(t.pusher) &&
                      (l.board[t.to] == 0 || t.to == t.from) && t.pusher != t.to &&
                      (l.board[t.pusher] == 0 || t.pusher == t.from);
    if (!fits) {
        l.ended = true;
        return false;
    }
    l.board[t.from] = 0;
    l.board[t.to] = BOX;
    l.boxes[j] = t.to;
    out = t;
    return true;
}

const int32_t* lineBoxes() { return line.boxes; }
int32_t lineBoxCount() { return line.boxCount; }

}  // namespace qm
