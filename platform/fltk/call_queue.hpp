#pragma once
// Carries calls from other threads to the window's thread and waits until they have run.
//
// A caller on another thread links a CallRecord (on its own stack) into the queue, wakes the
// window's thread and sleeps until the record is marked done. The window's thread runs the
// records when woken (drain). Once the window is gone the queue stops carrying calls: records
// still waiting are released without running, and later calls return at once without running,
// so no thread can be left waiting for a window thread that no longer serves it.
#include <condition_variable>
#include <mutex>
#include <thread>

namespace qm {

struct CallRecord {
    void (*invoke)(void* body) = nullptr;  // runs body on the window's thread
    void* body = nullptr;
    CallRecord* next = nullptr;
    bool done = false;  // set under the queue's lock once the record has left the queue
    bool ran = false;   // the body was run (false when the queue released it at close)
};

class CallQueue {
public:
    // Records the calling thread as the window's thread.
    void setOwnerThread();
    bool onOwnerThread() const;
    // How the window's thread is asked to call drain() soon; called without the lock held.
    void setWake(void (*wake)());

    // From a thread other than the window's: runs the record's body on the window's thread and
    // returns once it has run (true), or at once without running it when closing (false).
    bool run(CallRecord& record);
    // On the window's thread: runs the waiting records, one at a time, in arrival order. A body
    // may itself enter a nested event loop that drains again.
    void drain();
    // On the window's thread: stop carrying calls and release the waiting ones.
    void close();
    bool closing() const;

private:
    mutable std::mutex lock_;
    std::condition_variable doneSignal_;
    std::thread::id owner_;
    void (*wake_)() = nullptr;
    CallRecord* head_ = nullptr;
    CallRecord* tail_ = nullptr;
    bool closing_ = false;
};

// Runs body() on the window's thread: directly when already there, else through the queue.
// Returns false when the body did not run because the window is closing.
template <typename Body>
bool runOnWindowThread(CallQueue& queue, Body& body) {
    if (queue.onOwnerThread()) {
        body();
        return true;
    }
    CallRecord record;
    record.invoke = [](void* p) { (*static_cast<Body*>(p))(); };
    record.body = &body;
    return queue.run(record);
}

}  // namespace qm
