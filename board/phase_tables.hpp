#pragma once
// Working tables of thread 1's bidirectional searches. The deadlock test and the band
// distances of the shared analysis read and write them on thread 1's behalf.
#include <cstdint>

#include "board/board.hpp"

namespace qm {

struct PhaseTables {
    int32_t phaseBoard[kMaxSquares];   // 0 floor, 2 box, 8 wall
    int32_t phaseBoxes[kMaxBoxes];     // box squares of the state being worked on
    int32_t phaseBoxCount = 0;
    uint64_t pushMask[kMaxSquares];    // copy of goalReachMask
    uint64_t pullMask[kMaxSquares];    // copy of boxReachMask
    int32_t phaseClass[kMaxSquares];   // copy of squareClass
    int32_t bandSquares[kMaxSquares];  // ascending squares with a goal-reach mask, class not 2
    int32_t bandSquareCount = 0;
    int32_t pushVisits[kMaxSquares];   // nodes inserted on the push side with a box here
    int32_t pullVisits[kMaxSquares];   // the same for the pull side
    int32_t goalRemoteness[kMaxSquares];  // 0..7
    int32_t crossBand7[kMaxSquares];   // 0..7, from the opposite side's visits
    int32_t crossBand14[kMaxSquares];  // 0..14, from the opposite side's visits
};
extern PhaseTables phase;

}  // namespace qm
