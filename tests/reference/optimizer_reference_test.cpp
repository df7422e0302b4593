#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "board/board.hpp"
#include "board/solution.hpp"
#include "optimize/optimizer.hpp"
#include "reference/level_generator.hpp"
#include "reference/reference_solver.hpp"
#include "solver/control.hpp"
#include "solver/driver.hpp"
#include "support/refusing_memory.hpp"
#include "support/solver_fixture.hpp"
#include "support/test_support.hpp"

namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr int32_t kLevels = 40;
#else
constexpr int32_t kLevels = 120;
#endif

std::string foundLetters() {
    return std::string(qm::solution.solutionText, strnlen(qm::solution.solutionText, qm::solution.solutionCapacity));
}

bool replays(const std::string& letters) {
    qm::resetSolution();
    for (char c : letters) qm::appendLetter(qm::letterDirection(c), qm::isPushLetter(c));
    return qm::verifySolution() == 1;
}

class OptimizerReference : public qmtest::SolverTest {
protected:
    static void TearDownTestSuite() { qm::releaseOptimizer(); }
};

// On generated tiny levels, the solver's solution optimized for pushes reaches the fewest pushes
// the exhaustive reference finds; optimized for moves it is never longer; both replay.
TEST_F(OptimizerReference, PushOptimizingReachesTheReferencesFewestPushes) {
    std::mt19937_64 rng(20261209);
    qm::control.timeLimit = 2;
    int32_t optimized = 0, improved = 0;
    for (int32_t k = 0; k < kLevels; ++k) {
        const std::string text = qmref::generateLevel(rng);
        if (qmtest::loadPicture(text) != qm::kResultRunning) continue;
        const qmref::ReferenceAnswer answer = qmref::solveReference(qmref::referenceFromText(text));
        if (answer.verdict != qmref::Verdict::kSolvable || answer.pushes == 0) continue;
        if (qm::solveLevel() != qm::kResultSolved) continue;
        SCOPED_TRACE("level " + std::to_string(k) + ":\n" + text);
        const std::string given = foundLetters();
        const int32_t givenMoves = qm::solution.moveCount;
        qm::OptimizeOutcome pushes, moves;
        ASSERT_TRUE(qm::optimizeSolution(given, qm::kMetricPushes, 10, pushes));
        EXPECT_EQ(pushes.pushes, answer.pushes);
        EXPECT_TRUE(replays(pushes.letters));
        EXPECT_EQ(qm::solution.pushCount, pushes.pushes);
        ASSERT_TRUE(qm::optimizeSolution(given, qm::kMetricMoves, 10, moves));
        EXPECT_LE(moves.moves, givenMoves);
        EXPECT_TRUE(replays(moves.letters));
        EXPECT_EQ(qm::solution.moveCount, moves.moves);
        ++optimized;
        improved += moves.moves < givenMoves ? 1 : 0;
    }
    std::printf("optimized %d solutions, %d shorter in moves\n", optimized, improved);
    EXPECT_GT(optimized, kLevels / 10);
}

TEST_F(OptimizerReference, MovesThatDoNotSolveAreRefusedAndNoMemoryKeepsTheSolution) {
    ASSERT_EQ(qmtest::loadPicture("#######\n#     #\n#@$   #\n#   . #\n#######\n"), qm::kResultRunning);
    qm::OptimizeOutcome outcome;
    EXPECT_FALSE(qm::optimizeSolution("RRR", qm::kMetricMoves, 1, outcome));
    EXPECT_FALSE(qm::optimizeSolution("RRx", qm::kMetricMoves, 1, outcome));
    qm::releaseOptimizer();
    {
        qmtest::MemoryRefusal refusal(0);
        ASSERT_TRUE(qm::optimizeSolution("RRlurrD", qm::kMetricMoves, 1, outcome));
    }
    EXPECT_TRUE(outcome.memoryRefused);
    EXPECT_EQ(outcome.letters, "RRlurrD");
    ASSERT_TRUE(qm::optimizeSolution("RRlurrD", qm::kMetricMoves, 1, outcome));
    EXPECT_EQ(outcome.letters, "RRurD");
    EXPECT_EQ(outcome.givenMoves, 7);
    // The cancel word ends it at once with the solution it was given.
    qm::control.stopFlag = qm::kStopCancel;
    ASSERT_TRUE(qm::optimizeSolution("RRlurrD", qm::kMetricMoves, 60, outcome));
    EXPECT_EQ(outcome.letters, "RRlurrD");
    qm::control.stopFlag = 0;
}

}  // namespace
