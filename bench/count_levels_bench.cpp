// Counting the levels of a generated 10 MB text of about 5000 levels (goal: under a second).
#include <benchmark/benchmark.h>

#include <string>

#include "levels/sources.hpp"

namespace {

std::string generatedSet() {
    std::string text;
    uint32_t x = 2024;
    int n = 0;
    const std::string comment(70, '.');
    while (text.size() < 10u * 1024 * 1024) {
        ++n;
        text += "; generated level ";
        text += std::to_string(n);
        text += '\n';
        for (int i = 0; i < 24; ++i) {
            text += ';';
            text += comment;
            text += '\n';
        }
        text += "\n";
        const int width = 8 + static_cast<int>((x >> 8) % 20);
        x = x * 1664525u + 1013904223u;
        const std::string wall(static_cast<size_t>(width), '#');
        text += wall;
        text += '\n';
        for (int row = 0; row < 6; ++row) {
            std::string line(static_cast<size_t>(width), ' ');
            line.front() = line.back() = '#';
            if (row == 1) line.replace(1, 3, "@$.");
            if (row == 3) line.replace(2, 2, "$.");
            text += line;
            text += '\n';
        }
        text += wall;
        text += "\n\n";
    }
    return text;
}

void BM_CountLevels(benchmark::State& state) {
    const std::string text = generatedSet();
    for (auto _ : state) {
        qm::openText(text);
        benchmark::DoNotOptimize(qm::levelSet.levelCount);
    }
    state.counters["levels"] = qm::levelSet.levelCount;
    state.counters["MB"] = static_cast<double>(text.size()) / (1024.0 * 1024.0);
}
BENCHMARK(BM_CountLevels)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
