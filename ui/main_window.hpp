#pragma once
// The main window's logic: start-up, commands, timers, the worker thread and its message, and
// closing. The window-system backend calls these on the window's thread.
#include <cstdint>

namespace qm {

// Start-up: settings, memory blocks, solution text, view and title screen, initial texts and
// enabling. Call once the window and its controls exist.
void onInit();
// A command control of the main window was pressed (its identifier, ui/window_system.hpp).
void onCommand(int32_t control);
// A control of a modal dialog was used (kOption... or kBox... identifiers).
void onDialogCommand(int32_t control);
// Timer 1 (solving) or 2 (trace playback) fired.
void onTimer(int32_t timer);
// Message 1025: the worker thread has finished its solve or batch and waits for this to return.
void onWorkerDone();
// The window is closing: stop a running solve or batch, wait for the worker, release the memory
// blocks, delete the work file.
void onClose();

}  // namespace qm
