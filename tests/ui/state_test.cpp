#include <gtest/gtest.h>

#include <set>

#include "levels/sample.hpp"
#include "ui_fixture.hpp"

namespace {

using qmtest::UiTest;

const char* kThreeLevels =
    "#####\n#@$.#\n#####\n\n"
    "#######\n#@ $ .#\n#######\n\n"
    "######\n#@$ .#\n######\n";
const char* kOneLevel = "#######\n#@ $ .#\n#######\n";
const char* kImpossibleLevel = "######\n#@  .#\n#$   #\n######\n";  // box stuck against the wall

class Enabling : public UiTest {
protected:
    // Exactly the listed command controls are enabled, in the fake and in enableState.
    void expectOnly(const std::set<int32_t>& expected) {
        for (int32_t i = 0; i < qm::kCommandControls; ++i) {
            const int32_t id = qm::commandControlIds[i];
            const bool want = expected.count(id) != 0;
            EXPECT_EQ(on(id), want) << "control " << id;
            EXPECT_EQ(qm::windowState.enableState[i] != 0, want) << "entry " << i;
        }
    }
    const std::set<int32_t> loaders{qm::kCtlSample, qm::kCtlText, qm::kCtlFile, qm::kCtlFolder, qm::kCtlOption};
    std::set<int32_t> with(std::set<int32_t> extra) {
        extra.insert(loaders.begin(), loaders.end());
        return extra;
    }
};

TEST_F(Enabling, MissingMemoryDisablesEverything) {
    loadSet(kThreeLevels);
    qm::blocks.memoryReady = 0;
    qm::applyEnabling();
    expectOnly({});
}

TEST_F(Enabling, BusyStatesLeaveOnlyTheirControls) {
    loadSet(kThreeLevels);
    qm::windowState.batchFlag = 1;
    qm::windowState.solvingFlag = 1;
    qm::applyEnabling();
    expectOnly({qm::kCtlSolve, qm::kCtlOption});
    qm::windowState.batchFlag = 0;
    qm::applyEnabling();
    expectOnly({qm::kCtlSolve});
    qm::windowState.solvingFlag = 0;
    qm::windowState.playingFlag = 1;
    qm::applyEnabling();
    expectOnly({qm::kCtlPlay});
}

TEST_F(Enabling, IdleFollowsLevelCountAndPosition) {
    qm::applyEnabling();  // nothing loaded
    expectOnly(loaders);
    loadSet(kOneLevel);
    expectOnly(with({qm::kCtlSolve}));
    loadSet(kThreeLevels);
    expectOnly(with({qm::kCtlLevelEdit, qm::kCtlGo, qm::kCtlNext, qm::kCtlSolve}));
    qm::nextLevel();
    qm::showLevel();
    expectOnly(with({qm::kCtlPrev, qm::kCtlLevelEdit, qm::kCtlGo, qm::kCtlNext, qm::kCtlSolve}));
    qm::nextLevel();
    qm::showLevel();
    expectOnly(with({qm::kCtlPrev, qm::kCtlLevelEdit, qm::kCtlGo, qm::kCtlSolve}));
}

TEST_F(Enabling, SolveNeedsAnAcceptedLevel) {
    loadSet(kImpossibleLevel);
    ASSERT_EQ(qm::level.levelVerdict, 7);
    expectOnly(loaders);
}

TEST_F(Enabling, TraceButtonsFollowThePosition) {
    loadSet(kOneLevel);
    setSolution("rRR");
    expectOnly(with({qm::kCtlSolve, qm::kCtlPlay, qm::kCtlForward}));
    qm::traceForward();
    expectOnly(with({qm::kCtlSolve, qm::kCtlTop, qm::kCtlBack, qm::kCtlPlay, qm::kCtlForward}));
    qm::traceForward();
    qm::traceForward();
    expectOnly(with({qm::kCtlSolve, qm::kCtlTop, qm::kCtlBack}));
    qm::showLevel();  // a level change drops the solution
    expectOnly(with({qm::kCtlSolve}));
}

TEST_F(UiTest, AfterLoadShowsTheSetAndItsFirstLevel) {
    loadSet(kThreeLevels);
    EXPECT_EQ(fake.text(qm::kCtlSetLine), "TextBox (3 levles)");
    EXPECT_EQ(fake.text(qm::kCtlLevelLine), "   1 [ 5* 3(  1)]");
    EXPECT_EQ(fake.text(qm::kCtlLevelEdit), "1");
    EXPECT_EQ(fake.text(qm::kCtlVerdict), "");
    EXPECT_EQ(fake.text(qm::kCtlSeconds), "0 sec");
    EXPECT_EQ(fake.text(qm::kCtlMoves), "");
    EXPECT_EQ(fake.text(qm::kCtlPushes), "");
    EXPECT_EQ(fake.text(qm::kCtlSolvedCounter), " ");
    EXPECT_EQ(fake.text(qm::kCtlFailedCounter), " ");
    EXPECT_FALSE(fake.visible(qm::kCtlLookIn));
    qm::nextLevel();
    qm::showLevel();
    EXPECT_EQ(fake.text(qm::kCtlLevelLine), "   2 [ 7* 3(  1)]");
    EXPECT_EQ(fake.text(qm::kCtlLevelEdit), "2");
    EXPECT_EQ(fake.text(qm::kCtlSetLine), "TextBox (3 levles)");  // only the sample rewrites it

    loadSet(kOneLevel);
    EXPECT_EQ(fake.text(qm::kCtlSetLine), "TextBox");
}

TEST_F(UiTest, SampleSetLineNamesTheLevel) {
    qm::openSample();
    qm::afterLoad();
    EXPECT_EQ(fake.text(qm::kCtlSetLine), qm::formatText("Sample (%dlevels)   %s", qm::levelSet.levelCount,
                                                         qm::sampleLabel(1)));
}

TEST_F(UiTest, VerdictsShowTheirWords) {
    loadSet(kImpossibleLevel);
    EXPECT_EQ(fake.text(qm::kCtlVerdict), "Impossible");
    loadSet(qmtest::room(51, 4, 2, 1, 4, 1, 6, 2));
    EXPECT_EQ(fake.text(qm::kCtlVerdict), "Size Over");
    EXPECT_TRUE(qmtest::viewTileAtPixelIs(48 + 24 * 2, 96, {4, 1}));  // the large picture
}

TEST_F(UiTest, BatchKeepsItsCountersWhenALevelIsShown) {
    loadSet(kThreeLevels);
    qm::windowState.batchFlag = 1;
    fake.show(qm::kCtlLookIn, true);
    qm::windowSystem().setText(qm::kCtlSolvedCounter, "4");
    qm::windowSystem().setText(qm::kCtlFailedCounter, "12");
    qm::nextLevel();
    qm::showLevel();
    EXPECT_EQ(fake.text(qm::kCtlSolvedCounter), "4");
    EXPECT_EQ(fake.text(qm::kCtlFailedCounter), "12");
    EXPECT_TRUE(fake.visible(qm::kCtlLookIn));
}

TEST_F(UiTest, FailedLoadShowsLoadErrorAndTheQuestionMark) {
    loadSet(kThreeLevels);
    setSolution("R");
    loadSet("no level in this text\n");
    EXPECT_EQ(fake.text(qm::kCtlSetLine), "Load Error!!");
    EXPECT_EQ(fake.text(qm::kCtlLevelLine), "");
    EXPECT_EQ(fake.text(qm::kCtlVerdict), "");
    EXPECT_EQ(fake.text(qm::kCtlLevelEdit), "");
    EXPECT_EQ(fake.text(qm::kCtlSeconds), "0 sec");
    EXPECT_EQ(fake.text(qm::kCtlMoves), "");
    EXPECT_EQ(qm::levelSet.levelCount, 0);
    // The question mark: its first row "62226" and its dot "66266" on the last row.
    const qm::TilePlace box{4, 1};
    EXPECT_TRUE(qmtest::viewTileAtPixelIs(312, 144, qm::kBackgroundTile));
    for (int32_t c = 1; c <= 3; ++c) EXPECT_TRUE(qmtest::viewTileAtPixelIs(312 + 24 * c, 144, box)) << c;
    EXPECT_TRUE(qmtest::viewTileAtPixelIs(312 + 48, 144 + 24 * 6, box));
    EXPECT_TRUE(qmtest::viewTileAtPixelIs(312 + 48, 144 + 24 * 5, qm::kBackgroundTile));
    EXPECT_TRUE(qmtest::viewTileAtPixelIs(312, 144 + 24, box));
    // The old level's solution is gone with it: no trace control stays usable.
    EXPECT_FALSE(qm::solutionPresent());
    for (int32_t id : {qm::kCtlTop, qm::kCtlBack, qm::kCtlPlay, qm::kCtlForward, qm::kCtlSolve, qm::kCtlNext})
        EXPECT_FALSE(on(id)) << id;
    EXPECT_TRUE(on(qm::kCtlSample));
}

TEST_F(UiTest, SecondsAndCountersUseTheirFormats) {
    qm::control.elapsedSeconds = 7;
    qm::showSolveSeconds();
    EXPECT_EQ(fake.text(qm::kCtlSeconds), "   7 sec");
    qm::showFinalSeconds();
    EXPECT_EQ(fake.text(qm::kCtlSeconds), "    7 sec");
    loadSet(kOneLevel);
    setSolution("rRR");
    EXPECT_EQ(fake.text(qm::kCtlMoves), "0/3m");
    EXPECT_EQ(fake.text(qm::kCtlPushes), "0/2p");
}

TEST_F(UiTest, ProgressBarsHaveTheirRangesAndColours) {
    qm::setupProgressBars();
    EXPECT_EQ(fake.bars[qm::kCtlThread1Bar].high, 7470);
    EXPECT_EQ(fake.bars[qm::kCtlThread2Bar].high, 4809);
    EXPECT_EQ(fake.bars[qm::kCtlThread1Bar].blue, 255);
    EXPECT_EQ(fake.bars[qm::kCtlThread1Bar].red, 90);
    EXPECT_EQ(fake.bars[qm::kCtlThread1Bar].green, 88);
    EXPECT_EQ(fake.bars[qm::kCtlThread2Bar].red, 0);
    EXPECT_EQ(fake.bars[qm::kCtlThread2Bar].green, 170);
}

TEST_F(UiTest, ProgressValuesFollowPhasesAndStates) {
    loadSet(kOneLevel);
    qm::control.phaseNodeCount = 0;
    qm::control.segNodeCount = 30;
    qm::control.entryStateCount = 5000;
    EXPECT_EQ(qm::thread1Progress(), 0);  // thread not started
    qm::control.thread1State = 1;
    EXPECT_EQ(qm::thread1Progress(), 30 * 200 + 5000);
    qm::control.segNodeCount = 100000;
    EXPECT_EQ(qm::thread1Progress(), 18358644);  // capped
    qm::control.phaseNodeCount = 8192;
    EXPECT_EQ(qm::thread1Progress(), 8192);
    qm::updateProgress();
    EXPECT_EQ(fake.bars[qm::kCtlThread1Bar].position, 2);
    qm::control.solverPhase = 2;
    EXPECT_EQ(qm::thread1Progress(), 8192 + 20897740);
    qm::control.thread1State = 8;
    EXPECT_EQ(qm::thread1Progress(), 8192 + 20897740);
    qm::control.thread1State = 9;
    EXPECT_EQ(qm::thread1Progress(), 30597740);
    qm::updateProgress();
    EXPECT_EQ(fake.bars[qm::kCtlThread1Bar].position, 7470);
    qm::control.solverPhase = 0;
    qm::control.thread1State = 1;
    qm::level.alreadySolved = 1;
    EXPECT_EQ(qm::thread1Progress(), 30597740);
    qm::level.alreadySolved = 0;

    qm::control.nodeCount = 40960;
    EXPECT_EQ(qm::thread2Progress(), 0);
    qm::control.thread2State = 1;
    EXPECT_EQ(qm::thread2Progress(), 40960);
    qm::updateProgress();
    EXPECT_EQ(fake.bars[qm::kCtlThread2Bar].position, 10);
    qm::control.thread2State = 5;
    qm::updateProgress();
    EXPECT_EQ(fake.bars[qm::kCtlThread2Bar].position, 4809);

    // Showing a level clears counters and states, and with them both bars.
    qm::showLevel();
    EXPECT_EQ(fake.bars[qm::kCtlThread1Bar].position, 0);
    EXPECT_EQ(fake.bars[qm::kCtlThread2Bar].position, 0);
    EXPECT_EQ(qm::control.nodeCount, 0);
}

TEST_F(UiTest, SolveTimerShowsSecondsLiveBoardAndProgress) {
    loadSet(kOneLevel);
    qm::resetSolution();
    qm::control.solveStart = qm::nowSeconds() - 3;
    qm::control.thread2State = 1;
    qm::control.nodeCount = 4096 * 3;
    const int32_t before = fake.viewUpdates;
    qm::solveTimerTick();
    EXPECT_GE(qm::control.elapsedSeconds, 3);
    EXPECT_EQ(fake.text(qm::kCtlSeconds), qm::formatText("%4d sec", int32_t(qm::control.elapsedSeconds)));
    EXPECT_EQ(fake.bars[qm::kCtlThread2Bar].position, 3);
    EXPECT_EQ(fake.viewUpdates, before + 1);
    EXPECT_EQ(qm::boardView.displayBoard[qm::level.pusherStart], qm::PUSHER);
}

}  // namespace
