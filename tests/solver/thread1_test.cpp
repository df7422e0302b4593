#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "board/board.hpp"
#include "board/solution.hpp"
#include "levels/sample.hpp"
#include "levels/sources.hpp"
#include "solver/blocks.hpp"
#include "solver/control.hpp"
#include "solver/driver.hpp"
#include "support/test_support.hpp"

using qm::control;

namespace {

class ThreadOne : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_EQ(qm::allocateBlocks(), 1);
        ASSERT_EQ(qm::allocateSolution(), 1);
    }
    void SetUp() override {
        qm::driverOptions = qm::DriverOptions{};
        qm::driverOptions.runThread2 = false;
        control.timeLimit = 20;
        control.solvedCount = 0;
    }
    void TearDown() override { qm::driverOptions = qm::DriverOptions{}; }

    // Solves every level of text with thread 1 alone; the driver replays each solution.
    static void solveAll(const std::string& text, int32_t from, int32_t to) {
        ASSERT_EQ(qm::openText(text), 1);
        for (int32_t k = from; k <= to; ++k) {
            SCOPED_TRACE("level " + std::to_string(k));
            qm::goToLevel(k);
            EXPECT_EQ(qm::solveLevel(), qm::kResultSolved);
            EXPECT_EQ(control.solvedBy, 1);
        }
    }
};

TEST_F(ThreadOne, AloneSolvesTheSampleSet) {
    solveAll(std::string(qm::sampleText()), 1, qm::kSampleLevels);
    EXPECT_EQ(control.solvedCount, qm::kSampleLevels);
}

TEST_F(ThreadOne, AloneSolvesTheSmallSet) {
    solveAll(qmtest::dataFile("small.txt"), 1, 100);
    EXPECT_EQ(control.solvedCount, 100);
}

// While thread 1 works on a level it cannot settle, its progress counters move; a cancel ends
// the solve within about a second.
TEST_F(ThreadOne, ProgressCountersMoveAndCancelStopsIt) {
    ASSERT_EQ(qmtest::loadPicture(qmtest::slowLevel()), 1);
    std::atomic<bool> moved{false};
    std::thread watcher([&moved] {
        for (int i = 0; i < 100 && !moved; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            if (control.thread1State == qm::kResultRunning &&
                (control.phaseNodeCount > 0 || control.entryStateCount > 0 || control.segNodeCount > 0)) {
                moved = true;
            }
        }
        control.stopFlag = 1;
    });
    const auto start = std::chrono::steady_clock::now();
    const int32_t result = qm::solveLevel();
    const auto stopped = std::chrono::steady_clock::now();
    watcher.join();
    EXPECT_TRUE(moved);
    EXPECT_EQ(result, qm::kResultCanceled);
    EXPECT_LT(std::chrono::duration<double>(stopped - start).count(), 7.0);
}

}  // namespace
