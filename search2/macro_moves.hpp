#pragma once
// Macro moves of the bidirectional search: one box moved as far as it goes by pushes (forward) or
// pulls (backward), the corridor rules that limit where it may stop, the priorities, and the
// writers that turn node chains into steps.
#include <cstdint>

#include "board/board.hpp"

namespace qm {

struct SearchNode;

struct MacroTables {
    int32_t noStopMark[kMaxSquares];    // 1: a box must not end a macro move here
    // The corridor rules (noStopMark, corridorExit) keep the search small but may drop a move a
    // solution needs: a search that used them and ran dry proves nothing.
    int32_t corridorRulesOn = 1;
    int32_t corridorRuleUsed = 0;   // set once a corridor rule has passed over a placement
    int32_t corridorExit[kMaxSquares];  // square a box pushed through the corridor may stop on
    int32_t visitWeight[kMaxSquares];   // 90,000 on start-occupied squares, +1 per forward node
    double meetScale = 0;
};
extern MacroTables macro;

// Fills noStopMark and corridorExit from searchBoard (walls and start boxes), goals and
// t2StartMask.
void corridorAnalysis();
// 0..4: 4 when all free floor of searchBoard is one region with the pusher on p.
int32_t connectivityScore(int32_t p);
// 0..57: how strongly the backward position in t2Boxes points at the forward nodes.
int32_t backwardPriority(int32_t p);
// Expands the start position (t2Boxes marked on searchBoard, pusher region pusher) into forward
// nodes without parents and without a node limit. 8 when a child is a stored backward root (the
// one step is written), else 2; the boxes are off searchBoard afterwards either way.
int32_t forwardSeed(int32_t pusher);
// Expand one node: 2 expanded, 7 no node left, 8 the searches met (steps written), 9 node limit.
int32_t forwardExpand();
int32_t backwardExpand();
// Appends the forward chain ending at node to the step list, oldest first.
void writeForwardSteps(SearchNode* node);
// Appends the backward half from meetNode towards the solved position.
void writeBackwardSteps();

}  // namespace qm
