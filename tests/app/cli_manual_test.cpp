// The manual page and --help must not drift apart; the icon the install draws has its size.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "app/cli_run.hpp"

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The page's text with roff's escaped minus signs ("\-") read as plain hyphens.
std::string manualText(const std::string& path) {
    std::string text = readFile(path), plain;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '-') continue;
        plain += text[i];
    }
    return plain;
}

bool isWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-'; }

// Every "-x" or "--word-word" that starts a word and is followed by a lowercase letter.
std::set<std::string> optionsIn(const std::string& text) {
    std::set<std::string> options;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '-' || (i > 0 && isWordChar(text[i - 1]))) continue;
        size_t end = i + 1;
        if (end < text.size() && text[end] == '-') ++end;
        if (end >= text.size() || !std::islower(static_cast<unsigned char>(text[end]))) continue;
        while (end < text.size() && (std::islower(static_cast<unsigned char>(text[end])) || text[end] == '-')) ++end;
        options.insert(text.substr(i, end - i));
        i = end;
    }
    return options;
}

uint32_t bigEndianAt(const std::string& bytes, size_t at) {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i) v = v << 8 | static_cast<uint8_t>(bytes[at + i]);
    return v;
}

}  // namespace

TEST(CliManual, EveryHelpOptionIsInTheManualPage) {
    const qmtest::CliRun help = qmtest::runCliWith({"--help"});
    ASSERT_EQ(help.status, 0);
    const std::set<std::string> options = optionsIn(help.out);
    ASSERT_GE(options.size(), 14u) << help.out;  // the parse found the options at all
    const std::string page = manualText(std::string(QM_PACKAGING_DIR) + "/quillmate-cli.1");
    ASSERT_FALSE(page.empty());
    const std::set<std::string> documented = optionsIn(page);
    for (const std::string& o : options) {
        EXPECT_TRUE(documented.count(o)) << o << " is missing from the manual page";
    }
    for (const std::string& o : documented) {
        if (o.size() > 2) {
            EXPECT_TRUE(options.count(o)) << o << " is in the manual page but not in --help";
        }
    }
}

TEST(CliManual, IconIsASquarePngOfTheAskedSizeAndBadSizesAreRefused) {
    const std::string path = (std::filesystem::temp_directory_path() / "qm_icon_test.png").string();
    ASSERT_EQ(qmtest::runCliWith({"--render-icon", "64", path}).status, 0);
    const std::string png = readFile(path);
    std::filesystem::remove(path);
    ASSERT_GT(png.size(), 33u);
    EXPECT_EQ(png.substr(1, 3), "PNG");
    EXPECT_EQ(png.substr(12, 4), "IHDR");
    EXPECT_EQ(bigEndianAt(png, 16), 64u);
    EXPECT_EQ(bigEndianAt(png, 20), 64u);
    EXPECT_EQ(qmtest::runCliWith({"--render-icon", "15", path}).status, 2);
    EXPECT_EQ(qmtest::runCliWith({"--render-icon", "1025", path}).status, 2);
    EXPECT_EQ(qmtest::runCliWith({"--render-icon", "64"}).status, 2);  // no file name
    EXPECT_FALSE(std::filesystem::exists(path));
}
