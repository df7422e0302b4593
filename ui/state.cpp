#include "ui/state.hpp"

#include <algorithm>
#include <mutex>

#include "board/board.hpp"
#include "board/solution.hpp"
#include "levels/parser.hpp"
#include "levels/sample.hpp"
#include "levels/sources.hpp"
#include "solver/blocks.hpp"
#include "ui/board_view.hpp"
#include "ui/texts.hpp"
#include "ui/trace.hpp"
#include "ui/window_system.hpp"

namespace qm {

WindowState windowState;

const int32_t commandControlIds[kCommandControls] = {
    kCtlSample, kCtlText, kCtlFile, kCtlFolder, kCtlPrev, kCtlLevelEdit, kCtlGo,
    kCtlNext, kCtlSolve, kCtlTop, kCtlBack, kCtlPlay, kCtlForward, kCtlOption,
};

bool memoryReady() { return blocks.memoryReady != 0; }

bool solutionPresent() { return solution.moveCount > 0; }

void clearSolution() {
    {
        std::lock_guard<std::mutex> guard(solution.snapshotLock);
        if (solution.solutionText != nullptr) solution.solutionText[0] = 0;
        solution.moveCount = 0;
        solution.pushCount = 0;
        solution.traceOverflow = 0;
    }
    resetTrace();
}

void applyEnabling() {
    int32_t* on = windowState.enableState;
    std::fill(on, on + kCommandControls, 0);
    if (!memoryReady()) {
        // Nothing can run without the solver's memory.
    } else if (windowState.batchFlag != 0) {
        on[kCmdSolve] = 1;   // "Skip"
        on[kCmdOption] = 1;  // "Cancel"
    } else if (windowState.solvingFlag != 0) {
        on[kCmdSolve] = 1;   // "Cancel"
    } else if (windowState.playingFlag != 0) {
        on[kCmdPlay] = 1;    // "Pause"
    } else {
        on[kCmdSample] = on[kCmdText] = on[kCmdFile] = on[kCmdFolder] = on[kCmdOption] = 1;
        const int32_t count = levelSet.levelCount, current = levelSet.currentLevel;
        if (count > 1) {
            on[kCmdLevelEdit] = on[kCmdGo] = 1;
            on[kCmdPrev] = current != 1;
            on[kCmdNext] = current != count;
        }
        on[kCmdSolve] = count > 0 && level.levelVerdict == kLevelOk;
        const bool solved = solutionPresent();
        on[kCmdTop] = on[kCmdBack] = solved && trace.tracePos != 0;
        on[kCmdPlay] = on[kCmdForward] = solved && !traceAtEnd();
    }
    WindowSystem& ws = windowSystem();
    for (int32_t i = 0; i < kCommandControls; ++i) ws.enable(commandControlIds[i], on[i] != 0);
}

namespace {

// The set line of a set other than the sample: its name and level count.
std::string setLineText() {
    const std::string& name = levelSet.levelSetName;
    return levelSet.levelCount >= 2 ? formatText("%s (%d levles)", name.c_str(), levelSet.levelCount) : name;
}

}  // namespace

void showLevel() {
    WindowSystem& ws = windowSystem();
    const int32_t current = levelSet.currentLevel;
    if (levelSet.levelSetName == "Sample") {
        ws.setText(kCtlSetLine, formatText("%s (%dlevels)   %s", levelSet.levelSetName.c_str(),
                                           levelSet.levelCount, sampleLabel(current)));
    } else {
        // A level with a title shows it beside the set's name.
        const std::string& title = levelSet.currentTitle.title;
        ws.setText(kCtlSetLine, title.empty() ? setLineText() : setLineText() + "   " + title);
    }
    ws.setText(kCtlLevelEdit, formatText("%d", current));
    ws.setText(kCtlLevelLine, levelLine(current, level.boardWidth, level.boardHeight, level.boxCount));
    ws.setText(kCtlVerdict, verdictText(level.levelVerdict));
    ws.setText(kCtlSeconds, "0 sec");
    ws.setText(kCtlMoves, "");
    ws.setText(kCtlPushes, "");
    if (windowState.batchFlag == 0) {
        ws.setText(kCtlSolvedCounter, " ");
        ws.setText(kCtlFailedCounter, " ");
        ws.show(kCtlLookIn, false);
    }
    clearSolution();
    control.phaseNodeCount = 0;
    control.segNodeCount = 0;
    control.entryStateCount = 0;
    control.nodeCount = 0;
    control.thread1State = 0;
    control.thread2State = 0;
    updateProgress();
    drawStart(level.levelVerdict);
    applyEnabling();
}

void afterLoad() {
    WindowSystem& ws = windowSystem();
    applyEnabling();
    if (levelSet.sourceKind != kSourceNone) {
        ws.setText(kCtlSetLine, setLineText());
        if (levelSet.currentLevel != 1) goToLevel(1);
        showLevel();
    } else {
        ws.setText(kCtlSetLine, kLoadErrorText);
        ws.setText(kCtlLevelLine, "");
        ws.setText(kCtlVerdict, "");
        ws.setText(kCtlLevelEdit, "");
        levelSet.levelCount = 0;
        // The previous level's solution must not stay playable over the question mark.
        clearSolution();
        drawQuestionMark();
        applyEnabling();
    }
    ws.setText(kCtlSeconds, "0 sec");
    ws.setText(kCtlMoves, "");
    ws.setText(kCtlPushes, "");
}

void setupProgressBars() {
    WindowSystem& ws = windowSystem();
    ws.setProgressRange(kCtlThread1Bar, 0, kBar1Max);
    ws.setProgressColour(kCtlThread1Bar, 90, 88, 255);
    ws.setProgressRange(kCtlThread2Bar, 0, kBar2Max);
    ws.setProgressColour(kCtlThread2Bar, 0, 170, 255);
}

int64_t thread1Progress() {
    const int32_t state = control.thread1State;
    if (state == 0) return 0;
    if (level.alreadySolved != 0) return kThread1Full;
    const int64_t nodes = control.phaseNodeCount;
    const int32_t phase = control.solverPhase;
    if (phase == 0 || phase == 1) {
        if (nodes != 0) return nodes;
        const int64_t mainPhase =
            int64_t{control.segNodeCount} * kSegmentWeight + int64_t{control.entryStateCount};
        return std::min(mainPhase, kThread1MainCap);
    }
    if (state == kResultRunning || state == kResultSolved) return nodes + kThread1FinalBase;
    return kThread1Full;
}

int64_t thread2Progress() {
    const int32_t state = control.thread2State;
    if (state == 0) return 0;
    if (state == kThread2TooManyBoxes) return kThread2Full;
    return control.nodeCount;
}

void updateProgress() {
    WindowSystem& ws = windowSystem();
    ws.setProgressPosition(kCtlThread1Bar, static_cast<int32_t>(thread1Progress() >> kProgressShift));
    ws.setProgressPosition(kCtlThread2Bar, static_cast<int32_t>(thread2Progress() >> kProgressShift));
}

void showSolveSeconds() {
    windowSystem().setText(kCtlSeconds, formatText("%4d sec", static_cast<int32_t>(control.elapsedSeconds)));
}

void showFinalSeconds() {
    windowSystem().setText(kCtlSeconds, formatText("%5d sec", static_cast<int32_t>(control.elapsedSeconds)));
}

void solveTimerTick() {
    control.elapsedSeconds = nowSeconds() - control.solveStart;
    showSolveSeconds();
    drawLive();
    updateProgress();
}

}  // namespace qm
