#pragma once
// Batch solving: levels batchFrom to batchTo of the open set, one after another, with counts,
// an optional report and optional playback of each solution.
#include <cstdint>
#include <string>

#include "batch/report.hpp"

namespace qm {

struct BatchSettings {
    int32_t batchFrom = 1, batchTo = 1;  // level numbers, from 1
    int32_t outputEnabled = 0;           // write a report
    int32_t writeTrace = 0;              // add the solution letters to the report
    int32_t playAfter = 1;               // play each solution at the fastest speed
};
extern BatchSettings batchSettings;

// What a batch run shows; the window and the command line each provide one. Called on the
// thread that runs the batch.
class BatchDisplay {
public:
    virtual ~BatchDisplay() = default;
    // The run starts: flags, captions and timer 1 as the display needs them.
    virtual void batchBegins() = 0;
    // The report's header has been written.
    virtual void reportStarted() = 0;
    virtual void showCounts(int32_t solved, int32_t failed) = 0;
    // The current level is about to be solved.
    virtual void showLevel() = 0;
    // The level's solve ended with result (its report line is written next).
    virtual void levelFinished(int32_t result) = 0;
    // A skipped or cancelled level: clear the solution and draw the start position.
    virtual void clearSolution() = 0;
    // Plays the found solution; returns when it has ended or control.stopFlag is set.
    virtual void playSolution() = 0;
    // Writing the report failed (the run goes on); called once.
    virtual void reportFailed(const std::string& message) = 0;
    // The run is over; lastResult is the last level's result.
    virtual void batchEnds(int32_t lastResult) = 0;
};

struct BatchTimes {
    ReportTime start, end;
};
extern BatchTimes batchTimes;

// Runs the batch on the open level set. report may be null (no report). Returns the last
// level's result (3 when cancelled).
int32_t runBatch(BatchDisplay& display, ReportSink* report);

}  // namespace qm
