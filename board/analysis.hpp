#pragma once
// Pre-solve analysis: dead squares, ordered box and goal lists, reach masks, square classes and
// the pusher areas of the solved position.
#include <cstdint>

#include "board/board.hpp"

namespace qm {

// Outputs of the analysis: one global set, rewritten by every call.
struct Analysis {
    int32_t analysisBoard[kMaxSquares];    // 0 free, 2 box, 8 wall or proved dead
    int32_t boxList[kMaxBoxes];            // box squares, in the analysis order
    int32_t goalList[kMaxBoxes];           // goal squares, in the analysis order
    int32_t analysisBoxCount = 0;          // entries of each list
    int32_t analysisPusherSquare = 0;      // smallest square of the pusher's region
    uint64_t goalReachMask[kMaxSquares];   // goals a box here can still be pushed to
    uint64_t boxReachMask[kMaxSquares];    // boxes that can be pushed here from their start
    int32_t squareClass[kMaxSquares];      // 0 ordinary, 1 gate or kept corridor, 2 corridor
    int32_t assignMatrix[kMaxBoxes * kMaxBoxes];  // scratch matrix, row stride 64
    int32_t goalAreaSquares[kMaxSquares];  // smallest square of each area of the solved position
    int32_t goalAreaSizes[kMaxSquares];    // size of each listed area
    int32_t goalAreaCount = 0;
    int32_t areaStrategyFlag = 0;          // the level suits the area-clearing search
};
extern Analysis analysis;

// Bit of list entry i among n entries: the first entry is the highest of the n low bits.
inline uint64_t listBit(int32_t i, int32_t n) { return uint64_t{1} << (n - 1 - i); }

// Answers of prepareAnalysis; kAnalysisAllOnGoals has the value of the solved result code.
constexpr int32_t kAnalysisInfeasible = 0;
constexpr int32_t kAnalysisDone = 1;
constexpr int32_t kAnalysisAllOnGoals = 8;

// Analyses the position of board with the pusher on pusherSquare.
// Returns kAnalysisAllOnGoals when every box is on a goal, kAnalysisDone when analysed,
// kAnalysisInfeasible when it proved the position infeasible.
int32_t prepareAnalysis(const int32_t* board, int32_t pusherSquare);

// Finds the pusher areas of the solved position that matter to thread 2 and decides whether
// the level suits the area-clearing search.
void analyseAreas();

// Bands of thread 1's final search: writes crossBand14 and crossBand7 over bandSquares from a
// per-square value map.
void bandDistances(const int32_t* values);

}  // namespace qm
