#include <gtest/gtest.h>

#include <cstring>

#include "board/board.hpp"
#include "search1/companion.hpp"
#include "search1/entry_search.hpp"
#include "search1/segment_check.hpp"
#include "search1/segment_search.hpp"
#include "support/solver_fixture.hpp"
#include "support/test_support.hpp"

using qm::control;
using qm::level;
using qm::segment;
using qmtest::square;

namespace {

using SegmentCheck = qmtest::SolverTest;

// A rejected check counts against the limit of its entry mode: 50 rejections outside entry mode
// 1, 900,000 in it; the check after the limit answers 9.
TEST_F(SegmentCheck, RejectionsCountAgainstTheLimitOfTheEntryMode) {
    ASSERT_EQ(qmtest::loadPicture("#######\n#@ $ .#\n#  $ .#\n#     #\n#######\n"), 1);
    control.secondaryState = qm::kCompanionNotStarted;
    // A box pushed into the corner off its goal: the analysis proves the position dead.
    std::memcpy(segment.segBoard, level.obstacleMap, sizeof(int32_t) * level.cellCount);
    segment.segBoard[square(3, 2)] = 0;
    segment.segBoard[square(1, 3)] = qm::BOX;
    segment.segPusher = square(1, 1);

    segment.segEntryMode = qm::kEntryModeNone;
    segment.checkFailCount = qm::kCheckFailLimit - 1;
    EXPECT_EQ(qm::segmentCheck(0, 0), 0);
    EXPECT_EQ(qm::segmentCheck(0, 0), qm::kResultFailed);

    segment.segEntryMode = qm::kEntryModePath;
    segment.checkFailCountFixed = qm::kCheckFailLimitFixed - 1;
    EXPECT_EQ(qm::segmentCheck(0, 0), 0);
    EXPECT_EQ(qm::segmentCheck(0, 0), qm::kResultFailed);
    EXPECT_EQ(segment.checkFailCount, qm::kCheckFailLimit + 1);
}

// A position with every box on a goal is accepted at once.
TEST_F(SegmentCheck, SolvedPositionIsAcceptedWithoutSearching) {
    ASSERT_EQ(qmtest::loadPicture("#######\n#@ $ .#\n#######\n"), 1);
    std::memcpy(segment.segBoard, level.obstacleMap, sizeof(int32_t) * level.cellCount);
    segment.segBoard[square(3, 1)] = 0;
    segment.segBoard[square(5, 1)] = qm::BOX;
    segment.segPusher = square(4, 1);
    control.entryStateCount = 0;
    EXPECT_EQ(qm::segmentCheck(0, 0), 1);
    EXPECT_EQ(control.entryStateCount, 0);
}

}  // namespace
