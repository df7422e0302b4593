#pragma once
// Level sources (sample text, pasted text, a text file, a folder of numbered level files) and
// moving through a set one level at a time. The whole source text is held in memory, so long
// levels and long stretches of other text never break the scans.
#include <cstdint>
#include <string>
#include <string_view>

#include "levels/level_titles.hpp"
#include "levels/text_forms.hpp"

namespace qm {

constexpr int32_t kSourceNone = 0;
constexpr int32_t kSourceFile = 1;
constexpr int32_t kSourceFolder = 2;
constexpr int32_t kSourceText = 3;        // sample or short paste
constexpr int32_t kSourceLongText = 4;    // long paste, also written to the scratch file
constexpr size_t kShortTextBytes = 11999; // a paste up to this size is a short text
constexpr size_t kMaxSourceBytes = size_t{256} << 20;  // larger sources are refused
constexpr size_t kMaxNameBytes = 259;     // set names and paths keep at most this many bytes

// The file name pattern of a numbered folder: prefix, the number (zero-padded to width when
// width > 1), suffix. Kept in parts so that no file name is ever used as a format string.
struct FolderPattern {
    std::string prefix, suffix;
    int32_t width = 1;
};

// The open level set. One, global; used by the window's thread only.
struct LevelSet {
    int32_t sourceKind = kSourceNone;
    int32_t currentLevel = 0;       // from 1; 0 when no set is open
    int32_t levelCount = 0;
    int32_t currentLevelPos = -1;   // byte offset in the text, or the file number of a folder
    int32_t nextLevelPos = -1;
    int32_t previousLevelPos = -1;
    std::string levelSetName;
    std::string levelText;          // the whole source text (a folder: the current file)
    int32_t vtLines = 0;            // the text held a VT byte: CR and LF each end a line
    std::string folderPath;
    FolderPattern folderPattern;
    std::string openFilePath;
    std::string scratchPath;        // "nuvelka.txt" in the settings folder; empty: none
    std::string lastError;          // why the last open failed, for messages
    SourceNotes notes;              // what opening the source noticed (warnings, XML title)
    LevelTitle currentTitle;        // the current level's title and author, when the text has them
};
extern LevelSet levelSet;

// Opens a set from text (sample or pasted). Returns 1 when it holds at least one level.
int32_t openText(std::string_view text);
// Opens the built-in sample set.
int32_t openSample();
// Opens the text file openFilePath. Returns 1 when it holds at least one level.
int32_t openFile();
// Opens the numbered level files in folderPath. Returns 1 when a first level file was found.
int32_t openFolder();
// Sets levelCount; leaves level 1 current for texts.
void countLevels();
// Move by one level and load it; nothing when there is no such level.
void nextLevel();
void previousLevel();
// Steps towards level n (clamped to 1 .. levelCount) until it is current or no neighbour exists.
void goToLevel(int32_t n);
// Scans from a source offset; returns the offset of a level or -1.
int32_t findNextLevel(int32_t offset);
int32_t findPreviousLevel(int32_t offset);
// Reads folder file n into levelText; returns n when it holds a valid level, else -1.
int32_t readNumberedFile(int32_t n);
// Parses the current level with load 1 and stores its verdict in level.levelVerdict.
void loadCurrentLevel();
// The rows of the current level as they stand in the text, each ended by "\n"; empty when no
// level is current.
std::string currentLevelRows();
// Clears the set.
void clearLevelSet();
// Deletes the scratch file, if any.
void deleteScratchFile();

// Reads a whole file of at most kMaxSourceBytes. On failure returns false and sets error.
bool readSourceFile(const std::string& path, std::string& out, std::string& error);

}  // namespace qm
