#pragma once
// The FLTK backend's state and the operations its parts share: the controls (controls.cpp), the
// desktop services (desktop.cpp), the window system (fltk_window_system.cpp) and the program
// with its event loop, dialogs, timers and closing (window_program.cpp). Only the backend's
// sources include this; it brings in the FLTK headers.
#include <cstdint>
#include <string>

#include "platform/fltk/call_queue.hpp"
#include "platform/fltk/layout.hpp"
#include "platform/fltk/widgets.hpp"
#include "ui/view.hpp"
#include "ui/window_system.hpp"

class Fl_Button;
class Fl_Progress;
class Fl_Text_Buffer;
class Fl_Window;

namespace qm {

constexpr int32_t kMaxControls = 96;
constexpr int32_t kTimerSlots = 3;  // timers 1 and 2

struct ControlEntry {
    int32_t id;
    ControlKind kind;
    Fl_Widget* widget;
};

// Everything the backend keeps: its widgets by identifier, the dialogs, the copy of the view it
// draws from, the timers and the queue of calls from other threads. Touched only on the
// window's thread, except for the call queue.
struct Backend {
    ControlEntry controls[kMaxControls];
    int32_t controlCount = 0;
    DialogWindow* windows[kDialogCount] = {};  // main window, option dialog, text box
    bool dialogRunning[kDialogCount] = {};
    Fl_Text_Buffer* boxText = nullptr;         // the text box's multi-line edit
    ViewBox* viewBox = nullptr;
    uint8_t viewPixels[kViewWidth * kViewHeight * 3] = {};
    int32_t timerPeriodMs[kTimerSlots] = {};
    PasteReceiver* pasteReceiver = nullptr;
    bool readingClipboard = false;
    bool closeRequested = false;  // close box or signal: no commands, dialogs or message boxes
    bool closing = false;         // onClose has been called
    CallQueue calls;
};
extern Backend backend;

// Controls: the windows built from the layout tables, lookup and texts.
void buildWindows();
Fl_Window* mainWindow();
// Index of a dialog in dialogLayouts and backend.windows, -1 for an unknown base.
int32_t dialogIndex(int32_t base);
ControlEntry* findControl(int32_t id);
Fl_Progress* findBar(int32_t id);
Fl_Button* findToggle(int32_t id);  // check box or radio button
void setControlText(int32_t id, const std::string& text);
std::string getControlText(int32_t id);
void centreMainWindow();
void centreOverMain(Fl_Window* window);

// Desktop services.
// type is an Fl_Native_File_Chooser type; "" when cancelled.
std::string runChooser(int type, const std::string& title, const std::string& startPath);
std::string pasteClipboard();
void copyToClipboard(const std::string& text);
void launchOpener(const std::string& path);

// The program: dialogs, timers, messages and closing.
void runDialogWindow(int32_t dialog);
void endDialogWindow(int32_t index);
void windowCloseRequested(DialogWindow* window);
void startWindowTimer(int32_t timer, int32_t periodMs);
void stopWindowTimer(int32_t timer);
// A message posted on the window's own thread: onWorkerDone runs after the current event.
void postMessageLater();

// The window system the program installs.
WindowSystem& fltkWindowSystem();

}  // namespace qm
