#pragma once
// The window program: the FLTK backend of ui/window_system.hpp, the main window and its two
// modal dialogs, driven by the window logic of ui/main_window.hpp.
//
// Threads: the program runs FLTK on its main thread (the window's thread). Calls the worker
// thread makes into the window system are carried over to the window's thread and return once
// they have run there; postMessage(kMsgWorkerDone) from the worker thus returns after
// onWorkerDone has returned.
//
// Closing: the close box (or SIGTERM, SIGINT) first takes down any open dialog or message box
// and refuses new ones, then calls onClose at the top of the event loop and keeps the loop
// running (the worker's calls, its message 1025 and the timers) until closeDone() says the
// worker has ended and everything is released. Escape does not close the main window.

namespace qm {

// Opens the display, builds the windows, runs onInit and the event loop until the main window
// closes. Returns the exit status: 0, or 1 when no display can be opened (after saying so on
// standard error).
int runWindowProgram(int argc, char** argv);

}  // namespace qm
