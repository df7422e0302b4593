#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "board/board.hpp"
#include "board/solution.hpp"
#include "levels/sample.hpp"
#include "levels/sources.hpp"

namespace {

std::string solutionLine(int k) {
    const auto path = std::filesystem::path(__FILE__).parent_path().parent_path() / "data" / "sample_solutions.txt";
    std::ifstream in(path);
    std::string line;
    for (int i = 1; std::getline(in, line); ++i) {
        if (i == k) return line;
    }
    return {};
}

}  // namespace

// Every built-in sample level has a known solution that the replay check accepts, and a
// solution cut short by one push is refused.
TEST(SampleSet, StoredSolutionsReplay) {
    ASSERT_EQ(qm::allocateSolution(), 1);
    ASSERT_EQ(qm::openSample(), 1);
    ASSERT_EQ(qm::levelSet.levelCount, qm::kSampleLevels);
    for (int k = 1; k <= qm::kSampleLevels; ++k) {
        qm::goToLevel(k);
        const std::string moves = solutionLine(k);
        ASSERT_FALSE(moves.empty()) << k;
        qm::resetSolution();
        for (char c : moves) qm::appendLetter(qm::letterDirection(c), qm::isPushLetter(c));
        EXPECT_EQ(qm::verifySolution(), 1) << "level " << k;
        const size_t lastPush = moves.find_last_of("URDL");
        qm::resetSolution();
        for (size_t i = 0; i < lastPush; ++i) qm::appendLetter(qm::letterDirection(moves[i]), qm::isPushLetter(moves[i]));
        EXPECT_EQ(qm::verifySolution(), 0) << "level " << k;
    }
    qm::releaseSolution();
}
