#pragma once
// Run-length notation of level rows and move strings: a count of one digit or more before a
// character repeats it ("4#" is "####"); in rows, "|" separates two rows.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qm {

constexpr int32_t kRunLengthMaxRow = 50;  // squares an expanded row may hold

// What expandRunLengthRows found in a line.
constexpr int32_t kNotRunLength = 0;      // not an encoded row line (plain rows and other text)
constexpr int32_t kRunLengthRows = 1;     // expanded into rows
constexpr int32_t kRunLengthTooLong = 2;  // encoded, but a row would pass kRunLengthMaxRow squares

// An encoded row line holds row characters, digits and "|" only, at least one "#" and at least
// one digit or "|", and every count is followed by a row character. On kRunLengthRows, rows
// holds the expanded rows, each ended by "\n"; "-" and "_" stay as written.
int32_t expandRunLengthRows(std::string_view line, std::string& rows);

// Expands counts in a move string; white space is dropped. Fails, with the reason in error,
// on a character that is not a move letter, a count not followed by a letter, or more than
// maxLetters letters.
bool expandRunLengthMoves(std::string_view text, size_t maxLetters, std::string& letters, std::string& error);

// Writes every run of two or more equal letters as its count and the letter.
std::string encodeRunLength(std::string_view letters);

}  // namespace qm
