#pragma once
// Texts the program shows in more than one place.
#include <cstdint>
#include <string>

namespace qm {

inline constexpr const char kTitleString[] = "Quillmate Ver7.3.1 by nuvelka (Oct/2021)";
inline constexpr const char kLoadErrorText[] = "Load Error!!";
inline constexpr const char kMemoryText[] = "3.5";
inline constexpr const char kMessageCaption[] = "Kelvaro Solver";

// The level line "%4d [%2d*%2d(%3d)]": number, width, height, boxes.
std::string levelLine(int32_t number, int32_t width, int32_t height, int32_t boxes);
// "Size Over", "Boxes Over", "Irregular", "Impossible"; "" for other verdicts.
const char* verdictText(int32_t verdict);
// The word of the level list: verdictText, or "OK" for an accepted level.
const char* verdictWord(int32_t verdict);
// printf into a std::string.
std::string formatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace qm
