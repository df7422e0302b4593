#pragma once
// The step writers of thread 2's bidirectional search.
#include "search2/node_table.hpp"

namespace qm {

// Appends the forward chain ending at node to the step list, oldest first.
void writeForwardSteps(SearchNode* node);
// Appends the backward half from meetNode towards the solved position.
void writeBackwardSteps();

}  // namespace qm
