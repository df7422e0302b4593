#pragma once
// Helpers shared by the tests: levels from text pictures, files in a scratch folder.
#include <cstdint>
#include <filesystem>
#include <string>

namespace qmtest {

// Loads a level from rows joined by "\n" and returns its verdict.
int32_t loadPicture(const std::string& rows);
// The square of column x, row y on the loaded level.
int32_t square(int32_t x, int32_t y);
// A fresh, empty folder below the system's temporary folder, removed by the caller.
std::filesystem::path freshFolder(const std::string& tag);
// Writes text to path, creating its folder.
void writeFile(const std::filesystem::path& path, const std::string& text);
// The path of a file in the tests' data folder.
std::filesystem::path dataPath(const std::string& name);
// Reads a file of the tests' data folder; empty when it is missing.
std::string dataFile(const std::string& name);
// A level that no solver settles within many seconds: twenty boxes in a wide room, and a corridor
// whose far box can never be reached, which neither the analysis nor either search proves soon.
std::string slowLevel();
// Line k (from 1) of a text file; empty when missing.
std::string lineOf(const std::string& text, int32_t k);

}  // namespace qmtest
