#pragma once
// The title and author of a level in a text: "Title:" and "Author:" lines after its rows, or the
// line just above its first row.
#include <cstddef>
#include <string>
#include <string_view>

namespace qm {

constexpr size_t kMaxTitleBytes = 200;  // longer titles and authors are cut

struct LevelTitle {
    std::string title;   // empty: none
    std::string author;  // empty: none
};

// The title of the level whose first row starts at rowsStart in [begin, end): the value of a
// "Title:" line among the lines after its rows (up to the next row line), else the line just
// above the first row when it is not blank and not a "Key:" line of the level above. A leading
// ";" and surrounding blanks are dropped. splitCrLf is the line rule of the text.
LevelTitle levelTitleAt(const char* begin, const char* end, const char* rowsStart, bool splitCrLf);

// Whether line starts with "key:" (case ignored, blanks around the line ignored); value gets what
// follows the colon, trimmed.
bool keyValue(std::string_view line, std::string_view key, std::string_view& value);

// The line as trimmed text without a leading ";", cut to kMaxTitleBytes at a character boundary.
std::string titleText(std::string_view line);

// A title as a line written above a board: prefixed with "; " when it could otherwise be read
// as a row (plain or encoded), and without line ends.
std::string titleLine(std::string_view title);

}  // namespace qm
