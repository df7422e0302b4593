#pragma once
// The frame of the search benchmarks: each runs one search on a few fixed levels of the shared
// generated sets and reports stored nodes per second.
// Usage: NAME [benchmark flags] [levels folder]; the folder may also come from the QM_LEVELS
// environment variable and defaults to "../shared/levels".
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "board/solution.hpp"
#include "levels/sources.hpp"
#include "solver/blocks.hpp"
#include "solver/control.hpp"
#include "solver/preparation.hpp"

namespace qmbench {

struct BenchLevel {
    const char* set;
    int32_t number;
};

// What one run of the measured search reports.
struct SearchRun {
    int64_t nodes;
    int32_t result;
};

inline std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// Loads and prepares level `number` of text as the driver does, runs search with a deadline
// `seconds` ahead, and records nodes, nodes per second and the result.
template <typename Search>
void measureSearch(benchmark::State& state, const std::string& text, int32_t number,
                   int64_t seconds, Search search) {
    int64_t nodes = 0;
    double elapsed = 0;
    int32_t result = 0;
    for (auto _ : state) {
        state.PauseTiming();
        qm::openText(text);
        qm::goToLevel(number);
        qm::prepareSolve();
        qm::control.stopFlag = 0;
        qm::control.solveDeadline = qm::nowSeconds() + seconds;
        state.ResumeTiming();
        const auto begin = std::chrono::steady_clock::now();
        const SearchRun run = search();
        elapsed += std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        nodes += run.nodes;
        result = run.result;
    }
    state.counters["nodes"] = static_cast<double>(nodes) / static_cast<double>(state.iterations());
    state.counters["nodes_per_second"] = elapsed > 0 ? static_cast<double>(nodes) / elapsed : 0;
    state.counters["result"] = result;
}

// Registers one benchmark per level that can be read and runs them. Returns main's status.
template <size_t kCount, typename Search>
int runSearchBenchmarks(int argc, char** argv, const char* program, const char* prefix,
                        const BenchLevel (&levels)[kCount], int64_t seconds, Search search) {
    benchmark::Initialize(&argc, argv);
    std::string folder = "../shared/levels";
    if (const char* env = std::getenv("QM_LEVELS")) folder = env;
    if (argc > 1) folder = argv[1];
    if (qm::allocateBlocks() != 1 || qm::allocateSolution() == 0) {
        std::fprintf(stderr, "%s: memory blocks not available, nothing measured\n", program);
        return 0;
    }
    int32_t registered = 0;
    for (const BenchLevel& entry : levels) {
        const std::string text = readText(folder + "/" + entry.set + ".txt");
        if (text.empty()) continue;
        const std::string name = std::string(prefix) + "/" + entry.set + "/" + std::to_string(entry.number);
        benchmark::RegisterBenchmark(name.c_str(), measureSearch<Search>, text, entry.number,
                                     seconds, search)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1);
        ++registered;
    }
    if (registered == 0) {
        std::fprintf(stderr, "%s: no level sets in %s, skipped\n", program, folder.c_str());
        return 0;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    qm::releaseSolution();
    qm::releaseBlocks();
    return 0;
}

}  // namespace qmbench
