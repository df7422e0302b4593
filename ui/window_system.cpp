#include "ui/window_system.hpp"

namespace qm {

namespace {

// Shows nothing and answers every question with "" or false: the window system of the
// command-line tool and of code running before the program installs its own.
class SilentWindowSystem final : public WindowSystem {
public:
    void setText(int32_t, const std::string&) override {}
    std::string controlText(int32_t) override { return {}; }
    void enable(int32_t, bool) override {}
    void show(int32_t, bool) override {}
    void setChecked(int32_t, bool) override {}
    bool isChecked(int32_t) override { return false; }
    void setProgressRange(int32_t, int32_t, int32_t) override {}
    void setProgressColour(int32_t, uint8_t, uint8_t, uint8_t) override {}
    void setProgressPosition(int32_t, int32_t) override {}
    void startTimer(int32_t, int32_t) override {}
    void stopTimer(int32_t) override {}
    void postMessage(int32_t) override {}
    void messageBox(const std::string&, const std::string&, MessageIcon) override {}
    std::string openFileChooser(const std::string&, const std::string&) override { return {}; }
    std::string saveFileChooser(const std::string&, const std::string&) override { return {}; }
    std::string folderChooser(const std::string&, const std::string&) override { return {}; }
    std::string readClipboard() override { return {}; }
    void writeClipboard(const std::string&) override {}
    void openDocument(const std::string&) override {}
    void viewChanged() override {}
    void runDialog(int32_t) override {}
    void endDialog(int32_t) override {}
};

SilentWindowSystem silentSystem;
WindowSystem* currentSystem = nullptr;

}  // namespace

WindowSystem& windowSystem() { return currentSystem != nullptr ? *currentSystem : silentSystem; }

void setWindowSystem(WindowSystem* system) { currentSystem = system; }

}  // namespace qm
