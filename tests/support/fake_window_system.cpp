#include "support/fake_window_system.hpp"

namespace qmtest {

using Guard = std::lock_guard<std::recursive_mutex>;

const std::string& FakeWindowSystem::text(int32_t control) {
    Guard g(lock_);
    return controls[control].text;
}

bool FakeWindowSystem::enabled(int32_t control) {
    Guard g(lock_);
    return controls[control].enabled;
}

bool FakeWindowSystem::visible(int32_t control) {
    Guard g(lock_);
    return controls[control].visible;
}

bool FakeWindowSystem::timerRunning(int32_t timer) {
    Guard g(lock_);
    return runningTimers.count(timer) != 0;
}

void FakeWindowSystem::setText(int32_t control, const std::string& text) {
    Guard g(lock_);
    controls[control].text = text;
}

std::string FakeWindowSystem::controlText(int32_t control) {
    Guard g(lock_);
    return controls[control].text;
}

void FakeWindowSystem::enable(int32_t control, bool enabled) {
    Guard g(lock_);
    controls[control].enabled = enabled;
}

void FakeWindowSystem::show(int32_t control, bool visible) {
    Guard g(lock_);
    controls[control].visible = visible;
}

void FakeWindowSystem::setChecked(int32_t control, bool checked) {
    Guard g(lock_);
    controls[control].checked = checked;
}

bool FakeWindowSystem::isChecked(int32_t control) {
    Guard g(lock_);
    return controls[control].checked;
}

void FakeWindowSystem::setProgressRange(int32_t control, int32_t low, int32_t high) {
    Guard g(lock_);
    bars[control].low = low;
    bars[control].high = high;
}

void FakeWindowSystem::setProgressColour(int32_t control, uint8_t red, uint8_t green, uint8_t blue) {
    Guard g(lock_);
    FakeProgressBar& bar = bars[control];
    bar.red = red;
    bar.green = green;
    bar.blue = blue;
}

void FakeWindowSystem::setProgressPosition(int32_t control, int32_t position) {
    Guard g(lock_);
    bars[control].position = position;
}

void FakeWindowSystem::startTimer(int32_t timer, int32_t periodMs) {
    Guard g(lock_);
    runningTimers[timer] = periodMs;
    timerStarts.push_back(timer);
}

void FakeWindowSystem::stopTimer(int32_t timer) {
    Guard g(lock_);
    runningTimers.erase(timer);
}

void FakeWindowSystem::postMessage(int32_t message) {
    std::function<void(int32_t)> handler;
    {
        Guard g(lock_);
        messages.push_back(message);
        handler = onMessage;
    }
    if (handler) handler(message);
}

void FakeWindowSystem::messageBox(const std::string& caption, const std::string& text,
                                  qm::MessageIcon icon) {
    Guard g(lock_);
    messageBoxes.push_back({caption, text, icon});
}

std::string FakeWindowSystem::answerChooser(const char* kind, const std::string& title,
                                            const std::string& startPath) {
    Guard g(lock_);
    chooserCalls.push_back({kind, title, startPath});
    if (chooserAnswers.empty()) return {};
    std::string answer = chooserAnswers.front();
    chooserAnswers.pop_front();
    return answer;
}

std::string FakeWindowSystem::openFileChooser(const std::string& title, const std::string& startPath) {
    return answerChooser("open", title, startPath);
}

std::string FakeWindowSystem::saveFileChooser(const std::string& title, const std::string& startPath) {
    return answerChooser("save", title, startPath);
}

std::string FakeWindowSystem::folderChooser(const std::string& title, const std::string& startPath) {
    return answerChooser("folder", title, startPath);
}

std::string FakeWindowSystem::readClipboard() {
    Guard g(lock_);
    return clipboard;
}

void FakeWindowSystem::writeClipboard(const std::string& text) {
    Guard g(lock_);
    clipboard = text;
}

void FakeWindowSystem::openDocument(const std::string& path) {
    Guard g(lock_);
    openedDocuments.push_back(path);
}

void FakeWindowSystem::viewChanged() {
    Guard g(lock_);
    ++viewUpdates;
}

void FakeWindowSystem::runDialog(int32_t dialog) {
    {
        Guard g(lock_);
        dialogsRun.push_back(dialog);
    }
    if (onDialog) onDialog(dialog);
}

void FakeWindowSystem::endDialog(int32_t dialog) {
    Guard g(lock_);
    dialogsEnded.push_back(dialog);
}

}  // namespace qmtest
