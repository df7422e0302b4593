#include "levels/collection_xml.hpp"

#include <algorithm>
#include <pugixml.hpp>

#include "levels/level_titles.hpp"
#include "levels/parser.hpp"
#include "levels/run_length.hpp"

namespace qm {

namespace {

// The line (from 1) of a byte offset of the document.
long lineAt(std::string_view xml, ptrdiff_t offset) {
    if (offset < 0) return 0;
    const size_t end = std::min(static_cast<size_t>(offset), xml.size());
    return 1 + static_cast<long>(std::count(xml.begin(), xml.begin() + static_cast<ptrdiff_t>(end), '\n'));
}

std::string lineLabel(std::string_view xml, ptrdiff_t offset) {
    const long line = lineAt(xml, offset);
    return line > 0 ? "line " + std::to_string(line) + ": " : "";
}

// A row as a line of its own: line ends inside it become blanks, trailing blanks go.
std::string rowText(const char* value) {
    std::string row(value);
    for (char& c : row) {
        if (isLineEnd(c)) c = ' ';
    }
    while (!row.empty() && isWhiteSpace(row.back())) row.pop_back();
    return row;
}

void writeLevel(std::string_view xml, pugi::xml_node levelNode, std::string& text, SourceNotes& notes) {
    const std::string id = titleText(levelNode.attribute("Id").as_string());
    const std::string author = titleText(levelNode.attribute("Copyright").as_string());
    text += '\n';
    if (!id.empty()) text += titleLine(id) + '\n';
    bool wideWarned = false;
    for (pugi::xml_node row = levelNode.child("L"); row; row = row.next_sibling("L")) {
        const std::string line = rowText(row.child_value());
        if (line.size() > static_cast<size_t>(kRunLengthMaxRow) && !wideWarned) {
            notes.warn(lineLabel(xml, row.offset_debug()) + "level '" + id +
                       "' has a row wider than 50 squares");
            wideWarned = true;
        }
        text += line;
        text += '\n';
    }
    if (!author.empty()) text += "Author: " + author + '\n';
}

}  // namespace

bool looksLikeCollectionXml(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    while (!text.empty() && isWhiteSpace(text.front())) text.remove_prefix(1);
    return text.substr(0, 5) == "<?xml" || text.substr(0, 14) == "<SokobanLevels";
}

bool readCollectionXml(std::string_view xml, std::string& text, SourceNotes& notes, std::string& error) {
    pugi::xml_document document;
    const pugi::xml_parse_result parsed =
        document.load_buffer(xml.data(), xml.size(), pugi::parse_default, pugi::encoding_auto);
    if (!parsed) {
        error = lineLabel(xml, parsed.offset) + "malformed XML: " + parsed.description();
        return false;
    }
    const pugi::xml_node root = document.child("SokobanLevels");
    if (!root) {
        error = "line 1: not a level collection (no SokobanLevels element)";
        return false;
    }
    notes.setTitle = titleText(root.child_value("Title"));
    text.clear();
    for (pugi::xml_node collection = root.child("LevelCollection"); collection;
         collection = collection.next_sibling("LevelCollection")) {
        for (pugi::xml_node levelNode = collection.child("Level"); levelNode;
             levelNode = levelNode.next_sibling("Level")) {
            writeLevel(xml, levelNode, text, notes);
        }
    }
    return true;
}

}  // namespace qm
