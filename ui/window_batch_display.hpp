#pragma once
// What a batch run shows in the main window: flags, captions, counters, timers, the level and
// the play-after of each solution. Runs on the worker thread; the window system carries its
// calls over to the window's thread.
#include <cstdint>
#include <string>

#include "batch/batch.hpp"

namespace qm {

// Period of the play-after playback, the trace viewer's fastest speed.
constexpr int32_t kPlayAfterPeriodMs = 5;
// How long the worker sleeps between looks at the playback.
constexpr int32_t kPlayAfterPollMs = 200;

class WindowBatchDisplay final : public BatchDisplay {
public:
    void batchBegins() override;
    void reportStarted() override;
    void showCounts(int32_t solved, int32_t failed) override;
    void showLevel() override;
    void levelFinished(int32_t result) override;
    void clearSolution() override;
    void playSolution() override;
    void reportFailed(const std::string& message) override;
    void batchEnds(int32_t lastResult) override;
};

}  // namespace qm
