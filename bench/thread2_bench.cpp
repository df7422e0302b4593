// Thread 2's speed: stored nodes per second of its search on a few fixed generated levels.
// Usage: thread2_bench [benchmark flags] [levels folder]
#include "bench/search_bench.hpp"
#include "search2/thread2.hpp"

namespace {

// Levels that thread 2 solves or searches for a while, from small to large.
constexpr qmbench::BenchLevel kLevels[] = {
    {"small", 40}, {"small", 90}, {"medium", 10}, {"medium", 60}, {"large", 5},
};

qmbench::SearchRun runThread2() {
    qm::control.thread2State = qm::kResultRunning;
    qm::thread2Main();
    return {qm::control.nodeCount, qm::control.thread2State};
}

}  // namespace

int main(int argc, char** argv) {
    const int status = qmbench::runSearchBenchmarks(argc, argv, "thread2_bench", "Thread2", kLevels,
                                                    60, runThread2);
    qm::releaseSteps();
    return status;
}
