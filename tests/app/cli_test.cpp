#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "app/cli_run.hpp"
#include "support/test_support.hpp"

namespace {

using qmtest::CliRun;

CliRun runCli(std::vector<std::string> args, const std::string& input = "") {
    return qmtest::runCliWith(std::move(args), input);
}

int lineCount(const std::string& s) {
    int n = 0;
    for (char c : s) n += c == '\n';
    return n;
}

}  // namespace

TEST(Cli, ListsTheSampleSetAndPrintsTitleAndHelp) {
    const CliRun list = runCli({"--list"});
    EXPECT_EQ(list.status, 0);
    EXPECT_EQ(list.out.rfind("   1 [", 0), 0u) << list.out;
    EXPECT_NE(list.out.find("] OK\n"), std::string::npos);
    const CliRun version = runCli({"--version"});
    EXPECT_EQ(version.out, "Quillmate Ver7.3.1 by nuvelka (Oct/2021)\n");
    EXPECT_NE(runCli({"--help"}).out.find("usage:"), std::string::npos);
}

TEST(Cli, ListShowsEveryVerdictWord) {
    const std::string text =
        "#####\n#@$.#\n#####\n\n"                 // OK
        "#####\n#$  #\n# @.#\n#####\n\n"          // Impossible
        "#####\n #@$. \n#####\n\n"                // Irregular
        "######\n#@$$.#\n######\n";               // boxes and goals differ: Irregular
    const CliRun run = runCli({"--list", "-"}, text);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "   1 [ 5* 3(  1)] OK\n"
              "   2 [ 5* 4(  1)] Impossible\n"
              "   3 [ 5* 3(  1)] Irregular\n"
              "   4 [ 6* 3(  2)] Irregular\n");
}

TEST(Cli, BadInputIsExitTwoWithOneLineNamingTheSource) {
    const CliRun unknown = runCli({"--frobnicate"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("--frobnicate"), std::string::npos);
    const CliRun missing = runCli({"--list", "/nonexistent/levels.txt"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("/nonexistent/levels.txt"), std::string::npos);
    EXPECT_EQ(lineCount(missing.err), 1);
    const CliRun noLevel = runCli({"--list", "-"}, "just words\n");
    EXPECT_EQ(noLevel.status, 2);
    EXPECT_NE(noLevel.err.find("Load Error!!"), std::string::npos);
}

TEST(Cli, HugeAndHostileSourcesNeverCrash) {
    const auto folder = qmtest::freshFolder("hostile");
    // 50 MB of text with one line of a million characters and NUL bytes, then a level.
    std::string text(1000000, '#');
    text += "\n";
    text += std::string("\0\0#\0\n", 5);
    const std::string filler = "; a comment line that is not a level at all .........\n";
    while (text.size() < 50u * 1024 * 1024) text += filler;
    text += "#####\n#@$.#\n#####\n";
    const std::string big = (folder / "big.txt").string();
    qmtest::writeFile(big, text);
    const CliRun run = runCli({"--list", big});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "   1 [ 5* 3(  1)] OK\n");

    // A 60 x 60 level is listed as too large.
    std::string huge;
    for (int y = 0; y < 60; ++y) {
        std::string row(60, ' ');
        row[0] = row[59] = '#';
        if (y == 0 || y == 59) row = std::string(60, '#');
        if (y == 1) row.replace(1, 3, "@$.");
        huge += row + "\n";
    }
    const CliRun sized = runCli({"--list", "-"}, huge);
    EXPECT_EQ(sized.out, "   1 [60*60(  1)] Size Over\n");

    // A folder of other files only.
    qmtest::writeFile(folder / "sub" / "notes.txt", "hello");
    qmtest::writeFile(folder / "sub" / "a1.bin", std::string("\x01\x02\x03", 3));
    const CliRun other = runCli({"--list", (folder / "sub").string()});
    EXPECT_EQ(other.status, 2);
    std::filesystem::remove_all(folder);
}
