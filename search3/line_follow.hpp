#pragma once
// The feature search's view of thread 1's main line: the transfers thread 1 has published,
// checked against the search's own board (walls and the boxes in play) and applied in order.
// A transfer that does not fit, which the two threads' shared analysis never makes, ends the
// following.
#include <cstdint>

#include "search/shared_line.hpp"

namespace qm {

// Starts from the search's start position.
void startLineFollow();
// The next published transfer, applied to the line's position; false when none is waiting or
// the following has ended.
bool nextLineTransfer(SharedTransfer& out);
// The boxes of the line's position after the transfers taken.
const int32_t* lineBoxes();
int32_t lineBoxCount();

}  // namespace qm
