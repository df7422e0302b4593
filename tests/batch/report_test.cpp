#include <gtest/gtest.h>

#include <string>

#include "batch/report.hpp"

TEST(Report, HeaderAndFooterLines) {
    const qm::ReportTime t{2026, 3, 4, 5, 6};
    EXPECT_EQ(qm::reportHeader("Sample", 6, 600, t),
              "# Quillmate Ver7.3.1 by nuvelka (Oct/2021)\n"
              "# LevelSetName: Sample (6 levels)\n"
              "# MaxSize [50*50(64)] Memory 3.5GB TimeLimit 600sec\n"
              " No.  W  H   B    Time        [2026/03/04 05:06 Start]\n" +
                  std::string(54, '-') + "\n");
    EXPECT_EQ(qm::reportFooter(3, 2, 0, t), std::string(54, '-') +
                                                "\n# Solved:   3 levels         [2026/03/04 05:06 Finish]\n"
                                                "# Failed:   2 levels\n");
    EXPECT_NE(qm::reportFooter(3, 2, 1, t).find("# Skiped:   1 levels\n"), std::string::npos);
}

TEST(Report, LevelLinesBySuffix) {
    EXPECT_EQ(qm::reportLevelLine(1, 10, 8, 3, 12, 8, 120, 30, false), "   1[10* 8(  3)]  12sec   120moves   30pushes\n");
    EXPECT_EQ(qm::reportLevelLine(1, 10, 8, 3, 12, 8, 120, 30, true), "   1[10* 8(  3)]  12sec   120moves   30pushes TraceOut\n");
    EXPECT_EQ(qm::reportLevelLine(7, 51, 8, 3, 0, 4, 0, 0, false), "   7[51* 8(  3)]   0sec Failed SizeOver\n");
    EXPECT_EQ(qm::reportLevelLine(2, 9, 9, 70, 0, 5, 0, 0, false), "   2[ 9* 9( 70)]   0sec Failed BoxesOver\n");
    EXPECT_EQ(qm::reportLevelLine(2, 9, 9, 1, 0, 6, 0, 0, false), "   2[ 9* 9(  1)]   0sec Skiped Strange\n");
    EXPECT_EQ(qm::reportLevelLine(2, 9, 9, 1, 0, 7, 0, 0, false), "   2[ 9* 9(  1)]   0sec Skiped Impossible\n");
    EXPECT_EQ(qm::reportLevelLine(2, 9, 9, 1, 5, 9, 0, 0, false), "   2[ 9* 9(  1)]   5sec Failed\n");
    EXPECT_EQ(qm::reportLevelLine(2, 9, 9, 1, 5, 10, 0, 0, false), "   2[ 9* 9(  1)]   5sec Failed\n");
    EXPECT_EQ(qm::reportLevelLine(2, 9, 9, 1, 5, 11, 0, 0, false), "   2[ 9* 9(  1)]   5sec Failed TraceMiss\n");
    EXPECT_EQ(qm::reportLevelLine(2, 9, 9, 1, 5, 12, 0, 0, false), "   2[ 9* 9(  1)]   5sec Failed Skip\n");
    EXPECT_EQ(qm::reportLevelLine(2, 9, 9, 1, 5, 13, 0, 0, false), "   2[ 9* 9(  1)]   5sec Failed ?\n");
    EXPECT_EQ(qm::reportLevelLine(2, 9, 9, 1, 5, 3, 0, 0, false), "->Cancel\n");
}

TEST(Report, TraceLinesOfAHundredLetters) {
    const std::string letters250(250, 'r');
    const std::string lines = qm::reportTraceLines(letters250.c_str());
    EXPECT_EQ(lines, "\t\t" + std::string(100, 'r') + "\n\t\t" + std::string(100, 'r') + "\n\t\t" +
                         std::string(50, 'r') + "\n");
    const std::string letters200(200, 'U');
    EXPECT_EQ(qm::reportTraceLines(letters200.c_str()),
              "\t\t" + std::string(100, 'U') + "\n\t\t" + std::string(100, 'U') + "\n");
}
