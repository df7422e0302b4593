#include "levels/sources.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

#include "board/board.hpp"
#include "levels/parser.hpp"
#include "levels/sample.hpp"

namespace qm {

LevelSet levelSet;

namespace {

namespace fs = std::filesystem;

const char* textBegin() { return levelSet.levelText.data(); }
const char* textEnd() { return levelSet.levelText.data() + levelSet.levelText.size(); }
bool splitCrLf() { return levelSet.vtLines != 0; }

bool isLevelAt(const char* start) { return parseLevel(start, textEnd(), 0) == kLevelOk; }

int32_t offsetOf(const char* p) { return static_cast<int32_t>(p - textBegin()); }

void setVtLines() {
    levelSet.vtLines = levelSet.levelText.find('\v') != std::string::npos ? 1 : 0;
}

std::string cappedName(std::string name) {
    if (name.size() > kMaxNameBytes) name.resize(kMaxNameBytes);
    return name;
}

// The file's title (its name without folders) up to its last ".".
std::string fileTitle(const std::string& path) {
    std::string name = path;
    const size_t slash = name.find_last_of("/\\");
    if (slash != std::string::npos) name = name.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos) name.resize(dot);
    return name;
}

std::string lastComponent(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string formatNumber(int32_t n, int32_t width) {
    char digits[32];
    std::snprintf(digits, sizeof digits, "%0*d", width > 1 ? width : 1, n);
    return digits;
}

std::string numberedPath(int32_t n) {
    const FolderPattern& p = levelSet.folderPattern;
    return levelSet.folderPath + "/" + p.prefix + formatNumber(n, p.width) + p.suffix;
}

bool numberedFileExists(int32_t n) {
    std::error_code ec;
    return fs::exists(numberedPath(n), ec);
}

void writeScratchFile(std::string_view text) {
    if (levelSet.scratchPath.empty()) return;
    std::ofstream out(levelSet.scratchPath, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

// Turns the loaded text into plain level text; on a malformed source clears the set.
bool makePlainText() {
    levelSet.notes = SourceNotes();
    std::string error;
    if (toPlainLevelText(levelSet.levelText, levelSet.notes, error)) return true;
    clearLevelSet();
    levelSet.lastError = error;
    return false;
}

// Plain level text of a folder file; false when it is malformed.
bool plainFileText(std::string& text) {
    SourceNotes notes;
    std::string error;
    return toPlainLevelText(text, notes, error);
}

// Starts a text set at its first level; clears the set when it holds none.
int32_t openLoadedText(int32_t kind, const std::string& name) {
    setVtLines();
    levelSet.previousLevelPos = -1;
    levelSet.currentLevelPos = findNextLevel(0);
    if (levelSet.currentLevelPos < 0) {
        clearLevelSet();
        levelSet.lastError = "no valid level";
        return 0;
    }
    levelSet.nextLevelPos = findNextLevel(levelSet.currentLevelPos + 1);
    levelSet.levelSetName = cappedName(name);
    levelSet.currentLevel = 1;
    levelSet.sourceKind = kind;
    countLevels();
    loadCurrentLevel();
    return 1;
}

// The value of the digit run of a name, capped so that long runs cannot overflow.
int64_t digitRunValue(const std::string& run) {
    int64_t value = 0;
    for (char c : run) {
        value = value * 10 + (c - '0');
        if (value > 1000000000) return value;
    }
    return value;
}

// Whether a folder entry can be the first level file; fills the pattern from its name.
bool isFirstLevelFile(const fs::directory_entry& entry, FolderPattern& pattern) {
    std::error_code ec;
    if (entry.is_directory(ec)) return false;
    const std::string name = entry.path().filename().string();
    const size_t first = name.find_first_of("0123456789");
    if (first == std::string::npos) return false;
    size_t last = first;
    while (last < name.size() && name[last] >= '0' && name[last] <= '9') ++last;
    if (digitRunValue(name.substr(first, last - first)) != 1) return false;
    std::string text, error;
    if (!readSourceFile(entry.path().string(), text, error) || text.empty() || !plainFileText(text)) return false;
    if (parseLevel(text.data(), text.data() + text.size(), 0) != kLevelOk) return false;
    pattern.prefix = name.substr(0, first);
    pattern.suffix = name.substr(last);
    pattern.width = static_cast<int32_t>(last - first);
    return true;
}

void countFolderLevels() {
    int32_t count = 0;
    for (int32_t step : {100, 10, 1}) {
        while (count <= INT32_MAX - step && numberedFileExists(count + step)) count += step;
    }
    levelSet.levelCount = count;
}

}  // namespace

bool readSourceFile(const std::string& path, std::string& out, std::string& error) {
    out.clear();
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (ec || !fs::exists(status)) {
        error = "cannot open: no such file";
        return false;
    }
    if (fs::is_directory(status)) {
        error = "is a folder, not a file";
        return false;
    }
    if (!fs::is_regular_file(status)) {
        error = "not a regular file";
        return false;
    }
    const uintmax_t size = fs::file_size(path, ec);
    if (ec) {
        error = "cannot read its size";
        return false;
    }
    if (size > kMaxSourceBytes) {
        error = "too large (more than 256 MiB)";
        return false;
    }
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) {
        error = std::string("cannot open: ") + std::strerror(errno);
        return false;
    }
    out.resize(static_cast<size_t>(size));
    const size_t got = size == 0 ? 0 : std::fread(out.data(), 1, out.size(), f);
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) {
        out.clear();
        error = "cannot read";
        return false;
    }
    out.resize(got);
    return true;
}

void clearLevelSet() {
    levelSet.currentLevelPos = -1;
    levelSet.nextLevelPos = -1;
    levelSet.previousLevelPos = -1;
    levelSet.levelSetName.clear();
    levelSet.levelCount = 0;
    levelSet.currentLevel = 0;
    levelSet.sourceKind = kSourceNone;
    levelSet.levelText.clear();
    levelSet.currentTitle = LevelTitle();
}

void loadCurrentLevel() {
    if (levelSet.sourceKind == kSourceNone) return;
    const char* start = textBegin();
    if (levelSet.sourceKind != kSourceFolder) start += levelSet.currentLevelPos;
    level.levelVerdict = parseLevel(start, textEnd(), 1);
    const char* rows = start;
    if (levelSet.sourceKind == kSourceFolder) {
        const int32_t found = findNextLevel(0);
        rows = found < 0 ? nullptr : textBegin() + found;
    }
    levelSet.currentTitle = rows == nullptr ? LevelTitle() : levelTitleAt(textBegin(), textEnd(), rows, splitCrLf());
}

std::string currentLevelRows() {
    std::string rows;
    if (levelSet.sourceKind == kSourceNone) return rows;
    const int32_t at = levelSet.sourceKind == kSourceFolder ? findNextLevel(0) : levelSet.currentLevelPos;
    if (at < 0) return rows;
    const char* pos = textBegin() + at;
    const char* stop = nullptr;
    while (pos < textEnd()) {
        const char* next = readLine(pos, textEnd(), splitCrLf(), &stop);
        if (!isRowLine(pos, stop)) break;
        rows.append(pos, stop);
        rows += '\n';
        pos = next;
    }
    return rows;
}

int32_t findNextLevel(int32_t offset) {
    const int32_t length = static_cast<int32_t>(levelSet.levelText.size());
    if (offset < 0) offset = 0;
    if (offset > length) return -1;
    bool skipFirst = false;
    if (offset > 0 && isRowChar(levelSet.levelText[offset - 1])) {
        --offset;
        skipFirst = true;
    }
    const char* end = textEnd();
    const char* pos = textBegin() + offset;
    const char* runStart = nullptr;
    while (pos < end) {
        const char* stop = nullptr;
        const char* next = readLine(pos, end, splitCrLf(), &stop);
        if (isRowLine(pos, stop)) {
            if (runStart == nullptr) runStart = pos;
        } else if (runStart != nullptr) {
            if (isLevelAt(runStart)) {
                if (!skipFirst) return offsetOf(runStart);
                skipFirst = false;
            }
            runStart = nullptr;
        }
        pos = next;
    }
    if (runStart != nullptr && !skipFirst && isLevelAt(runStart)) return offsetOf(runStart);
    return -1;
}

int32_t findPreviousLevel(int32_t offset) {
    const std::string& text = levelSet.levelText;
    const int32_t length = static_cast<int32_t>(text.size());
    if (offset < 0) return -1;
    // pos is one past the last byte of the line examined next (its line end included).
    int32_t pos = std::min(offset + 1, length);
    const char* runTop = nullptr;
    while (pos > 0) {
        int32_t stop = pos;
        const char last = text[pos - 1];
        if (isLineEnd(last)) {
            stop = pos - 1;
            if (last == '\n' && !splitCrLf() && stop > 0 && text[stop - 1] == '\r') --stop;
        }
        int32_t start = stop;
        while (start > 0 && !isLineEnd(text[start - 1])) --start;
        const char* lineStart = textBegin() + start;
        if (isRowLine(lineStart, textBegin() + stop)) {
            runTop = lineStart;
        } else if (runTop != nullptr) {
            if (isLevelAt(runTop)) return offsetOf(runTop);
            runTop = nullptr;
        }
        pos = start;
    }
    if (runTop != nullptr && isLevelAt(runTop)) return offsetOf(runTop);
    return -1;
}

int32_t readNumberedFile(int32_t n) {
    if (n < 1) return -1;
    std::string error;
    if (!readSourceFile(numberedPath(n), levelSet.levelText, error) || levelSet.levelText.empty() ||
        !plainFileText(levelSet.levelText)) {
        return -1;
    }
    return parseLevel(textBegin(), textEnd(), 0) == kLevelOk ? n : -1;
}

void nextLevel() {
    if (levelSet.sourceKind == kSourceNone || levelSet.nextLevelPos < 0) return;
    ++levelSet.currentLevel;
    levelSet.previousLevelPos = levelSet.currentLevelPos;
    levelSet.currentLevelPos = levelSet.nextLevelPos;
    if (levelSet.sourceKind == kSourceFolder) {
        levelSet.nextLevelPos = readNumberedFile(levelSet.currentLevel + 1);
        readNumberedFile(levelSet.currentLevel);
    } else {
        levelSet.nextLevelPos = findNextLevel(levelSet.currentLevelPos + 1);
    }
    loadCurrentLevel();
}

void previousLevel() {
    if (levelSet.sourceKind == kSourceNone || levelSet.previousLevelPos < 0) return;
    --levelSet.currentLevel;
    levelSet.nextLevelPos = levelSet.currentLevelPos;
    levelSet.currentLevelPos = levelSet.previousLevelPos;
    if (levelSet.sourceKind == kSourceFolder) {
        levelSet.previousLevelPos = levelSet.currentLevel == 1 ? -1 : levelSet.currentLevel - 1;
        readNumberedFile(levelSet.currentLevel);
    } else {
        levelSet.previousLevelPos = findPreviousLevel(levelSet.currentLevelPos - 1);
    }
    loadCurrentLevel();
}

void goToLevel(int32_t n) {
    if (levelSet.sourceKind == kSourceNone) return;
    const int32_t target = std::min(std::max(n, 1), levelSet.levelCount);
    while (levelSet.currentLevel > target && levelSet.previousLevelPos >= 0) previousLevel();
    while (levelSet.currentLevel < target && levelSet.nextLevelPos >= 0) nextLevel();
}

void countLevels() {
    switch (levelSet.sourceKind) {
        case kSourceNone:
            levelSet.levelCount = 0;
            return;
        case kSourceFolder:
            countFolderLevels();
            return;
        default:
            while (levelSet.nextLevelPos >= 0) nextLevel();
            levelSet.levelCount = levelSet.currentLevel;
            while (levelSet.previousLevelPos >= 0) previousLevel();
            return;
    }
}

int32_t openText(std::string_view text) {
    levelSet.lastError.clear();
    const bool longText = text.size() > kShortTextBytes;
    if (longText) writeScratchFile(text);
    levelSet.levelText.assign(text.data(), text.size());
    if (!makePlainText()) return 0;
    return openLoadedText(longText ? kSourceLongText : kSourceText, "TextBox");
}

int32_t openSample() {
    const int32_t ok = openText(sampleText());
    if (ok) levelSet.levelSetName = "Sample";
    return ok;
}

int32_t openFile() {
    levelSet.lastError.clear();
    std::string text, error;
    if (!readSourceFile(levelSet.openFilePath, text, error)) {
        clearLevelSet();
        levelSet.lastError = error;
        return 0;
    }
    levelSet.levelText = std::move(text);
    if (!makePlainText()) return 0;
    const std::string& xmlTitle = levelSet.notes.setTitle;
    return openLoadedText(kSourceFile, xmlTitle.empty() ? fileTitle(levelSet.openFilePath) : xmlTitle);
}

int32_t openFolder() {
    levelSet.lastError.clear();
    while (levelSet.folderPath.size() > 1 && levelSet.folderPath.back() == '/') {
        levelSet.folderPath.pop_back();
    }
    std::error_code ec;
    fs::directory_iterator it(levelSet.folderPath, ec);
    if (ec) {
        clearLevelSet();
        levelSet.lastError = "cannot open folder: " + ec.message();
        return 0;
    }
    std::vector<fs::directory_entry> entries;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) break;
        entries.push_back(*it);
    }
    // Listed by name, so that the choice among several first files does not depend on the
    // file system.
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return a.path().filename() < b.path().filename(); });
    for (const fs::directory_entry& entry : entries) {
        FolderPattern pattern;
        if (!isFirstLevelFile(entry, pattern)) continue;
        levelSet.folderPattern = pattern;
        levelSet.levelSetName = cappedName(lastComponent(levelSet.folderPath));
        levelSet.previousLevelPos = -1;
        levelSet.currentLevel = 1;
        levelSet.currentLevelPos = 1;
        levelSet.sourceKind = kSourceFolder;
        levelSet.nextLevelPos = readNumberedFile(2);
        readNumberedFile(1);
        countLevels();
        loadCurrentLevel();
        return 1;
    }
    clearLevelSet();
    levelSet.lastError = "no level file numbered 1 holding a valid level";
    return 0;
}

void deleteScratchFile() {
    if (levelSet.scratchPath.empty()) return;
    std::error_code ec;
    fs::remove(levelSet.scratchPath, ec);
}

}  // namespace qm
