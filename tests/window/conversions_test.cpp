// Texts and paths between the window logic and FLTK's widgets and choosers.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/fltk/conversions.hpp"
#include "support/test_support.hpp"

namespace {

TEST(Conversions, CarriageReturnsBecomeLineBreaks) {
    EXPECT_EQ(qm::withoutCarriageReturns("Solved\r\nline\rnext\n"), "Solved\nline\nnext\n");
    EXPECT_EQ(qm::withoutCarriageReturns("  Batch is finished.\r\n\r\n"), "  Batch is finished.\n\n");
    EXPECT_EQ(qm::withoutCarriageReturns("end\r"), "end\n");
    EXPECT_EQ(qm::withoutCarriageReturns(""), "");
}

TEST(Conversions, FoldersLoseTheirTrailingSlashButTheRootStays) {
    EXPECT_EQ(qm::withoutTrailingSlash("/home/user/levels/"), "/home/user/levels");
    EXPECT_EQ(qm::withoutTrailingSlash("/home/user/levels//"), "/home/user/levels");
    EXPECT_EQ(qm::withoutTrailingSlash("/home/user/levels"), "/home/user/levels");
    EXPECT_EQ(qm::withoutTrailingSlash("/"), "/");
    EXPECT_EQ(qm::withoutTrailingSlash(""), "");
}

TEST(Conversions, ChooserStartsInTheFolderOfPatternFileOrFolder) {
    const std::filesystem::path folder = qmtest::freshFolder("chooser");
    const std::string base = folder.string();
    qmtest::writeFile(folder / "report.txt", "x");
    // A stored pattern, a file (existing or not), the folder itself with or without "/".
    EXPECT_EQ(qm::chooserFolder(base + "/*"), base);
    EXPECT_EQ(qm::chooserFolder(base + "/report.txt"), base);
    EXPECT_EQ(qm::chooserFolder(base + "/new.txt"), base);
    EXPECT_EQ(qm::chooserFolder(base), base);
    EXPECT_EQ(qm::chooserFolder(base + "/"), base);
    EXPECT_EQ(qm::chooserFolder("/report.txt"), "/");
    EXPECT_EQ(qm::chooserFolder("report.txt"), "");
    EXPECT_EQ(qm::chooserFolder(""), "");

    EXPECT_EQ(qm::chooserFileName(base + "/report.txt"), "report.txt");
    EXPECT_EQ(qm::chooserFileName(base + "/*"), "");
    EXPECT_EQ(qm::chooserFileName(base), "");
    EXPECT_EQ(qm::chooserFileName("report"), "report");
    EXPECT_EQ(qm::chooserFileName(""), "");
    std::filesystem::remove_all(folder);
}

}  // namespace
