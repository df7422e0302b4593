#pragma once
// Tables the solve driver hands to solver thread 2 before it starts. Thread 1 reruns the analysis
// while thread 2 runs, so thread 2 reads only these copies, never the analysis outputs.
#include <cstdint>

#include "board/board.hpp"

namespace qm {

struct Handover {
    int32_t searchBoard[kMaxSquares];  // thread 2's obstacle board: 0 free, 2 box, 8 wall or dead
    uint32_t t2GoalMask[kMaxSquares];  // low 32 bits of goalReachMask
    uint32_t t2StartMask[kMaxSquares]; // low 32 bits of boxReachMask
    int32_t t2StartBoxes[kMaxBoxes];   // start square of each box, by box index
    int32_t t2Boxes[kMaxBoxes];        // working list: current square of each box
    int32_t t2Goals[kMaxBoxes];        // goal squares by goal index
    int32_t t2BoxCount = 0;            // boxes thread 2 works with
    // The analysis of the start position: kAnalysisInfeasible when it proved the level
    // infeasible, in which case its lists are not all written and thread 2 must not search them.
    int32_t analysisResult = 0;
    // The pusher's square after the analysis: the analysis may wall the dead end the pusher
    // starts in and move it out, so thread 2 starts its searches here, on searchBoard.
    int32_t t2PusherSquare = 0;
    // The pusher areas of the solved position and the method choice of the area analysis.
    int32_t goalAreaSquares[kMaxSquares];
    int32_t goalAreaCount = 0;
    int32_t areaStrategyFlag = 0;
};
extern Handover handover;

}  // namespace qm
