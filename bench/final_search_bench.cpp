// Thread 1's final search: stored nodes per second on a few fixed generated levels.
// Usage: final_search_bench [benchmark flags] [levels folder]; the folder may also come from the
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
#include "search1/final_search.hpp"
#include "solver/blocks.hpp"
#include "solver/control.hpp"
#include "solver/preparation.hpp"

namespace {

constexpr int64_t kSecondsPerRun = 20;

struct BenchLevel {
    const char* set;
    int32_t number;
};

// Levels the final search solves after a while, or searches until it is stopped.
constexpr BenchLevel kLevels[] = {
    {"medium", 10}, {"medium", 47}, {"large", 46}, {"wide", 3},
};

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void runFinalSearch(benchmark::State& state, const std::string& text, int32_t number) {
    int64_t nodes = 0;
    double seconds = 0;
    int32_t result = 0;
    for (auto _ : state) {
        state.PauseTiming();
        qm::openText(text);
        qm::goToLevel(number);
        qm::prepareSolve();
        qm::clearBlock1();
        qm::control.stopFlag = 0;
        qm::control.solveDeadline = qm::nowSeconds() + kSecondsPerRun;
        state.ResumeTiming();
        const auto begin = std::chrono::steady_clock::now();
        result = qm::finalSearch();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        nodes += qm::finalTables.nodeCount;
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
        std::fprintf(stderr, "final_search_bench: memory blocks not available, nothing measured\n");
        return 0;
    }
    int32_t registered = 0;
    for (const BenchLevel& entry : kLevels) {
        const std::string text = readText(folder + "/" + entry.set + ".txt");
        if (text.empty()) continue;
        const std::string name = std::string("FinalSearch/") + entry.set + "/" + std::to_string(entry.number);
        benchmark::RegisterBenchmark(name.c_str(), runFinalSearch, text, entry.number)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1);
        ++registered;
    }
    if (registered == 0) {
        std::fprintf(stderr, "final_search_bench: no level sets in %s, skipped\n", folder.c_str());
        return 0;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    qm::releaseSolution();
    qm::releaseBlocks();
    return 0;
}
