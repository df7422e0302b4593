#include "app/cli_solutions.hpp"

#include <cstring>

#include "board/solution.hpp"
#include "levels/solutions_file.hpp"
#include "levels/sources.hpp"
#include "solver/control.hpp"

namespace qm {

bool SolutionsFile::writeLevel(int32_t result) {
    if (!file_.isOpen()) return true;
    LevelTitle title = levelSet.currentTitle;
    if (title.title.empty()) title.title = "Level " + std::to_string(levelSet.currentLevel);
    const bool solved =
        result == kResultSolved && solution.solutionText != nullptr && solution.traceOverflow == 0;
    const std::string_view letters =
        solved ? std::string_view(solution.solutionText,
                                  strnlen(solution.solutionText, solution.solutionCapacity))
               : std::string_view();
    return file_.write(solutionsFileSection(title, currentLevelRows(), solved, letters, solution.moveCount,
                                            solution.pushCount, runLength_));
}

}  // namespace qm
