#pragma once
// Thread 1's four corral test instances: the final search's, the companion search's, and the
// main phase's relaxed and segment instances.
#include "search/corral.hpp"

namespace qm {

// The limits of the four instances.
constexpr CorralLimits kFinalCorralLimits = {1'868'107, 1'557'000, 200, true, false,
                                             CorralClock::kUntilDeadline, CorralFreeze::kOffGoal, false};
constexpr CorralLimits kCompanionCorralLimits = {24'001, 20'000, 200, false, false,
                                                 CorralClock::kBeforeDeadline,
                                                 CorralFreeze::kGoalNeighbours, false};
constexpr CorralLimits kRelaxedCorralLimits = {24'001, 20'000, 400, true, true, CorralClock::kNone,
                                               CorralFreeze::kOffGoal, true};
constexpr CorralLimits kSegmentCorralLimits = {24'001, 20'000, 400, true, true,
                                               CorralClock::kUntilDeadline, CorralFreeze::kOffGoal,
                                               false};

using FinalCorral = CorralInstance<18>;
using CompanionCorral = CorralInstance<6>;
using MainPhaseCorral = CorralInstance<18>;

// The four instances; each belongs to the search that owns it.
extern FinalCorral finalCorral;
extern CompanionCorral companionCorral;
extern MainPhaseCorral relaxedCorral;
extern MainPhaseCorral segmentCorral;

}  // namespace qm
