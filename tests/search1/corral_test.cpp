#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "board/board.hpp"
#include "search1/corral.hpp"
#include "solver/blocks.hpp"
#include "solver/control.hpp"
#include "support/solver_fixture.hpp"
#include "support/test_support.hpp"

using qm::control;
using qm::level;
using qmtest::square;

namespace {

// A room whose row 2 is a wall-to-wall row of `width` boxes shutting off the free strip of row 1
// from the pusher's room below; as many goals on row 4. With a gap column, the box of row 2 in
// that column stands one row lower, where it can be pushed aside to open the strip.
std::string stripRoom(int32_t width, int32_t gap = -1) {
    auto row = [width](char inside) {
        std::string r(static_cast<size_t>(width + 2), inside);
        r.front() = '#';
        r.back() = '#';
        return r;
    };
    std::string boxes = row('$'), below = row(' '), pusher = row(' ');
    if (gap > 0) {
        boxes[static_cast<size_t>(gap)] = ' ';
        below[static_cast<size_t>(gap)] = '$';
    }
    pusher[1] = '@';
    std::string text;
    for (const std::string& r : {row('#'), row(' '), boxes, below, row('.'), pusher, row('#')}) {
        text.append(r).push_back('\n');
    }
    return text;
}

// A position of the loaded level, with a push mask that forbids the strip of row 1 (a box there
// could reach no goal).
struct Position {
    int32_t board[qm::kMaxSquares];
    uint64_t mask[qm::kMaxSquares];
    std::vector<int32_t> boxes;

    Position() {
        for (int32_t s = 0; s < level.cellCount; ++s) {
            board[s] = level.obstacleMap[s];
            mask[s] = (board[s] == qm::WALL || qm::squareRow(s) < 2) ? 0 : 1;
            if (board[s] == qm::BOX) boxes.push_back(s);
        }
    }
};

template <int32_t kBoxes>
int32_t testPush(qm::CorralInstance<kBoxes>& c, Position& p, int32_t t) {
    return qm::corralTest(c, p.board, p.boxes.data(), static_cast<int32_t>(p.boxes.size()), t,
                          qmtest::square(1, 5), nullptr);
}

class Corral : public qmtest::SolverTest {
protected:

    template <int32_t kBoxes>
    static void reset(qm::CorralInstance<kBoxes>& c, qm::CorralRecord<kBoxes>* table, Position& p) {
        qm::resetCorral(c, table, p.mask, p.board, true);
    }
};

// The strip room of the given width, tested by an instance after the push of its third box.
template <int32_t kBoxes>
int32_t testStrip(qm::CorralInstance<kBoxes>& c, qm::CorralRecord<kBoxes>* table, int32_t width) {
    EXPECT_EQ(qmtest::loadPicture(stripRoom(width)), 1);
    Position p;
    qm::resetCorral(c, table, p.mask, p.board, true);
    return testPush(c, p, square(3, 2));
}

// Each instance proves the strip dead when it is bordered by as many boxes as it may take, and
// gives up (no proof) with one more; the final and main-phase instances take 18 boxes, the
// companion's 6.
TEST_F(Corral, BoxLimitOfEachInstance) {
    qm::CorralEntry56* finalTable = qm::blocks.layout1.finalCorralTable;
    qm::CorralEntry56* segmentTable = qm::blocks.layout1.segmentCorralTable;
    qm::CorralEntry32* companionTable = qm::blocks.layout1.companionCorralTable;
    EXPECT_EQ(testStrip(qm::finalCorral, finalTable, 18), qm::kCorralDeadlock);
    EXPECT_EQ(testStrip(qm::finalCorral, finalTable, 19), qm::kCorralNotProved);
    EXPECT_EQ(testStrip(qm::segmentCorral, segmentTable, 18), qm::kCorralDeadlock);
    EXPECT_EQ(testStrip(qm::segmentCorral, segmentTable, 19), qm::kCorralNotProved);
    EXPECT_EQ(testStrip(qm::companionCorral, companionTable, 6), qm::kCorralDeadlock);
    EXPECT_EQ(testStrip(qm::companionCorral, companionTable, 7), qm::kCorralNotProved);
}

// A verdict is stored in the sub-search's root: asking again starts no new sub-search. Starting
// the instance afresh without clearing its table forgets the verdicts of earlier generations.
TEST_F(Corral, RepeatedQuestionIsAnsweredFromTheTable) {
    ASSERT_EQ(qmtest::loadPicture(stripRoom(6)), 1);
    Position p;
    qm::CompanionCorral& c = qm::companionCorral;
    reset(c, qm::blocks.layout1.companionCorralTable, p);
    const uint32_t first = c.generation;
    EXPECT_EQ(testPush(c, p, square(3, 2)), qm::kCorralDeadlock);
    EXPECT_EQ(c.generation, first + 1);
    EXPECT_EQ(testPush(c, p, square(4, 2)), qm::kCorralDeadlock);
    EXPECT_EQ(c.generation, first + 1);  // the same corral: no sub-search

    qm::resetCorral(c, qm::blocks.layout1.companionCorralTable, p.mask, p.board, false);
    const uint32_t later = c.generation;
    EXPECT_EQ(testPush(c, p, square(3, 2)), qm::kCorralDeadlock);
    EXPECT_EQ(c.generation, later + 1);  // searched again

    // Once as many sub-searches have started as the table may take entries, nothing is stored
    // and nothing is proved.
    reset(c, qm::blocks.layout1.companionCorralTable, p);
    c.generation = c.generationBase + qm::kCompanionCorralLimits.usedLimit;
    EXPECT_EQ(testPush(c, p, square(3, 2)), qm::kCorralNotProved);
}

// With the box of column 4 one row lower, the pusher can push it aside and walk into the strip:
// the corral opens, which is stored as the root's verdict and answered from the table next time.
TEST_F(Corral, OpenableCorralIsNotADeadlockAndIsRemembered) {
    ASSERT_EQ(qmtest::loadPicture(stripRoom(8, 4)), 1);
    Position p;
    qm::FinalCorral& c = qm::finalCorral;
    reset(c, qm::blocks.layout1.finalCorralTable, p);
    EXPECT_EQ(testPush(c, p, square(4, 3)), qm::kCorralNotProved);
    const uint32_t after = c.generation;
    EXPECT_EQ(after, c.generationBase + 1);
    EXPECT_EQ(testPush(c, p, square(4, 3)), qm::kCorralNotProved);
    EXPECT_EQ(c.generation, after);
}

// A corral whose bordering boxes all stand on goals is no deadlock, and a push with no free
// square around it outside the pusher's region is never tested.
TEST_F(Corral, BoxesOnGoalsAndOpenSquaresAreNotTested) {
    ASSERT_EQ(qmtest::loadPicture(stripRoom(6)), 1);
    Position p;
    qm::FinalCorral& c = qm::finalCorral;
    reset(c, qm::blocks.layout1.finalCorralTable, p);
    const uint32_t before = c.generation;
    p.board[square(3, 4)] = qm::BOX;  // a box pushed to the middle of the room
    p.boxes.push_back(square(3, 4));
    EXPECT_EQ(testPush(c, p, square(3, 4)), qm::kCorralNotProved);
    EXPECT_EQ(c.generation, before);

    // The same strip with every box of row 2 on a goal.
    std::string picture = stripRoom(6);
    for (char& ch : picture) {
        if (ch == '$') ch = '*';
        else if (ch == '.') ch = ' ';
    }
    ASSERT_EQ(qmtest::loadPicture(picture), 1);
    Position onGoals;
    reset(c, qm::blocks.layout1.finalCorralTable, onGoals);
    EXPECT_EQ(testPush(c, onGoals, square(3, 2)), qm::kCorralNotProved);
}

// A stopped segment sub-search proves nothing; the relaxed instance never polls the stop word
// and still proves the corral.
TEST_F(Corral, StopWordEndsOnlyTheInstancesThatPollIt) {
    ASSERT_EQ(qmtest::loadPicture(stripRoom(6)), 1);
    Position p;
    control.stopFlag = 1;
    reset(qm::segmentCorral, qm::blocks.layout1.segmentCorralTable, p);
    EXPECT_EQ(testPush(qm::segmentCorral, p, square(3, 2)), qm::kCorralNotProved);
    reset(qm::finalCorral, qm::blocks.layout1.finalCorralTable, p);
    EXPECT_EQ(testPush(qm::finalCorral, p, square(3, 2)), qm::kCorralNotProved);
    reset(qm::relaxedCorral, qm::blocks.layout1.relaxedCorralTable, p);
    EXPECT_EQ(testPush(qm::relaxedCorral, p, square(3, 2)), qm::kCorralDeadlock);
    // The stopped searches left no verdict behind: without the stop they prove it.
    control.stopFlag = 0;
    EXPECT_EQ(testPush(qm::segmentCorral, p, square(3, 2)), qm::kCorralDeadlock);
}

}  // namespace
