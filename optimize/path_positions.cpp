#include "optimize/path_positions.hpp"

#include "board/board.hpp"

namespace qm {

namespace {

constexpr int32_t kBlocked = WALL | OUTSIDE;

void appendPosition(const uint8_t* box, PathPositions& path) {
    const size_t base = path.bits.size();
    path.bits.resize(base + static_cast<size_t>(path.words), 0);
    for (int32_t s = 0; s < level.cellCount; ++s) {
        if (box[s] != 0) path.bits[base + static_cast<size_t>(s >> 6)] |= uint64_t{1} << (s & 63);
    }
    ++path.count;
}

}  // namespace

bool readPathPositions(std::string_view letters, PathPositions& path) {
    const int32_t n = level.cellCount;
    path = PathPositions();
    path.words = (n + 63) / 64;
    uint8_t box[kMaxSquares] = {};
    int32_t offGoal = 0;
    for (int32_t s = 0; s < n; ++s) {
        box[s] = (level.levelCells[s] & BOX) != 0 ? 1 : 0;
        if (box[s] != 0 && (level.levelCells[s] & GOAL) == 0) ++offGoal;
    }
    appendPosition(box, path);
    int32_t pusher = level.pusherStart;
    for (char letter : letters) {
        if (offGoal == 0) break;
        const int32_t d = letterDirection(letter);
        if (d < 0) return false;
        const int32_t next = neighbourInside(pusher, d);
        if (next < 0 || (level.levelCells[next] & kBlocked) != 0) return false;
        if (box[next] != 0) {
            if (!isPushLetter(letter)) return false;
            const int32_t beyond = neighbourInside(next, d);
            if (beyond < 0 || (level.levelCells[beyond] & kBlocked) != 0 || box[beyond] != 0) return false;
            box[next] = 0;
            box[beyond] = 1;
            offGoal += ((level.levelCells[next] & GOAL) != 0 ? 1 : 0) - ((level.levelCells[beyond] & GOAL) != 0 ? 1 : 0);
            ++path.pushes;
            appendPosition(box, path);
        }
        pusher = next;
        ++path.moves;
    }
    return offGoal == 0;
}

}  // namespace qm
