#include <FL/Fl_Button.H>
#include <FL/Fl_Native_File_Chooser.H>
#include <FL/Fl_Progress.H>

#include <cstring>
#include <string>

#include "platform/fltk/backend.hpp"
#include "platform/fltk/message_box.hpp"
#include "ui/main_window.hpp"
#include "ui/view.hpp"
#include "ui/window_system.hpp"

namespace qm {

namespace {

// Every operation runs on the window's thread: directly when called there, else carried over
// by the call queue while the calling thread waits.
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
        auto body = [&] { startWindowTimer(timer, periodMs); };
        runOnWindowThread(backend.calls, body);
    }
    void stopTimer(int32_t timer) override {
        auto body = [&] { stopWindowTimer(timer); };
        runOnWindowThread(backend.calls, body);
    }
    void postMessage(int32_t message) override {
        if (message != kMsgWorkerDone) return;
        if (backend.calls.onOwnerThread()) {
            postMessageLater();
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
        auto body = [&] { copyToClipboard(text); };
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

}  // namespace

WindowSystem& fltkWindowSystem() {
    static FltkWindowSystem system;
    return system;
}

}  // namespace qm
