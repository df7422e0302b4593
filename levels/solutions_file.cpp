#include "levels/solutions_file.hpp"

#include <vector>

#include "board/board.hpp"
#include "levels/parser.hpp"
#include "levels/run_length.hpp"
#include "levels/text_forms.hpp"

namespace qm {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool isMoveTextChar(char c) { return letterDirection(c) >= 0 || isDigit(c) || isLineSpace(c); }

bool isMoveTextLine(std::string_view line) {
    bool letter = false;
    for (char c : line) {
        if (!isMoveTextChar(c)) return false;
        if (letterDirection(c) >= 0) letter = true;
    }
    return letter;
}

// "Solution", alone or followed by anything that is not a letter ("Solution:", "Solution 1").
bool isSolutionHeader(std::string_view line) {
    while (!line.empty() && isLineSpace(line.front())) line.remove_prefix(1);
    const std::string_view word = "solution";
    if (line.size() < word.size()) return false;
    for (size_t i = 0; i < word.size(); ++i) {
        const char c = line[i];
        if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != word[i]) return false;
    }
    if (line.size() == word.size()) return true;
    const char next = line[word.size()];
    return !((next >= 'a' && next <= 'z') || (next >= 'A' && next <= 'Z'));
}

// A row compared with its floor spellings made blanks and trailing blanks dropped.
std::string comparableRow(std::string_view row) {
    std::string out;
    for (char c : row) out += (c == '-' || c == '_') ? ' ' : c;
    while (!out.empty() && isLineSpace(out.back())) out.pop_back();
    return out;
}

std::vector<std::string> comparableRows(std::string_view rows) {
    std::vector<std::string> out;
    size_t pos = 0;
    while (pos < rows.size()) {
        size_t stop = pos;
        while (stop < rows.size() && !isLineEnd(rows[stop])) ++stop;
        out.push_back(comparableRow(rows.substr(pos, stop - pos)));
        pos = stop + 1;
    }
    return out;
}

struct Lines {
    std::vector<std::string_view> items;
    explicit Lines(const std::string& text) {
        const bool split = text.find('\v') != std::string::npos;
        const char* pos = text.data();
        const char* end = pos + text.size();
        while (pos < end) {
            const char* stop = nullptr;
            const char* next = readLine(pos, end, split, &stop);
            items.emplace_back(pos, static_cast<size_t>(stop - pos));
            pos = next;
        }
    }
};

bool isRow(std::string_view line) {
    return isRowLine(line.data(), line.data() + line.size());
}

}  // namespace

std::string levelSectionHead(const LevelTitle& title, std::string_view boardRows, std::string_view lineEnd) {
    std::string out;
    if (!title.title.empty()) {
        out += titleLine(title.title);
        out += lineEnd;
    }
    const std::string rows(boardRows);
    for (std::string_view row : Lines(rows).items) {
        out += row;
        out += lineEnd;
    }
    if (!title.author.empty()) {
        out += "Author: " + title.author;
        out += lineEnd;
    }
    return out;
}

std::string solutionCountLine(int32_t moves, int32_t pushes) {
    return "; " + std::to_string(moves) + " moves, " + std::to_string(pushes) + " pushes";
}

std::string solutionsFileSection(const LevelTitle& title, std::string_view boardRows, bool solved,
                                 std::string_view letters, int32_t moves, int32_t pushes, bool runLength) {
    std::string out = levelSectionHead(title, boardRows, "\n");
    if (solved) {
        out += kSolutionHeader;
        out += '\n';
        out += runLength ? encodeRunLength(letters) : std::string(letters);
        out += '\n';
        out += solutionCountLine(moves, pushes);
        out += '\n';
    }
    out += '\n';
    return out;
}

bool looksLikeSolutionsFile(const std::string& text) {
    bool board = false;
    for (std::string_view line : Lines(text).items) {
        if (isRow(line))
            board = true;
        else if (board && isSolutionHeader(line))
            return true;
    }
    return false;
}

bool findSolutionFor(const std::string& text, std::string_view boardRows, std::string& moves) {
    std::string plain = text;
    SourceNotes notes;
    std::string error;
    if (!toPlainLevelText(plain, notes, error)) return false;
    const std::vector<std::string> wanted = comparableRows(boardRows);
    const std::vector<std::string_view> lines = Lines(plain).items;
    size_t i = 0;
    while (i < lines.size()) {
        if (!isRow(lines[i])) {
            ++i;
            continue;
        }
        std::vector<std::string> rows;
        while (i < lines.size() && isRow(lines[i])) rows.push_back(comparableRow(lines[i++]));
        if (rows != wanted) continue;
        // The lines up to the next board: the first Solution section's move lines.
        while (i < lines.size() && !isRow(lines[i])) {
            if (!isSolutionHeader(lines[i++])) continue;
            moves.clear();
            while (i < lines.size() && isMoveTextLine(lines[i])) {
                moves += lines[i++];
                moves += '\n';
            }
            if (!moves.empty()) return true;
        }
    }
    return false;
}

}  // namespace qm
