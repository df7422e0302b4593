#pragma once
// The solution optimizer: from a solution of the loaded level, shorter ones in moves or in
// pushes, found by searching exactly the positions near it, round after round while a round
// improves and time remains. Runs after a solve or on its own; uses its own memory only.
#include <cstdint>
#include <string>
#include <string_view>

#include "optimize/vicinity_search.hpp"

namespace qm {

struct OptimizeOutcome {
    std::string letters;       // the best solution found (the given one when none was better)
    int32_t moves = 0, pushes = 0;
    int32_t givenMoves = 0, givenPushes = 0;
    int32_t rounds = 0;        // vicinity searches run
    int64_t nodes = 0;         // positions stored by all rounds
    bool memoryRefused = false;
};

// Optimizes letters, a solution of the loaded level, for up to seconds (Ctrl-C, the cancel word,
// ends it early). Returns false, leaving out empty, when letters do not solve the level.
bool optimizeSolution(std::string_view letters, int32_t metric, double seconds, OptimizeOutcome& out);

// Gives the optimizer's table back to the system.
void releaseOptimizer();

}  // namespace qm
