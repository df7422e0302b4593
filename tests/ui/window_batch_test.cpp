#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "batch/batch.hpp"
#include "board/solution.hpp"
#include "levels/sources.hpp"
#include "solver/control.hpp"
#include "ui/main_window.hpp"
#include "ui/state.hpp"
#include "ui/trace.hpp"
#include "ui/window_batch_display.hpp"
#include "ui/window_system.hpp"
#include "ui/worker.hpp"
#include "window_fixture.hpp"

using namespace qm;

namespace qmtest {
namespace {

class WindowBatch : public WindowTest {
protected:
    std::filesystem::path report;

    void SetUp() override {
        WindowTest::SetUp();
        report = folder / "report.txt";
    }
    // Opens the option dialog and starts a batch from it as the user would.
    void startBatch(bool playAfter, bool output, const char* timeLimit) {
        fake.onDialog = [this, playAfter, output, timeLimit](int32_t dialog) {
            if (dialog != kOptionDialog) return;
            fake.setChecked(kOptPlayAfter, playAfter);
            fake.setChecked(kOptOutput, output);
            onDialogCommand(kOptOutput);
            fake.setChecked(kOptTrace, true);
            fake.setText(kOptReportPath, report.string());
            fake.setText(kOptTimeLimit, timeLimit);
            onDialogCommand(kOptBatchStart);
        };
        onCommand(kCtlOption);
        fake.onDialog = nullptr;
    }
    std::string closingMessage() {
        for (const FakeMessageBox& box : fake.messageBoxes) {
            if (box.icon == kIconInformation) return box.text;
        }
        return {};
    }
};

TEST_F(WindowBatch, TwoLevelsWriteTheirReportAndTheClosingMessage) {
    load(std::string(kTinyLevel) + "\n" + kTinyLevel2);
    startBatch(false, true, "600");
    joinWorker();

    ASSERT_EQ(fake.dialogsEnded, std::vector<int32_t>{kOptionDialog});
    const std::string text = readText(report);
    EXPECT_EQ(lineOf(text, 1), "# Quillmate Ver7.3.1 by nuvelka (Oct/2021)");
    EXPECT_EQ(lineOf(text, 2), "# LevelSetName: TextBox (2 levels)");
    EXPECT_EQ(lineOf(text, 3), "# MaxSize [50*50(64)] Memory 3.5GB TimeLimit 600sec");
    EXPECT_EQ(lineOf(text, 5), std::string(54, '-'));
    EXPECT_EQ(lineOf(text, 6).substr(0, 16), "   1[ 6* 5(  1)]");
    EXPECT_NE(lineOf(text, 6).find("pushes"), std::string::npos);
    EXPECT_EQ(lineOf(text, 7).substr(0, 2), "\t\t");
    EXPECT_EQ(lineOf(text, 8).substr(0, 16), "   2[ 7* 5(  2)]");
    EXPECT_EQ(lineOf(text, 9).substr(2), std::string(solution.solutionText));
    EXPECT_EQ(lineOf(text, 10), std::string(54, '-'));
    EXPECT_EQ(lineOf(text, 11).substr(0, 30), "# Solved:   2 levels         [");
    EXPECT_EQ(lineOf(text, 12), "# Failed:   0 levels");
    EXPECT_EQ(lineOf(text, 13), "");  // no "# Skiped" line

    EXPECT_EQ(closingMessage().substr(0, 24), "  Batch is finished.\r\n\r\n");
    EXPECT_NE(closingMessage().find(" Finish\r\n"), std::string::npos);
    EXPECT_EQ(fake.text(kCtlSolvedCounter), "2");
    EXPECT_EQ(fake.text(kCtlFailedCounter), "0");
    EXPECT_EQ(fake.text(kCtlSolve), "Solve");
    EXPECT_EQ(fake.text(kCtlOption), "Option");
    EXPECT_EQ(windowState.batchFlag, 0);
    EXPECT_TRUE(fake.enabled(kCtlSample));
    EXPECT_EQ(trace.tracePos, 0);  // the last solution waits at its start
    ASSERT_TRUE(fake.visible(kCtlLookIn));
    onCommand(kCtlLookIn);
    EXPECT_EQ(fake.openedDocuments, std::vector<std::string>{report.string()});
}

TEST_F(WindowBatch, SkipEndsOnlyTheLevelBeingSolved) {
    load(std::string(kHardLevel) + "\n" + kTinyLevel);
    startBatch(false, true, "2");
    ASSERT_TRUE(solverRunning());
    EXPECT_EQ(fake.controlText(kCtlSolve), "Skip");  // a copy: the batch is still writing
    EXPECT_EQ(fake.controlText(kCtlOption), "Cancel");
    onCommand(kCtlSolve);
    joinWorker();

    const std::string text = readText(report);
    EXPECT_EQ(lineOf(text, 3), "# MaxSize [50*50(64)] Memory 3.5GB TimeLimit 2sec");
    EXPECT_EQ(lineOf(text, 6).substr(0, 16), "   1[26*22( 26)]");
    EXPECT_EQ(lineOf(text, 6).substr(23), " Failed Skip");
    EXPECT_EQ(lineOf(text, 7).substr(0, 16), "   2[ 6* 5(  1)]");  // the skip has no trace line
    EXPECT_EQ(lineOf(text, 10).substr(0, 20), "# Solved:   1 levels");
    EXPECT_EQ(lineOf(text, 11), "# Failed:   1 levels");
    EXPECT_EQ(closingMessage().substr(0, 22), "  Batch is finished.\r\n");
}

TEST_F(WindowBatch, CancelEndsTheRunWithItsFooter) {
    load(std::string(kHardLevel) + "\n" + kTinyLevel);
    startBatch(false, true, "2");
    ASSERT_TRUE(solverRunning());
    onCommand(kCtlOption);
    joinWorker();

    const std::string text = readText(report);
    EXPECT_EQ(lineOf(text, 6), "->Cancel");
    EXPECT_EQ(lineOf(text, 7), std::string(54, '-'));
    EXPECT_EQ(lineOf(text, 9), "# Failed:   0 levels");
    EXPECT_EQ(text.find("   2["), std::string::npos);
    EXPECT_EQ(closingMessage().substr(0, 24), "  Batch is canceled.\r\n\r\n");
    EXPECT_NE(closingMessage().find(" Cancel\r\n"), std::string::npos);
    EXPECT_EQ(levelSet.currentLevel, 1);
}

TEST_F(WindowBatch, PlayAfterPlaysEverySolutionOnTimerTwo) {
    load(std::string(kTinyLevel) + "\n" + kTinyLevel2);
    // The window's thread: timer ticks while the batch runs.
    std::atomic<bool> done{false};
    std::thread ticker([&] {
        while (!done) {
            if (fake.timerRunning(kTimerTrace)) onTimer(kTimerTrace);
            if (fake.timerRunning(kTimerSolve)) onTimer(kTimerSolve);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    startBatch(true, false, "600");
    joinWorker();
    done = true;
    ticker.join();

    int32_t playbacks = 0;
    for (int32_t t : fake.timerStarts) playbacks += t == kTimerTrace;
    EXPECT_EQ(playbacks, 2);
    EXPECT_FALSE(fake.timerRunning(kTimerTrace));
    EXPECT_EQ(windowState.playingFlag, 0);
    EXPECT_EQ(fake.text(kCtlSolvedCounter), "2");
    EXPECT_FALSE(fake.visible(kCtlLookIn));  // no report
    // Each playback ended only when the trace reached its end (no stop was asked); the last
    // solution is then put back at its start.
    ASSERT_TRUE(solutionPresent());
    EXPECT_EQ(trace.tracePos, 0);
    EXPECT_TRUE(fake.enabled(kCtlPlay));
}

}  // namespace
}  // namespace qmtest
