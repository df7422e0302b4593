#pragma once
// XML level collections: a SokobanLevels document whose LevelCollection holds Level elements
// (Id, Width, Height, Copyright) with one L element per row.
#include <string>
#include <string_view>

#include "levels/text_forms.hpp"

namespace qm {

// Whether the text starts (after a byte-order mark and blanks) as an XML document or a
// SokobanLevels element.
bool looksLikeCollectionXml(std::string_view text);

// Writes the collection's levels as plain text: the Id as the title line above each board, the
// rows, the Copyright as an "Author:" line. notes gets the collection's Title and warnings for
// rows wider than 50 squares. Returns false with "line N: ..." in error on malformed XML or
// a document that is not a level collection.
bool readCollectionXml(std::string_view xml, std::string& text, SourceNotes& notes, std::string& error);

}  // namespace qm
