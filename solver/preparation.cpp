#include "solver/preparation.hpp"

#include <cstring>

#include "board/analysis.hpp"
#include "board/board.hpp"
#include "board/handover.hpp"
#include "board/solution.hpp"

namespace qm {

void fillDeadEndsOfLevel() {
    int32_t* map = level.obstacleMap;
    for (bool changed = true; changed;) {
        changed = false;
        for (int32_t s = 0; s < level.cellCount; ++s) {
            if (map[s] != 0 || level.goalMap[s] != 0 || s == level.pusherSquare) continue;
            int32_t open = 0;
            for (int32_t d = 0; d < 4; ++d) open += map[s + level.dirOffset[d]] != WALL ? 1 : 0;
            if (open > 1) continue;
            map[s] = WALL;
            changed = true;
        }
    }
}

int32_t prepareSolve() {
    fillDeadEndsOfLevel();
    const int32_t analysed = prepareAnalysis(level.obstacleMap, level.pusherSquare);
    const int32_t cells = level.cellCount;
    std::memcpy(handover.searchBoard, analysis.analysisBoard, sizeof(int32_t) * cells);
    for (int32_t s = 0; s < cells; ++s) {
        handover.t2StartMask[s] = static_cast<uint32_t>(analysis.boxReachMask[s]);
        handover.t2GoalMask[s] = static_cast<uint32_t>(analysis.goalReachMask[s]);
    }
    const int32_t n = analysis.analysisBoxCount;
    handover.t2BoxCount = n;
    std::memcpy(handover.t2Goals, analysis.goalList, sizeof(int32_t) * kMaxBoxes);
    std::memcpy(handover.t2StartBoxes, analysis.boxList, sizeof(int32_t) * kMaxBoxes);
    std::memcpy(handover.t2Boxes, analysis.boxList, sizeof(int32_t) * kMaxBoxes);
    handover.t2PusherSquare = analysis.analysisPusherSquare;
    handover.analysisResult = analysed;
    resetSolution();
    analyseAreas();
    handover.goalAreaCount = analysis.goalAreaCount;
    std::memcpy(handover.goalAreaSquares, analysis.goalAreaSquares,
                sizeof(int32_t) * static_cast<size_t>(analysis.goalAreaCount));
    handover.areaStrategyFlag = analysis.areaStrategyFlag;
    return analysed;
}

}  // namespace qm
