#include <gtest/gtest.h>

#include "search/bucket_queue.hpp"

namespace {

struct Node {
    Node* bucketNext = nullptr;
};
using Queue = qm::BucketQueue<Node, 59>;

TEST(BucketQueue, HighestPriorityFirstAndFifoWithinOne) {
    Node n[8] = {};
    Queue lists;
    lists.clear();
    lists.push(3, &n[0]);
    lists.push(0, &n[1]);
    lists.push(3, &n[2]);
    lists.push(58, &n[3]);
    lists.push(0, &n[4]);
    EXPECT_EQ(lists.top, 58);
    EXPECT_EQ(lists.pop(), &n[3]);
    EXPECT_EQ(lists.pop(), &n[0]);
    // A push above the current best is served next.
    lists.push(10, &n[5]);
    EXPECT_EQ(lists.pop(), &n[5]);
    EXPECT_EQ(lists.pop(), &n[2]);
    EXPECT_EQ(lists.pop(), &n[1]);
    lists.push(0, &n[6]);
    EXPECT_EQ(lists.pop(), &n[4]);
    EXPECT_EQ(lists.pop(), &n[6]);
}

TEST(BucketQueue, EmptySetReportsNothingAndKeepsTopBelowZero) {
    Node n[2] = {};
    Queue lists;
    lists.clear();
    EXPECT_EQ(lists.pop(), nullptr);
    EXPECT_EQ(lists.top, -1);
    EXPECT_EQ(lists.pop(), nullptr);
    EXPECT_EQ(lists.top, -1);
    lists.push(4, &n[0]);
    EXPECT_EQ(lists.top, 4);
    EXPECT_EQ(lists.pop(), &n[0]);
    // A list emptied by popping can be refilled at its tail.
    lists.push(4, &n[1]);
    EXPECT_EQ(lists.pop(), &n[1]);
    EXPECT_EQ(lists.pop(), nullptr);
    EXPECT_EQ(lists.top, -1);
}

}  // namespace
