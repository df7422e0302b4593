// Calls carried from other threads to the window's thread: where they run, when their callers
// return, and how closing releases them.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <utility>
#include <vector>

#include "platform/fltk/call_queue.hpp"

namespace {

std::atomic<int> wakeCount{0};
void countWake() { ++wakeCount; }

// The test's thread plays the window's thread.
struct QueueTest : ::testing::Test {
    qm::CallQueue queue;
    void SetUp() override {
        wakeCount = 0;
        queue.setOwnerThread();
        queue.setWake(countWake);
    }
    // Runs waiting calls until done() holds.
    template <typename Done>
    void pumpUntil(Done done) {
        while (!done()) {
            queue.drain();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
};

TEST_F(QueueTest, CallFromAnotherThreadRunsOnTheOwnerBeforeItReturns) {
    const std::thread::id owner = std::this_thread::get_id();
    std::thread::id ranOn;
    int value = 0;
    std::atomic<bool> finished{false};
    bool ran = false;
    int seenAfterReturn = 0;
    std::thread worker([&] {
        auto body = [&] {
            ranOn = std::this_thread::get_id();
            value = 42;
        };
        ran = qm::runOnWindowThread(queue, body);
        seenAfterReturn = value;  // written by the owner; visible once the call returned
        finished = true;
    });
    pumpUntil([&] { return finished.load(); });
    worker.join();
    EXPECT_TRUE(ran);
    EXPECT_EQ(ranOn, owner);
    EXPECT_EQ(seenAfterReturn, 42);
    EXPECT_GE(wakeCount.load(), 1);
}

TEST_F(QueueTest, CallOnTheOwnerThreadRunsInlineWithoutWaking) {
    int value = 0;
    auto body = [&] { value = 7; };
    EXPECT_TRUE(qm::runOnWindowThread(queue, body));
    EXPECT_EQ(value, 7);
    EXPECT_EQ(wakeCount.load(), 0);
}

TEST_F(QueueTest, CloseReleasesAWaitingCallerAndLaterCallsReturnAtOnce) {
    std::atomic<int> bodies{0};
    std::atomic<bool> firstDone{false};
    bool firstRan = true, secondRan = true;
    std::thread worker([&] {
        auto body = [&] { ++bodies; };
        firstRan = qm::runOnWindowThread(queue, body);
        firstDone = true;
        secondRan = qm::runOnWindowThread(queue, body);
    });
    // The worker's call is queued (it woke us) but never drained: the window closes instead.
    while (wakeCount.load() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    queue.close();
    worker.join();
    EXPECT_TRUE(firstDone.load());
    EXPECT_FALSE(firstRan);
    EXPECT_FALSE(secondRan);
    EXPECT_EQ(bodies.load(), 0);
    EXPECT_EQ(wakeCount.load(), 1);  // the second call did not even ask
    EXPECT_TRUE(queue.closing());
    queue.drain();  // nothing left to run, and nothing runs after closing
    EXPECT_EQ(bodies.load(), 0);
}

TEST_F(QueueTest, CallsOfTwoThreadsRunOnceEachInTheirThreadsOrder) {
    constexpr int kCalls = 300;
    std::vector<std::pair<int, int>> order;  // (thread, sequence), appended on the owner
    std::atomic<int> finished{0};
    auto caller = [&](int who) {
        for (int i = 0; i < kCalls; ++i) {
            auto body = [&order, who, i] { order.emplace_back(who, i); };
            EXPECT_TRUE(qm::runOnWindowThread(queue, body));
        }
        ++finished;
    };
    std::thread a(caller, 0), b(caller, 1);
    pumpUntil([&] { return finished.load() == 2; });
    a.join();
    b.join();
    ASSERT_EQ(order.size(), static_cast<size_t>(2 * kCalls));
    int next[2] = {0, 0};
    for (const auto& [who, sequence] : order) {
        EXPECT_EQ(sequence, next[who]);
        next[who] = sequence + 1;
    }
    EXPECT_EQ(next[0], kCalls);
    EXPECT_EQ(next[1], kCalls);
}

// A body that runs a nested event loop (a message box opened by the worker's message) still
// lets another thread's call through, and both callers return.
TEST_F(QueueTest, NestedDrainInsideABodyRunsLaterCalls) {
    std::atomic<bool> innerRan{false}, outerDone{false}, innerDone{false};
    std::atomic<bool> outerStarted{false};
    std::thread inner;
    std::thread outer([&] {
        auto body = [&] {
            outerStarted = true;
            inner = std::thread([&] {
                auto innerBody = [&] { innerRan = true; };
                EXPECT_TRUE(qm::runOnWindowThread(queue, innerBody));
                innerDone = true;
            });
            pumpUntil([&] { return innerDone.load(); });  // the nested loop
        };
        EXPECT_TRUE(qm::runOnWindowThread(queue, body));
        outerDone = true;
    });
    pumpUntil([&] { return outerDone.load(); });
    outer.join();
    inner.join();
    EXPECT_TRUE(outerStarted.load());
    EXPECT_TRUE(innerRan.load());
}

}  // namespace
