#include "levels/level_titles.hpp"

#include "levels/parser.hpp"
#include "levels/run_length.hpp"

namespace qm {

namespace {

constexpr int kMaxLinesAfterRows = 200;  // how far below a level its "Title:" line is looked for

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && isLineSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && isLineSpace(s.back())) s.remove_suffix(1);
    return s;
}

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether the line is a "Key: value" line of the common format.
bool isKeyLine(std::string_view line) {
    std::string_view value;
    for (std::string_view key : {"title", "author", "comment", "comment-end", "comment_end", "solution"}) {
        if (keyValue(line, key, value)) return true;
    }
    return false;
}

// Cuts s to at most max bytes without splitting a UTF-8 sequence.
std::string_view cutAtCharacter(std::string_view s, size_t max) {
    if (s.size() <= max) return s;
    size_t n = max;
    while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
    return s.substr(0, n);
}

// The start of the line that ends just before lineEnd (the first byte after that line's end).
const char* previousLineStart(const char* begin, const char* lineEnd) {
    const char* p = lineEnd;
    while (p > begin && !isLineEnd(p[-1])) --p;
    return p;
}

}  // namespace

bool keyValue(std::string_view line, std::string_view key, std::string_view& value) {
    line = trimmed(line);
    if (line.size() <= key.size() || line[key.size()] != ':') return false;
    for (size_t i = 0; i < key.size(); ++i) {
        if (lower(line[i]) != key[i]) return false;
    }
    value = trimmed(line.substr(key.size() + 1));
    return true;
}

std::string titleText(std::string_view line) {
    line = trimmed(line);
    if (!line.empty() && line.front() == ';') line = trimmed(line.substr(1));
    return std::string(cutAtCharacter(line, kMaxTitleBytes));
}

std::string titleLine(std::string_view title) {
    std::string line;
    for (char c : title) line += isLineEnd(c) ? ' ' : c;
    std::string rows;
    const bool rowLike = isRowLine(line.data(), line.data() + line.size()) ||
                         expandRunLengthRows(line, rows) != kNotRunLength ||
                         (!line.empty() && line[0] == ';');
    return rowLike ? "; " + line : line;
}

LevelTitle levelTitleAt(const char* begin, const char* end, const char* rowsStart, bool splitCrLf) {
    LevelTitle found;
    // Past the rows, then the lines up to the next row line.
    const char* pos = rowsStart;
    const char* stop = nullptr;
    while (pos < end) {
        const char* next = readLine(pos, end, splitCrLf, &stop);
        if (!isRowLine(pos, stop)) break;
        pos = next;
    }
    bool titleKeySeen = false;
    for (int n = 0; pos < end && n < kMaxLinesAfterRows; ++n) {
        const char* next = readLine(pos, end, splitCrLf, &stop);
        if (isRowLine(pos, stop)) break;
        const std::string_view line(pos, static_cast<size_t>(stop - pos));
        std::string_view value;
        if (!titleKeySeen && keyValue(line, "title", value) && !value.empty()) {
            found.title = titleText(value);
            titleKeySeen = true;
        } else if (found.author.empty() && keyValue(line, "author", value)) {
            found.author = titleText(value);
        }
        pos = next;
    }
    if (titleKeySeen || rowsStart <= begin) return found;
    // The line just above: rowsStart follows its line end (CR LF counted as one when joined).
    const char* lineEnd = rowsStart - 1;
    if (!isLineEnd(*lineEnd)) return found;
    if (*lineEnd == '\n' && !splitCrLf && lineEnd > begin && lineEnd[-1] == '\r') --lineEnd;
    const char* lineStart = previousLineStart(begin, lineEnd);
    const std::string_view above(lineStart, static_cast<size_t>(lineEnd - lineStart));
    if (!isKeyLine(above)) found.title = titleText(above);
    return found;
}

}  // namespace qm
