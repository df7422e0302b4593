#pragma once
// What each solver thread did in the last solve: the phase it ended in, the nodes its searches
// stored, the tables that filled, the segments it committed and why it ended. Each thread writes
// only its own record while it runs; the driver completes both after joining the threads, and the
// command line's statistics read them after the solve.
#include <cstdint>

namespace qm {

// The phase a thread was in when it ended.
constexpr int32_t kStatsPhaseNone = 0;           // the thread did not search
constexpr int32_t kStatsPhaseMain = 1;           // thread 1's main phase (segment k of n)
constexpr int32_t kStatsPhaseCompanion = 2;      // thread 1's companion search alone
constexpr int32_t kStatsPhaseFinal = 3;          // thread 1's final search
constexpr int32_t kStatsPhaseBidirectional = 4;  // thread 2's bidirectional search
constexpr int32_t kStatsPhaseAreaClearing = 5;   // thread 2's area-clearing search
constexpr int32_t kStatsPhaseFeature = 6;        // the feature search on thread 2's core

// The searches whose stored nodes are counted, one column each.
constexpr int32_t kStatsEntry = 0;
constexpr int32_t kStatsSegment = 1;
constexpr int32_t kStatsCompanion = 2;
constexpr int32_t kStatsFinal = 3;
constexpr int32_t kStatsBidirectional = 4;
constexpr int32_t kStatsAreaClearing = 5;
constexpr int32_t kStatsFeature = 6;
constexpr int32_t kStatsSearchCount = 7;

// Why a thread ended.
constexpr int32_t kEndNone = 0;        // not started
constexpr int32_t kEndSolved = 1;
constexpr int32_t kEndExhausted = 2;   // its last search ran out of positions
constexpr int32_t kEndTableFull = 3;   // its last search filled its table
constexpr int32_t kEndDeadline = 4;
constexpr int32_t kEndStopped = 5;     // the other thread solved the level
constexpr int32_t kEndCanceled = 6;    // the user canceled
constexpr int32_t kEndNotSuited = 7;   // the level does not suit the thread (too many boxes)
constexpr int32_t kEndImpossible = 8;  // it proved the level impossible

struct ThreadStats {
    int32_t phase = kStatsPhaseNone;
    int32_t segment = 0;            // main phase: the segment being searched, from 1
    int32_t segmentTotal = 0;       // main phase: goals to fill at the start
    int32_t segmentsCommitted = 0;
    int32_t segmentsRolledBack = 0;
    int64_t nodes[kStatsSearchCount] = {};  // nodes stored by each search, over the whole solve
    uint32_t fullTables = 0;        // bit k: search k filled its table at least once
    int32_t lastSearch = -1;        // the search that ran last, for the end reason
    int32_t endReason = kEndNone;
    int32_t result = 0;             // the thread's final state (a result code)
    double seconds = 0;             // from the start of both threads to this thread's end
};

struct SolveStats {
    ThreadStats thread[2];  // thread 1, thread 2's core
};
extern SolveStats solveStats;

inline ThreadStats& thread1Stats() { return solveStats.thread[0]; }
inline ThreadStats& thread2Stats() { return solveStats.thread[1]; }

// Notes that search k stored count nodes in one run and whether its table filled.
inline void noteSearch(ThreadStats& stats, int32_t k, int64_t count, bool full) {
    stats.nodes[k] += count;
    if (full) stats.fullTables |= 1u << k;
    stats.lastSearch = k;
}

// Clears both records before a solve.
void resetSolveStats();

// The end reason of a thread from its final state, once both threads are joined: a stop is
// told apart by whether the other thread solved and whether the user canceled; a failure by
// whether the last search filled its table. A reason the thread set itself is kept.
int32_t endReasonOf(const ThreadStats& stats, int32_t state, int32_t otherState, bool canceled);

// Texts of the statistics columns.
const char* statsPhaseName(int32_t phase);
const char* statsSearchName(int32_t search);
const char* endReasonName(int32_t reason);

}  // namespace qm
