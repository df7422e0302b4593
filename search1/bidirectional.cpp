#include "search1/bidirectional.hpp"

#include "board/analysis.hpp"
#include "board/phase_tables.hpp"

namespace qm {

MacroScratch macroScratch;

void loadPhaseTables() {
    for (int32_t s = 0; s < level.cellCount; ++s) {
        phase.pullMask[s] = analysis.boxReachMask[s];
        phase.pushMask[s] = analysis.goalReachMask[s];
        phase.phaseBoard[s] = analysis.analysisBoard[s];
        phase.phaseClass[s] = analysis.squareClass[s];
        phase.pushVisits[s] = 0;
        phase.pullVisits[s] = 0;
        phase.crossBand7[s] = 0;
        phase.crossBand14[s] = 0;
    }
    phase.phaseBoxCount = analysis.analysisBoxCount;
    std::memcpy(phase.phaseBoxes, analysis.boxList, sizeof(int32_t) * phase.phaseBoxCount);
}

bool applyMainLineEntry(int32_t from, int32_t to) {
    if (phase.phaseBoard[to] != 0) return false;
    for (int32_t k = 0; k < phase.phaseBoxCount; ++k) {
        if (phase.phaseBoxes[k] != from) continue;
        phase.phaseBoard[from] = 0;
        phase.phaseBoard[to] = BOX;
        phase.phaseBoxes[k] = to;
        return true;
    }
    return false;
}

}  // namespace qm
