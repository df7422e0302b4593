#include "app/cli_optimize.hpp"

#include <cstring>

#include "board/board.hpp"
#include "board/solution.hpp"
#include "optimize/optimizer.hpp"
#include "solver/texts.hpp"

namespace qm {

bool storeCheckedSolution(const std::string& letters) {
    resetSolution();
    for (char c : letters) appendLetter(letterDirection(c), isPushLetter(c));
    return solution.traceOverflow == 0 && verifySolution() == 1;
}

std::string optimizeFoundSolution(int32_t metric, double seconds) {
    if (solution.solutionText == nullptr || solution.traceOverflow != 0) return "";
    const std::string given(solution.solutionText, strnlen(solution.solutionText, solution.solutionCapacity));
    OptimizeOutcome outcome;
    if (!optimizeSolution(given, metric, seconds, outcome)) return "";
    if (outcome.memoryRefused) return "optimizer: no memory for its table, solution kept";
    if (outcome.letters != given && !storeCheckedSolution(outcome.letters)) {
        // A result that does not replay is never shown: the given solution stays.
        storeCheckedSolution(given);
        return "optimizer: its result did not replay, solution kept";
    }
    return formatText("optimized: %d moves %d pushes (from %d moves %d pushes), %d rounds, %lld positions",
                      outcome.moves, outcome.pushes, outcome.givenMoves, outcome.givenPushes, outcome.rounds,
                      static_cast<long long>(outcome.nodes));
}

}  // namespace qm
