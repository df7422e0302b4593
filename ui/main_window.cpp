#include "ui/main_window.hpp"

#include <algorithm>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>

#include "batch/batch.hpp"
#include "board/board.hpp"
#include "board/solution.hpp"
#include "levels/parser.hpp"
#include "levels/sources.hpp"
#include "solver/blocks.hpp"
#include "solver/control.hpp"
#include "solver/driver.hpp"
#include "ui/board_view.hpp"
#include "ui/edits.hpp"
#include "ui/option_dialog.hpp"
#include "ui/settings.hpp"
#include "ui/state.hpp"
#include "ui/text_box.hpp"
#include "ui/texts.hpp"
#include "ui/trace.hpp"
#include "ui/window_system.hpp"
#include "ui/worker.hpp"

namespace qm {

namespace {

constexpr size_t kLevelNumberChars = 5;  // characters of the level-number edit that Go reads
constexpr int32_t kResultPauseMs = 200;  // pause after a solve before the controls come back

struct MainWindow {
    SharedWord<int32_t> closing;  // onClose has run; the worker's message then only ends the close
    SharedWord<int32_t> closed;   // memory released and the work file deleted
};
MainWindow mainWindow;

struct Caption {
    int32_t control;
    const char* text;
};
// The initial texts of the main window's controls.
constexpr Caption kInitialCaptions[] = {
    {kMainWindow + kCaption, kTitleString},
    {kCtlLoaderFrame, "Level Loader"},
    {kCtlSelectorFrame, "Level Selector"},
    {kCtlSolverFrame, "Solver"},
    {kCtlTraceFrame, "Trace Viewer"},
    {kCtlBatchFrame, "Batch etc."},
    {kCtlSample, "Sample"},
    {kCtlText, "Text"},
    {kCtlFile, "File"},
    {kCtlFolder, "Folder"},
    {kCtlPrev, "Prev"},
    {kCtlLevelEdit, ""},
    {kCtlGo, "Go"},
    {kCtlNext, "Next"},
    {kCtlSolve, "Solve"},
    {kCtlTop, "Top"},
    {kCtlBack, "<-"},
    {kCtlPlay, "Play"},
    {kCtlForward, "->"},
    {kCtlOption, "Option"},
    {kCtlLookIn, "LookIn"},
    {kCtlSetLine, ""},
    {kCtlLevelLine, ""},
    {kCtlVerdict, ""},
    {kCtlSeconds, ""},
    {kCtlMoves, ""},
    {kCtlPushes, ""},
    {kCtlThread1Label, "Thread1"},
    {kCtlThread2Label, "Thread2"},
    {kCtlSolvedLabel, "Solved"},
    {kCtlFailedLabel, "Failed"},
    {kCtlSolvedCounter, " "},
    {kCtlFailedCounter, " "},
};

// Both solver blocks and the solution text, or none of them.
void allocateMemory() {
    if (allocateBlocks() == 1 && allocateSolution() == 1) return;
    releaseSolution();
    releaseBlocks();
}

bool workerBusy() { return windowState.solvingFlag != 0 || windowState.batchFlag != 0; }

void loadFile() {
    const std::string path = windowSystem().openFileChooser("Select File", settings.inputFile);
    if (path.empty() || path.size() > kMaxNameBytes) return;  // cancelled, or longer than a path may be
    rememberInputFile(path);
    levelSet.openFilePath = path;
    openFile();
    afterLoad();
}

void loadFolder() {
    const std::string path = windowSystem().folderChooser("Select Folder", settings.inputFolder);
    if (path.empty() || path.size() > kMaxNameBytes) return;
    rememberInputFolder(path);
    levelSet.folderPath = path;
    openFolder();
    afterLoad();
}

// Go: the typed number, at least 1; goToLevel stops at the set's last level.
void goToTypedLevel() {
    const int32_t n = editNumber(kCtlLevelEdit, kLevelNumberChars);
    if (levelSet.sourceKind == kSourceNone) return;
    goToLevel(std::max(n, 1));
    showLevel();
}

void startSolve() {
    WindowSystem& ws = windowSystem();
    windowState.solvingFlag = 1;
    applyEnabling();
    ws.setText(kCtlSolve, "Cancel");
    control.solveStart = nowSeconds();
    control.solveDeadline = control.solveStart + control.timeLimit;
    ws.startTimer(kTimerSolve, kSolvePeriodMs);
    if (startWorker(kWorkerSolve)) return;
    ws.stopTimer(kTimerSolve);
    windowState.solvingFlag = 0;
    ws.setText(kCtlSolve, "Solve");
    applyEnabling();
}

// Solve: cancel while solving, skip during a batch, the result box for a solved level.
void solveCommand() {
    if (workerBusy()) {
        if (windowState.batchFlag != 0) {
            control.skipRequest = 1;
            control.stopFlag = kStopCancel;
        } else {
            requestCancel();
        }
        return;
    }
    if (!memoryReady() || windowState.playingFlag != 0) return;
    if (solutionPresent()) {
        textBox(kResultMode);
    } else if (levelSet.levelCount > 0 && level.levelVerdict == kLevelOk) {
        startSolve();
    }
}

// Option: cancel during a batch, else the option dialog, which may start one.
void optionCommand() {
    if (windowState.batchFlag != 0) {
        requestCancel();
        return;
    }
    if (workerBusy() || windowState.playingFlag != 0 || !memoryReady()) return;
    optionDialog();
    if (windowState.batchFlag == 0) return;
    if (batchSettings.outputEnabled != 0) worker.reportPath = settings.outputPath;  // LookIn opens it
    if (startWorker(kWorkerBatch)) return;
    windowState.batchFlag = 0;
    applyEnabling();
}

void traceCommand(int32_t id) {
    if (!solutionPresent()) return;
    switch (id) {
        case kCtlTop: traceTop(); break;
        case kCtlBack: traceBack(); break;
        case kCtlPlay: tracePlayToggle(); break;
        case kCtlForward: traceForward(); break;
        default: break;
    }
}

void solveDone() {
    WindowSystem& ws = windowSystem();
    const int32_t result = worker.solveResult;
    ws.stopTimer(kTimerSolve);
    windowState.solvingFlag = 0;
    ws.setText(kCtlSolve, "Solve");
    resetTrace();
    if (result == kResultSolved) showTraceCounters();
    else clearSolution();
    drawLive();
    showFinalSeconds();
    updateProgress();
    std::this_thread::sleep_for(std::chrono::milliseconds(kResultPauseMs));
    applyEnabling();
    if (const char* text = resultMessage(result)) ws.messageBox(kMessageCaption, text, kIconWarning);
    if (result == kResultSolved) textBox(kResultMode);
    drawStart(1);
}

void batchDone() {
    WindowSystem& ws = windowSystem();
    ws.stopTimer(kTimerSolve);
    // A run cancelled during its playback keeps the board where the trace stopped.
    if (windowState.playingFlag == 0) drawStart(1);
    windowState.playingFlag = 0;
    windowState.batchFlag = 0;
    windowState.solvingFlag = 0;
    applyEnabling();
    ws.setText(kCtlSolve, "Solve");
    ws.setText(kCtlOption, "Option");
    const ReportTime& s = batchTimes.start;
    const ReportTime& e = batchTimes.end;
    const std::string text =
        worker.solveResult == kResultCanceled
            ? formatText("  Batch is canceled.\r\n\r\n%4d/%02d/%02d %02d:%02d Start\r\n"
                         "%4d/%02d/%02d %02d:%02d Cancel\r\n",
                         s.year, s.month, s.day, s.hour, s.minute, e.year, e.month, e.day, e.hour, e.minute)
            : formatText("  Batch is finished.\r\n\r\n%4d/%02d/%02d %02d:%02d Start\r\n"
                         "%4d/%02d/%02d %02d:%02d Finish\r\n",
                         s.year, s.month, s.day, s.hour, s.minute, e.year, e.month, e.day, e.hour, e.minute);
    ws.messageBox(kMessageCaption, text, kIconInformation);
    if (worker.reportFailed != 0) ws.messageBox(kMessageCaption, " Can't write output file.", kIconError);
}

// The last step of closing: no worker uses the memory any more.
void finishClose() {
    if (mainWindow.closed != 0) return;
    WindowSystem& ws = windowSystem();
    ws.stopTimer(kTimerSolve);
    ws.stopTimer(kTimerTrace);
    windowState.playingFlag = 0;
    windowState.batchFlag = 0;
    windowState.solvingFlag = 0;
    releaseSolution();
    releaseBlocks();
    releaseSolverBuffers();
    deleteScratchFile();
    mainWindow.closed = 1;
}

}  // namespace

void onInit() {
    mainWindow.closing = 0;
    mainWindow.closed = 0;
    windowState.solvingFlag = 0;
    windowState.batchFlag = 0;
    windowState.playingFlag = 0;
    WindowSystem& ws = windowSystem();
    for (const Caption& c : kInitialCaptions) ws.setText(c.control, c.text);
    locateSettings();
    readSettings();
    applySettings();
    allocateMemory();
    setupProgressBars();
    drawTitleScreen();
    ws.show(kCtlLookIn, false);
    applyEnabling();
}

void onCommand(int32_t id) {
    switch (id) {
        case kCtlSolve: solveCommand(); return;
        case kCtlOption: optionCommand(); return;
        case kCtlLookIn:
            if (!worker.reportPath.empty()) windowSystem().openDocument(worker.reportPath);
            return;
        default: break;
    }
    // Everything else changes the level or the trace, which a running solve or batch uses.
    if (workerBusy() || !memoryReady()) return;
    switch (id) {
        case kCtlSample:
            openSample();
            afterLoad();
            break;
        case kCtlText:
            if (textBox(kPasteMode) != 0) afterLoad();
            break;
        case kCtlFile: loadFile(); break;
        case kCtlFolder: loadFolder(); break;
        case kCtlPrev:
            if (levelSet.currentLevel >= 2) {
                previousLevel();
                showLevel();
            }
            break;
        case kCtlGo: goToTypedLevel(); break;
        case kCtlNext:
            if (levelSet.currentLevel < levelSet.levelCount) {
                nextLevel();
                showLevel();
            }
            break;
        case kCtlTop:
        case kCtlBack:
        case kCtlPlay:
        case kCtlForward: traceCommand(id); break;
        default: break;
    }
}

void onDialogCommand(int32_t id) {
    if (id >= kTextBoxDialog) textBoxCommand(id);
    else if (id >= kOptionDialog) optionDialogCommand(id);
}

void onTimer(int32_t timer) {
    // Every solve clears stopFlag as it starts, so a pending cancel is set again on each tick.
    if (worker.cancelRequest != 0 && worker.running != 0) control.stopFlag = kStopCancel;
    std::unique_lock<std::mutex> guard(worker.displayLock, std::try_to_lock);
    if (!guard.owns_lock()) return;  // the batch is drawing; the next tick comes soon
    if (timer == kTimerSolve) {
        if (windowState.solvingFlag == 0) return;
        if (windowState.batchFlag != 0 && worker.liveView == 0) return;
        solveTimerTick();
    } else if (timer == kTimerTrace) {
        if (windowState.playingFlag != 0) traceTick();
    }
}

void onWorkerDone() {
    if (mainWindow.closing != 0) {
        finishClose();
        return;
    }
    if (windowState.workerMode == kWorkerBatch) batchDone();
    else solveDone();
}

void onClose() {
    if (mainWindow.closing != 0) return;
    mainWindow.closing = 1;
    if (worker.running != 0) {
        requestCancel();
        return;
    }
    joinWorker();
    finishClose();
}

bool closeDone() {
    if (mainWindow.closing == 0) return false;
    if (worker.running != 0) return false;
    joinWorker();
    finishClose();
    return true;
}

}  // namespace qm
