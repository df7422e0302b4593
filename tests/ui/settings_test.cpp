#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/test_support.hpp"
#include "ui/ini_file.hpp"
#include "ui/settings.hpp"

namespace {

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = qmtest::freshFolder("settings");
        const char* previous = std::getenv("XDG_CONFIG_HOME");
        previous_ = previous != nullptr ? previous : "";
        setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
        qm::locateSettings();
    }
    void TearDown() override {
        setenv("XDG_CONFIG_HOME", previous_.c_str(), 1);
        std::filesystem::remove_all(folder_);
    }
    std::string iniText() const {
        std::ifstream in(qm::settings.iniPath);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    std::filesystem::path folder_;
    std::string previous_;
};

}  // namespace

TEST_F(SettingsFile, FreshInstallationStartsWithTheDefaults) {
    EXPECT_TRUE(std::filesystem::is_directory(folder_ / "nuvelka"));
    EXPECT_EQ(qm::settings.iniPath, (folder_ / "nuvelka" / "nuvelka.ini").string());
    EXPECT_EQ(qm::settings.scratchPath, (folder_ / "nuvelka" / "nuvelka.txt").string());
    qm::readSettings();
    EXPECT_EQ(qm::settings.timeLimit, 600);
    EXPECT_EQ(qm::settings.traceSpeed, 3);
    EXPECT_EQ(qm::settings.playAfter, 1);
    EXPECT_EQ(qm::settings.outputEnabled, 0);
    EXPECT_EQ(qm::settings.writeTrace, 0);
    EXPECT_EQ(qm::settings.outputPath, "");
}

TEST_F(SettingsFile, RoundTripKeepsOtherSectionsAndKeys) {
    qmtest::writeFile(qm::settings.iniPath,
                      "; comment kept\r\n[OTHER]\r\nColour=blue\r\n\r\n[OPTION]\r\nExtra=7\r\nuTime=30\r\n");
    qm::readSettings();
    EXPECT_EQ(qm::settings.timeLimit, 30);
    qm::settings.timeLimit = 45;
    qm::settings.traceSpeed = 1;
    qm::settings.playAfter = 0;
    qm::settings.outputPath = "/home/user/reports/run.txt";
    ASSERT_TRUE(qm::writeOptionSettings());
    const std::string text = iniText();
    EXPECT_NE(text.find("; comment kept"), std::string::npos);
    EXPECT_NE(text.find("Colour=blue"), std::string::npos);
    EXPECT_NE(text.find("Extra=7"), std::string::npos);
    EXPECT_NE(text.find("OutputFile=/home/user/reports/*"), std::string::npos);
    qm::readSettings();
    EXPECT_EQ(qm::settings.timeLimit, 45);
    EXPECT_EQ(qm::settings.traceSpeed, 1);
    EXPECT_EQ(qm::settings.playAfter, 0);
    EXPECT_TRUE(qm::isStoredPattern(qm::settings.outputPath));
}

TEST_F(SettingsFile, DamagedValuesFallBackToDefaults) {
    qmtest::writeFile(qm::settings.iniPath,
                      std::string("[OPTION]\nuTime=abc\nSpeed=9\n[BATCH]\nPlayAfter=-3\nOutput=1\n\0\0garbage", 60) +
                          "\n[FILE]\nInputFile=" + std::string(400, 'x') + "\n");
    qm::readSettings();
    EXPECT_EQ(qm::settings.timeLimit, 600);
    EXPECT_EQ(qm::settings.traceSpeed, 3);
    EXPECT_EQ(qm::settings.playAfter, 1);
    EXPECT_EQ(qm::settings.outputEnabled, 1);
    EXPECT_EQ(qm::settings.inputFile, "");
    qmtest::writeFile(qm::settings.iniPath, "[OPTION]\nuTime=0\n");
    qm::readSettings();
    EXPECT_EQ(qm::settings.timeLimit, 600);
}

TEST_F(SettingsFile, StoredFormsOfChosenPaths) {
    EXPECT_EQ(qm::storedFilePattern("/data/levels/set.txt"), "/data/levels/*");
    EXPECT_EQ(qm::storedParentFolder("/data/levels/set1"), "/data/levels/");
    EXPECT_EQ(qm::storedFilePattern("plain.txt"), "");
    qm::rememberInputFile("/data/levels/set.txt");
    qm::rememberInputFolder("/data/levels/set1");
    qm::rememberInputFolder("nofolder");
    qm::readSettings();
    EXPECT_EQ(qm::settings.inputFile, "/data/levels/*");
    EXPECT_EQ(qm::settings.inputFolder, "/data/levels/");
}

TEST(IniFile, KeysAreFoundWithoutRegardToCaseAndAddedAtTheirSection) {
    qm::IniFile ini;
    ini.set("A", "x", "1");
    ini.set("B", "y", "2");
    ini.set("a", "Z", "3");
    EXPECT_EQ(ini.get("A", "X", "?"), "1");
    EXPECT_EQ(ini.get("A", "z", "?"), "3");
    EXPECT_EQ(ini.getInt("B", "y", 0), 2);
    EXPECT_EQ(ini.getInt("B", "missing", 5), 5);
    ASSERT_EQ(ini.lines().size(), 5u);
    EXPECT_EQ(ini.lines()[2], "Z=3");  // inside section A, before [B]
}
