#pragma once
// The companion search: a second bidirectional search for levels of at most 20 boxes that runs
// in slices inside the main phase, is fed the main line's states as push-side roots, and goes on
// alone after the main phase until it meets, runs dry, fills up or time runs out.
#include <cstdint>

#include "search1/bidirectional.hpp"

namespace qm {

constexpr uint32_t kCompanionSlots = 24'878'263;
constexpr int32_t kCompanionNodeLimit = 20'897'740;
constexpr int32_t kCompanionBuckets = 21;   // priorities 0 .. 20: a number of boxes
constexpr int32_t kCompanionMaxBoxes = 20;

// secondaryState values.
constexpr int32_t kCompanionNotStarted = 0;  // also: the level has more than 20 boxes
constexpr int32_t kCompanionRunning = 1;
constexpr int32_t kCompanionSolved = 2;      // the solution text is written
constexpr int32_t kCompanionFull = 3;        // its table filled up

using CompanionSearch = BidiSearch<kCompanionMaxBoxes, kCompanionBuckets>;

struct Companion {
    CompanionSearch search;
    int32_t companionRounds = 1;        // expansion rounds per slice: 1, 2 or 4
    int32_t companionInserted = 0;      // main-line entries whose states are inserted
    int32_t companionBoxes[kCompanionMaxBoxes];  // boxes after the last inserted entry
    int32_t meetThreshold = 0;          // visits from which the other side counts a square
    double pullThresholdFactor = 0;
    double pushThresholdFactor = 0;
    // Box/target matrix of the node being expanded, and the copy its rows are restored from.
    int32_t matrix[kMaxBoxes * kMaxBoxes];
    int32_t savedMatrix[kMaxBoxes * kMaxBoxes];
};
extern Companion companion;

// Starts the companion on the analysed start position (first call, after block 1 was cleared),
// or inserts the main-line states committed since the last call. Returns 8 when a main-line
// state met the pull side (solution written), 0 when the table filled, otherwise 1.
int32_t companionStart();
// A few rounds of one pull and one push expansion. Returns 1 (nothing to report, or not
// running), 8 (solved: the solution text is written and analysisBoxCount set to 0), 9 (table
// full) or 0 (the side whose turn it was had no node).
int32_t companionSlice();

// The expansions and the solution writer, for the continuation after the main phase.
// pullExpand and pushExpand return 1 (expanded, or the push side held back), 8 (meeting),
// 9 (table full) or 0 (empty queue).
int32_t pullExpand();
int32_t pushExpand();
// Writes the solution of the meeting; false when a box transfer could not be written, in which
// case the solution text holds the main line's transfers again.
bool assembleSolution();

}  // namespace qm
