#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "board/board.hpp"
#include "search/region_stamp.hpp"
#include "search3/box_reach.hpp"
#include "support/test_support.hpp"

using qm::level;

namespace {

qm::BoxReach reach;
qm::RegionStamp regions;
qm::RegionStamp fill;

// The box on s of board, pushed (or pulled) alone, with its destinations found both ways: by the
// blocks and by a plain search over (box square, pusher region) states that fills the region
// every time.
struct Comparison {
    std::set<std::pair<int32_t, int32_t>> byBlocks, byFills;  // (square, smallest region square)
};

enum class Move { kPush, kPull };

Comparison compareDestinations(int32_t* board, int32_t box, int32_t pusher, Move move) {
    Comparison out;
    std::vector<uint8_t> dead(qm::kMaxSquares, 0);
    const int32_t startRegion = regions.fill(board, pusher);  // with the box in place
    board[box] = 0;
    qm::labelBlocks(reach, board, box);
    if (move == Move::kPush) {
        qm::findDestinations(reach, board, dead.data(), regions.stamp, regions.current, box);
    } else {
        qm::findPullDestinations(reach, board, dead.data(), regions.stamp, regions.current, box);
    }
    for (int32_t k = 0; k < reach.destinationCount; ++k) {
        const qm::BoxDestination& d = reach.destinations[k];
        board[d.square] = qm::BOX;
        int32_t smallest = qm::smallestWithout(reach, d.square);
        if (smallest < 0) smallest = fill.fill(board, d.pusher);
        EXPECT_EQ(smallest, fill.fill(board, d.pusher)) << "region of square " << d.square;
        board[d.square] = 0;
        // Back on its square with the pusher where it was: the position itself.
        if (d.square == box && smallest == startRegion) continue;
        EXPECT_TRUE(out.byBlocks.insert({d.square, smallest}).second) << "listed twice";
    }
    // The plain search.
    board[box] = qm::BOX;
    std::vector<std::pair<int32_t, int32_t>> queue;
    std::set<std::pair<int32_t, int32_t>> seen;
    queue.push_back({box, startRegion});
    seen.insert({box, startRegion});
    for (size_t head = 0; head < queue.size(); ++head) {
        const auto [b, p] = queue[head];
        board[box] = 0;
        board[b] = qm::BOX;
        fill.fill(board, p);
        for (int32_t dir = 0; dir < 4; ++dir) {
            const int32_t offset = level.dirOffset[dir];
            // A push from behind the box, or a pull with the puller stepping on beyond it.
            const int32_t mover = move == Move::kPush ? b - offset : b + offset;
            const int32_t moverEnd = move == Move::kPush ? b : b + 2 * offset;
            if (!fill.reached(mover) || board[b + offset] != 0) continue;
            if (move == Move::kPull && board[moverEnd] != 0) continue;
            board[b] = 0;
            board[b + offset] = qm::BOX;
            const std::pair<int32_t, int32_t> next{b + offset, fill.fill(board, moverEnd)};
            board[b + offset] = 0;
            board[b] = qm::BOX;
            fill.fill(board, p);
            if (seen.insert(next).second) {
                queue.push_back(next);
                out.byFills.insert(next);
            }
        }
        board[b] = 0;
        board[box] = qm::BOX;
    }
    return out;
}

}  // namespace

// In rooms, corridors and a room whose door a box can close, the blocks give exactly the
// squares and pusher regions that flood-filling every state gives, for pushes and for pulls.
TEST(BoxReach, DestinationsMatchAPlainSearchThatFillsEveryRegion) {
    const std::vector<std::string> pictures = {
        "#######\n#@    #\n#  $  #\n#     #\n#  .  #\n#######\n",
        "#########\n#@ $    #\n### ### #\n#     # #\n# ### # #\n#   .   #\n#########\n",
        "##########\n#@     # #\n#  $$    #\n#  #  ## #\n## # .  .#\n#    #   #\n##########\n",
        "########\n#@  #  #\n# $ $  #\n#  ##  #\n#.   . #\n########\n",
    };
    for (const std::string& picture : pictures) {
        ASSERT_EQ(qmtest::loadPicture(picture), 1) << picture;
        std::vector<int32_t> board(level.obstacleMap, level.obstacleMap + level.cellCount);
        for (const Move move : {Move::kPush, Move::kPull}) {
            size_t destinations = 0;
            for (int32_t s = 0; s < level.cellCount; ++s) {
                if (board[s] != qm::BOX) continue;
                const Comparison c = compareDestinations(board.data(), s, level.pusherSquare, move);
                EXPECT_EQ(c.byBlocks, c.byFills) << picture << "box on " << s;
                destinations += c.byBlocks.size();
            }
            // Boxes against walls have few pulls; every picture has some.
            EXPECT_GT(destinations, move == Move::kPush ? 4u : 0u) << picture;
        }
    }
}
