#include "solver/solve_stats.hpp"

#include "solver/control.hpp"

namespace qm {

SolveStats solveStats;

void resetSolveStats() { solveStats = SolveStats{}; }

int32_t endReasonOf(const ThreadStats& stats, int32_t state, int32_t otherState, bool canceled) {
    if (state == kResultSolved) return kEndSolved;
    if (state == kResultImpossible) return kEndImpossible;
    if (state == kResultBoxesOver) return kEndNotSuited;
    if (state == kResultCanceled || state == kResultTimeout) {
        if (otherState == kResultSolved) return kEndStopped;
        return canceled ? kEndCanceled : kEndDeadline;
    }
    if (stats.endReason != kEndNone) return stats.endReason;
    if (stats.lastSearch < 0) return kEndNotSuited;
    return (stats.fullTables >> stats.lastSearch & 1u) != 0 ? kEndTableFull : kEndExhausted;
}

const char* statsPhaseName(int32_t phase) {
    switch (phase) {
        case kStatsPhaseMain: return "main";
        case kStatsPhaseCompanion: return "companion";
        case kStatsPhaseFinal: return "final";
        case kStatsPhaseBidirectional: return "bidirectional";
        case kStatsPhaseAreaClearing: return "area-clearing";
        case kStatsPhaseFeature: return "feature";
        default: return "none";
    }
}

const char* statsSearchName(int32_t search) {
    static const char* const names[kStatsSearchCount] = {
        "entry", "segment", "companion", "final", "bidirectional", "area", "feature"};
    return search >= 0 && search < kStatsSearchCount ? names[search] : "";
}

const char* endReasonName(int32_t reason) {
    switch (reason) {
        case kEndSolved: return "solved";
        case kEndExhausted: return "exhausted";
        case kEndTableFull: return "table-full";
        case kEndDeadline: return "deadline";
        case kEndStopped: return "stopped";
        case kEndCanceled: return "canceled";
        case kEndNotSuited: return "not-suited";
        case kEndImpossible: return "impossible";
        default: return "none";
    }
}

}  // namespace qm
