#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>

#include "board/board.hpp"
#include "reference/level_generator.hpp"
#include "reference/reference_solver.hpp"
#include "solver/control.hpp"
#include "solver/driver.hpp"
#include "support/solver_fixture.hpp"
#include "support/test_support.hpp"

using qm::control;

namespace {

// Levels per run; fewer under the sanitizers, which slow the solver several times.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr int32_t kLevels = 600;
#else
constexpr int32_t kLevels = 3000;
#endif

struct SolverChoice {
    const char* name;
    bool thread1, thread2, thread2Methods;
};
constexpr SolverChoice kChoices[] = {
    {"both", true, true, true}, {"1", true, false, true}, {"2", false, true, true}, {"3", false, true, false}};

uint64_t seedForRun() {
    if (const char* env = std::getenv("QM_DIFF_SEED")) return std::strtoull(env, nullptr, 10);
    return static_cast<uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
}

class Differential : public qmtest::SolverTest {
protected:
    void TearDown() override {
        qm::driverOptions = qm::DriverOptions{};
        SolverTest::TearDown();
    }
};

// Every generated level is judged by the plain reference. A level it solves is never called
// impossible, at load time or by a thread; a level it cannot solve is never reported solved; a
// reported solution always replays. Levels the reference solves but a thread fails on within the
// limit are counted by thread and result, and printed.
TEST_F(Differential, SolverAgreesWithThePlainReference) {
    const uint64_t seed = seedForRun();
    std::printf("differential seed %llu (set QM_DIFF_SEED to replay)\n",
                static_cast<unsigned long long>(seed));
    std::mt19937_64 rng(seed);
    // Deadlines are whole seconds: two give every solve at least one second.
    control.timeLimit = 2;
    int32_t judged = 0, solvable = 0;
    std::map<std::string, int32_t> solvedBy, missed, provedImpossible;
    for (int32_t k = 0; k < kLevels; ++k) {
        const std::string text = qmref::generateLevel(rng);
        const int32_t verdict = qmtest::loadPicture(text);
        if (verdict != qm::kResultRunning && verdict != qm::kResultImpossible) continue;
        const qmref::ReferenceAnswer answer = qmref::solveReference(qmref::referenceFromText(text));
        if (answer.verdict == qmref::Verdict::kTooLarge) continue;
        ++judged;
        const bool canBeSolved = answer.verdict == qmref::Verdict::kSolvable;
        solvable += canBeSolved ? 1 : 0;
        SCOPED_TRACE("level " + std::to_string(k) + ":\n" + text);
        if (canBeSolved) {
            EXPECT_NE(verdict, qm::kResultImpossible) << "impossible at load";
        }
        if (verdict != qm::kResultRunning) continue;
        for (const SolverChoice& choice : kChoices) {
            SCOPED_TRACE(std::string("--solver ") + choice.name);
            ASSERT_EQ(qmtest::loadPicture(text), verdict);
            qm::driverOptions.runThread1 = choice.thread1;
            qm::driverOptions.runThread2 = choice.thread2;
            qm::driverOptions.runThread2Methods = choice.thread2Methods;
            const int32_t result = qm::solveLevel();
            const int32_t state1 = control.thread1State, state2 = control.thread2State;
            EXPECT_NE(result, qm::kResultTraceMiss) << "a solution that does not replay";
            if (result == qm::kResultSolved) {
                EXPECT_TRUE(canBeSolved) << "solved where the reference proves no solution";
                ++solvedBy[choice.name];
            }
            if (!canBeSolved) {
                if (result == qm::kResultImpossible) ++provedImpossible[choice.name];
                continue;
            }
            EXPECT_NE(state1, qm::kResultImpossible);
            EXPECT_NE(state2, qm::kResultImpossible) << "thread 2 called a solvable level impossible";
            if (result != qm::kResultSolved) {
                // Thread 1 gives up at once on a level whose boxes all start on goals.
                const char* kind = answer.pushes == 0 ? " (already solved)" : "";
                ++missed[std::string(choice.name) + kind + " thread1=" + std::to_string(state1) +
                         " thread2=" + std::to_string(state2)];
            }
        }
    }
    std::printf("levels judged %d, solvable %d\n", judged, solvable);
    for (const auto& [name, count] : solvedBy) std::printf("  --solver %s solved %d\n", name.c_str(), count);
    for (const auto& [name, count] : provedImpossible) {
        std::printf("  --solver %s proved %d unsolvable levels impossible\n", name.c_str(), count);
    }
    for (const auto& [name, count] : missed) std::printf("  missed: --solver %s: %d\n", name.c_str(), count);
    EXPECT_GT(judged, kLevels / 3);
    EXPECT_GT(solvable, judged / 4);
}

}  // namespace
