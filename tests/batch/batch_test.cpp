#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "batch/batch.hpp"
#include "board/solution.hpp"
#include "levels/sources.hpp"
#include "solver/blocks.hpp"
#include "solver/control.hpp"
#include "solver/driver.hpp"
#include "support/test_support.hpp"

using qm::control;

namespace {

// Records what the batch asks the display to do.
class RecordingDisplay : public qm::BatchDisplay {
public:
    std::vector<int32_t> results;
    int played = 0, cleared = 0, reportStarts = 0;
    bool began = false, ended = false;
    void batchBegins() override { began = true; }
    void reportStarted() override { ++reportStarts; }
    void showCounts(int32_t, int32_t) override {}
    void showLevel() override {}
    void levelFinished(int32_t result) override { results.push_back(result); }
    void clearSolution() override { ++cleared; }
    void playSolution() override { ++played; }
    void reportFailed(const std::string&) override {}
    void batchEnds(int32_t) override { ended = true; }
};

std::string readFile(const std::filesystem::path& p) {
    std::ifstream in(p);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

const char* kThreeLevels =
    "#######\n#@ $ .#\n#######\n\n"
    "#####\n #@$. \n#####\n\n"
    "########\n#@ $  .#\n#  $  .#\n########\n";

class Batch : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_EQ(qm::allocateBlocks(), 1);
        ASSERT_EQ(qm::allocateSolution(), 1);
    }
    void SetUp() override {
        folder_ = qmtest::freshFolder("batch");
        report_ = folder_ / "report.txt";
        control.timeLimit = 5;
        qm::batchSettings = qm::BatchSettings{};
        qm::batchSettings.outputEnabled = 1;
        qm::batchSettings.playAfter = 0;
        ASSERT_EQ(qm::openText(kThreeLevels), 1);
        qm::batchSettings.batchFrom = 1;
        qm::batchSettings.batchTo = qm::levelSet.levelCount;
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }
    std::filesystem::path folder_, report_;
};

}  // namespace

TEST_F(Batch, RunsTheRangeAndWritesTheReport) {
    qm::batchSettings.writeTrace = 1;
    qm::FileReportSink sink(report_.string());
    RecordingDisplay display;
    EXPECT_EQ(qm::runBatch(display, &sink), 8);
    EXPECT_TRUE(display.began && display.ended);
    EXPECT_EQ(display.results, (std::vector<int32_t>{8, 6, 8}));
    EXPECT_EQ(control.solvedCount, 2);
    EXPECT_EQ(control.skippedCount, 1);
    const std::string text = readFile(report_);
    EXPECT_EQ(qmtest::lineOf(text, 2), "# LevelSetName: TextBox (3 levels)");
    EXPECT_EQ(qmtest::lineOf(text, 6).substr(0, 20), "   1[ 7* 3(  1)]   0");
    EXPECT_EQ(qmtest::lineOf(text, 7), "\t\trRR");
    EXPECT_EQ(qmtest::lineOf(text, 8), "   2[ 5* 3(  1)]   0sec Skiped Strange");
    EXPECT_NE(text.find("# Solved:   2 levels"), std::string::npos);
    EXPECT_NE(text.find("# Failed:   0 levels\n# Skiped:   1 levels\n"), std::string::npos);
}

TEST_F(Batch, RangeWithoutSkippedLevelsHasNoSkipedLine) {
    qm::batchSettings.batchFrom = 3;
    qm::batchSettings.batchTo = 3;
    qm::FileReportSink sink(report_.string());
    RecordingDisplay display;
    qm::runBatch(display, &sink);
    EXPECT_EQ(display.results, (std::vector<int32_t>{8}));
    const std::string text = readFile(report_);
    EXPECT_EQ(text.find("# Skiped"), std::string::npos);
    EXPECT_NE(text.find("   3[ 8* 4(  2)]"), std::string::npos);
}

TEST_F(Batch, PlayAfterAndCancelDuringPlayback) {
    qm::batchSettings.playAfter = 1;
    qm::FileReportSink sink(report_.string());
    // The display cancels while "playing" the first solution.
    class CancellingDisplay : public RecordingDisplay {
    public:
        void playSolution() override {
            ++played;
            control.stopFlag = 1;
        }
    } display;
    EXPECT_EQ(qm::runBatch(display, &sink), 3);
    EXPECT_EQ(display.played, 1);
    const std::string text = readFile(report_);
    EXPECT_NE(text.find("pushes\n->Cancel\n---"), std::string::npos) << text;
    EXPECT_NE(text.find("# Solved:   1 levels"), std::string::npos);
    control.stopFlag = 0;
}

TEST_F(Batch, SkipRecordsFailedSkipAndGoesOn) {
    // A level the search needs a while for, between two quick ones.
    const std::string slow = qmtest::slowLevel();
    ASSERT_EQ(qm::openText(std::string("#######\n#@ $ .#\n#######\n\n") + slow + "\n#######\n#@ $ .#\n#######\n"), 1);
    qm::batchSettings.batchTo = 3;
    control.timeLimit = 20;
    qm::FileReportSink sink(report_.string());
    class SkippingDisplay : public RecordingDisplay {
    public:
        std::thread skipper;
        void showLevel() override {
            if (qm::levelSet.currentLevel != 2) return;
            skipper = std::thread([] {
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
                control.skipRequest = 1;
                control.stopFlag = 1;
            });
        }
    } display;
    qm::runBatch(display, &sink);
    display.skipper.join();
    ASSERT_EQ(display.results.size(), 3u);
    if (display.results[1] == 8) GTEST_SKIP() << "level 2 was solved before the skip";
    EXPECT_EQ(display.results[1], 12);
    EXPECT_EQ(display.results[2], 8);
    EXPECT_NE(readFile(report_).find("sec Failed Skip\n"), std::string::npos);
    EXPECT_EQ(control.failedCount, 1);
}
