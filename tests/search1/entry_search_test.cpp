#include <gtest/gtest.h>

#include <string>

#include "board/analysis.hpp"
#include "board/board.hpp"
#include "levels/sources.hpp"
#include "search1/companion.hpp"
#include "search1/entry_search.hpp"
#include "solver/blocks.hpp"
#include "solver/control.hpp"
#include "support/solver_fixture.hpp"
#include "support/test_support.hpp"

using qm::control;
using qm::entryList;
using qm::level;
using qmtest::square;

namespace {

class EntrySearch : public qmtest::SolverTest {
protected:
    void SetUp() override {
        SolverTest::SetUp();
        control.secondaryState = qm::kCompanionNotStarted;  // no companion slices
    }

    // The first entry search of the main phase on the loaded level.
    static int32_t run() {
        EXPECT_EQ(qm::prepareAnalysis(level.obstacleMap, level.pusherSquare), 1);
        entryList.entryCount = 0;
        entryList.entryMode = qm::kEntryModeNone;
        return qm::entrySearchRun(0, 0);
    }
};

// The goals line a dead-end corridor: the innermost must be filled first, and only it is an
// entry, reached from the corridor's open side.
TEST_F(EntrySearch, GoalRoomNamesItsInnermostGoalFirst) {
    ASSERT_EQ(qmtest::loadPicture("#########\n#####   #\n#...  $ #\n##### $ #\n#####$  #\n#####@  #\n"
                                  "#########\n"),
              1);
    ASSERT_EQ(run(), qm::kResultSolved);
    EXPECT_EQ(entryList.entryMode, qm::kEntryModePath);
    ASSERT_GE(entryList.entryCount, 1);
    EXPECT_EQ(entryList.entrySquare[0], square(1, 2));
    EXPECT_EQ(entryList.entrySides[0], 2);  // from the right
    for (int32_t k = 1; k < entryList.entryCount; ++k) {
        EXPECT_NE(entryList.entrySquare[k], square(3, 2)) << "the door goal cannot come first";
    }
    // Every box can be pushed into the corridor: each may be the one.
    int32_t allowed = 0;
    for (int32_t j = 0; j < qm::analysis.analysisBoxCount; ++j) allowed += entryList.entryBoxes[0][j];
    EXPECT_EQ(allowed, 3);
}

// The recorded path is the whole parent chain of the goal state, step for step, however long.
TEST_F(EntrySearch, PathKeepsEveryStepOfTheParentChain) {
    ASSERT_EQ(qm::openText(qmtest::dataFile("small.txt")), 1);
    int32_t longest = 0;
    for (int32_t k = 90; k <= 100; ++k) {
        SCOPED_TRACE("small level " + std::to_string(k));
        qm::goToLevel(k);
        ASSERT_EQ(run(), qm::kResultSolved);
        const qm::EntryPath& path = qm::entrySearchTables.path;
        int32_t chain = 0;
        const qm::EntryState* child = qm::entrySearchTables.lastEntryState;
        for (; child->parent != nullptr; child = child->parent, ++chain) {
            ASSERT_LT(chain, path.pathLength);
            EXPECT_EQ(path.pathItem[chain], child->movedItem);
            EXPECT_EQ(path.pathTo[chain], child->itemSquare[child->movedItem]);
            EXPECT_EQ(path.pathFrom[chain], child->parent->itemSquare[child->movedItem]);
        }
        EXPECT_EQ(chain, path.pathLength);
        if (chain > longest) longest = chain;
        EXPECT_GE(entryList.entryCount, 1);
    }
    EXPECT_GE(longest, 5);
}

// A stop word set before the search ends it at once.
TEST_F(EntrySearch, StopWordEndsTheSearch) {
    ASSERT_EQ(qm::openText(qmtest::dataFile("small.txt")), 1);
    qm::goToLevel(50);
    control.stopFlag = 1;
    EXPECT_EQ(run(), qm::kResultTimeout);
    control.stopFlag = 0;
}

}  // namespace
