#include <FL/Fl.H>
#include <FL/Fl_Native_File_Chooser.H>

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "platform/fltk/backend.hpp"
#include "platform/fltk/conversions.hpp"

namespace qm {

namespace {

constexpr double kClipboardWaitSeconds = 1.0;  // bound of a clipboard read
constexpr double kClipboardPollSeconds = 0.02;

}  // namespace

std::string runChooser(int type, const std::string& title, const std::string& startPath) {
    Fl_Native_File_Chooser chooser(type);
    chooser.title(title.c_str());
    const std::string folder = chooserFolder(startPath);
    if (!folder.empty()) chooser.directory(folder.c_str());
    if (type == Fl_Native_File_Chooser::BROWSE_SAVE_FILE) {
        const std::string name = chooserFileName(startPath);
        if (!name.empty()) chooser.preset_file(name.c_str());
    }
    if (chooser.show() != 0) return {};
    const char* chosen = chooser.filename();
    if (chosen == nullptr || chosen[0] == 0) return {};
    return type == Fl_Native_File_Chooser::BROWSE_DIRECTORY ? withoutTrailingSlash(chosen) : std::string(chosen);
}

// Asks for the clipboard's text and waits a bounded time for it to arrive.
std::string pasteClipboard() {
    if (backend.readingClipboard || Fl::first_window() == nullptr) return {};
    backend.readingClipboard = true;
    PasteReceiver& receiver = *backend.pasteReceiver;
    receiver.received = false;
    receiver.text.clear();
    Fl::paste(receiver, 1, Fl::clipboard_plain_text);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(kClipboardWaitSeconds);
    while (!receiver.received && std::chrono::steady_clock::now() < deadline) Fl::wait(kClipboardPollSeconds);
    backend.readingClipboard = false;
    return receiver.received ? receiver.text : std::string();
}

// The clipboard holds the desktop's line breaks.
void copyToClipboard(const std::string& text) {
    const std::string lines = withoutCarriageReturns(text);
    Fl::copy(lines.c_str(), static_cast<int>(lines.size()), 1);
}

// Starts xdg-open on the path without waiting for it: the intermediate child exits at once,
// so the opener is adopted by init and never becomes a zombie of ours.
void launchOpener(const std::string& path) {
    const pid_t child = fork();
    if (child < 0) return;
    if (child == 0) {
        if (fork() == 0) {
            execlp("xdg-open", "xdg-open", path.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
}

}  // namespace qm
