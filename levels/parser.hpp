#pragma once
// Level text: which lines form a level, and how a level's rows become the board model.
#include <cstdint>

namespace qm {

// Verdicts of parseLevel, shared with the result codes.
constexpr int32_t kNoLevel = 0;
constexpr int32_t kLevelOk = 1;
constexpr int32_t kSizeOver = 4;
constexpr int32_t kBoxesOver = 5;
constexpr int32_t kIrregular = 6;
constexpr int32_t kImpossible = 7;

// True for the characters a row line may hold: "-_ .$*@+#".
bool isRowChar(char c);
// True for CR, LF and VT.
inline bool isLineEnd(char c) { return c == '\r' || c == '\n' || c == '\v'; }
// True for blanks within a line: space, tab and form feed.
inline bool isLineSpace(char c) { return c == ' ' || c == '\t' || c == '\f'; }
// True for any white space: the blanks within a line and the line ends.
inline bool isWhiteSpace(char c) { return isLineSpace(c) || isLineEnd(c); }
// True when [start, stop) holds at least one "#" and row characters only.
bool isRowLine(const char* start, const char* stop);

// Reads the line starting at pos: sets stop to the end of its content and returns the start of
// the next line. CR LF counts as one line end unless splitCrLf is set. A VT line end raises
// sawVt when it is given.
const char* readLine(const char* pos, const char* end, bool splitCrLf, const char** stop,
                     bool* sawVt = nullptr);

// Parses the first level at or after text (up to end). load 0 only tests it (0 or 1);
// load 1 also loads it into the board model and returns its verdict (0, 1, 4, 5, 6 or 7).
int32_t parseLevel(const char* text, const char* end, int32_t load);
// The same on a NUL-terminated text.
int32_t parseLevel(const char* text, int32_t load);

}  // namespace qm
