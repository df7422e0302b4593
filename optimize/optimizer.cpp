#include "optimize/optimizer.hpp"

#include "optimize/position_table.hpp"

namespace qm {

namespace {

// The spaces tried in turn, small first; each is searched again while it improves.
constexpr VicinityLimits kSchedule[] = {{1, 2}, {1, 4}, {2, 2}, {2, 4}, {3, 3}, {2, 6}, {3, 6}};

bool better(const PathPositions& a, const PathPositions& b, int32_t metric) {
    if (metric == kMetricMoves) return a.moves < b.moves || (a.moves == b.moves && a.pushes < b.pushes);
    return a.pushes < b.pushes || (a.pushes == b.pushes && a.moves < b.moves);
}

}  // namespace

bool optimizeSolution(std::string_view letters, int32_t metric, double seconds, OptimizeOutcome& out) {
    out = OptimizeOutcome();
    PathPositions best;
    if (!readPathPositions(letters, best)) return false;
    out.letters.assign(letters);
    out.moves = out.givenMoves = best.moves;
    out.pushes = out.givenPushes = best.pushes;
    if (!positionTable.allocate()) {
        out.memoryRefused = true;
        return true;
    }
    const auto deadline = OptimizerClock::now() + std::chrono::duration_cast<OptimizerClock::duration>(
                                                       std::chrono::duration<double>(seconds));
    size_t step = 0;
    std::string found;
    while (step < std::size(kSchedule) && OptimizerClock::now() < deadline) {
        int64_t nodes = 0;
        const int32_t result = searchVicinity(best, kSchedule[step], metric, deadline, found, nodes);
        ++out.rounds;
        out.nodes += nodes;
        PathPositions next;
        if (result == kVicinityBetter && readPathPositions(found, next) && better(next, best, metric)) {
            best = std::move(next);
            out.letters = found;
            out.moves = best.moves;
            out.pushes = best.pushes;
            continue;  // the same space around the better solution
        }
        if (result == kVicinityStopped || result == kVicinityTableFull) break;
        ++step;
    }
    return true;
}

void releaseOptimizer() { positionTable.release(); }

}  // namespace qm
