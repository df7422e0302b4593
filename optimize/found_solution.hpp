#pragma once
// The optimizer applied to the solution text: the found solution of the loaded level made
// shorter in place, replayed before it replaces the one found.
#include <cstdint>
#include <string>

#include "optimize/optimizer.hpp"

namespace qm {

constexpr double kDefaultOptimizeSeconds = 10;

struct FoundOptimization {
    bool ran = false;           // there was a stored solution to optimize
    bool replayFailed = false;  // the result did not replay; the found solution stays
    OptimizeOutcome outcome;    // counts before and after, rounds, positions
};

// Optimizes the solution in the solution text for up to seconds.
FoundOptimization optimizeFoundSolution(int32_t metric, double seconds);

// Makes letters the solution text and replays it; false when they do not solve the loaded level.
bool storeCheckedSolution(const std::string& letters);

}  // namespace qm
