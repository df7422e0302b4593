#include "batch/batch.hpp"

#include "board/board.hpp"
#include "board/solution.hpp"
#include "levels/sources.hpp"
#include "solver/control.hpp"
#include "solver/driver.hpp"

namespace qm {

BatchSettings batchSettings;
BatchTimes batchTimes;

namespace {

// Appends report text; the first failure is shown once and the run goes on.
class ReportWriter {
public:
    ReportWriter(ReportSink* sink, BatchDisplay& display) : sink_(sink), display_(display) {}
    bool enabled() const { return sink_ != nullptr; }
    void start(const std::string& text) { check(sink_->start(text)); }
    void append(const std::string& text) {
        if (sink_ != nullptr) check(sink_->append(text));
    }

private:
    void check(bool written) {
        if (written || failed_) return;
        failed_ = true;
        display_.reportFailed("cannot write the report");
    }
    ReportSink* sink_;
    BatchDisplay& display_;
    bool failed_ = false;
};

std::string levelReport(int32_t result) {
    std::string text = reportLevelLine(levelSet.currentLevel, level.boardWidth, level.boardHeight,
                                       level.boxCount, control.elapsedSeconds, result,
                                       solution.moveCount, solution.pushCount,
                                       solution.traceOverflow != 0);
    if (result == kResultSolved && batchSettings.writeTrace != 0 && solution.solutionText != nullptr) {
        text += reportTraceLines(solution.solutionText);
    }
    return text;
}

}  // namespace

int32_t runBatch(BatchDisplay& display, ReportSink* report) {
    ReportWriter writer(batchSettings.outputEnabled != 0 ? report : nullptr, display);
    display.batchBegins();
    control.solvedCount = 0;
    control.failedCount = 0;
    control.skippedCount = 0;
    control.skipRequest = 0;
    batchTimes.start = localNow();
    if (writer.enabled()) {
        writer.start(reportHeader(levelSet.levelSetName, levelSet.levelCount, control.timeLimit,
                                  batchTimes.start));
        display.reportStarted();
    }
    display.showCounts(0, 0);
    if (levelSet.sourceKind != kSourceNone && batchSettings.batchFrom != levelSet.currentLevel) {
        goToLevel(batchSettings.batchFrom);
    }

    int32_t result = kResultFailed;
    for (;;) {
        display.showLevel();
        solveLevel();
        result = control.batchResult;
        display.showCounts(control.solvedCount, control.failedCount);
        if (result == kResultCanceled) {
            if (control.skipRequest != 0) {
                ++control.failedCount;
                result = kResultSkipped;
                control.batchResult = result;
            }
            display.clearSolution();
        }
        display.levelFinished(result);
        writer.append(levelReport(result));
        display.showCounts(control.solvedCount, control.failedCount);
        // A cancel that came after the solve ended (while the display optimized the solution)
        // ends the run here rather than being lost when the next solve starts.
        if (result == kResultSolved && control.stopFlag == kStopCancel && control.skipRequest == 0) {
            result = kResultCanceled;
            control.batchResult = result;
            writer.append("->Cancel\n");
            break;
        }
        if (result == kResultSolved && batchSettings.playAfter != 0) {
            display.playSolution();
            if (control.stopFlag != 0 && control.skipRequest == 0) {
                result = kResultCanceled;
                control.batchResult = result;
                writer.append("->Cancel\n");
                break;
            }
        }
        if (result == kResultCanceled && control.skipRequest == 0) break;
        control.skipRequest = 0;
        if (levelSet.currentLevel >= batchSettings.batchTo || levelSet.nextLevelPos < 0) break;
        nextLevel();
    }
    batchTimes.end = localNow();
    writer.append(reportFooter(control.solvedCount, control.failedCount, control.skippedCount,
                               batchTimes.end));
    display.batchEnds(result);
    return result;
}

}  // namespace qm
