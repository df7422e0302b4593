#pragma once
// Solutions files in the common text format: per level its title line, its board, and for a
// solved level a "Solution" section holding the move string and a comment line with the counts.
// The same text is what the window copies for a solved level.
#include <cstdint>
#include <string>
#include <string_view>

#include "levels/level_titles.hpp"

namespace qm {

// The title line, the board rows (each ended by "\n" in boardRows) and an "Author:" line, each
// line ended by lineEnd.
std::string levelSectionHead(const LevelTitle& title, std::string_view boardRows, std::string_view lineEnd);

// The header line of a solution and the comment line with its counts.
constexpr const char* kSolutionHeader = "Solution";
std::string solutionCountLine(int32_t moves, int32_t pushes);

// One level of a solutions file: the head, then for a solved level the header, the move string
// on one line (run-length encoded when runLength is set) and the counts; a blank line ends it.
std::string solutionsFileSection(const LevelTitle& title, std::string_view boardRows, bool solved,
                                 std::string_view letters, int32_t moves, int32_t pushes, bool runLength);

// Whether a text holds a board and a "Solution" line, as a solutions file does.
bool looksLikeSolutionsFile(const std::string& text);

// The move text of the Solution section that follows the board with the given rows (compared
// with floor spellings and trailing blanks ignored); false when there is none. The move text is
// every line after the header made of move letters, counts and blanks.
bool findSolutionFor(const std::string& text, std::string_view boardRows, std::string& moves);

}  // namespace qm
