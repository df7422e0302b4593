#pragma once
// The box positions a solution passes through: the start and one after each push, as bit sets
// over the loaded level's squares, for the vicinity test of the optimizer.
#include <cstdint>
#include <string_view>
#include <vector>

namespace qm {

struct PathPositions {
    int32_t words = 0;             // 64-bit words per position
    int32_t count = 0;             // positions: pushes + 1
    std::vector<uint64_t> bits;    // count * words
    int32_t moves = 0, pushes = 0; // the solution's counts, up to its solving push
    const uint64_t* position(int32_t i) const { return bits.data() + static_cast<size_t>(i) * words; }
};

// Replays letters on the loaded level; fills path and returns true when they solve it (letters
// after the solving push are ignored).
bool readPathPositions(std::string_view letters, PathPositions& path);

}  // namespace qm
