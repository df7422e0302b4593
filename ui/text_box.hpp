#pragma once
// The text box: a small modal dialog in which the user pastes level text to load (paste mode),
// or reads and copies the found solution (result mode).
#include <cstddef>
#include <cstdint>
#include <string>

namespace qm {

constexpr int32_t kPasteMode = 0;
constexpr int32_t kResultMode = 1;
constexpr size_t kSolutionLineLetters = 50;  // letters per line of the shown solution

// Shows the text box in the given mode and returns when it is closed. In paste mode returns 1
// when OK loaded the pasted text as the level set (the window then runs the after-load step).
int32_t textBox(int32_t resultMode);
// A control of the text box was used (kBoxAction or kBoxOk).
void textBoxCommand(int32_t control);

// The solution as shown: lines of 50 letters, each ended by "\r\n" (the last one holds the rest,
// possibly nothing), then "[TraceOver]\r\n" when the text overflowed.
std::string formatSolution(const char* letters, size_t length, bool traceOverflow);

}  // namespace qm
