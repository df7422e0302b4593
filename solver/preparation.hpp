#pragma once
// The solve driver's preparation of a loaded level: dead ends filled, the analysis run, the
// hand-over copies for thread 2 made, the solution text reset, thread 2's method chosen.
#include <cstdint>

namespace qm {

// Walls dead-end squares of obstacleMap that hold no goal, box or pusher.
void fillDeadEndsOfLevel();
// Runs every preparation step on the loaded level. Returns prepareAnalysis's result.
int32_t prepareSolve();

}  // namespace qm
