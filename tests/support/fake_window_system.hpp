#pragma once
// A window system that records what the window logic does to it, for tests.
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "ui/window_system.hpp"

namespace qmtest {

struct FakeControl {
    std::string text;
    bool enabled = true;
    bool visible = true;
    bool checked = false;
};

struct FakeProgressBar {
    int32_t low = 0, high = 100, position = 0;
    uint8_t red = 0, green = 0, blue = 0;
};

struct FakeMessageBox {
    std::string caption, text;
    qm::MessageIcon icon = qm::kIconWarning;
};

struct FakeChooserCall {
    std::string kind;  // "open", "save" or "folder"
    std::string title, startPath;
};

// Every call may come from any thread; the records are guarded by one lock. Read them after the
// threads that call the fake have finished.
class FakeWindowSystem : public qm::WindowSystem {
public:
    std::map<int32_t, FakeControl> controls;
    std::map<int32_t, FakeProgressBar> bars;
    std::map<int32_t, int32_t> runningTimers;  // timer id -> period in ms
    std::vector<int32_t> timerStarts;          // timer ids in the order they were started
    std::vector<int32_t> messages;             // posted messages, in order
    std::vector<FakeMessageBox> messageBoxes;
    std::deque<std::string> chooserAnswers;    // answers handed out in order; "" when empty
    std::vector<FakeChooserCall> chooserCalls;
    std::string clipboard;
    std::vector<std::string> openedDocuments;
    int32_t viewUpdates = 0;
    std::vector<int32_t> dialogsRun;           // dialogs shown, in order
    std::vector<int32_t> dialogsEnded;         // endDialog calls, in order
    // Run inside runDialog, as the user working with the dialog would (may be empty).
    std::function<void(int32_t)> onDialog;
    // Run after a message is recorded, outside the lock (e.g. the window's message handler).
    std::function<void(int32_t)> onMessage;

    const std::string& text(int32_t control);
    bool enabled(int32_t control);
    bool visible(int32_t control);
    bool timerRunning(int32_t timer);

    void setText(int32_t control, const std::string& text) override;
    std::string controlText(int32_t control) override;
    void enable(int32_t control, bool enabled) override;
    void show(int32_t control, bool visible) override;
    void setChecked(int32_t control, bool checked) override;
    bool isChecked(int32_t control) override;
    void setProgressRange(int32_t control, int32_t low, int32_t high) override;
    void setProgressColour(int32_t control, uint8_t red, uint8_t green, uint8_t blue) override;
    void setProgressPosition(int32_t control, int32_t position) override;
    void startTimer(int32_t timer, int32_t periodMs) override;
    void stopTimer(int32_t timer) override;
    void postMessage(int32_t message) override;
    void messageBox(const std::string& caption, const std::string& text, qm::MessageIcon icon) override;
    std::string openFileChooser(const std::string& title, const std::string& startPath) override;
    std::string saveFileChooser(const std::string& title, const std::string& startPath) override;
    std::string folderChooser(const std::string& title, const std::string& startPath) override;
    std::string readClipboard() override;
    void writeClipboard(const std::string& text) override;
    void openDocument(const std::string& path) override;
    void viewChanged() override;
    void runDialog(int32_t dialog) override;
    void endDialog(int32_t dialog) override;

private:
    std::string answerChooser(const char* kind, const std::string& title, const std::string& startPath);
    std::recursive_mutex lock_;
};

// Installs a fresh fake as the window system for its lifetime.
struct FakeWindowScope {
    FakeWindowSystem fake;
    FakeWindowScope() { qm::setWindowSystem(&fake); }
    ~FakeWindowScope() { qm::setWindowSystem(nullptr); }
    FakeWindowScope(const FakeWindowScope&) = delete;
    FakeWindowScope& operator=(const FakeWindowScope&) = delete;
};

}  // namespace qmtest
