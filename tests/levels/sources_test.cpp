#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "board/board.hpp"
#include "levels/sources.hpp"
#include "support/test_support.hpp"

using qm::level;
using qm::levelSet;

namespace {

// A closed one-row level whose width tells which level it is: n floor squares before the box.
std::string numberedLevel(int n) {
    std::string row = "#@";
    row.append(static_cast<size_t>(n), ' ');
    row += "$.#";
    const std::string wall(row.size(), '#');
    std::string text = wall;
    text += '\n';
    text += row;
    text += '\n';
    text += wall;
    text += '\n';
    return text;
}

std::string numberedSet(int count, const std::string& between) {
    std::string text;
    for (int i = 1; i <= count; ++i) {
        text += "; level ";
        text += std::to_string(i);
        text += '\n';
        text += between;
        text += numberedLevel(i % 40);
    }
    return text;
}

int widthOf(int n) { return n % 40 + 5; }

}  // namespace

TEST(Sources, ThreeLevelsWithTitlesAndAnInvalidRunBetween) {
    const std::string text = "Title\n\n" + numberedLevel(1) + "\n; two pushers\n######\n#@$.@#\n######\n\n" +
                             numberedLevel(2) + "comment\n" + numberedLevel(3);
    ASSERT_EQ(qm::openText(text), 1);
    EXPECT_EQ(levelSet.sourceKind, qm::kSourceText);
    EXPECT_EQ(levelSet.levelSetName, "TextBox");
    EXPECT_EQ(levelSet.levelCount, 3);
    EXPECT_EQ(levelSet.currentLevel, 1);
    EXPECT_EQ(levelSet.previousLevelPos, -1);
    EXPECT_EQ(level.boardWidth, widthOf(1));
    qm::nextLevel();
    EXPECT_EQ(level.boardWidth, widthOf(2));
    qm::nextLevel();
    EXPECT_EQ(levelSet.currentLevel, 3);
    EXPECT_EQ(levelSet.nextLevelPos, -1);
    qm::nextLevel();  // no next level: nothing happens
    EXPECT_EQ(levelSet.currentLevel, 3);
    qm::previousLevel();
    EXPECT_EQ(level.boardWidth, widthOf(2));
    EXPECT_EQ(level.levelVerdict, 1);
}

TEST(Sources, TextWithoutLevelClearsTheSet) {
    ASSERT_EQ(qm::openText(numberedLevel(1)), 1);
    EXPECT_EQ(qm::openText("no level here\n#####\n"), 0);
    EXPECT_EQ(levelSet.sourceKind, qm::kSourceNone);
    EXPECT_EQ(levelSet.levelCount, 0);
    EXPECT_EQ(levelSet.currentLevel, 0);
    EXPECT_EQ(levelSet.levelSetName, "");
}

TEST(Sources, SeveralHundredLevelsForwardAndBackward) {
    // Long stretches of other text between the levels: the scans must still find every one.
    const std::string filler(6000, 'x');
    const std::string text = numberedSet(300, filler + "\n\n");
    ASSERT_EQ(qm::openText(text), 1);
    EXPECT_EQ(levelSet.sourceKind, qm::kSourceLongText);
    EXPECT_EQ(levelSet.levelCount, 300);
    EXPECT_EQ(levelSet.currentLevel, 1);
    for (int i = 1; i <= 300; ++i) {
        ASSERT_EQ(levelSet.currentLevel, i);
        ASSERT_EQ(level.boardWidth, widthOf(i));
        qm::nextLevel();
    }
    for (int i = 300; i >= 1; --i) {
        ASSERT_EQ(levelSet.currentLevel, i);
        ASSERT_EQ(level.boardWidth, widthOf(i));
        qm::previousLevel();
    }
    qm::goToLevel(0);
    EXPECT_EQ(levelSet.currentLevel, 1);
    qm::goToLevel(1000);
    EXPECT_EQ(levelSet.currentLevel, 300);
    qm::goToLevel(123);
    EXPECT_EQ(level.boardWidth, widthOf(123));
}

TEST(Sources, LongLevelsAndMixedLineEnds) {
    // Levels of 50 x 50 with CR LF line ends: each larger than the old text window.
    std::string big;
    for (int y = 0; y < 50; ++y) {
        std::string row(50, ' ');
        row[0] = row[49] = '#';
        if (y == 0 || y == 49) row = std::string(50, '#');
        if (y == 1) row[1] = '@';
        if (y == 2) row[2] = '$';
        if (y == 3) row[3] = '.';
        big += row + "\r\n";
    }
    std::string text;
    for (int i = 0; i < 12; ++i) text += "; big\r\n\r\n" + big + "\r\n";
    ASSERT_EQ(qm::openText(text), 1);
    EXPECT_EQ(levelSet.levelCount, 12);
    EXPECT_EQ(level.boardWidth, 50);
    EXPECT_EQ(level.boardHeight, 50);
}

TEST(Sources, VtSeparatedRowsAndCrLfSeparatedLevels) {
    const std::string block = "#####\v#@$.#\v#####";
    ASSERT_EQ(qm::openText(block + "\r\n" + block + "\r\n" + block), 1);
    EXPECT_EQ(levelSet.levelCount, 3);
    EXPECT_EQ(level.boardHeight, 3);
}

TEST(Sources, IndentedLevelsInAFile) {
    const auto folder = qmtest::freshFolder("indent");
    const std::string path = (folder / "my.levels.txt").string();
    qmtest::writeFile(path, "  #####\n  #@$.#\n  #####\n\n--#####\n--#@$.#\n--#####\n");
    levelSet.openFilePath = path;
    ASSERT_EQ(qm::openFile(), 1);
    EXPECT_EQ(levelSet.sourceKind, qm::kSourceFile);
    EXPECT_EQ(levelSet.levelSetName, "my.levels");
    EXPECT_EQ(levelSet.levelCount, 2);
    EXPECT_EQ(level.boardWidth, 5);
    qm::nextLevel();
    EXPECT_EQ(level.boardWidth, 5);
    EXPECT_EQ(level.levelCells[qmtest::square(1, 1)], qm::PUSHER);
    std::filesystem::remove_all(folder);
}

TEST(Sources, MissingAndBinaryFiles) {
    const auto folder = qmtest::freshFolder("binary");
    levelSet.openFilePath = (folder / "missing.txt").string();
    EXPECT_EQ(qm::openFile(), 0);
    EXPECT_FALSE(levelSet.lastError.empty());
    std::string binary;
    for (int i = 0; i < 200000; ++i) binary += static_cast<char>((i * 7919) & 0xff);
    const std::string path = (folder / "binary.bin").string();
    qmtest::writeFile(path, binary);
    levelSet.openFilePath = path;
    EXPECT_EQ(qm::openFile(), 0);
    EXPECT_EQ(levelSet.sourceKind, qm::kSourceNone);
    std::filesystem::remove_all(folder);
}

TEST(Sources, FolderOfNumberedFiles) {
    const auto folder = qmtest::freshFolder("folder");
    for (int i = 1; i <= 7; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "x%d.txt", i);
        qmtest::writeFile(folder / name, numberedLevel(i));
    }
    qmtest::writeFile(folder / "readme.md", "not a level");
    std::filesystem::create_directories(folder / "sub1");
    levelSet.folderPath = folder.string() + "/";
    ASSERT_EQ(qm::openFolder(), 1);
    EXPECT_EQ(levelSet.sourceKind, qm::kSourceFolder);
    EXPECT_EQ(levelSet.levelSetName, folder.filename().string());
    EXPECT_EQ(levelSet.levelCount, 7);
    EXPECT_EQ(level.boardWidth, widthOf(1));
    qm::goToLevel(7);
    EXPECT_EQ(levelSet.currentLevel, 7);
    EXPECT_EQ(level.boardWidth, widthOf(7));
    EXPECT_EQ(levelSet.nextLevelPos, -1);
    qm::previousLevel();
    EXPECT_EQ(level.boardWidth, widthOf(6));

    // A gap after 5: counting stops there and so does moving forward.
    std::filesystem::remove(folder / "x6.txt");
    ASSERT_EQ(qm::openFolder(), 1);
    EXPECT_EQ(levelSet.levelCount, 5);
    qm::goToLevel(9);
    EXPECT_EQ(levelSet.currentLevel, 5);
    std::filesystem::remove_all(folder);
}

TEST(Sources, FolderPatternKeepsZeroPaddingAndOddNames) {
    const auto folder = qmtest::freshFolder("pattern");
    for (int i = 1; i <= 12; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "lev%%s%03d.txt", i);  // a "%" in the name is data
        qmtest::writeFile(folder / name, numberedLevel(i));
    }
    levelSet.folderPath = folder.string();
    ASSERT_EQ(qm::openFolder(), 1);
    EXPECT_EQ(levelSet.levelCount, 12);
    qm::goToLevel(12);
    EXPECT_EQ(level.boardWidth, widthOf(12));
    std::filesystem::remove_all(folder);
}

TEST(Sources, FolderWithoutValidFirstLevelDoesNotOpen) {
    const auto folder = qmtest::freshFolder("nofirst");
    qmtest::writeFile(folder / "a1.txt", "######\n#@$.@#\n######\n");
    qmtest::writeFile(folder / "a2.txt", numberedLevel(2));
    levelSet.folderPath = folder.string();
    EXPECT_EQ(qm::openFolder(), 0);
    EXPECT_EQ(levelSet.sourceKind, qm::kSourceNone);
    levelSet.folderPath = (folder / "nothing").string();
    EXPECT_EQ(qm::openFolder(), 0);
    std::filesystem::remove_all(folder);
}

TEST(Sources, LongPasteWritesTheScratchFile) {
    const auto folder = qmtest::freshFolder("scratch");
    levelSet.scratchPath = (folder / "nuvelka.txt").string();
    const std::string text = numberedSet(500, "");
    ASSERT_GT(text.size(), qm::kShortTextBytes);
    ASSERT_EQ(qm::openText(text), 1);
    EXPECT_EQ(levelSet.sourceKind, qm::kSourceLongText);
    EXPECT_EQ(levelSet.levelCount, 500);
    EXPECT_EQ(std::filesystem::file_size(levelSet.scratchPath), text.size());
    qm::deleteScratchFile();
    EXPECT_FALSE(std::filesystem::exists(levelSet.scratchPath));
    levelSet.scratchPath.clear();
    std::filesystem::remove_all(folder);
}

TEST(Sources, SampleSetOpensAsSample) {
    ASSERT_EQ(qm::openSample(), 1);
    EXPECT_EQ(levelSet.levelSetName, "Sample");
    EXPECT_EQ(levelSet.sourceKind, qm::kSourceText);
    EXPECT_GE(levelSet.levelCount, 1);
}
