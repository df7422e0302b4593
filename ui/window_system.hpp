#pragma once
// The operations the window logic needs from a window system, and the identifiers of the
// controls they address. The logic (state, enabling, texts, drawing into the view) is written
// against this interface only; the real backend and the tests' recording fake implement it.
#include <cstdint>
#include <string>

namespace qm {

// A control is named by its dialog's base plus its identifier inside that dialog, so that the
// same small numbers can live in the main window, the option dialog and the text box.
// Identifier 0 of a dialog is its caption.
constexpr int32_t kMainWindow = 0;
constexpr int32_t kOptionDialog = 10000;
constexpr int32_t kTextBoxDialog = 20000;
constexpr int32_t kCaption = 0;

// Main window: group frames.
constexpr int32_t kCtlLoaderFrame = 1025;    // "Level Loader"
constexpr int32_t kCtlSelectorFrame = 1026;  // "Level Selector"
constexpr int32_t kCtlSolverFrame = 1027;    // "Solver"
constexpr int32_t kCtlTraceFrame = 1028;     // "Trace Viewer"
constexpr int32_t kCtlBatchFrame = 1029;     // "Batch etc."
// Main window: command controls.
constexpr int32_t kCtlSample = 1001;
constexpr int32_t kCtlText = 1002;
constexpr int32_t kCtlFile = 1003;
constexpr int32_t kCtlFolder = 1004;
constexpr int32_t kCtlPrev = 1005;
constexpr int32_t kCtlLevelEdit = 1034;      // level number to go to
constexpr int32_t kCtlGo = 1006;
constexpr int32_t kCtlNext = 1007;
constexpr int32_t kCtlSolve = 1008;          // "Solve", "Cancel" while solving, "Skip" in a batch
constexpr int32_t kCtlTop = 1009;
constexpr int32_t kCtlBack = 1010;           // "<-"
constexpr int32_t kCtlPlay = 1011;           // "Play", "Pause" while playing
constexpr int32_t kCtlForward = 1012;        // "->"
constexpr int32_t kCtlOption = 1013;         // "Option", "Cancel" during a batch
constexpr int32_t kCtlLookIn = 1042;         // opens the batch report; hidden until a report exists
// Main window: status texts and progress display.
constexpr int32_t kCtlSetLine = 1014;        // level-set line (blue)
constexpr int32_t kCtlLevelLine = 1015;      // "%4d [%2d*%2d(%3d)]"
constexpr int32_t kCtlVerdict = 1016;        // verdict of the level (red)
constexpr int32_t kCtlSeconds = 1017;
constexpr int32_t kCtlMoves = 1018;          // "%d/%dm"
constexpr int32_t kCtlPushes = 1019;         // "%d/%dp"
constexpr int32_t kCtlSolvedCounter = 1020;  // batch counters
constexpr int32_t kCtlFailedCounter = 1031;
constexpr int32_t kCtlThread1Label = 1021;
constexpr int32_t kCtlThread2Label = 1022;
constexpr int32_t kCtlThread1Bar = 1023;
constexpr int32_t kCtlThread2Bar = 1024;
constexpr int32_t kCtlBoardFrame = 1030;     // frame around the view
constexpr int32_t kCtlSolvedLabel = 1043;
constexpr int32_t kCtlFailedLabel = 1044;

// Option dialog.
constexpr int32_t kOptTitleLine = kOptionDialog + 1014;
constexpr int32_t kOptSetLine = kOptionDialog + 1015;
constexpr int32_t kOptSizeLine = kOptionDialog + 1016;
constexpr int32_t kOptPlayAfter = kOptionDialog + 1031;    // check box
constexpr int32_t kOptOutput = kOptionDialog + 1032;       // check box
constexpr int32_t kOptTrace = kOptionDialog + 1033;        // check box
constexpr int32_t kOptReportPath = kOptionDialog + 1034;   // edit
constexpr int32_t kOptBrowse = kOptionDialog + 1001;
constexpr int32_t kOptFrom = kOptionDialog + 1035;         // edit
constexpr int32_t kOptTo = kOptionDialog + 1036;           // edit
constexpr int32_t kOptBatchStart = kOptionDialog + 1002;
constexpr int32_t kOptTimeLimit = kOptionDialog + 1037;    // edit
constexpr int32_t kOptSpeedSlow = kOptionDialog + 1038;    // radio buttons, speeds 0 to 3
constexpr int32_t kOptSpeedNormal = kOptionDialog + 1039;
constexpr int32_t kOptSpeedFast = kOptionDialog + 1040;
constexpr int32_t kOptSpeedHigh = kOptionDialog + 1041;
constexpr int32_t kOptOk = kOptionDialog + 1;
constexpr int32_t kOptOptimize = kOptionDialog + 1042;       // check box: optimize each solution
constexpr int32_t kOptOptimizePushes = kOptionDialog + 1043; // check box: for pushes, not moves

// Text box.
constexpr int32_t kBoxPrompt = kTextBoxDialog + 1014;
constexpr int32_t kBoxAction = kTextBoxDialog + 1001;      // "Paste" or "Copy"
constexpr int32_t kBoxOk = kTextBoxDialog + 1002;
constexpr int32_t kBoxEdit = kTextBoxDialog + 1034;

// Timers of the main window and the message the worker sends when it is done.
constexpr int32_t kTimerSolve = 1;        // 200 ms while solving
constexpr int32_t kTimerTrace = 2;        // trace playback
constexpr int32_t kSolvePeriodMs = 200;
constexpr int32_t kMsgWorkerDone = 1025;

enum MessageIcon : int32_t { kIconWarning = 0, kIconInformation = 1, kIconError = 2 };

// The window system. Besides the window's own thread, the worker thread calls it during a solve
// and a batch run (texts, enabling, timers, the view, message 1025); an implementation carries
// such calls over to the window's thread. Calls that wait for the user (message boxes, choosers)
// come only from the window's thread.
class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    // Controls.
    virtual void setText(int32_t control, const std::string& text) = 0;
    virtual std::string controlText(int32_t control) = 0;
    virtual void enable(int32_t control, bool enabled) = 0;
    virtual void show(int32_t control, bool visible) = 0;
    virtual void setChecked(int32_t control, bool checked) = 0;
    virtual bool isChecked(int32_t control) = 0;

    // Progress bars: range, bar colour, position.
    virtual void setProgressRange(int32_t control, int32_t low, int32_t high) = 0;
    virtual void setProgressColour(int32_t control, uint8_t red, uint8_t green, uint8_t blue) = 0;
    virtual void setProgressPosition(int32_t control, int32_t position) = 0;

    // Periodic timers of the main window (kTimerSolve, kTimerTrace). Starting a running timer
    // restarts it with the new period; stopping a stopped one does nothing.
    virtual void startTimer(int32_t timer, int32_t periodMs) = 0;
    virtual void stopTimer(int32_t timer) = 0;

    // Hands a message (kMsgWorkerDone) to the window's thread. From another thread it returns
    // once the window has handled the message.
    virtual void postMessage(int32_t message) = 0;

    // A modal message box.
    virtual void messageBox(const std::string& caption, const std::string& text, MessageIcon icon) = 0;

    // Choosers: the chosen path, or "" when cancelled. Folders come without a trailing separator.
    virtual std::string openFileChooser(const std::string& title, const std::string& startPath) = 0;
    virtual std::string saveFileChooser(const std::string& title, const std::string& startPath) = 0;
    virtual std::string folderChooser(const std::string& title, const std::string& startPath) = 0;

    // Plain-text clipboard; "" when it holds no text.
    virtual std::string readClipboard() = 0;
    virtual void writeClipboard(const std::string& text) = 0;

    // Opens a file with the desktop's default application (the batch report).
    virtual void openDocument(const std::string& path) = 0;

    // The off-screen view (ui/view.hpp) changed: copy it to the window.
    virtual void viewChanged() = 0;

    // Modal dialogs (kOptionDialog, kTextBoxDialog): runDialog shows the dialog and returns once
    // endDialog has been called for it; meanwhile its controls' commands go to the logic's
    // onDialogCommand (ui/main_window.hpp). Closing the dialog by its close box ends it too.
    virtual void runDialog(int32_t dialog) = 0;
    virtual void endDialog(int32_t dialog) = 0;
};

// The window system the logic calls. Before setWindowSystem, and after it is given nullptr, a
// silent one is used that shows nothing and answers every question with "" or false.
WindowSystem& windowSystem();
// Set by the program at start-up (before any worker starts) and by tests.
void setWindowSystem(WindowSystem* system);

}  // namespace qm
