#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "app/cli_run.hpp"
#include "support/test_support.hpp"

namespace {

using qmtest::CliRun;

CliRun runChecked(std::vector<std::string> args, const std::string& input = "") {
    return qmtest::runCliWith(std::move(args), input);
}

// Two levels: a corridor push, then a room where the box goes right, right and down.
constexpr const char* kTwoLevels =
    "; one\n"
    "######\n"
    "#@ $.#\n"
    "######\n"
    "\n"
    "; two\n"
    "#######\n"
    "#     #\n"
    "#@$   #\n"
    "#   . #\n"
    "#######\n";

class CliCheck : public ::testing::Test {
protected:
    void SetUp() override {
        folder = qmtest::freshFolder("cli-check");
        levels = (folder / "levels.txt").string();
        qmtest::writeFile(levels, kTwoLevels);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::string moves(const std::string& name, const std::string& text) {
        const std::string path = (folder / name).string();
        qmtest::writeFile(path, text);
        return path;
    }
    std::filesystem::path folder;
    std::string levels;
};

TEST_F(CliCheck, SolvingMovesPrintTheirCounts) {
    // White space and line breaks are skipped; letters after the solving push are not counted.
    for (const char* text : {"rR\n", "  r\r\n\tR \n\n", "rRlll"}) {
        const CliRun run = runChecked({"--check", moves("m.txt", text), levels});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, "Solved     2moves    1pushes\n");
        EXPECT_EQ(run.err, "");
    }
    const CliRun piped = runChecked({"--check", moves("m.txt", "rR"), "-"}, kTwoLevels);
    EXPECT_EQ(piped.status, 0) << piped.err;
}

TEST_F(CliCheck, MovesThatDoNotSolveFailWithStatusOne) {
    for (const char* text : {"r", "", "R", "rl", "u"}) {
        const CliRun run = runChecked({"--check", moves("m.txt", text), levels});
        EXPECT_EQ(run.status, 1) << text;
        EXPECT_EQ(run.out, "Not solved\n") << text;
    }
}

TEST_F(CliCheck, LevelOptionChoosesTheLevel) {
    const std::string second = moves("m2.txt", "RRurD");
    const CliRun run = runChecked({"--level", "2", "--check", second, levels});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Solved     5moves    3pushes\n");
    // The same moves do not solve level 1.
    EXPECT_EQ(runChecked({"--check", second, levels}).status, 1);
    EXPECT_EQ(runChecked({"--check", second, "--level", "1", levels}).status, 1);
}

TEST_F(CliCheck, BadCharacterNamesFileCharacterAndPosition) {
    const std::string path = moves("bad.txt", "rR\nlx\n");
    const CliRun run = runChecked({"--check", path, levels});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(path), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("'x'"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("line 2, column 2"), std::string::npos) << run.err;

    const CliRun control = runChecked({"--check", moves("ctl.txt", "r\x01R"), levels});
    EXPECT_EQ(control.status, 2);
    EXPECT_NE(control.err.find("0x01"), std::string::npos) << control.err;
    EXPECT_NE(control.err.find("line 1, column 2"), std::string::npos) << control.err;
}

TEST_F(CliCheck, MissingOrUnreadableMovesFileIsAnError) {
    const std::string missing = (folder / "none.txt").string();
    const CliRun run = runChecked({"--check", missing, levels});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find(missing), std::string::npos) << run.err;
    const CliRun dir = runChecked({"--check", folder.string(), levels});
    EXPECT_EQ(dir.status, 2);
    const CliRun noValue = runChecked({"--check"});
    EXPECT_EQ(noValue.status, 2);
    EXPECT_NE(noValue.err.find("--check"), std::string::npos) << noValue.err;
}

TEST_F(CliCheck, TooLargeMovesFileIsRefused) {
    const std::string path = moves("huge.txt", "rR");
    std::filesystem::resize_file(path, (uintmax_t{64} << 20) + 1);
    const CliRun run = runChecked({"--check", path, levels});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("64 MiB"), std::string::npos) << run.err;
}

TEST_F(CliCheck, LevelOutOfRangeIsAnError) {
    const std::string m = moves("m.txt", "rR");
    for (const char* n : {"3", "0", "-1", "x", "2x", "99999999999"}) {
        const CliRun run = runChecked({"--check", m, "--level", n, levels});
        EXPECT_EQ(run.status, 2) << n;
        EXPECT_EQ(run.out, "") << n;
        EXPECT_NE(run.err, "") << n;
    }
    EXPECT_EQ(runChecked({"--check", m, "--level"}).status, 2);
    // --level belongs to --check.
    EXPECT_EQ(runChecked({"--level", "1", levels}).status, 2);
}

TEST_F(CliCheck, LevelThatDidNotLoadIsNotSolved) {
    // The box stands in a corner off its goal: the level loads as impossible.
    const std::string impossible = (folder / "impossible.txt").string();
    qmtest::writeFile(impossible, "#####\n#$  #\n# @.#\n#####\n");
    const CliRun run = runChecked({"--check", moves("m.txt", "lU"), impossible});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "Not solved\n");
}

TEST_F(CliCheck, SharedSmallLevelsAreSolvedByTheirMoveStrings) {
    const std::string solutions = qmtest::dataFile("small.solutions.txt");
    const std::string source = qmtest::dataPath("small.txt").string();
    ASSERT_FALSE(solutions.empty());
    for (int32_t k = 1; k <= 8; ++k) {
        const std::string letters = qmtest::lineOf(solutions, k);
        ASSERT_FALSE(letters.empty()) << "level " << k;
        int32_t pushes = 0;
        for (char c : letters) pushes += c >= 'A' && c <= 'Z' ? 1 : 0;
        const std::string path = moves("level" + std::to_string(k) + ".txt", letters + "\n");
        const CliRun run = runChecked({"--check", path, "--level", std::to_string(k), source});
        EXPECT_EQ(run.status, 0) << "level " << k << ": " << run.err;
        char expected[64];
        std::snprintf(expected, sizeof expected, "Solved%6dmoves%5dpushes\n", static_cast<int>(letters.size()),
                      pushes);
        EXPECT_EQ(run.out, expected) << "level " << k;
        // One letter less leaves the level unsolved.
        const std::string cut = moves("cut.txt", letters.substr(0, letters.size() - 1));
        EXPECT_EQ(runChecked({"--check", cut, "--level", std::to_string(k), source}).status, 1) << "level " << k;
    }
}

TEST_F(CliCheck, RunLengthMovesAndXmlCollectionsAreRead) {
    const CliRun encoded = runChecked({"--check", moves("second.txt", "2R\nurD\n"), "--level", "2", levels});
    EXPECT_EQ(encoded.status, 0) << encoded.err;
    EXPECT_EQ(encoded.out, "Solved     5moves    3pushes\n");
    EXPECT_EQ(runChecked({"--check", moves("c.txt", "3"), levels}).status, 2);

    const std::string slc = moves("set.slc",
                                  "<?xml version=\"1.0\"?>\n<SokobanLevels><Title>Corridors</Title>\n"
                                  "<LevelCollection><Level Id=\"A\"><L>######</L><L>#@ $.#</L><L>######</L>"
                                  "</Level></LevelCollection></SokobanLevels>\n");
    const CliRun listed = runChecked({"--list", slc});
    EXPECT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(listed.out, "   1 [ 6* 3(  1)] OK\n");
    EXPECT_EQ(runChecked({"--check", moves("m.txt", "rR"), slc}).status, 0);
    const CliRun broken = runChecked({"--list", moves("bad.slc", "<?xml version=\"1.0\"?>\n<SokobanLevels>\n<Level")});
    EXPECT_EQ(broken.status, 2);
    EXPECT_NE(broken.err.find("bad.slc: line 3: malformed XML"), std::string::npos) << broken.err;
}

TEST_F(CliCheck, OptimizeFilePrintsAShorterSolutionOrRefusesOne) {
    const CliRun run = runChecked({"--optimize-file", moves("long.txt", "RRlurrD"), "--level", "2", levels});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.substr(0, run.out.find('(')), "RRurD\n5 moves 3 pushes ");
    EXPECT_NE(run.out.find("(given 7 moves 3 pushes"), std::string::npos) << run.out;
    const CliRun pushes = runChecked({"--optimize", "pushes", "--optimize-file", moves("long.txt", "RRlurrD"),
                                      "--level", "2", "--optimize-time", "1", levels});
    EXPECT_EQ(pushes.status, 0) << pushes.err;
    const CliRun wrong = runChecked({"--optimize-file", moves("short.txt", "RR"), "--level", "2", levels});
    EXPECT_EQ(wrong.status, 1);
    EXPECT_EQ(wrong.out, "Not solved\n");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--optimize", "boxes", levels}, {"--optimize-time", "0", levels},
          {"--optimize-file", moves("m.txt", "rR"), "--check", moves("m.txt", "rR"), levels}}) {
        EXPECT_EQ(runChecked(args).status, 2) << args[0];
    }
}

}  // namespace
