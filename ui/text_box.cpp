#include "ui/text_box.hpp"

#include <cstring>
#include <new>
#include <string_view>

#include "board/solution.hpp"
#include "levels/solutions_file.hpp"
#include "levels/sources.hpp"
#include "ui/edits.hpp"
#include "ui/texts.hpp"
#include "ui/window_system.hpp"
#include "ui/worker.hpp"

namespace qm {

namespace {

struct TextBoxState {
    int32_t resultMode = kPasteMode;
    int32_t loaded = 0;      // paste mode: OK opened the pasted text
    std::string solution;    // result mode: the text shown and copied
};
TextBoxState textBoxState;

// The found solution, formatted; the raw letters when the formatted copy cannot be made.
std::string shownSolution() {
    const char* letters = solution.solutionText;
    const size_t length = letters == nullptr ? 0 : strnlen(letters, solution.solutionCapacity);
    if (letters == nullptr) letters = "";
    try {
        return formatSolution(letters, length, solution.traceOverflow != 0);
    } catch (const std::bad_alloc&) {
        return std::string(letters, length);
    }
}

void openPasteMode() {
    WindowSystem& ws = windowSystem();
    ws.setText(kTextBoxDialog + kCaption, "TextBox");
    ws.setText(kBoxPrompt, "Paste the levels in text format.");
    ws.setText(kBoxAction, "Paste");
    ws.setText(kBoxEdit, "");
}

// The level's section as a solutions file holds it: title line, board, the Solution header, the
// letters as shown and the counts.
std::string shownSection() {
    std::string text = levelSectionHead(levelSet.currentTitle, currentLevelRows(), "\r\n");
    text += kSolutionHeader;
    text += "\r\n";
    text += shownSolution();
    text += solutionCountLine(solution.moveCount, solution.pushCount) + "\r\n";
    if (worker.optimizedFromMoves > 0) {
        text += formatText("; optimized from %d moves, %d pushes\r\n", static_cast<int32_t>(worker.optimizedFromMoves),
                           static_cast<int32_t>(worker.optimizedFromPushes));
    }
    return text;
}

void openResultMode() {
    WindowSystem& ws = windowSystem();
    textBoxState.solution = shownSection();
    ws.setText(kTextBoxDialog + kCaption, "Result");
    ws.setText(kBoxPrompt, formatText("Solved%6dmoves%5dpushes", static_cast<int32_t>(solution.moveCount),
                                      static_cast<int32_t>(solution.pushCount)));
    ws.setText(kBoxAction, "Copy");
    ws.setText(kBoxEdit, textBoxState.solution);
}

// Paste: the clipboard's text goes into the edit; none empties it. A text too large for any
// level source is not taken.
void pasteClipboard() {
    WindowSystem& ws = windowSystem();
    const std::string text = ws.readClipboard();
    if (text.size() > kMaxSourceBytes) return;
    ws.setText(kBoxEdit, text);
}

// OK in paste mode: the edit's text becomes the level set; an empty edit loads nothing and
// leaves the open set as it was. A text over the source limit loads as a failed source.
void loadPastedText() {
    std::string text = editText(kBoxEdit, kMaxSourceBytes + 1);
    if (text.empty()) return;
    if (text.size() > kMaxSourceBytes) text.clear();
    openText(text);
    textBoxState.loaded = 1;
}

}  // namespace

std::string formatSolution(const char* letters, size_t length, bool traceOverflow) {
    std::string out;
    out.reserve(length / kSolutionLineLetters * (kSolutionLineLetters + 2) + 104);
    size_t pos = 0;
    while (length - pos > kSolutionLineLetters) {
        out.append(letters + pos, kSolutionLineLetters);
        out += "\r\n";
        pos += kSolutionLineLetters;
    }
    out.append(letters + pos, length - pos);
    out += "\r\n";
    if (traceOverflow) out += "[TraceOver]\r\n";
    return out;
}

int32_t textBox(int32_t resultMode) {
    textBoxState.resultMode = resultMode;
    textBoxState.loaded = 0;
    if (resultMode == kResultMode) openResultMode();
    else openPasteMode();
    WindowSystem& ws = windowSystem();
    ws.setText(kBoxOk, "OK");
    ws.runDialog(kTextBoxDialog);
    textBoxState.solution.clear();
    return textBoxState.loaded;
}

void textBoxCommand(int32_t id) {
    WindowSystem& ws = windowSystem();
    const bool result = textBoxState.resultMode == kResultMode;
    if (id == kBoxAction) {
        if (result) ws.writeClipboard(textBoxState.solution);
        else pasteClipboard();
    } else if (id == kBoxOk) {
        if (!result) loadPastedText();
        ws.endDialog(kTextBoxDialog);
    }
}

}  // namespace qm
