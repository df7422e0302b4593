#include "app/cli_batch.hpp"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <mutex>
#include <ostream>
#include <thread>

#include <unistd.h>

#include "app/cli_solutions.hpp"
#include "app/cli_stats.hpp"
#include "batch/batch.hpp"
#include "board/board.hpp"
#include "levels/sources.hpp"
#include "optimize/found_solution.hpp"
#include "solver/control.hpp"
#include "solver/driver.hpp"
#include "solver/texts.hpp"
#include "ui/state.hpp"

namespace qm {

namespace {

constexpr int kExitBadInput = 2;
constexpr int kExitCanceled = 130;
constexpr auto kRefresh = std::chrono::milliseconds(200);

// Ctrl-C asks to cancel, as the Cancel button does; a second Ctrl-C ends the program at once.
std::atomic<int> interrupts{0};

void onInterrupt(int) {
    if (interrupts.fetch_add(1) >= 1) _exit(kExitCanceled);
    control.stopFlag = kStopCancel;
}

std::string progressLine() {
    return formatText("level %4d  %5lld sec  thread1 %9lld  thread2 %9lld", levelSet.currentLevel,
                      static_cast<long long>(nowSeconds() - control.solveStart),
                      static_cast<long long>(thread1Progress()),
                      static_cast<long long>(thread2Progress()));
}

// What the optimizer did, for the progress display.
std::string optimizedLine(const FoundOptimization& found) {
    if (!found.ran) return "";
    const OptimizeOutcome& o = found.outcome;
    if (o.memoryRefused) return "optimizer: no memory for its table, solution kept";
    if (found.replayFailed) return "optimizer: its result did not replay, solution kept";
    return formatText("optimized: %d moves %d pushes (from %d moves %d pushes), %d rounds, %lld positions", o.moves,
                      o.pushes, o.givenMoves, o.givenPushes, o.rounds, static_cast<long long>(o.nodes));
}

// Shows progress on standard error: a line refreshed every 200 ms on a terminal, otherwise one
// line per finished level.
class CliBatchDisplay final : public BatchDisplay {
public:
    CliBatchDisplay(std::ostream& err, StatsFile& stats, SolutionsFile& solutions, const CliBatchOptions& options)
        : err_(err), stats_(stats), solutions_(solutions), options_(options), terminal_(isatty(STDERR_FILENO) == 1) {}
    ~CliBatchDisplay() override { stopRefresher(); }

    void batchBegins() override {
        if (terminal_) refresher_ = std::thread([this] { refreshLoop(); });
    }
    void reportStarted() override {}
    void showCounts(int32_t, int32_t) override {}
    // The flag changes under the lock, so the refresher reads the level number only while the
    // batch leaves it alone.
    void showLevel() override {
        std::lock_guard<std::mutex> lock(mutex_);
        solving_ = true;
    }
    void levelFinished(int32_t result) override {
        FoundOptimization found;
        if (result == kResultSolved && options_.optimizeMetric >= 0) {
            found = optimizeFoundSolution(options_.optimizeMetric, options_.optimizeSeconds);
        }
        const std::string optimized = optimizedLine(found);
        std::lock_guard<std::mutex> lock(mutex_);
        solving_ = false;
        if (!optimized.empty()) err_ << (terminal_ ? "\r\033[K" : "") << optimized << '\n';
        const std::string line =
            levelLine(levelSet.currentLevel, level.boardWidth, level.boardHeight, level.boxCount) +
            formatText(" %4lld sec  ", static_cast<long long>(control.elapsedSeconds)) + resultWord(result);
        err_ << (terminal_ ? "\r\033[K" : "") << line << '\n' << std::flush;
        stats_.writeLevel(levelSet.currentLevel, result, found.outcome.rounds);
        if (!solutions_.writeLevel(result) && !solutionsFailed_) {
            solutionsFailed_ = true;
            err_ << "quillmate-cli: cannot write the solutions file\n" << std::flush;
        }
    }
    void clearSolution() override {}
    void playSolution() override {}
    void reportFailed(const std::string& message) override {
        std::lock_guard<std::mutex> lock(mutex_);
        err_ << (terminal_ ? "\r\033[K" : "") << "quillmate-cli: " << message << '\n' << std::flush;
    }
    void batchEnds(int32_t) override { stopRefresher(); }

private:
    static std::string resultWord(int32_t result) {
        switch (result) {
            case kResultSolved: return "solved";
            case kResultCanceled: return "canceled";
            case kResultSkipped: return "skipped";
            default: {
                std::string suffix = reportSuffix(result);
                while (!suffix.empty() && (suffix.back() == '\n' || suffix.back() == ' ')) suffix.pop_back();
                while (!suffix.empty() && suffix.front() == ' ') suffix.erase(suffix.begin());
                return suffix;
            }
        }
    }
    void refreshLoop() {
        std::unique_lock<std::mutex> lock(mutex_);
        while (!stopping_) {
            if (solving_) err_ << "\r\033[K" << progressLine() << std::flush;
            wake_.wait_for(lock, kRefresh);
        }
        err_ << "\r\033[K" << std::flush;
    }
    void stopRefresher() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        if (refresher_.joinable()) refresher_.join();
    }

    std::ostream& err_;
    StatsFile& stats_;
    SolutionsFile& solutions_;
    const CliBatchOptions& options_;
    bool solutionsFailed_ = false;
    const bool terminal_;
    bool solving_ = false;
    bool stopping_ = false;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::thread refresher_;
};

}  // namespace

int runCliBatch(const CliBatchOptions& options, std::ostream& err) {
    batchSettings.batchFrom = options.from > 0 ? options.from : 1;
    batchSettings.batchTo = options.to > 0 ? options.to : levelSet.levelCount;
    batchSettings.outputEnabled = 1;
    batchSettings.writeTrace = options.trace ? 1 : 0;
    batchSettings.playAfter = 0;
    driverOptions.runThread1 = options.thread1;
    driverOptions.runThread2 = options.thread2;
    driverOptions.runThread2Methods = options.thread2Methods;

    StatsFile stats;
    std::string error;
    if (!options.statsPath.empty() && !stats.open(options.statsPath, error)) {
        err << "quillmate-cli: " << options.statsPath << ": " << error << '\n';
        return kExitBadInput;
    }
    SolutionsFile solutions(options.solutionsRunLength);
    if (!options.solutionsPath.empty() && !solutions.open(options.solutionsPath, error)) {
        err << "quillmate-cli: " << options.solutionsPath << ": " << error << '\n';
        return kExitBadInput;
    }
    FileReportSink fileSink(options.reportPath);
    StreamReportSink streamSink(stdout);
    ReportSink* sink = options.reportPath.empty() ? static_cast<ReportSink*>(&streamSink) : &fileSink;

    interrupts = 0;
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    struct sigaction previous {};
    sigaction(SIGINT, &action, &previous);
    CliBatchDisplay display(err, stats, solutions, options);
    const int32_t last = runBatch(display, sink);
    sigaction(SIGINT, &previous, nullptr);
    return last == kResultCanceled ? kExitCanceled : 0;
}

}  // namespace qm
