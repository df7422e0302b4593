#pragma once
// The frame of tests that run searches: the memory blocks and the solution text are allocated
// once per program; before each test the stop word is clear and the deadline a minute away.
#include <gtest/gtest.h>

#include "board/solution.hpp"
#include "solver/blocks.hpp"
#include "solver/control.hpp"

namespace qmtest {

class SolverTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_EQ(qm::allocateBlocks(), 1);
        ASSERT_EQ(qm::allocateSolution(), 1);
    }
    void SetUp() override {
        qm::control.stopFlag = 0;
        qm::control.searchExhausted = 0;
        qm::control.solveStart = qm::nowSeconds();
        qm::control.solveDeadline = qm::nowSeconds() + 60;
    }
    void TearDown() override { qm::control.stopFlag = 0; }
};

}  // namespace qmtest
