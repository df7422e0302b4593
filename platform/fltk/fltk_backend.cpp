#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Native_File_Chooser.H>
#include <FL/Fl_Progress.H>
#include <FL/Fl_Round_Button.H>
#include <FL/Fl_Text_Buffer.H>
#include <FL/Fl_Text_Editor.H>
#include <FL/fl_draw.H>

#include <fcntl.h>
#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "platform/fltk/call_queue.hpp"
#include "platform/fltk/conversions.hpp"
#include "platform/fltk/layout.hpp"
#include "platform/fltk/message_box.hpp"
#include "platform/fltk/widgets.hpp"
#include "platform/fltk/window_program.hpp"
#include "ui/main_window.hpp"
#include "ui/view.hpp"
#include "ui/window_system.hpp"

namespace qm {

namespace {

constexpr int32_t kMaxControls = 96;
constexpr int kEditorTextSize = 12;                 // the text box's levels and solutions
constexpr int32_t kTimerSlots = 3;                  // timers 1 and 2
constexpr double kClipboardWaitSeconds = 1.0;       // bound of a clipboard read
constexpr double kClipboardPollSeconds = 0.02;
constexpr const char kNoDisplayText[] = "quillmate: no display available (set DISPLAY or use quillmate-cli)\n";

struct ControlEntry {
    int32_t id;
    ControlKind kind;
    Fl_Widget* widget;
};

// Everything the backend keeps: its widgets by identifier, the dialogs, the copy of the view
// it draws from, the timers and the queue of calls from other threads. Touched only on the
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
Backend backend;

int32_t dialogIndex(int32_t base) {
    for (int32_t i = 0; i < kDialogCount; ++i) {
        if (dialogSpecs[i].base == base) return i;
    }
    return -1;
}

ControlEntry* findControl(int32_t id) {
    for (int32_t i = 0; i < backend.controlCount; ++i) {
        if (backend.controls[i].id == id) return &backend.controls[i];
    }
    return nullptr;
}

// The window whose caption the identifier names (a dialog's base + kCaption), else null.
DialogWindow* captionWindow(int32_t id) {
    const int32_t index = dialogIndex(id - kCaption);
    return index >= 0 ? backend.windows[index] : nullptr;
}

Fl_Window* mainWindow() { return backend.windows[0]; }

// ---- Commands, timers, messages ----

void commandCallback(Fl_Widget*, void* data) {
    if (backend.closeRequested) return;
    const auto id = static_cast<int32_t>(reinterpret_cast<intptr_t>(data));
    if (id >= kOptionDialog) onDialogCommand(id);
    else onCommand(id);
}

void timerFired(void* data) {
    const auto timer = static_cast<int32_t>(reinterpret_cast<intptr_t>(data));
    Fl::repeat_timeout(backend.timerPeriodMs[timer] / 1000.0, timerFired, data);
    onTimer(timer);
}

void* timerData(int32_t timer) { return reinterpret_cast<void*>(static_cast<intptr_t>(timer)); }

void stopAllTimers() {
    for (int32_t timer = 1; timer < kTimerSlots; ++timer) Fl::remove_timeout(timerFired, timerData(timer));
}

// A message posted from the window's own thread runs after the current event.
void postedMessage(void*) { onWorkerDone(); }

void drainCalls(void*) { backend.calls.drain(); }

// Asks the window's thread to run the waiting calls; FLTK's queue of wake-ups is bounded, so
// retry until the request is accepted.
void wakeWindowThread() {
    while (Fl::awake(drainCalls, nullptr) != 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

// Ends every nested event loop (modal dialogs, message boxes, choosers) by hiding its window;
// the main window stays until onClose has run.
void hideWindowsAboveMain() {
    for (Fl_Window* window = Fl::first_window(); window != nullptr;) {
        Fl_Window* next = Fl::next_window(window);
        if (window != mainWindow()) window->hide();
        window = next;
    }
}

// The close box or a termination signal. The close starts once the event loops have unwound
// to the top: a message box or dialog that is open (perhaps inside onWorkerDone, while the
// worker waits for it) is taken down first, and none opens any more.
void requestClose() {
    if (backend.closeRequested) return;
    backend.closeRequested = true;
    hideWindowsAboveMain();
}

constexpr double kClosePollSeconds = 0.05;

// At the top of the event loop: onClose asks a running solve or batch to stop and returns; the
// loop keeps serving the worker's calls, its message 1025 and the timers until the logic says
// the close is done. Then the windows go and calls from other threads are no longer carried.
void closeProgram() {
    if (backend.closing) return;
    backend.closeRequested = true;
    backend.closing = true;
    onClose();
    while (!closeDone()) Fl::wait(kClosePollSeconds);
    stopAllTimers();
    backend.calls.close();
    for (int32_t i = 0; i < kDialogCount; ++i) backend.dialogRunning[i] = false;
    hideWindowsAboveMain();
    mainWindow()->hide();
}

void endDialogWindow(int32_t index) {
    backend.dialogRunning[index] = false;
    backend.windows[index]->hide();
}

void windowCloseRequested(DialogWindow* window) {
    if (window->base == kMainWindow) {
        if (Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape) return;
        requestClose();
        return;
    }
    endDialogWindow(dialogIndex(window->base));
}

// SIGTERM and SIGINT close the program like the close box: the handler only writes to a pipe
// that the event loop watches.
int signalPipe[2] = {-1, -1};

void onTerminateSignal(int) {
    const char byte = 1;
    const ssize_t written = write(signalPipe[1], &byte, 1);
    (void)written;
}

void signalPipeReadable(FL_SOCKET fd, void*) {
    char bytes[16];
    const ssize_t got = read(fd, bytes, sizeof bytes);
    (void)got;
    requestClose();
}

void watchTerminateSignals() {
    if (pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    Fl::add_fd(signalPipe[0], FL_READ, signalPipeReadable);
    struct sigaction action {};
    action.sa_handler = onTerminateSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

// ---- Building the windows ----

Fl_Color textColour(TextColour colour) {
    if (colour == kTextBlue) return fl_rgb_color(0, 0, 255);
    if (colour == kTextRed) return fl_rgb_color(255, 0, 0);
    return FL_FOREGROUND_COLOR;
}

Fl_Widget* createControl(const ControlSpec& spec) {
    void* data = reinterpret_cast<void*>(static_cast<intptr_t>(spec.id));
    switch (spec.kind) {
    case kKindGroupFrame:
        return new GroupFrame(spec.x, spec.y, spec.w, spec.h, spec.caption);
    case kKindButton: {
        auto* button = new Fl_Button(spec.x, spec.y, spec.w, spec.h);
        button->copy_label(spec.caption);
        button->labelsize(kLabelSize);
        button->callback(commandCallback, data);
        return button;
    }
    case kKindEdit: {
        auto* edit = new SelectAllInput(spec.x, spec.y, spec.w, spec.h, spec.selectAllOnFocus);
        edit->when(FL_WHEN_NEVER);
        return edit;
    }
    case kKindMultiEdit: {
        auto* edit = new Fl_Text_Editor(spec.x, spec.y, spec.w, spec.h);
        backend.boxText = new Fl_Text_Buffer();
        edit->buffer(backend.boxText);
        edit->textfont(FL_COURIER);
        edit->textsize(kEditorTextSize);
        edit->when(FL_WHEN_NEVER);
        return edit;
    }
    case kKindStatic: {
        auto* text = new StaticText(spec.x, spec.y, spec.w, spec.h, spec.caption);
        text->labelcolor(textColour(spec.colour));
        return text;
    }
    case kKindCheckBox:
    case kKindRadio: {
        Fl_Button* button = spec.kind == kKindCheckBox
                                ? static_cast<Fl_Button*>(new Fl_Check_Button(spec.x, spec.y, spec.w, spec.h))
                                : static_cast<Fl_Button*>(new Fl_Round_Button(spec.x, spec.y, spec.w, spec.h));
        if (spec.kind == kKindRadio) button->type(FL_RADIO_BUTTON);
        button->copy_label(spec.caption);
        button->labelsize(kLabelSize);
        button->callback(commandCallback, data);
        return button;
    }
    case kKindProgress: {
        auto* bar = new Fl_Progress(spec.x, spec.y, spec.w, spec.h);
        bar->box(FL_THIN_DOWN_BOX);
        bar->color(fl_rgb_color(230, 230, 230));
        bar->minimum(0);
        bar->maximum(100);
        bar->value(0);
        return bar;
    }
    case kKindBoardFrame:
        return new Fl_Box(FL_THIN_DOWN_FRAME, spec.x, spec.y, spec.w, spec.h, nullptr);
    case kKindView:
        backend.viewBox = new ViewBox(spec.x, spec.y, spec.w, spec.h, backend.viewPixels);
        return backend.viewBox;
    }
    return nullptr;
}

void buildWindows() {
    for (int32_t index = 0; index < kDialogCount; ++index) {
        const DialogSpec& spec = dialogSpecs[index];
        auto* window = new DialogWindow(spec.width, spec.height, spec.caption);
        window->base = spec.base;
        window->closeRequested = windowCloseRequested;
        for (int32_t i = 0; i < spec.controlCount; ++i) {
            const ControlSpec& control = spec.controls[i];
            Fl_Widget* widget = createControl(control);
            if (control.id != kUnnamedControl && widget != nullptr && backend.controlCount < kMaxControls) {
                backend.controls[backend.controlCount++] = ControlEntry{control.id, control.kind, widget};
            }
        }
        window->end();
        backend.windows[index] = window;
    }
    backend.windows[0]->xclass("Quillmate");
    backend.pasteReceiver = new PasteReceiver();  // belongs to no window
}

void centreMainWindow() {
    Fl_Window* window = mainWindow();
    int x = 0, y = 0, w = 0, h = 0;
    Fl::screen_work_area(x, y, w, h);
    window->position(x + std::max(0, (w - window->w()) / 2), y + std::max(0, (h - window->h()) / 2));
}

void centreOverMain(Fl_Window* window) {
    const Fl_Window* owner = mainWindow();
    window->position(owner->x() + (owner->w() - window->w()) / 2, owner->y() + (owner->h() - window->h()) / 2);
}

// ---- Control operations on the window's thread ----

void setControlText(int32_t id, const std::string& text) {
    if (DialogWindow* window = captionWindow(id)) {
        window->copy_label(text.c_str());
        return;
    }
    ControlEntry* entry = findControl(id);
    if (entry == nullptr) return;
    switch (entry->kind) {
    case kKindGroupFrame:
        static_cast<GroupFrame*>(entry->widget)->setCaption(text);
        break;
    case kKindStatic:
        static_cast<StaticText*>(entry->widget)->setText(withoutCarriageReturns(text));
        break;
    case kKindButton:
    case kKindCheckBox:
    case kKindRadio:
        entry->widget->copy_label(text.c_str());
        entry->widget->redraw();
        break;
    case kKindEdit:
        static_cast<Fl_Input*>(entry->widget)->value(withoutCarriageReturns(text).c_str());
        break;
    case kKindMultiEdit:
        backend.boxText->text(withoutCarriageReturns(text).c_str());
        static_cast<Fl_Text_Editor*>(entry->widget)->insert_position(0);
        static_cast<Fl_Text_Editor*>(entry->widget)->show_insert_position();
        break;
    case kKindProgress:
    case kKindBoardFrame:
    case kKindView:
        break;
    }
}

std::string getControlText(int32_t id) {
    if (DialogWindow* window = captionWindow(id)) return window->label() != nullptr ? window->label() : "";
    ControlEntry* entry = findControl(id);
    if (entry == nullptr) return {};
    switch (entry->kind) {
    case kKindGroupFrame:
        return static_cast<GroupFrame*>(entry->widget)->caption();
    case kKindStatic:
        return static_cast<StaticText*>(entry->widget)->text();
    case kKindButton:
    case kKindCheckBox:
    case kKindRadio:
        return entry->widget->label() != nullptr ? entry->widget->label() : "";
    case kKindEdit:
        return static_cast<Fl_Input*>(entry->widget)->value();
    case kKindMultiEdit: {
        char* copy = backend.boxText->text();
        std::string text = copy != nullptr ? copy : "";
        std::free(copy);
        return text;
    }
    case kKindProgress:
    case kKindBoardFrame:
    case kKindView:
        break;
    }
    return {};
}

Fl_Progress* findBar(int32_t id) {
    ControlEntry* entry = findControl(id);
    return entry != nullptr && entry->kind == kKindProgress ? static_cast<Fl_Progress*>(entry->widget) : nullptr;
}

Fl_Button* findToggle(int32_t id) {
    ControlEntry* entry = findControl(id);
    if (entry == nullptr || (entry->kind != kKindCheckBox && entry->kind != kKindRadio)) return nullptr;
    return static_cast<Fl_Button*>(entry->widget);
}

std::string runChooser(int type, const std::string& title, const std::string& startPath) {
    Fl_Native_File_Chooser chooser(type);
    chooser.title(title.c_str());
    const std::string folder = chooserFolder(startPath);
    if (!folder.empty()) chooser.directory(folder.c_str());
    if (type == Fl_Native_File_Chooser::BROWSE_SAVE_FILE) {
        const std::string name = chooserFileName(startPath);
        if (!name.empty()) chooser.preset_file(name.c_str());
    }
    if (chooser.show() != 0) return {};
    const char* chosen = chooser.filename();
    if (chosen == nullptr || chosen[0] == 0) return {};
    return type == Fl_Native_File_Chooser::BROWSE_DIRECTORY ? withoutTrailingSlash(chosen) : std::string(chosen);
}

// Asks for the clipboard's text and waits a bounded time for it to arrive.
std::string pasteClipboard() {
    if (backend.readingClipboard || Fl::first_window() == nullptr) return {};
    backend.readingClipboard = true;
    PasteReceiver& receiver = *backend.pasteReceiver;
    receiver.received = false;
    receiver.text.clear();
    Fl::paste(receiver, 1, Fl::clipboard_plain_text);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(kClipboardWaitSeconds);
    while (!receiver.received && std::chrono::steady_clock::now() < deadline) Fl::wait(kClipboardPollSeconds);
    backend.readingClipboard = false;
    return receiver.received ? receiver.text : std::string();
}

// Starts xdg-open on the path without waiting for it: the intermediate child exits at once,
// so the opener is adopted by init and never becomes a zombie of ours.
void launchOpener(const std::string& path) {
    const pid_t child = fork();
    if (child < 0) return;
    if (child == 0) {
        if (fork() == 0) {
            execlp("xdg-open", "xdg-open", path.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
}

void runDialogWindow(int32_t dialog) {
    const int32_t index = dialogIndex(dialog);
    if (index <= 0 || backend.dialogRunning[index] || backend.closeRequested) return;
    DialogWindow* window = backend.windows[index];
    backend.dialogRunning[index] = true;
    centreOverMain(window);
    window->set_modal();
    window->show();
    while (backend.dialogRunning[index] && window->shown()) Fl::wait();
    backend.dialogRunning[index] = false;
    window->hide();
}

// ---- The window system ----

class FltkWindowSystem final : public WindowSystem {
public:
    void setText(int32_t control, const std::string& text) override {
        auto body = [&] { setControlText(control, text); };
        runOnWindowThread(backend.calls, body);
    }
    std::string controlText(int32_t control) override {
        std::string text;
        auto body = [&] { text = getControlText(control); };
        runOnWindowThread(backend.calls, body);
        return text;
    }
    void enable(int32_t control, bool enabled) override {
        auto body = [&] {
            if (ControlEntry* entry = findControl(control)) {
                if (enabled) entry->widget->activate();
                else entry->widget->deactivate();
            }
        };
        runOnWindowThread(backend.calls, body);
    }
    void show(int32_t control, bool visible) override {
        auto body = [&] {
            if (ControlEntry* entry = findControl(control)) {
                if (visible) entry->widget->show();
                else entry->widget->hide();
            }
        };
        runOnWindowThread(backend.calls, body);
    }
    void setChecked(int32_t control, bool checked) override {
        auto body = [&] {
            if (Fl_Button* button = findToggle(control)) {
                if (checked && button->type() == FL_RADIO_BUTTON) button->setonly();
                else button->value(checked ? 1 : 0);
            }
        };
        runOnWindowThread(backend.calls, body);
    }
    bool isChecked(int32_t control) override {
        bool checked = false;
        auto body = [&] {
            if (Fl_Button* button = findToggle(control)) checked = button->value() != 0;
        };
        runOnWindowThread(backend.calls, body);
        return checked;
    }
    void setProgressRange(int32_t control, int32_t low, int32_t high) override {
        auto body = [&] {
            if (Fl_Progress* bar = findBar(control)) {
                bar->minimum(static_cast<float>(low));
                bar->maximum(static_cast<float>(high > low ? high : low + 1));
            }
        };
        runOnWindowThread(backend.calls, body);
    }
    void setProgressColour(int32_t control, uint8_t red, uint8_t green, uint8_t blue) override {
        auto body = [&] {
            if (Fl_Progress* bar = findBar(control)) {
                bar->selection_color(fl_rgb_color(red, green, blue));
                bar->redraw();
            }
        };
        runOnWindowThread(backend.calls, body);
    }
    void setProgressPosition(int32_t control, int32_t position) override {
        auto body = [&] {
            if (Fl_Progress* bar = findBar(control)) {
                const auto value = static_cast<float>(position);
                if (bar->value() != value) bar->value(value);
            }
        };
        runOnWindowThread(backend.calls, body);
    }
    void startTimer(int32_t timer, int32_t periodMs) override {
        if (timer < 1 || timer >= kTimerSlots) return;
        auto body = [&] {
            backend.timerPeriodMs[timer] = periodMs > 0 ? periodMs : 1;
            Fl::remove_timeout(timerFired, timerData(timer));
            Fl::add_timeout(backend.timerPeriodMs[timer] / 1000.0, timerFired, timerData(timer));
        };
        runOnWindowThread(backend.calls, body);
    }
    void stopTimer(int32_t timer) override {
        if (timer < 1 || timer >= kTimerSlots) return;
        auto body = [&] { Fl::remove_timeout(timerFired, timerData(timer)); };
        runOnWindowThread(backend.calls, body);
    }
    void postMessage(int32_t message) override {
        if (message != kMsgWorkerDone) return;
        if (backend.calls.onOwnerThread()) {
            Fl::awake(postedMessage, nullptr);
            return;
        }
        auto body = [] { onWorkerDone(); };
        runOnWindowThread(backend.calls, body);
    }
    void messageBox(const std::string& caption, const std::string& text, MessageIcon icon) override {
        auto body = [&] {
            if (!backend.closeRequested) showMessageBox(caption, text, icon, mainWindow());
        };
        runOnWindowThread(backend.calls, body);
    }
    std::string openFileChooser(const std::string& title, const std::string& startPath) override {
        return chooser(Fl_Native_File_Chooser::BROWSE_FILE, title, startPath);
    }
    std::string saveFileChooser(const std::string& title, const std::string& startPath) override {
        return chooser(Fl_Native_File_Chooser::BROWSE_SAVE_FILE, title, startPath);
    }
    std::string folderChooser(const std::string& title, const std::string& startPath) override {
        return chooser(Fl_Native_File_Chooser::BROWSE_DIRECTORY, title, startPath);
    }
    std::string readClipboard() override {
        std::string text;
        auto body = [&] { text = pasteClipboard(); };
        runOnWindowThread(backend.calls, body);
        return text;
    }
    void writeClipboard(const std::string& text) override {
        // The clipboard holds the desktop's line breaks.
        auto body = [&] {
            const std::string lines = withoutCarriageReturns(text);
            Fl::copy(lines.c_str(), static_cast<int>(lines.size()), 1);
        };
        runOnWindowThread(backend.calls, body);
    }
    void openDocument(const std::string& path) override {
        if (!path.empty()) launchOpener(path);
    }
    void viewChanged() override {
        auto body = [] {
            std::memcpy(backend.viewPixels, view.pixels, sizeof backend.viewPixels);
            if (backend.viewBox != nullptr) backend.viewBox->redraw();
        };
        runOnWindowThread(backend.calls, body);
    }
    void runDialog(int32_t dialog) override {
        auto body = [&] { runDialogWindow(dialog); };
        runOnWindowThread(backend.calls, body);
    }
    void endDialog(int32_t dialog) override {
        auto body = [&] {
            const int32_t index = dialogIndex(dialog);
            if (index > 0) endDialogWindow(index);
        };
        runOnWindowThread(backend.calls, body);
    }

private:
    std::string chooser(int type, const std::string& title, const std::string& startPath) {
        std::string path;
        auto body = [&] {
            if (!backend.closeRequested) path = runChooser(type, title, startPath);
        };
        runOnWindowThread(backend.calls, body);
        return path;
    }
};

FltkWindowSystem fltkSystem;

// FLTK's fatal errors end the program; the one of a display that cannot be opened says what
// to do instead.
void fatalError(const char* format, ...) {
    if (std::strncmp(format, "Can't open display", 18) == 0) {
        std::fputs(kNoDisplayText, stderr);
    } else {
        std::va_list args;
        va_start(args, format);
        std::fputs("quillmate: ", stderr);
        std::vfprintf(stderr, format, args);
        std::fputc('\n', stderr);
        va_end(args);
    }
    std::fflush(stderr);
    std::_Exit(1);
}

}  // namespace

int runWindowProgram(int, char**) {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || display[0] == 0) {
        std::fputs(kNoDisplayText, stderr);
        return 1;
    }
    Fl::fatal = fatalError;
    Fl::screen_count();  // opens the display
    Fl::lock();          // lets other threads wake the event loop
    Fl::scheme("gtk+");
    Fl::background(240, 240, 240);
    Fl::option(Fl::OPTION_FNFC_USES_GTK, false);

    backend.calls.setOwnerThread();
    backend.calls.setWake(wakeWindowThread);
    buildWindows();
    centreMainWindow();
    setWindowSystem(&fltkSystem);
    onInit();
    watchTerminateSignals();
    mainWindow()->show();
    while (!backend.closeRequested && Fl::first_window() != nullptr) Fl::wait();
    closeProgram();
    return 0;
}

}  // namespace qm
