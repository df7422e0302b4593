// The pre-solve analysis and a box transfer on a 20 x 20 level with 20 boxes.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "board/analysis.hpp"
#include "board/board.hpp"
#include "board/solution.hpp"
#include "levels/parser.hpp"

namespace {

// A 20 x 20 room with a few pillars, 20 boxes in its upper half and 20 goals in its lower half.
std::string benchLevel() {
    const int w = 20, h = 20;
    std::string grid(static_cast<size_t>(w * h), ' ');
    auto at = [&](int x, int y) -> char& { return grid[static_cast<size_t>(y * w + x)]; };
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (x == 0 || y == 0 || x == w - 1 || y == h - 1) at(x, y) = '#';
        }
    }
    for (int i = 0; i < 4; ++i) at(4 + 4 * i, 9) = '#';
    for (int b = 0; b < 20; ++b) {
        at(3 + 3 * (b % 5), 3 + 2 * (b / 5)) = '$';
        at(3 + 3 * (b % 5), 12 + (b / 5)) = '.';
    }
    at(1, 1) = '@';
    std::string rows;
    for (int y = 0; y < h; ++y) rows += grid.substr(static_cast<size_t>(y * w), w) + "\n";
    return rows;
}

bool loadBenchLevel(benchmark::State& state) {
    if (qm::parseLevel(benchLevel().c_str(), 1) == 1) return true;
    state.SkipWithError("the benchmark level did not load");
    return false;
}

void BM_PrepareAnalysis(benchmark::State& state) {
    if (!loadBenchLevel(state)) return;
    int32_t result = 0;
    for (auto _ : state) {
        result = qm::prepareAnalysis(qm::level.obstacleMap, qm::level.pusherSquare);
        benchmark::DoNotOptimize(result);
    }
    if (result != 1) state.SkipWithError("the analysis did not accept the level");
}
BENCHMARK(BM_PrepareAnalysis)->Unit(benchmark::kMicrosecond);

void BM_AppendBoxTransfer(benchmark::State& state) {
    if (!loadBenchLevel(state)) return;
    qm::allocateSolution();
    const int32_t w = qm::level.boardWidth;
    const int32_t from = 3 * w + 3, target = 16 * w + 15, pusherEnd = w + 1;
    int32_t done = 0;
    for (auto _ : state) {
        qm::resetSolution();
        done = qm::appendBoxTransfer(target, pusherEnd, from);
        benchmark::DoNotOptimize(done);
    }
    if (done != 1) state.SkipWithError("the transfer found no path");
    state.counters["moves"] = qm::solution.moveCount;
    qm::releaseSolution();
}
BENCHMARK(BM_AppendBoxTransfer)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
