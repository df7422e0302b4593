#pragma once
// Scratch of the board routines (fills, single-box reach, cut squares, deadlock and assignment
// tests, load-time freezing). Each thread that runs them has its own: the solver threads name
// theirs, which lives with their tables, when they start; every other thread (the window's, or
// the worker while it loads and checks levels) uses the shared one, one thread at a time.
#include <cstdint>

#include "board/board.hpp"
#include "board/lifted_area.hpp"
#include "board/single_box.hpp"

namespace qm {

struct BoardScratch {
    int32_t fillQueue[kMaxSquares];      // the queue of the flood fills
    // Single-box reach.
    int32_t reach[kMaxSquares];          // the mover's region
    int32_t stateSides[kMaxStates];      // side sets of the caller-list routines' states
    uint32_t sideVisited[kMaxSquares];   // visit stamps of the side search
    uint32_t sideStamp = 0;
    int32_t sideQueue[kMaxSquares];
    LiftedArea ownArea;                  // the mover's area with the box lifted
    int32_t tempBoxes[kMaxStates];       // the lists of boxPullReachTemp
    int32_t tempPullers[kMaxStates];
    int32_t tempSides[kMaxStates];
    // The cut-square search of findLiftedArea.
    int32_t cutOrder[kMaxSquares];       // discovery time, 0 for unvisited
    int32_t cutLow[kMaxSquares];         // earliest discovery time reachable through back edges
    int32_t cutParent[kMaxSquares];
    int32_t cutStack[kMaxSquares];
    int8_t cutNextDir[kMaxSquares];      // next direction to try at each stack entry
    int32_t cutList[kMaxSquares];        // the area's squares, for resetting
    // The deadlock and assignment tests.
    int32_t testBoard[kMaxSquares];
    int32_t testSideMap[kMaxSquares];
    int32_t testMatrix[kMaxBoxes * kMaxBoxes];
    // Load-time freezing.
    int32_t freezeWork[kMaxSquares];
    int32_t freezeRegion[kMaxSquares];
    int32_t freezeGoals[kMaxSquares];
};

// The calling thread's scratch.
BoardScratch& boardScratch();
// Makes scratch the calling thread's from now on (a solver thread, at its start).
void useBoardScratch(BoardScratch& scratch);

}  // namespace qm
