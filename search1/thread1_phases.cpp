#include "search1/thread1_phases.hpp"

#include "solver/control.hpp"

namespace qm {

// Thread 1's searches are not in this build yet: every phase ends at once without a solution,
// so the thread reports failure and the level is left to thread 2.
int32_t mainPhase() { return kResultFailed; }
int32_t pullExpand() { return kResultFailed; }
int32_t pushExpand() { return kResultFailed; }
void assembleSolution() {}
int32_t finalSearch() { return kResultFailed; }

void clearPhaseCounters() {
    control.phaseNodeCount = 0;
    control.segNodeCount = 0;
    control.entryStateCount = 0;
}

}  // namespace qm
