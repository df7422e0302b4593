#include "platform/fltk/call_queue.hpp"

namespace qm {

void CallQueue::setOwnerThread() {
    std::lock_guard<std::mutex> guard(lock_);
    owner_ = std::this_thread::get_id();
}

bool CallQueue::onOwnerThread() const {
    std::lock_guard<std::mutex> guard(lock_);
    return owner_ == std::this_thread::get_id();
}

void CallQueue::setWake(void (*wake)()) {
    std::lock_guard<std::mutex> guard(lock_);
    wake_ = wake;
}

bool CallQueue::closing() const {
    std::lock_guard<std::mutex> guard(lock_);
    return closing_;
}

bool CallQueue::run(CallRecord& record) {
    void (*wake)() = nullptr;
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (closing_) return false;
        record.next = nullptr;
        record.done = record.ran = false;
        if (tail_ != nullptr) tail_->next = &record;
        else head_ = &record;
        tail_ = &record;
        wake = wake_;
    }
    if (wake != nullptr) wake();
    std::unique_lock<std::mutex> guard(lock_);
    doneSignal_.wait(guard, [&record] { return record.done; });
    return record.ran;
}

void CallQueue::drain() {
    for (;;) {
        CallRecord* record = nullptr;
        {
            std::lock_guard<std::mutex> guard(lock_);
            if (closing_ || head_ == nullptr) return;
            record = head_;
            head_ = record->next;
            if (head_ == nullptr) tail_ = nullptr;
        }
        record->invoke(record->body);
        {
            std::lock_guard<std::mutex> guard(lock_);
            record->ran = true;
            record->done = true;
        }
        doneSignal_.notify_all();
    }
}

void CallQueue::close() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        closing_ = true;
        for (CallRecord* record = head_; record != nullptr;) {
            CallRecord* next = record->next;
            record->done = true;  // ran stays false
            record = next;
        }
        head_ = tail_ = nullptr;
    }
    doneSignal_.notify_all();
}

}  // namespace qm
