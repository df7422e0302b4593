// Thread 2's speed: stored nodes per second of its search on a few fixed generated levels.
// Usage: thread2_bench [benchmark flags] [levels folder]; the folder may also come from the
// QM_LEVELS environment variable and defaults to "../shared/levels".
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "board/board.hpp"
#include "board/solution.hpp"
#include "levels/sources.hpp"
#include "search2/thread2.hpp"
#include "solver/blocks.hpp"
#include "solver/control.hpp"
#include "solver/preparation.hpp"

namespace {

constexpr int64_t kSecondsPerRun = 60;

struct BenchLevel {
    const char* set;
    int32_t number;
};

// Levels that thread 2 solves or searches for a while, from small to large.
constexpr BenchLevel kLevels[] = {
    {"small", 40}, {"small", 90}, {"medium", 10}, {"medium", 60}, {"large", 5},
};

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void runThread2(benchmark::State& state, const std::string& text, int32_t number) {
    int64_t nodes = 0;
    double seconds = 0;
    int32_t result = 0;
    for (auto _ : state) {
        state.PauseTiming();
        qm::openText(text);
        qm::goToLevel(number);
        qm::prepareSolve();
        qm::control.stopFlag = 0;
        qm::control.solveDeadline = qm::nowSeconds() + kSecondsPerRun;
        qm::control.thread2State = qm::kResultRunning;
        state.ResumeTiming();
        const auto begin = std::chrono::steady_clock::now();
        qm::thread2Main();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        nodes += qm::control.nodeCount;
        result = qm::control.thread2State;
    }
    state.counters["nodes"] = static_cast<double>(nodes) / static_cast<double>(state.iterations());
    state.counters["nodes_per_second"] = seconds > 0 ? static_cast<double>(nodes) / seconds : 0;
    state.counters["result"] = result;
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    std::string folder = "../shared/levels";
    if (const char* env = std::getenv("QM_LEVELS")) folder = env;
    if (argc > 1) folder = argv[1];

    if (qm::allocateBlocks() != 1 || qm::allocateSolution() == 0) {
        std::fprintf(stderr, "thread2_bench: memory blocks not available, nothing measured\n");
        return 0;
    }
    int32_t registered = 0;
    for (const BenchLevel& entry : kLevels) {
        const std::string text = readText(folder + "/" + entry.set + ".txt");
        if (text.empty()) continue;
        const std::string name = std::string("Thread2/") + entry.set + "/" + std::to_string(entry.number);
        benchmark::RegisterBenchmark(name.c_str(), runThread2, text, entry.number)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1);
        ++registered;
    }
    if (registered == 0) {
        std::fprintf(stderr, "thread2_bench: no level sets in %s, skipped\n", folder.c_str());
        return 0;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    qm::releaseSteps();
    qm::releaseSolution();
    qm::releaseBlocks();
    return 0;
}
