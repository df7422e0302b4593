#pragma once
// The solve driver: prepares the loaded level, runs both solver threads under the time limit,
// merges their results, rebuilds and checks the solution, and counts the outcome.
#include <cstdint>

namespace qm {

// Which solver threads a solve starts; a thread not started reports 9 at once.
struct DriverOptions {
    bool runThread1 = true;
    bool runThread2 = true;          // the second core runs at all
    bool runThread2Methods = true;   // it starts with thread 2's methods
    bool runFeatureSearch = true;    // it goes on with the feature search when they end
};
extern DriverOptions driverOptions;

constexpr int32_t kPollMilliseconds = 100;

// Solves the loaded level and returns the result code; blocks until both threads have ended.
int32_t solveLevel();
// Turns thread 2's step list into move letters on a fresh solution text.
void rebuildThread2Solution();
// Adds a result to the solved, failed or skipped count.
void countResult(int32_t result);
// Frees the buffers both solver threads grow, for the end of the program.
void releaseSolverBuffers();

}  // namespace qm
