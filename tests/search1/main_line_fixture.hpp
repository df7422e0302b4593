#pragma once
// Tests of searches that read the main line: it is empty when each test starts and ends.
#include "search1/main_line.hpp"
#include "support/solver_fixture.hpp"

class MainLineTest : public qmtest::SolverTest {
protected:
    void SetUp() override {
        SolverTest::SetUp();
        qm::resetMainLine();
    }
    void TearDown() override {
        qm::resetMainLine();
        SolverTest::TearDown();
    }
};
