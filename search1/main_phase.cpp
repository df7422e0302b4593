#include <cstring>

#include "board/analysis.hpp"
#include "board/board.hpp"
#include "search1/companion.hpp"
#include "search1/entry_search.hpp"
#include "search1/main_line.hpp"
#include "search1/thread1.hpp"
#include "solver/control.hpp"

namespace qm {

namespace {

// The first entry search, and a second pass when the first found a path without usable entries.
int32_t firstEntrySearch() {
    EntrySearch& es = entrySearchTables;
    computeNoParkSquares();
    std::memset(es.secondPassBan, 0, sizeof(int32_t) * level.cellCount);
    es.secondPass = 0;
    int32_t r = entrySearch();
    if (entryList.entryMode == kEntryModeNone && r == kResultSolved &&
        control.secondaryState != kCompanionSolved) {
        es.secondPass = 1;
        r = entrySearch();
    }
    return r;
}

}  // namespace

int32_t mainPhase() {
    entryList.entryCount = 0;
    entryList.entryMode = kEntryModeNone;
    resetMainLine();
    int32_t r = prepareAnalysis(level.obstacleMap, level.pusherSquare);
    if (r != 1) {
        if (r == 0) control.searchExhausted = 1;
        return r;
    }
    companionStart();
    r = firstEntrySearch();
    if (r != kResultSolved) return r;
    // The companion may have solved the level meanwhile: nothing is left to solve.
    if (analysis.analysisBoxCount == 0) return kResultSolved;
    // The segment loop comes with the segment search; until then the phase finds nothing more.
    return kResultNoLevel;
}

}  // namespace qm
