#include <gtest/gtest.h>

#include <string>

#include "board/solution.hpp"

#include "ui/main_window.hpp"
#include "ui/settings.hpp"
#include "ui/text_box.hpp"
#include "ui/worker.hpp"
#include "ui_fixture.hpp"

using namespace qm;

namespace qmtest {
namespace {

std::string format(const std::string& letters, bool overflow = false) {
    return formatSolution(letters.data(), letters.size(), overflow);
}

TEST(SolutionFormat, LinesOfFiftyLettersWithoutAnEmptyLastLine) {
    const std::string a(50, 'r'), b(50, 'L');
    EXPECT_EQ(format(a + b), a + "\r\n" + b + "\r\n");
    EXPECT_EQ(format(a + b + "u"), a + "\r\n" + b + "\r\nu\r\n");
    EXPECT_EQ(format(a), a + "\r\n");
    EXPECT_EQ(format(""), "\r\n");
    EXPECT_EQ(format("RurD", true), "RurD\r\n[TraceOver]\r\n");
}

class TextBox : public UiTest {
protected:
    // Runs the text box through the Text button; inside it, user() acts on the controls.
    template <typename F>
    void pasteBox(F user) {
        fake.onDialog = [&](int32_t dialog) {
            if (dialog == kTextBoxDialog) user();
        };
        onCommand(kCtlText);
        fake.onDialog = nullptr;
    }
};

// The result shows and copies the level as a solutions file holds it: title, board, solution.
TEST_F(TextBox, ResultModeShowsAndCopiesTheLevelWithItsSolution) {
    const std::string rows = room(6, 4, 1, 1, 2, 2, 4, 2);
    loadSet("Corner room\n" + rows + "Author: Someone\n");
    EXPECT_EQ(fake.text(kCtlSetLine), "TextBox   Corner room");
    setSolution("dRR");
    fake.onDialog = [this](int32_t) { onDialogCommand(kBoxAction); };
    textBox(kResultMode);
    EXPECT_EQ(fake.text(kTextBoxDialog + kCaption), "Result");
    EXPECT_EQ(fake.text(kBoxPrompt), "Solved     3moves    2pushes");
    EXPECT_EQ(fake.text(kBoxAction), "Copy");
    std::string board;
    for (char c : rows) board += c == '\n' ? std::string("\r\n") : std::string(1, c);
    const std::string shown =
        "Corner room\r\n" + board + "Author: Someone\r\nSolution\r\ndRR\r\n; 3 moves, 2 pushes\r\n";
    EXPECT_EQ(fake.text(kBoxEdit), shown);
    EXPECT_EQ(fake.clipboard, shown);
}

// With the optimizer chosen, a found solution is made shorter before it is shown, and the
// result box says what it was.
TEST_F(TextBox, TheResultShowsTheSolutionBeforeAndAfterTheOptimizer) {
    loadSet(room(7, 5, 1, 2, 2, 2, 4, 3));
    setSolution("RRlurrD");
    settings.optimize = kOptimizeMoves;
    optimizeWindowSolution();
    settings.optimize = kOptimizeOff;
    EXPECT_EQ(std::string(solution.solutionText), "RRurD");
    textBox(kResultMode);
    EXPECT_EQ(fake.text(kBoxPrompt), "Solved     5moves    3pushes");
    const std::string shown = fake.text(kBoxEdit);
    EXPECT_NE(shown.find("Solution\r\nRRurD\r\n; 5 moves, 3 pushes\r\n; optimized from 7 moves, 3 pushes\r\n"),
              std::string::npos)
        << shown;
    worker.optimizedFromMoves = 0;
}

TEST_F(TextBox, APasteLongerThanTheLevelBufferLoadsAllOfIt) {
    std::string text = room(5, 4, 1, 1, 2, 2, 3, 2) + "\n";
    while (text.size() < 13000) text += "; a long note between the levels\n";
    text += '\n';
    text += room(7, 5, 1, 1, 3, 2, 5, 3);
    ASSERT_GT(text.size(), kShortTextBytes);
    fake.clipboard = text;
    pasteBox([this] {
        EXPECT_EQ(fake.text(kTextBoxDialog + kCaption), "TextBox");
        EXPECT_EQ(fake.text(kBoxPrompt), "Paste the levels in text format.");
        onDialogCommand(kBoxAction);
        EXPECT_EQ(fake.text(kBoxEdit), fake.clipboard);
        onDialogCommand(kBoxOk);
    });
    EXPECT_EQ(fake.dialogsEnded, std::vector<int32_t>{kTextBoxDialog});
    ASSERT_EQ(levelSet.levelCount, 2);
    EXPECT_EQ(fake.text(kCtlSetLine), "TextBox (2 levles)");
    onCommand(kCtlNext);
    EXPECT_EQ(levelSet.currentLevel, 2);
    EXPECT_EQ(level.boardWidth, 7);
}

TEST_F(TextBox, AnEmptyPasteKeepsTheOpenSet) {
    loadSet(room(5, 4, 1, 1, 2, 2, 3, 2) + "\n" + room(6, 4, 1, 1, 2, 2, 4, 2));
    fake.clipboard = "";
    pasteBox([this] {
        fake.setText(kBoxEdit, "something");
        onDialogCommand(kBoxAction);  // no clipboard text empties the edit
        EXPECT_EQ(fake.text(kBoxEdit), "");
        onDialogCommand(kBoxOk);
    });
    EXPECT_EQ(levelSet.levelCount, 2);
    onCommand(kCtlNext);
    EXPECT_EQ(levelSet.currentLevel, 2);
}

}  // namespace
}  // namespace qmtest
