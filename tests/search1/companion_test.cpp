#include <gtest/gtest.h>

#include <string>

#include "board/analysis.hpp"
#include "board/board.hpp"
#include "board/solution.hpp"
#include "levels/sources.hpp"
#include "search1/companion.hpp"
#include "search1/main_line.hpp"
#include "solver/blocks.hpp"
#include "solver/control.hpp"
#include "main_line_fixture.hpp"
#include "support/test_support.hpp"

using qm::companion;
using qm::control;
using qm::level;
using qmtest::square;

namespace {

// A room of the given number of boxes on row 2 and goals on row 5.
std::string roomWithBoxes(int32_t boxes) {
    const int32_t width = 2 * boxes + 3;
    auto row = [width](char inside) {
        std::string r(static_cast<size_t>(width), inside);
        r.front() = '#';
        r.back() = '#';
        return r;
    };
    std::string boxRow = row(' '), goalRow = row(' '), pusherRow = row(' ');
    for (int32_t b = 0; b < boxes; ++b) {
        boxRow[static_cast<size_t>(2 + 2 * b)] = '$';
        goalRow[static_cast<size_t>(2 + 2 * b)] = '.';
    }
    pusherRow[1] = '@';
    std::string text;
    for (const std::string& r : {row('#'), row(' '), boxRow, row(' '), row(' '), goalRow, pusherRow,
                                 row('#')}) {
        text.append(r).push_back('\n');
    }
    return text;
}

class Companion : public MainLineTest {
protected:
    // Starts the companion as the main phase does: on a cleared block, after the analysis.
    static void start() {
        qm::clearBlock1();
        control.secondaryState = qm::kCompanionNotStarted;
        ASSERT_EQ(qm::prepareAnalysis(level.obstacleMap, level.pusherSquare), 1);
        qm::resetSolution();
        EXPECT_EQ(qm::companionStart(), 1);
    }

    // Slices as the main phase gives them, then the continuation alone. Returns 8 when solved.
    static int32_t sliceThenContinue(int32_t slices) {
        for (int32_t k = 0; k < slices; ++k) {
            const int32_t r = qm::companionSlice();
            if (r == 8) return 8;
            if (r != 1) break;
        }
        while (control.secondaryState == qm::kCompanionRunning) {
            int32_t r = qm::pullExpand();
            if (r == 1) r = qm::pullExpand();
            if (r == 1) r = qm::pushExpand();
            if (r == 1) continue;
            if (r == 8) return qm::assembleSolution() ? 8 : 9;
            return r;
        }
        return control.secondaryState == qm::kCompanionSolved ? 8 : 9;
    }
};

TEST_F(Companion, SlicedThenContinuedSolvesSmallLevelsAndTheSolutionsReplay) {
    ASSERT_EQ(qm::openText(qmtest::dataFile("small.txt")), 1);
    int32_t solved = 0;
    for (int32_t k = 1; k <= 30; ++k) {
        SCOPED_TRACE("small level " + std::to_string(k));
        qm::goToLevel(k);
        start();
        ASSERT_EQ(control.secondaryState, qm::kCompanionRunning);
        const int32_t r = sliceThenContinue(20);
        if (r != 8) continue;
        ++solved;
        EXPECT_EQ(control.secondaryState, qm::kCompanionSolved);
        EXPECT_EQ(qm::verifySolution(), 1);
    }
    EXPECT_GE(solved, 28);
}

// Rounds per slice: 4 with fewer than 9 boxes, 2 with at most 12 in a sparse level, else 1.
// Twenty boxes start the companion, twenty-one do not.
TEST_F(Companion, RoundsPerSliceAndTheBoxLimit) {
    struct Case {
        int32_t boxes, rounds;
    };
    for (const Case& c : {Case{8, 4}, Case{10, 2}, Case{13, 1}}) {
        SCOPED_TRACE(std::to_string(c.boxes) + " boxes");
        // A tall room keeps the box density low.
        std::string text = roomWithBoxes(c.boxes);
        const size_t firstRow = text.find('\n') + 1;
        const std::string blank = text.substr(firstRow, text.find('\n', firstRow) - firstRow + 1);
        for (int32_t extra = 0; extra < 8; ++extra) text.insert(firstRow, blank);
        ASSERT_EQ(qmtest::loadPicture(text), 1);
        start();
        EXPECT_EQ(companion.companionRounds, c.rounds);
    }
    ASSERT_EQ(qmtest::loadPicture(roomWithBoxes(20)), 1);
    start();
    EXPECT_EQ(control.secondaryState, qm::kCompanionRunning);
    ASSERT_EQ(qmtest::loadPicture(roomWithBoxes(21)), 1);
    start();
    EXPECT_EQ(control.secondaryState, qm::kCompanionNotStarted);
    EXPECT_EQ(qm::companionSlice(), 1);
}

// The push side waits for 12,288 open pull nodes and then runs while bit 11 or 12 of that count
// is set.
TEST_F(Companion, PushSideIsHeldBackByTheOpenPullCount) {
    ASSERT_EQ(qmtest::loadPicture(roomWithBoxes(3)), 1);
    start();
    qm::CompanionSearch& s = companion.search;
    const int32_t startPushOpen = s.pushQueue.open;
    ASSERT_EQ(startPushOpen, 1);
    const int32_t realPullOpen = s.pullQueue.open;
    struct Case {
        int32_t pullOpen;
        bool expands;
    };
    for (const Case& c : {Case{12'287, false}, Case{12'288, true}, Case{16'384, false},
                          Case{18'432, true}}) {
        SCOPED_TRACE(c.pullOpen);
        s.pullQueue.open = c.pullOpen;
        const int32_t before = s.pushQueue.open;
        EXPECT_EQ(qm::pushExpand(), 1);
        EXPECT_EQ(s.pushQueue.open < before || s.pushQueue.open > before, c.expands);
        if (c.expands) break;  // the start node is expanded once
    }
    s.pullQueue.open = realPullOpen;
}

// Main-line states are inserted as push-side roots; a state that meets a pull node ends the
// catch-up with a solution that replays the line up to that entry. Calling again with no new
// entries inserts nothing.
TEST_F(Companion, CatchUpMeetsThePullSideOnAMainLineState) {
    ASSERT_EQ(qmtest::loadPicture("##########\n#@ $    .#\n#        #\n##########\n"), 1);
    start();
    const int32_t nodes = companion.search.nodeCount;
    EXPECT_EQ(qm::companionStart(), 1);
    EXPECT_EQ(companion.search.nodeCount, nodes);

    // The main phase pushes the box onto its goal, one transfer per push; the last state is the
    // solved position, a pull-side root.
    for (int32_t x = 3; x < 8; ++x) qm::appendMainLine(square(x, 1), square(x + 1, 1), square(x, 1));
    ASSERT_EQ(qm::companionStart(), 8);
    EXPECT_EQ(control.secondaryState, qm::kCompanionSolved);
    EXPECT_EQ(qm::verifySolution(), 1);
    EXPECT_EQ(qm::solution.pushCount, 5);
}

}  // namespace
