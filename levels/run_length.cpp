#include "levels/run_length.hpp"

#include "board/board.hpp"
#include "levels/parser.hpp"

namespace qm {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isMoveLetter(char c) { return letterDirection(c) >= 0; }
// Reads the count starting at pos (digits), capped just above limit so that no count
// overflows; advances pos past the digits.
size_t readCount(std::string_view text, size_t& pos, size_t limit) {
    size_t count = 0;
    while (pos < text.size() && isDigit(text[pos])) {
        if (count <= limit) count = count * 10 + static_cast<size_t>(text[pos] - '0');
        ++pos;
    }
    return count;
}

bool couldBeEncodedRow(std::string_view line) {
    bool wall = false, marker = false;
    for (char c : line) {
        if (c == '#') wall = true;
        if (isDigit(c) || c == '|')
            marker = true;
        else if (!isRowChar(c))
            return false;
    }
    return wall && marker;
}

}  // namespace

int32_t expandRunLengthRows(std::string_view line, std::string& rows) {
    rows.clear();
    if (!couldBeEncodedRow(line)) return kNotRunLength;
    size_t pos = 0, rowLength = 0;
    bool tooLong = false;
    while (pos < line.size()) {
        const char c = line[pos];
        if (c == '|') {
            rows += '\n';
            rowLength = 0;
            ++pos;
            continue;
        }
        size_t count = 1;
        if (isDigit(c)) {
            count = readCount(line, pos, kRunLengthMaxRow);
            if (pos >= line.size() || line[pos] == '|') return kNotRunLength;
        }
        rowLength += count;
        if (rowLength > static_cast<size_t>(kRunLengthMaxRow)) tooLong = true;
        if (!tooLong) rows.append(count, line[pos]);
        ++pos;
    }
    if (tooLong) {
        rows.clear();
        return kRunLengthTooLong;
    }
    if (rows.empty() || rows.back() != '\n') rows += '\n';
    return kRunLengthRows;
}

bool expandRunLengthMoves(std::string_view text, size_t maxLetters, std::string& letters,
                          std::string& error) {
    letters.clear();
    size_t pos = 0;
    while (pos < text.size()) {
        const char c = text[pos];
        if (isWhiteSpace(c)) {
            ++pos;
            continue;
        }
        size_t count = 1;
        const size_t countAt = pos;
        if (isDigit(c)) {
            count = readCount(text, pos, maxLetters);
            if (pos >= text.size() || !isMoveLetter(text[pos])) {
                error = "a count at offset " + std::to_string(countAt) + " is not followed by a move letter";
                return false;
            }
        } else if (!isMoveLetter(c)) {
            error = "bad character at offset " + std::to_string(pos);
            return false;
        }
        if (count > maxLetters - letters.size()) {
            error = "more than " + std::to_string(maxLetters) + " moves";
            return false;
        }
        letters.append(count, text[pos]);
        ++pos;
    }
    return true;
}

std::string encodeRunLength(std::string_view letters) {
    std::string out;
    out.reserve(letters.size());
    size_t pos = 0;
    while (pos < letters.size()) {
        size_t run = 1;
        while (pos + run < letters.size() && letters[pos + run] == letters[pos]) ++run;
        if (run > 1) out += std::to_string(run);
        out += letters[pos];
        pos += run;
    }
    return out;
}

}  // namespace qm
