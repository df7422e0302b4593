#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "board/board.hpp"
#include "levels/parser.hpp"
#include "levels/run_length.hpp"
#include "levels/sources.hpp"

using namespace qm;

namespace {

// Two levels with titles and authors, in the three forms a source may take.
constexpr const char* kPlain =
    "Corridor\n"
    "######\n"
    "#@ $.#\n"
    "######\n"
    "Author: First Maker\n"
    "\n"
    "#######\n"
    "#     #\n"
    "#@$   #\n"
    "#   . #\n"
    "#######\n"
    "Title: Small room\n"
    "Comment:\n"
    "a board in a note is not a level:\n"
    "#####\n"
    "#@$.#\n"
    "#####\n"
    "Comment-End:\n";

constexpr const char* kEncoded =
    "Corridor\n"
    "6#|#@-$.#|6#\n"
    "Author: First Maker\n"
    "\n"
    "7#\n"
    "#5-#|#@$3-#\n"
    "#3-.-#|7#\n"
    "Title: Small room\n";

constexpr const char* kXml =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<SokobanLevels>\n"
    "  <Title>Two Rooms</Title>\n"
    "  <LevelCollection Copyright=\"x\">\n"
    "    <Level Id=\"Corridor\" Width=\"6\" Height=\"3\" Copyright=\"First Maker\">\n"
    "      <L>######</L>\n"
    "      <L>#@ $.#</L>\n"
    "      <L>######</L>\n"
    "    </Level>\n"
    "    <Level Id=\"Small room\" Width=\"7\" Height=\"5\">\n"
    "      <L>#######</L><L>#     #</L><L>#@$   #</L><L>#   . #</L><L>#######</L>\n"
    "    </Level>\n"
    "  </LevelCollection>\n"
    "</SokobanLevels>\n";

struct LoadedLevel {
    std::vector<int32_t> cells;
    int32_t width = 0, height = 0;
    std::string title, author;
    bool operator==(const LoadedLevel&) const = default;
};

std::vector<LoadedLevel> loadAll(const std::string& text) {
    std::vector<LoadedLevel> out;
    if (openText(text) != 1) return out;
    for (int32_t n = 1; n <= levelSet.levelCount; ++n) {
        goToLevel(n);
        LoadedLevel l;
        l.cells.assign(level.levelCells, level.levelCells + kMaxSquares);
        l.width = level.boardWidth;
        l.height = level.boardHeight;
        l.title = levelSet.currentTitle.title;
        l.author = levelSet.currentTitle.author;
        out.push_back(l);
    }
    return out;
}

TEST(LevelForms, EncodedRowsAndXmlLoadTheSameBoardsAndTitlesAsPlainText) {
    const std::vector<LoadedLevel> plain = loadAll(kPlain);
    ASSERT_EQ(plain.size(), 2u);  // the board-like comment is not a level
    EXPECT_EQ(plain[0].title, "Corridor");
    EXPECT_EQ(plain[0].author, "First Maker");
    EXPECT_EQ(plain[1].title, "Small room");
    EXPECT_EQ(plain[1].author, "");
    EXPECT_EQ(loadAll(kEncoded), plain);
    EXPECT_EQ(loadAll(kXml), plain);
    EXPECT_EQ(levelSet.levelSetName, "TextBox");
    EXPECT_EQ(levelSet.notes.setTitle, "Two Rooms");
    // Mixed: a plain level after an encoded one.
    const std::vector<LoadedLevel> mixed =
        loadAll(std::string("6#|#@-$.#|6#\n\n") + "#######\n#     #\n#@$   #\n#   . #\n#######\n");
    ASSERT_EQ(mixed.size(), 2u);
    EXPECT_EQ(mixed[0].cells, plain[0].cells);
    EXPECT_EQ(mixed[1].cells, plain[1].cells);
}

TEST(LevelForms, XmlAndEncodedFilesOpenWithTheirSetNames) {
    levelSet.openFilePath = QM_TEST_DATA "/rooms.slc";
    ASSERT_EQ(openFile(), 1) << levelSet.lastError;
    EXPECT_EQ(levelSet.levelSetName, "Two Rooms");
    std::vector<std::vector<int32_t>> boards;
    for (int32_t n = 1; n <= 2; ++n) {
        goToLevel(n);
        boards.emplace_back(level.levelCells, level.levelCells + kMaxSquares);
    }
    EXPECT_EQ(levelSet.currentTitle.author, "Second Maker");
    levelSet.openFilePath = QM_TEST_DATA "/rooms_encoded.txt";
    ASSERT_EQ(openFile(), 1) << levelSet.lastError;
    EXPECT_EQ(levelSet.levelSetName, "rooms_encoded");
    ASSERT_EQ(levelSet.levelCount, 2);
    for (int32_t n = 1; n <= 2; ++n) {
        goToLevel(n);
        EXPECT_EQ(std::vector<int32_t>(level.levelCells, level.levelCells + kMaxSquares), boards[n - 1]);
    }
    EXPECT_EQ(levelSet.currentTitle.title, "Small room");
}

TEST(LevelForms, BadEncodedRowsAndXmlGiveMessagesNotCrashes) {
    // A count that would pass 50 squares: the line is not read as rows, with a warning.
    EXPECT_EQ(openText("99999#\n#@$.#\n5#\n"), 0);
    ASSERT_EQ(levelSet.notes.warnings.size(), 1u);
    EXPECT_EQ(levelSet.notes.warnings[0], "line 1: an encoded row longer than 50 squares");
    // Truncated XML: the line of the fault, and no set.
    const std::string xml(kXml);
    EXPECT_EQ(openText(xml.substr(0, xml.find("<L>#@$"))), 0);
    EXPECT_EQ(levelSet.sourceKind, kSourceNone);
    EXPECT_EQ(levelSet.lastError.rfind("line 11: malformed XML", 0), 0u) << levelSet.lastError;
    EXPECT_EQ(openText("<?xml version=\"1.0\"?><Other/>"), 0);
    EXPECT_EQ(levelSet.lastError, "line 1: not a level collection (no SokobanLevels element)");
    // A row wider than 50: listed as too large, with a warning naming the level.
    const std::string wide = "<SokobanLevels><LevelCollection><Level Id=\"w\"><L>" + std::string(49, '#') +
                             "#  #</L><L>#@$.#</L><L>#####</L></Level></LevelCollection></SokobanLevels>";
    ASSERT_EQ(openText(wide), 1);
    EXPECT_EQ(level.levelVerdict, kSizeOver);
    ASSERT_EQ(levelSet.notes.warnings.size(), 1u);
    EXPECT_EQ(levelSet.notes.warnings[0], "line 1: level 'w' has a row wider than 50 squares");
}

TEST(LevelForms, CommentBlocksWithoutEndAndLongTitlesAreBounded) {
    // A block that never ends is one line: the level below it still loads.
    const std::string text = "######\n#@ $.#\n######\nComment:\nno end here\n\n" + std::string(10000, 'T') +
                             "\n#######\n#     #\n#@$   #\n#   . #\n#######\n";
    ASSERT_EQ(openText(text), 1);
    EXPECT_EQ(levelSet.levelCount, 2);
    ASSERT_EQ(levelSet.notes.warnings.size(), 1u);
    EXPECT_EQ(levelSet.notes.warnings[0], "line 4: a Comment: block without Comment-End: (read as one line)");
    goToLevel(2);
    EXPECT_EQ(levelSet.currentTitle.title, std::string(kMaxTitleBytes, 'T'));
    // A cut never splits a UTF-8 character.
    std::string accents;
    while (accents.size() < 300) accents += "\xC3\xA9";
    ASSERT_EQ(openText("; a" + accents + "\n######\n#@ $.#\n######\n"), 1);
    EXPECT_EQ(levelSet.currentTitle.title, "a" + accents.substr(0, kMaxTitleBytes - 2));
}

TEST(RunLength, MovesExpandAndEncodeBothWays) {
    std::string letters, error;
    ASSERT_TRUE(expandRunLengthMoves("3r2U\nl 10d", 100, letters, error)) << error;
    EXPECT_EQ(letters, "rrrUUl" + std::string(10, 'd'));
    EXPECT_EQ(encodeRunLength(letters), "3r2Ul10d");
    EXPECT_FALSE(expandRunLengthMoves("3", 100, letters, error));
    EXPECT_FALSE(expandRunLengthMoves("99999999999999999999r", 1000, letters, error));
    EXPECT_EQ(error, "more than 1000 moves");
    EXPECT_FALSE(expandRunLengthMoves("3x", 100, letters, error));
}

}  // namespace
