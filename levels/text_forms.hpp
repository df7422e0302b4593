#pragma once
// The forms a level source may take: plain rows, run-length encoded rows, an XML collection,
// and the common text format's metadata lines. Each is turned into plain level text once, when
// the source is opened, so that the scans and the parser see one form only.
#include <cstddef>
#include <string>
#include <vector>

namespace qm {

constexpr size_t kMaxSourceNotes = 20;  // warnings kept per source; later ones are counted

// What turning a source into plain text noticed.
struct SourceNotes {
    std::string setTitle;               // an XML collection's title; empty: none
    std::vector<std::string> warnings;  // "line N: ..." for text that was not read as written
    size_t moreWarnings = 0;            // warnings beyond kMaxSourceNotes
    void warn(std::string text);
};

// Turns text into plain level text in place: an XML collection becomes one level per Level
// element; encoded rows are expanded ("|" ends a row); row-like lines inside a "Comment:" ...
// "Comment-End:" block are masked with "; " so that they are not read as a board. Returns
// false, with "line N: ..." in error, when an XML collection is malformed.
bool toPlainLevelText(std::string& text, SourceNotes& notes, std::string& error);

}  // namespace qm
