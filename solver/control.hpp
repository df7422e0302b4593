#pragma once
// The vocabulary of solving: result codes, the control words shared by the driver, the solver
// threads and the window, and the clock they all read.
#include <atomic>
#include <cstddef>
#include <cstdint>

namespace qm {

// Result codes: level verdicts, thread states and final results.
constexpr int32_t kResultNoLevel = 0;
constexpr int32_t kResultRunning = 1;     // verdict: accepted; thread state: running
constexpr int32_t kResultStopNow = 2;     // stop-flag value only
constexpr int32_t kResultCanceled = 3;
constexpr int32_t kResultSizeOver = 4;
constexpr int32_t kResultBoxesOver = 5;
constexpr int32_t kResultIrregular = 6;
constexpr int32_t kResultImpossible = 7;
constexpr int32_t kResultSolved = 8;
constexpr int32_t kResultFailed = 9;
constexpr int32_t kResultTimeout = 10;
constexpr int32_t kResultTraceMiss = 11;
constexpr int32_t kResultSkipped = 12;

// Values of solvedBy besides thread 1's 1 and thread 2's 2 and 3.
constexpr int32_t kSolvedByFeatureSearch = 4;

// Values of the stop word.
constexpr int32_t kStopRun = 0;
constexpr int32_t kStopCancel = 1;  // the user asked to cancel
constexpr int32_t kStopNow = kResultStopNow;  // the driver: the deadline passed or a thread solved

// Message box text of the main window after a solve; nullptr for a solved level.
const char* resultMessage(int32_t code);
// Suffix of a batch report line for a result other than 8 and a cancel.
const char* reportSuffix(int32_t code);

// A word shared between threads: every access is atomic with relaxed ordering, which is all the
// polling design needs (a stale value only delays a reaction by one poll).
template <typename T>
class SharedWord {
public:
    constexpr SharedWord(T v = T{}) : value_(v) {}
    SharedWord(const SharedWord&) = delete;
    SharedWord& operator=(const SharedWord&) = delete;
    operator T() const { return value_.load(std::memory_order_relaxed); }
    SharedWord& operator=(T v) {
        value_.store(v, std::memory_order_relaxed);
        return *this;
    }
    // Every shared word has one writer at a time, so counting needs no read-modify-write.
    T operator++() { return *this += T{1}; }
    T operator+=(T v) {
        const T next = static_cast<T>(value_.load(std::memory_order_relaxed) + v);
        value_.store(next, std::memory_order_relaxed);
        return next;
    }

private:
    std::atomic<T> value_;
};

// Cache-line size: words one solver thread writes often sit on lines of their own, so the other
// thread's polling and counting never fights over them.
constexpr size_t kCacheLine = 64;

struct Control {
    alignas(kCacheLine) SharedWord<int32_t> stopFlag;  // 0 run, 1 user cancel, 2 stop now
    SharedWord<int32_t> thread1State;    // 0 before, 1 running, then the thread's result
    SharedWord<int32_t> thread2State;
    SharedWord<int32_t> batchResult;     // final result of the last solve
    SharedWord<int32_t> solvedBy;        // 0 none, 1 thread 1, 2 area clearing, 3 bidirectional,
                                         // 4 feature search
    SharedWord<int32_t> timeLimit{600};  // seconds per solve
    SharedWord<int64_t> solveStart;      // whole seconds since 1970
    SharedWord<int64_t> solveDeadline;
    SharedWord<int64_t> elapsedSeconds;
    SharedWord<int32_t> searchExhausted; // thread 1's search space ran empty
    SharedWord<int32_t> secondaryState;  // companion search: 0, 1 running, 2 solved, 3 full
    SharedWord<int32_t> solverPhase;     // thread 1's phase 0, 1 or 2, for display
    SharedWord<int32_t> solvedCount;
    SharedWord<int32_t> failedCount;
    SharedWord<int32_t> skippedCount;
    SharedWord<int32_t> skipRequest;      // during a batch, a stop means skip this level
    // Progress counters the window shows while solving; thread 1's on one line, thread 2's on
    // another.
    alignas(kCacheLine) SharedWord<int32_t> phaseNodeCount;  // nodes of thread 1's bidirectional table
    SharedWord<int32_t> segNodeCount;     // thread 1's segment search nodes
    SharedWord<int32_t> entryStateCount;  // thread 1's entry search states
    alignas(kCacheLine) SharedWord<int32_t> nodeCount;  // thread 2's stored nodes
};
extern Control control;

// The current time in whole seconds since 1970.
int64_t nowSeconds();

// The searches' stop tests, both reading the stop word and the clock. A search stops when the
// stop word is set or its deadline rule says so: some go on through the deadline's second
// (they stop once it has passed), others stop as soon as it has come.
// Both read the calling thread's own deadline instead when it comes first.
bool stopOrDeadlinePassed();   // stopFlag set, or the current second later than solveDeadline
bool stopOrDeadlineReached();  // stopFlag set, or the current second at or past solveDeadline

// A solver thread may give one of its methods less time than the solve: until the second given
// (whole seconds since 1970), the stop tests of the calling thread answer for it; kNoThreadDeadline
// leaves only solveDeadline.
constexpr int64_t kNoThreadDeadline = INT64_MAX;
void setThreadDeadline(int64_t seconds);

}  // namespace qm
