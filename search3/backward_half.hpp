#pragma once
// The feature search's backward half: positions pulled back from the solved one, in the same
// table as the forward positions and tagged as such, taken greedily by the assignment bound to
// the squares the boxes start on. Every pulled position can be solved, so a forward move onto
// one, or a pull onto a forward position, joins the halves into a solution. Pulls make no
// deadlocks, so on crowded levels, where the forward search sinks into positions that look
// nearly solved and are stuck, the backward half often comes right back to the start.
#include <cstdint>

#include "search3/feature_table.hpp"

namespace qm {

// What one backward expansion did.
constexpr int32_t kBackwardGoesOn = 0;
constexpr int32_t kBackwardMet = 1;    // a pull reached a forward position: see backwardMeeting
constexpr int32_t kBackwardIdle = 2;   // nothing expanded: the half ran dry or filled its share

// Where the halves met: the forward chain ends on forwardEnd, one box transfer (bridge) leads
// from it to backwardStart's position, and the backward chain goes on from there.
struct Meeting {
    FeatureNode* forwardEnd = nullptr;
    int16_t bridgeFrom = 0, bridgeTo = 0, bridgePusher = 0;
    FeatureNode* backwardStart = nullptr;
};

// Stores the solved position once per region of the pusher's floor, after the forward start;
// maxNodes caps the positions the half may store.
void startBackwardHalf(int64_t maxNodes);
// Aims the half also at a position reached from the start (thread 1's line): from now on an
// order by the assignment bound to its n boxes takes turns with the order by the bound to the
// start. A later call replaces the aim.
void aimBackwardAt(const int32_t* boxes, int32_t n);
// Whether the half can go on: it has positions waiting and room for more.
bool backwardRunning();
// Expands the waiting backward position of least bound.
int32_t expandBackward();
// The meeting found by the last expandBackward that returned kBackwardMet.
const Meeting& backwardMeeting();
// Writes the solution of a meeting into the step list.
void writeMeetingSteps(const Meeting& meeting);

}  // namespace qm
