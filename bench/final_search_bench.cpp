// Thread 1's final search: stored nodes per second on a few fixed generated levels.
// Usage: final_search_bench [benchmark flags] [levels folder]
#include "bench/search_bench.hpp"
#include "search1/final_search.hpp"

namespace {

// Levels the final search solves after a while, or searches until it is stopped.
constexpr qmbench::BenchLevel kLevels[] = {
    {"medium", 10}, {"medium", 47}, {"large", 46}, {"wide", 3},
};

qmbench::SearchRun runFinalSearch() {
    qm::clearBlock1();
    const int32_t result = qm::finalSearch();
    return {qm::finalTables.nodeCount, result};
}

}  // namespace

int main(int argc, char** argv) {
    return qmbench::runSearchBenchmarks(argc, argv, "final_search_bench", "FinalSearch", kLevels, 20,
                                        runFinalSearch);
}
