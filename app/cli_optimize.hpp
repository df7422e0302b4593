#pragma once
// The optimizer on the command line: the found solution of the current level made shorter, in
// place, with the replay check before it replaces the solver's.
#include <cstdint>
#include <string>

namespace qm {

// Optimizes the solution in the solution text for up to seconds. Returns a line for the progress
// display ("optimized: ... moves ... pushes, N rounds"), empty when there was no solution.
std::string optimizeFoundSolution(int32_t metric, double seconds);

// Makes letters the solution text and replays it; false (and the text emptied) when they do not
// solve the loaded level.
bool storeCheckedSolution(const std::string& letters);

}  // namespace qm
