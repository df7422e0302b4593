#pragma once
// The corridor rules of thread 2's macro moves: where a box may not end a move, and where a box
// in front of a corridor mouth is carried on to instead.
#include <cstdint>

#include "board/board.hpp"

namespace qm {

struct CorridorRules {
    int32_t noStopMark[kMaxSquares];    // 1: a box must not end a macro move here
    int32_t corridorExit[kMaxSquares];  // square a box pushed through the corridor may stop on
    // The rules keep the search small but may drop a move a solution needs: a search that used
    // them and ran dry proves nothing.
    int32_t corridorRulesOn = 1;
    int32_t corridorRuleUsed = 0;       // set once a rule has passed over a placement
};
extern CorridorRules corridorRules;

// Fills noStopMark and corridorExit from searchBoard (walls and start boxes), goals and
// t2StartMask.
void corridorAnalysis();

}  // namespace qm
