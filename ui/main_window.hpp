#pragma once
// The main window's logic: start-up, commands, timers, the worker thread and its message, and
// closing. The window-system backend calls these on the window's thread.
//
// What the backend provides besides ui/window_system.hpp:
// - Texts: the logic sets the text of every control that has an identifier in
//   ui/window_system.hpp (the main window's in onInit, a dialog's each time it opens, before
//   runDialog), so the backend may create them with empty captions. It sets only the labels
//   without identifiers itself (the option dialog's groups "Batch solution" and "Others",
//   "Solver range: from", "to", "Time limit:", "sec", "Supports Begin Ended", and the option
//   dialog's window caption). Texts, checks and enabling set for a dialog that is not shown must
//   be kept and shown when it runs.
// - Check boxes and radio buttons change their own state when clicked; their command comes
//   after the new state is set.
// - Calls from the worker thread (texts, enabling, timers, viewChanged, message 1025) may wait
//   for the window's thread: the logic never makes the window's thread wait for a worker that is
//   still working. viewChanged may come from the worker, so the view is best copied there.
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
// The window is closing: asks a running solve or batch to stop, then, once the worker has ended,
// releases the memory blocks and the solution text and deletes the work file. When no worker
// runs this happens at once. Otherwise onClose returns without waiting: the backend must keep
// its event loop running, timers and message 1025 included (the worker still sends it and waits
// until onWorkerDone has run), until closeDone() is true, and only then end.
void onClose();
// True once a close has finished: the worker has ended and everything is released.
bool closeDone();

}  // namespace qm
