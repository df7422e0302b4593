#include "optimize/found_solution.hpp"

#include <cstring>

#include "board/board.hpp"
#include "board/solution.hpp"

namespace qm {

bool storeCheckedSolution(const std::string& letters) {
    resetSolution();
    for (char c : letters) appendLetter(letterDirection(c), isPushLetter(c));
    return solution.traceOverflow == 0 && verifySolution() == 1;
}

FoundOptimization optimizeFoundSolution(int32_t metric, double seconds) {
    FoundOptimization found;
    if (solution.solutionText == nullptr || solution.traceOverflow != 0) return found;
    const std::string given(solution.solutionText, strnlen(solution.solutionText, solution.solutionCapacity));
    if (!optimizeSolution(given, metric, seconds, found.outcome)) return found;
    found.ran = true;
    if (found.outcome.letters != given && !storeCheckedSolution(found.outcome.letters)) {
        // A result that does not replay is never shown: the given solution stays.
        storeCheckedSolution(given);
        found.replayFailed = true;
    }
    return found;
}

}  // namespace qm
