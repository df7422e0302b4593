#include "levels/text_forms.hpp"

#include <string_view>

#include "levels/collection_xml.hpp"
#include "levels/level_titles.hpp"
#include "levels/parser.hpp"
#include "levels/run_length.hpp"

namespace qm {

namespace {

bool isCommentStart(std::string_view line) {
    std::string_view value;
    return keyValue(line, "comment", value) && value.empty();
}

bool isCommentEnd(std::string_view line) {
    std::string_view value;
    return keyValue(line, "comment-end", value) || keyValue(line, "comment_end", value);
}

// Walks the lines of a text with its line rule, counting them from 1.
class LineWalk {
public:
    explicit LineWalk(const std::string& text)
        : pos_(text.data()), end_(text.data() + text.size()), split_(text.find('\v') != std::string::npos) {}
    bool done() const { return pos_ >= end_; }
    // The next line's content; lineEnd gets its line end bytes.
    std::string_view next(std::string_view& lineEnd) {
        const char* stop = nullptr;
        const char* after = readLine(pos_, end_, split_, &stop);
        const std::string_view line(pos_, static_cast<size_t>(stop - pos_));
        lineEnd = std::string_view(stop, static_cast<size_t>(after - stop));
        pos_ = after;
        ++number_;
        return line;
    }
    long number() const { return number_; }
    const char* position() const { return pos_; }

private:
    const char* pos_;
    const char* end_;
    bool split_;
    long number_ = 0;
};

// Whether a "Comment-End:" line follows; once none is found, none is looked for again.
class CommentEnds {
public:
    bool follows(LineWalk walk) {
        if (noneAfter_ != nullptr && walk.position() >= noneAfter_) return false;
        std::string_view lineEnd;
        const char* from = walk.position();
        while (!walk.done()) {
            if (isCommentEnd(walk.next(lineEnd))) return true;
        }
        noneAfter_ = from;
        return false;
    }

private:
    const char* noneAfter_ = nullptr;
};

std::string lineWarning(long line, const std::string& what) {
    return "line " + std::to_string(line) + ": " + what;
}

bool rowLike(std::string_view line, std::string& scratch) {
    return isRowLine(line.data(), line.data() + line.size()) ||
           expandRunLengthRows(line, scratch) != kNotRunLength;
}

// Expands encoded rows and masks board-like comment lines; returns whether anything changed.
bool rewriteLines(const std::string& text, std::string& out, SourceNotes& notes) {
    LineWalk walk(text);
    CommentEnds commentEnds;
    std::string rows;
    bool changed = false, inComment = false;
    out.reserve(text.size());
    while (!walk.done()) {
        std::string_view lineEnd;
        const std::string_view line = walk.next(lineEnd);
        if (inComment) {
            if (isCommentEnd(line))
                inComment = false;
            else if (rowLike(line, rows)) {
                out += "; ";
                changed = true;
            }
            out.append(line);
            out.append(lineEnd);
            continue;
        }
        if (isCommentStart(line)) {
            inComment = commentEnds.follows(walk);
            if (!inComment)
                notes.warn(
                    lineWarning(walk.number(), "a Comment: block without Comment-End: (read as one line)"));
            out.append(line);
            out.append(lineEnd);
            continue;
        }
        const int32_t encoded = expandRunLengthRows(line, rows);
        if (encoded == kRunLengthRows) {
            rows.pop_back();  // the line's own end follows
            out += rows;
            changed = true;
        } else {
            if (encoded == kRunLengthTooLong)
                notes.warn(lineWarning(walk.number(), "an encoded row longer than 50 squares"));
            out.append(line);
        }
        out.append(lineEnd);
    }
    return changed;
}

}  // namespace

void SourceNotes::warn(std::string text) {
    if (warnings.size() < kMaxSourceNotes)
        warnings.push_back(std::move(text));
    else
        ++moreWarnings;
}

bool toPlainLevelText(std::string& text, SourceNotes& notes, std::string& error) {
    if (looksLikeCollectionXml(text)) {
        std::string plain;
        if (!readCollectionXml(text, plain, notes, error)) return false;
        text = std::move(plain);
    }
    std::string out;
    if (rewriteLines(text, out, notes)) text = std::move(out);
    return true;
}

}  // namespace qm
