#include "support/test_support.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

#include "board/board.hpp"
#include "levels/parser.hpp"

namespace qmtest {

namespace {

// Every test program keeps its settings folder in a private temporary folder, never in the
// user's configuration folder.
class PrivateSettingsFolder : public ::testing::Environment {
public:
    void SetUp() override {
        folder_ = freshFolder("config");
        setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

private:
    std::filesystem::path folder_;
};

[[maybe_unused]] ::testing::Environment* const privateSettings =
    ::testing::AddGlobalTestEnvironment(new PrivateSettingsFolder);

}  // namespace

int32_t loadPicture(const std::string& rows) {
    const int32_t verdict = qm::parseLevel(rows.c_str(), 1);
    qm::level.levelVerdict = verdict;
    return verdict;
}

int32_t square(int32_t x, int32_t y) { return y * qm::level.boardWidth + x; }

std::filesystem::path freshFolder(const std::string& tag) {
    std::random_device rd;
    std::filesystem::path p = std::filesystem::temp_directory_path() /
                              ("qmtest-" + tag + "-" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::remove_all(p);
    std::filesystem::create_directories(p);
    return p;
}

void writeFile(const std::filesystem::path& path, const std::string& text) {
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out << text;
}

std::filesystem::path dataPath(const std::string& name) {
    return std::filesystem::path(QM_TEST_DATA) / name;
}

std::string dataFile(const std::string& name) {
    std::ifstream in(dataPath(name), std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::string slowLevel() {
    const std::string wall(31, '#');
    const std::string floor = "#" + std::string(29, ' ') + "#\n";
    const std::string boxes = "# $ $ $ $ $ $ $ $ $ $         #\n";
    std::string text = wall + "\n#@" + std::string(28, ' ') + "#\n";
    text += boxes + floor + boxes + floor + floor;
    text += "#" + std::string(20, '.') + std::string(9, ' ') + "######\n";
    text += "#" + std::string(29, ' ') + "$ .$.#\n";
    return text + std::string(36, '#') + "\n";
}

std::string lineOf(const std::string& text, int32_t k) {
    std::istringstream in(text);
    std::string line;
    for (int32_t i = 1; std::getline(in, line); ++i) {
        if (i == k) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            return line;
        }
    }
    return {};
}

}  // namespace qmtest
