#include <FL/Fl.H>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/fltk/backend.hpp"
#include "platform/fltk/window_program.hpp"
#include "ui/main_window.hpp"

namespace qm {

namespace {

constexpr const char kNoDisplayText[] = "quillmate: no display available (set DISPLAY or use quillmate-cli)\n";
constexpr double kClosePollSeconds = 0.05;  // event-loop wait while the worker stops at close

// A timer fires: it is due again one period after this firing was due, then the logic runs
// (which may stop or restart it).
void timerFired(void* data) {
    const auto timer = static_cast<int32_t>(reinterpret_cast<intptr_t>(data));
    Fl::repeat_timeout(backend.timerPeriodMs[timer] / 1000.0, timerFired, data);
    onTimer(timer);
}

void* timerData(int32_t timer) { return reinterpret_cast<void*>(static_cast<intptr_t>(timer)); }

void stopAllTimers() {
    for (int32_t timer = 1; timer < kTimerSlots; ++timer) Fl::remove_timeout(timerFired, timerData(timer));
}

void postedMessage(void*) { onWorkerDone(); }

// Runs on the window's thread when another thread has queued a call.
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

void startWindowTimer(int32_t timer, int32_t periodMs) {
    if (timer < 1 || timer >= kTimerSlots) return;
    backend.timerPeriodMs[timer] = periodMs > 0 ? periodMs : 1;
    Fl::remove_timeout(timerFired, timerData(timer));
    Fl::add_timeout(backend.timerPeriodMs[timer] / 1000.0, timerFired, timerData(timer));
}

void stopWindowTimer(int32_t timer) {
    if (timer >= 1 && timer < kTimerSlots) Fl::remove_timeout(timerFired, timerData(timer));
}

void postMessageLater() { Fl::awake(postedMessage, nullptr); }

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
    setWindowSystem(&fltkWindowSystem());
    onInit();
    watchTerminateSignals();
    mainWindow()->show();
    while (!backend.closeRequested && Fl::first_window() != nullptr) Fl::wait();
    closeProgram();
    return 0;
}

}  // namespace qm
