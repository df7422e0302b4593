#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "board/board.hpp"
#include "board/solution.hpp"
#include "levels/sources.hpp"
#include "solver/blocks.hpp"
#include "solver/control.hpp"
#include "ui/main_window.hpp"
#include "ui/settings.hpp"
#include "ui/state.hpp"
#include "ui/text_box.hpp"
#include "ui/texts.hpp"
#include "ui/trace.hpp"
#include "ui/window_system.hpp"
#include "ui/worker.hpp"
#include "support/refusing_memory.hpp"
#include "window_fixture.hpp"

using namespace qm;

namespace qmtest {
namespace {

using MainWindow = WindowTest;

TEST_F(MainWindow, WithoutMemoryEveryCommandStaysOff) {
    onClose();
    ASSERT_TRUE(closeDone());
    {
        qmtest::MemoryRefusal refusal(0);
        onInit();
    }
    EXPECT_FALSE(memoryReady());
    for (int32_t id : commandControlIds) EXPECT_FALSE(fake.enabled(id)) << id;
    onCommand(kCtlSample);
    EXPECT_EQ(levelSet.levelCount, 0);
}

TEST_F(MainWindow, GoReadsFiveCharactersAndStaysInsideTheSet) {
    load(std::string(kTinyLevel) + "\n" + kTinyLevel2 + "\n" + kTinyLevel);
    ASSERT_EQ(levelSet.levelCount, 3);
    const struct {
        const char* typed;
        int32_t level;
    } cases[] = {{"2", 2}, {"", 1}, {"3", 3}, {"0", 1}, {"99999", 3}, {"-4", 1}, {" 2x", 2}, {"000003", 1}};
    for (const auto& c : cases) {
        fake.setText(kCtlLevelEdit, c.typed);
        onCommand(kCtlGo);
        EXPECT_EQ(levelSet.currentLevel, c.level) << '"' << c.typed << '"';
        EXPECT_EQ(fake.text(kCtlLevelEdit), std::to_string(c.level));
    }
    onCommand(kCtlPrev);
    EXPECT_EQ(levelSet.currentLevel, 1);  // nothing before the first level
    onCommand(kCtlNext);
    onCommand(kCtlNext);
    onCommand(kCtlNext);
    EXPECT_EQ(levelSet.currentLevel, 3);
}

TEST_F(MainWindow, FileAndFolderChoosersLoadAndRememberWhereTheyWere) {
    const std::filesystem::path file = folder / "sets" / "two.txt";
    writeFile(file, std::string(kTinyLevel) + "\n" + kTinyLevel2);
    writeFile(folder / "numbered" / "level1.txt", kTinyLevel);
    writeFile(folder / "numbered" / "level2.txt", kTinyLevel2);
    fake.chooserAnswers = {file.string(), "", (folder / "numbered").string()};

    onCommand(kCtlFile);
    EXPECT_EQ(fake.chooserCalls[0].title, "Select File");
    EXPECT_EQ(levelSet.levelCount, 2);
    EXPECT_EQ(fake.text(kCtlSetLine), "two (2 levles)");
    EXPECT_EQ(settings.inputFile, (folder / "sets" / "*").string());

    onCommand(kCtlFile);  // cancelled: the set stays
    EXPECT_EQ(fake.chooserCalls[1].startPath, settings.inputFile);
    EXPECT_EQ(levelSet.levelSetName, "two");

    onCommand(kCtlFolder);
    EXPECT_EQ(fake.chooserCalls[2].kind, "folder");
    EXPECT_EQ(levelSet.sourceKind, kSourceFolder);
    EXPECT_EQ(levelSet.levelCount, 2);
    EXPECT_EQ(settings.inputFolder, folder.string() + "/");
    readSettings();  // both were written at once
    EXPECT_EQ(settings.inputFile, (folder / "sets" / "*").string());
    EXPECT_EQ(settings.inputFolder, folder.string() + "/");
}

// An XML collection opens as its titled set, each level's title beside it; a malformed one is
// the load error.
TEST_F(MainWindow, AnXmlCollectionShowsItsTitlesAndAMalformedOneFailsToLoad) {
    const std::filesystem::path broken = folder / "broken.slc";
    writeFile(broken, "<?xml version=\"1.0\"?>\n<SokobanLevels><LevelCollection><Level>");
    fake.chooserAnswers = {QM_TEST_DATA "/rooms.slc", broken.string()};
    onCommand(kCtlFile);
    EXPECT_EQ(fake.text(kCtlSetLine), "Two Rooms (2 levles)   Corridor");
    onCommand(kCtlNext);
    EXPECT_EQ(fake.text(kCtlSetLine), "Two Rooms (2 levles)   Small room");
    onCommand(kCtlFile);
    EXPECT_EQ(levelSet.sourceKind, kSourceNone);
    EXPECT_EQ(fake.text(kCtlSetLine), kLoadErrorText);
}

TEST_F(MainWindow, ASolveRunsOnTheWorkerAndItsMessageShowsTheResult) {
    load(kTinyLevel);
    std::string captionWhileSolving;
    bool timerWhileSolving = false;
    fake.onMessage = [&](int32_t message) {
        captionWhileSolving = fake.text(kCtlSolve);
        timerWhileSolving = fake.timerRunning(kTimerSolve);
        if (message == kMsgWorkerDone) onWorkerDone();
    };
    onCommand(kCtlSolve);
    joinWorker();

    EXPECT_EQ(fake.messages, std::vector<int32_t>{kMsgWorkerDone});
    EXPECT_EQ(captionWhileSolving, "Cancel");
    EXPECT_TRUE(timerWhileSolving);
    EXPECT_EQ(fake.runningTimers.count(kTimerSolve), 0u);
    EXPECT_EQ(fake.text(kCtlSolve), "Solve");
    EXPECT_EQ(windowState.solvingFlag, 0);
    EXPECT_TRUE(fake.messageBoxes.empty());  // a solved level has no message
    ASSERT_TRUE(solutionPresent());
    EXPECT_EQ(verifySolution(), 1);
    EXPECT_EQ(fake.text(kCtlMoves), "0/" + std::to_string(solution.moveCount) + "m");
    // The result box showed the solution.
    ASSERT_EQ(fake.dialogsRun, std::vector<int32_t>{kTextBoxDialog});
    EXPECT_EQ(fake.text(kTextBoxDialog + kCaption), "Result");
    const std::string shown = fake.text(kBoxEdit);
    const std::string tail = "Solution\r\n" + std::string(solution.solutionText) + "\r\n; " +
                             std::to_string(solution.moveCount) + " moves, " + std::to_string(solution.pushCount) +
                             " pushes\r\n";
    ASSERT_GE(shown.size(), tail.size());
    EXPECT_EQ(shown.substr(shown.size() - tail.size()), tail);
    EXPECT_TRUE(fake.enabled(kCtlPlay));

    // Solve again on the solved level: the result box, no new solve.
    onCommand(kCtlSolve);
    EXPECT_EQ(fake.dialogsRun.size(), 2u);
    EXPECT_EQ(fake.messages.size(), 1u);
}

TEST_F(MainWindow, SolvePressedAgainCancelsTheSolve) {
    load(kHardLevel);
    control.timeLimit = 2;
    onCommand(kCtlSolve);
    ASSERT_TRUE(solverRunning());
    // While it runs the level stays put.
    onCommand(kCtlSample);
    EXPECT_EQ(levelSet.levelSetName, "TextBox");
    onCommand(kCtlSolve);
    joinWorker();

    ASSERT_EQ(fake.messageBoxes.size(), 1u);
    EXPECT_EQ(fake.messageBoxes[0].text, " Canceled          ");
    EXPECT_EQ(fake.messageBoxes[0].caption, "Kelvaro Solver");
    EXPECT_EQ(fake.messageBoxes[0].icon, kIconWarning);
    EXPECT_FALSE(solutionPresent());
    EXPECT_TRUE(fake.dialogsRun.empty());
    EXPECT_TRUE(fake.enabled(kCtlSolve));
    EXPECT_EQ(fake.text(kCtlSolve), "Solve");
}

TEST_F(MainWindow, ClosingDuringASolveStopsItAndReleasesTheMemory) {
    load(kHardLevel);
    control.timeLimit = 2;
    onCommand(kCtlSolve);
    ASSERT_TRUE(solverRunning());
    onClose();
    ASSERT_TRUE(waitFor([] { return closeDone(); }));
    EXPECT_EQ(fake.messages, std::vector<int32_t>{kMsgWorkerDone});
    EXPECT_TRUE(fake.messageBoxes.empty());  // nothing is shown once closing
    EXPECT_EQ(blocks.block1, nullptr);
    EXPECT_EQ(solution.solutionText, nullptr);
    EXPECT_FALSE(memoryReady());
}

TEST_F(MainWindow, ACancelPendingBeforeTheSolveClearsStopFlagIsSetAgainByTheTimer) {
    load(kHardLevel);
    control.timeLimit = 2;
    onCommand(kCtlSolve);
    ASSERT_TRUE(solverRunning());
    worker.cancelRequest = 1;  // a cancel whose stopFlag the start of the solve cleared
    EXPECT_EQ(control.stopFlag, 0);
    onTimer(kTimerSolve);
    EXPECT_EQ(control.stopFlag, 1);
    joinWorker();
    ASSERT_EQ(fake.messageBoxes.size(), 1u);
    EXPECT_EQ(fake.messageBoxes[0].text, " Canceled          ");
}

}  // namespace
}  // namespace qmtest
