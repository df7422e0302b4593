#include <gtest/gtest.h>

#include <cstring>
#include <unordered_map>
#include <vector>

#include "board/fills.hpp"
#include "board/handover.hpp"
#include "search2/corral.hpp"
#include "search2/node_table.hpp"
#include "solver/blocks.hpp"
#include "solver/preparation.hpp"
#include "support/test_support.hpp"

namespace {

using qm::handover;
using qm::nodes;
using qm::SearchNode;
using qmtest::square;

class NodeTable : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(qm::allocateBlocks(), 1);
        qm::bindThread2Tables();
        qm::resetTables();
    }
    void TearDown() override { qm::resetTables(); }

    // Puts exactly the listed boxes on searchBoard and into t2Boxes; 0 entries stay off the board.
    static void setBoxes(const std::vector<int32_t>& boxes) {
        for (int32_t s = 0; s < qm::kMaxSquares; ++s) handover.searchBoard[s] &= qm::WALL;
        handover.t2BoxCount = static_cast<int32_t>(boxes.size());
        for (size_t j = 0; j < boxes.size(); ++j) {
            handover.t2Boxes[j] = boxes[j];
            if (boxes[j] != 0) handover.searchBoard[boxes[j]] = qm::BOX;
        }
    }
};

constexpr const char* kRoom =
    "#######\n"
    "#.  . #\n"
    "# $$ .#\n"
    "#  $@ #\n"
    "#######";

TEST_F(NodeTable, SameBoxesInAnyOrderShareOneSlot) {
    ASSERT_EQ(qmtest::loadPicture(kRoom), 1);
    const int32_t a = square(2, 2), b = square(3, 2), c = square(3, 3), p = square(1, 1);
    setBoxes({a, b, c});
    SearchNode* slot = qm::nodeLookup(p);
    ASSERT_EQ(slot->pusher, 0);
    qm::storeNode(slot, p, 1, qm::kForwardTag, nullptr);
    EXPECT_EQ(qm::nodeCountNow(), 1);
    EXPECT_EQ(slot->pusher, p);
    EXPECT_EQ(slot->boxes[0], a);
    EXPECT_EQ(slot->boxes[1], b);
    EXPECT_EQ(slot->boxes[2], c);
    EXPECT_EQ(slot->movedBox, 1);
    EXPECT_EQ(slot->tag, qm::kForwardTag);
    EXPECT_EQ(slot->next, nullptr);

    setBoxes({c, a, b});
    EXPECT_EQ(qm::nodeLookup(p), slot);
    setBoxes({b, c, a});
    EXPECT_EQ(qm::nodeLookup(p), slot);

    // Another box set, or the same boxes with the pusher elsewhere, is a different position.
    setBoxes({a, b, square(4, 2)});
    SearchNode* other = qm::nodeLookup(p);
    EXPECT_NE(other, slot);
    EXPECT_EQ(other->pusher, 0);
    setBoxes({a, b, c});
    SearchNode* moved = qm::nodeLookup(square(5, 1));
    EXPECT_NE(moved, slot);
    EXPECT_EQ(moved->pusher, 0);

    // A child refers to its parent and counts as a second node.
    qm::storeNode(moved, square(5, 1), 3, qm::kBackwardTag, slot);
    EXPECT_EQ(qm::nodeCountNow(), 2);
    EXPECT_EQ(qm::nodeLookup(square(5, 1))->parent, slot);
    EXPECT_EQ(qm::nodeLookup(p), slot);
}

TEST_F(NodeTable, PushersOfOneAreaMeetThroughTheNormalisedSquare) {
    // The boxes cut the right-hand pocket off from the rest of the room.
    ASSERT_EQ(qmtest::loadPicture("########\n"
                                  "#.   $ #\n"
                                  "#. @ $ #\n"
                                  "#.   $ #\n"
                                  "########"),
              1);
    qm::prepareSolve();
    ASSERT_EQ(handover.t2BoxCount, 3);
    int32_t reach[qm::kMaxSquares] = {};
    const int32_t p = qm::reachFill(handover.searchBoard, reach, square(3, 2));
    SearchNode* slot = qm::nodeLookup(p);
    ASSERT_EQ(slot->pusher, 0);
    qm::storeNode(slot, p, 3, qm::kForwardTag, nullptr);

    std::memset(reach, 0, sizeof(reach));
    const int32_t sameArea = qm::reachFill(handover.searchBoard, reach, square(4, 3));
    EXPECT_EQ(sameArea, p);
    EXPECT_EQ(qm::nodeLookup(sameArea), slot);

    std::memset(reach, 0, sizeof(reach));
    const int32_t pocket = qm::reachFill(handover.searchBoard, reach, square(6, 3));
    EXPECT_NE(pocket, p);
    EXPECT_EQ(qm::nodeLookup(pocket)->pusher, 0);
}

// Independent reading of the documented key: XOR, product and sum seeded with 0x55555555, over
// the pusher and every box in play.
uint32_t expectedKey(uint32_t p, const std::vector<uint32_t>& boxes) {
    const uint32_t seed = 0x55555555u;
    uint32_t x = p ^ seed, m = p * seed, s = p + seed;
    for (const uint32_t b : boxes) {
        if (b == 0) continue;
        x ^= b;
        m *= b;
        s += b;
    }
    return (x + m + s) % qm::kNodeTableSlots;
}

TEST_F(NodeTable, LookupByCountSkipsRemovedBoxesAndNeedsTheTag) {
    ASSERT_EQ(qmtest::loadPicture(kRoom), 1);
    const int32_t a = square(2, 2), c = square(3, 3), p = square(1, 1);
    setBoxes({a, 0, c});
    SearchNode* slot = qm::nodeLookupByCount(p, 2);
    ASSERT_EQ(slot->pusher, 0);
    // A removed box would zero the product; it is left out of the key instead.
    EXPECT_EQ(slot - nodes.nodeTable,
              static_cast<ptrdiff_t>(expectedKey(static_cast<uint32_t>(p),
                                                 {static_cast<uint32_t>(a), static_cast<uint32_t>(c)})));
    qm::storeNode(slot, p, 3, 2, nullptr);
    EXPECT_EQ(slot->boxes[1], 0);

    // The removed box may sit in any list entry; the remaining boxes decide.
    setBoxes({0, c, a});
    EXPECT_EQ(qm::nodeLookupByCount(p, 2), slot);
    setBoxes({c, a, 0});
    EXPECT_EQ(qm::nodeLookupByCount(p, 2), slot);

    // Same remaining boxes under another tag: a new position.
    SearchNode* otherTag = qm::nodeLookupByCount(p, 1);
    EXPECT_NE(otherTag, slot);
    EXPECT_EQ(otherTag->pusher, 0);

    // A box taken out of play is not the same position as one still on the board.
    setBoxes({a, 0, 0});
    EXPECT_EQ(qm::nodeLookupByCount(p, 2)->pusher, 0);
}

TEST_F(NodeTable, CollidingKeysProbeOnBy491) {
    // Search one-box positions for two that share a home slot.
    std::unordered_map<uint32_t, std::pair<int32_t, int32_t>> seen;
    int32_t p1 = 0, b1 = 0, p2 = 0, b2 = 0;
    for (int32_t p = 60; p < 400 && p2 == 0; ++p) {
        for (int32_t b = 60; b < 2400; ++b) {
            const uint32_t key = expectedKey(static_cast<uint32_t>(p), {static_cast<uint32_t>(b)});
            auto [it, fresh] = seen.emplace(key, std::make_pair(p, b));
            if (fresh || it->second.first == p || it->second.second == b) continue;
            p1 = it->second.first, b1 = it->second.second, p2 = p, b2 = b;
            break;
        }
    }
    ASSERT_NE(p2, 0);
    const uint32_t home = expectedKey(static_cast<uint32_t>(p1), {static_cast<uint32_t>(b1)});

    setBoxes({b1});
    SearchNode* first = qm::nodeLookup(p1);
    EXPECT_EQ(first - nodes.nodeTable, static_cast<ptrdiff_t>(home));
    qm::storeNode(first, p1, 1, qm::kForwardTag, nullptr);

    setBoxes({b2});
    SearchNode* second = qm::nodeLookup(p2);
    EXPECT_EQ(second - nodes.nodeTable, static_cast<ptrdiff_t>((home + 491) % qm::kNodeTableSlots));
    EXPECT_EQ(second->pusher, 0);
    qm::storeNode(second, p2, 1, qm::kForwardTag, nullptr);
    EXPECT_EQ(qm::nodeLookup(p2), second);
    setBoxes({b1});
    EXPECT_EQ(qm::nodeLookup(p1), first);
}

TEST_F(NodeTable, ResetEmptiesSlotsCountsListsAndCorralTable) {
    ASSERT_EQ(qmtest::loadPicture(kRoom), 1);
    const int32_t p = square(1, 1);
    setBoxes({square(2, 2), square(3, 2)});
    SearchNode* slot = qm::nodeLookup(p);
    qm::storeNode(slot, p, 2, qm::kForwardTag, nullptr);
    nodes.areaLists.push(40, slot);
    nodes.meetNode = slot;
    qm::corral.t2CorralSerial = 7;
    qm::corral.t2CorralTable[123].pusher = 9;
    qm::corral.t2CorralTable[123].verdict = 2;
    qm::corral.t2CorralTable[qm::kCorralSlots - 1].stamp = 7;

    qm::resetTables();
    EXPECT_EQ(qm::nodeCountNow(), 0);
    EXPECT_EQ(nodes.meetNode, nullptr);
    EXPECT_EQ(slot->pusher, 0);
    EXPECT_EQ(slot->next, nullptr);
    EXPECT_EQ(qm::nodeLookup(p), slot);
    EXPECT_EQ(nodes.areaLists.top, 0);
    EXPECT_EQ(nodes.areaLists.pop(), nullptr);
    EXPECT_EQ(qm::corral.t2CorralSerial, 0);
    EXPECT_EQ(qm::corral.t2CorralTable[123].pusher, 0);
    EXPECT_EQ(qm::corral.t2CorralTable[123].verdict, 0);
    EXPECT_EQ(qm::corral.t2CorralTable[qm::kCorralSlots - 1].stamp, 0);
    // The last slot of the table lies at the very end of block 2.
    EXPECT_EQ(nodes.nodeTable[qm::kNodeTableSlots - 1].pusher, 0);
}

}  // namespace
