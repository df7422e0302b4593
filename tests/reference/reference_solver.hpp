#pragma once
// A plain exhaustive solver for tiny levels, written apart from the product's searches: breadth
// first over (box squares, the pusher's region) with single pushes and no deadlock test of any
// kind. It reads the level text itself, so it shares no code with the product.
#include <cstdint>
#include <string>
#include <vector>

namespace qmref {

struct ReferenceLevel {
    int32_t width = 0, height = 0;
    std::vector<uint8_t> wall;    // 1 on walls and on squares outside the level
    std::vector<uint8_t> goal;    // 1 on goals
    std::vector<int32_t> boxes;   // box squares
    int32_t pusher = 0;
};

// One level in the common notation, every row on a line of its own and the level closed by walls.
ReferenceLevel referenceFromText(const std::string& text);

enum class Verdict { kSolvable, kUnsolvable, kTooLarge };

struct ReferenceAnswer {
    Verdict verdict = Verdict::kTooLarge;
    int32_t pushes = -1;  // the fewest pushes of a solution, when solvable
};

// Solves levels of up to 4 boxes on at most 256 squares; others, and searches of more than
// stateLimit states, answer kTooLarge.
ReferenceAnswer solveReference(const ReferenceLevel& level, int64_t stateLimit = 2'000'000);

}  // namespace qmref
