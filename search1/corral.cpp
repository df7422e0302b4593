#include "search1/corral.hpp"

namespace qm {

FinalCorral finalCorral{kFinalCorralLimits};
CompanionCorral companionCorral{kCompanionCorralLimits};
MainPhaseCorral relaxedCorral{kRelaxedCorralLimits};
MainPhaseCorral segmentCorral{kSegmentCorralLimits};

}  // namespace qm
