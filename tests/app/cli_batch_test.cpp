#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <iterator>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "support/test_support.hpp"

namespace {

std::string readFile(const std::filesystem::path& p) {
    std::ifstream in(p);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// Starts quillmate-cli with args, its standard output and error in files; returns its pid.
pid_t startCli(const std::vector<std::string>& args, const std::filesystem::path& out,
               const std::filesystem::path& err) {
    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(QM_CLI_PATH));
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        if (!freopen(out.c_str(), "w", stdout) || !freopen(err.c_str(), "w", stderr)) _exit(99);
        execv(QM_CLI_PATH, argv.data());
        _exit(98);
    }
    return pid;
}

int waitExit(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    return 1000 + WTERMSIG(status);
}

class CliBatch : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = qmtest::freshFolder("clibatch");
        qmtest::writeFile(folder_ / "set.txt", "#######\n#@ $ .#\n#######\n\n" + qmtest::slowLevel() +
                                                   "\n#######\n#@ $ .#\n#######\n");
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }
    std::filesystem::path folder_;
};

}  // namespace

TEST_F(CliBatch, SolvesARangeIntoAReportFile) {
    const auto report = folder_ / "report.txt";
    const pid_t pid = startCli({"--time-limit", "1", "--from", "3", "--to", "3", "--trace", "--solver", "2",
                                "--report", report.string(), (folder_ / "set.txt").string()},
                               folder_ / "out.txt", folder_ / "err.txt");
    EXPECT_EQ(waitExit(pid), 0) << readFile(folder_ / "err.txt");
    const std::string text = readFile(report);
    EXPECT_EQ(qmtest::lineOf(text, 2), "# LevelSetName: set (3 levels)");
    EXPECT_EQ(qmtest::lineOf(text, 3), "# MaxSize [50*50(64)] Memory 3.5GB TimeLimit 1sec");
    EXPECT_EQ(qmtest::lineOf(text, 6), "   3[ 7* 3(  1)]   0sec     3moves    2pushes");
    EXPECT_EQ(qmtest::lineOf(text, 7), "\t\trRR");
    EXPECT_NE(text.find("# Solved:   1 levels"), std::string::npos);
    // Progress went to standard error, one line per finished level when it is not a terminal.
    EXPECT_NE(readFile(folder_ / "err.txt").find("solved"), std::string::npos);
    EXPECT_EQ(readFile(folder_ / "out.txt"), "");
}

TEST_F(CliBatch, ControlCCancelsWritesTheFooterAndExits130) {
    const auto report = folder_ / "report.txt";
    const pid_t pid = startCli({"--time-limit", "60", "--report", report.string(), (folder_ / "set.txt").string()},
                               folder_ / "out.txt", folder_ / "err.txt");
    // Wait until the slow level is being solved: the first level's line is in the report.
    for (int i = 0; i < 100 && readFile(report).find("   1[") == std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    kill(pid, SIGINT);
    EXPECT_EQ(waitExit(pid), 130);
    const std::string text = readFile(report);
    EXPECT_NE(text.find("\n->Cancel\n---"), std::string::npos) << text;
    EXPECT_NE(text.find("# Solved:   1 levels"), std::string::npos);
    EXPECT_EQ(text.find("   3["), std::string::npos);
}

TEST_F(CliBatch, ReportStaysReadableWhenKilled) {
    const auto report = folder_ / "report.txt";
    const pid_t pid = startCli({"--time-limit", "60", "--report", report.string(), (folder_ / "set.txt").string()},
                               folder_ / "out.txt", folder_ / "err.txt");
    for (int i = 0; i < 100 && readFile(report).find("   1[") == std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(pid, SIGKILL);
    waitExit(pid);
    const std::string text = readFile(report);
    EXPECT_EQ(qmtest::lineOf(text, 1), "# Quillmate Ver7.3.1 by nuvelka (Oct/2021)");
    EXPECT_NE(text.find("   1[ 7* 3(  1)]"), std::string::npos);
}

TEST_F(CliBatch, BadUsageIsExitTwo) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--time-limit", "0"}, {"--solver", "4"}, {"--from", "4", "--to", "2"},
          {"--from", "9", (folder_ / "set.txt").string()}, {"--report"}}) {
        const pid_t pid = startCli(args, folder_ / "out.txt", folder_ / "err.txt");
        EXPECT_EQ(waitExit(pid), 2) << args[0];
        EXPECT_FALSE(readFile(folder_ / "err.txt").empty());
    }
}

TEST_F(CliBatch, StatsGiveOneLinePerLevelAndThreadBesideAnUnchangedReport) {
    const auto report = folder_ / "report.txt";
    const auto stats = folder_ / "stats.tsv";
    const pid_t pid = startCli({"--time-limit", "1", "--to", "3", "--report", report.string(), "--stats",
                                stats.string(), (folder_ / "set.txt").string()},
                               folder_ / "out.txt", folder_ / "err.txt");
    EXPECT_EQ(waitExit(pid), 0) << readFile(folder_ / "err.txt");
    const std::string text = readFile(stats);
    EXPECT_EQ(qmtest::lineOf(text, 1),
              "level\tthread\tresult\tseconds\tphase\tentry\tsegment\tcompanion\tfinal\tbidirectional\t"
              "area\tfeature\tfull\tcommitted\trolled_back\tend\toptimizer");
    std::vector<std::vector<std::string>> rows;
    for (int i = 2; !qmtest::lineOf(text, i).empty(); ++i) {
        std::vector<std::string> cells;
        std::stringstream line(qmtest::lineOf(text, i));
        for (std::string cell; std::getline(line, cell, '\t');) cells.push_back(cell);
        EXPECT_EQ(cells.size(), 17u) << qmtest::lineOf(text, i);
        EXPECT_EQ(cells.back(), "0");
        rows.push_back(cells);
    }
    ASSERT_EQ(rows.size(), 6u) << text;
    // Level 1 is one push: one thread solves it, the other is stopped or solves it too.
    EXPECT_EQ(rows[0][0], "1");
    EXPECT_EQ(rows[0][1], "1");
    EXPECT_EQ(rows[1][1], "2");
    EXPECT_TRUE(rows[0][15] == "solved" || rows[1][15] == "solved") << text;
    // Level 2 cannot be solved in a second: each thread ends at the deadline.
    EXPECT_EQ(rows[2][0], "2");
    EXPECT_EQ(rows[2][15], "deadline") << text;
    EXPECT_EQ(rows[3][15], "deadline") << text;
    EXPECT_EQ(rows[2][4].rfind("main ", 0), 0u) << text;
    EXPECT_NE(rows[3][9], "0") << "thread 2's bidirectional nodes";
    EXPECT_NE(readFile(report).find("# Solved:   2 levels"), std::string::npos);

    // A statistics file that cannot be written is refused before any level is solved.
    const auto report2 = folder_ / "report2.txt";
    const pid_t refused = startCli({"--time-limit", "1", "--report", report2.string(), "--stats",
                                    (folder_ / "no-such-folder" / "s.tsv").string(),
                                    (folder_ / "set.txt").string()},
                                   folder_ / "out.txt", folder_ / "err.txt");
    EXPECT_EQ(waitExit(refused), 2);
    const std::string err = readFile(folder_ / "err.txt");
    EXPECT_NE(err.find("s.tsv: cannot write"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1);
    EXPECT_FALSE(std::filesystem::exists(report2));
}

// The solutions file holds every level of the batch, loads again as a level set, and --check
// replays the solutions in it, plain or run-length encoded.
TEST_F(CliBatch, SolutionsFileLoadsAgainAndItsSolutionsReplay) {
    const std::string set = (folder_ / "set.txt").string();
    const auto solutions = folder_ / "solutions.txt";
    const pid_t pid = startCli({"--time-limit", "1", "--report", (folder_ / "report.txt").string(), "--solutions",
                                solutions.string(), set},
                               folder_ / "out.txt", folder_ / "err.txt");
    ASSERT_EQ(waitExit(pid), 0) << readFile(folder_ / "err.txt");
    const std::string text = readFile(solutions);
    EXPECT_EQ(text.substr(0, text.find("Level 2")),
              "Level 1\n#######\n#@ $ .#\n#######\nSolution\nrRR\n; 3 moves, 2 pushes\n\n");
    EXPECT_NE(text.find("Level 2\n"), std::string::npos);
    EXPECT_EQ(text.find("Solution", text.find("Level 2")), text.find("Solution", text.find("Level 3")));
    auto run = [&](const std::vector<std::string>& args) {
        const int status = waitExit(startCli(args, folder_ / "out.txt", folder_ / "err.txt"));
        return std::make_pair(status, readFile(folder_ / "out.txt"));
    };
    const auto listed = run({"--list", solutions.string()});
    EXPECT_EQ(listed.first, 0);
    EXPECT_EQ(std::count(listed.second.begin(), listed.second.end(), '\n'), 3) << listed.second;
    for (const char* n : {"1", "3"}) {
        EXPECT_EQ(run({"--check", solutions.string(), "--level", n, set}),
                  std::make_pair(0, std::string("Solved     3moves    2pushes\n")));
        EXPECT_EQ(run({"--check", solutions.string(), "--level", n, solutions.string()}).first, 0);
    }
    EXPECT_EQ(run({"--check", solutions.string(), "--level", "2", set}), std::make_pair(1, std::string("Not solved\n")));
    EXPECT_NE(readFile(folder_ / "err.txt").find("no solution of level 2's board"), std::string::npos);

    const pid_t encoded = startCli({"--time-limit", "1", "--from", "3", "--report", (folder_ / "report.txt").string(),
                                    "--solutions", solutions.string(), "--solutions-rle", set},
                                   folder_ / "out.txt", folder_ / "err.txt");
    ASSERT_EQ(waitExit(encoded), 0);
    EXPECT_EQ(readFile(solutions), "Level 3\n#######\n#@ $ .#\n#######\nSolution\nr2R\n; 3 moves, 2 pushes\n\n");
    EXPECT_EQ(run({"--check", solutions.string(), "--level", "3", set}).first, 0);

    // Refused before any level is solved: an unwritable file, or the encoding alone.
    EXPECT_EQ(run({"--solutions", (folder_ / "no-such-folder" / "s.txt").string(), set}).first, 2);
    EXPECT_NE(readFile(folder_ / "err.txt").find("s.txt: cannot write"), std::string::npos);
    EXPECT_EQ(run({"--solutions-rle", set}).first, 2);
}

// With --optimize the report and the trace carry the optimized solution, and progress says so.
TEST_F(CliBatch, OptimizedSolutionsGoIntoTheReport) {
    const auto report = folder_ / "report.txt";
    const auto stats = folder_ / "stats.tsv";
    const pid_t pid = startCli({"--time-limit", "1", "--to", "1", "--trace", "--optimize", "moves", "--optimize-time",
                                "1", "--report", report.string(), "--stats", stats.string(),
                                (folder_ / "set.txt").string()},
                               folder_ / "out.txt", folder_ / "err.txt");
    ASSERT_EQ(waitExit(pid), 0) << readFile(folder_ / "err.txt");
    const std::string text = readFile(report);
    EXPECT_EQ(qmtest::lineOf(text, 6), "   1[ 7* 3(  1)]   0sec     3moves    2pushes") << text;
    EXPECT_EQ(qmtest::lineOf(text, 7), "\t\trRR");
    EXPECT_NE(readFile(folder_ / "err.txt").find("optimized: 3 moves 2 pushes (from 3 moves 2 pushes)"),
              std::string::npos);
    // Every space was searched once without finding better: one round each.
    const std::string line = qmtest::lineOf(readFile(stats), 2);
    EXPECT_EQ(line.substr(line.rfind('\t') + 1), "7") << line;
}

namespace {

// A report without its times: the seconds of each level line and the start and finish stamps.
std::string withoutTimes(const std::string& report) {
    std::string out;
    std::stringstream lines(report);
    for (std::string line; std::getline(lines, line);) {
        const size_t sec = line.find("sec");
        if (line.find(']') != std::string::npos && sec != std::string::npos && line[0] != '#') {
            size_t from = sec;
            while (from > 0 && (line[from - 1] == ' ' || std::isdigit(static_cast<unsigned char>(line[from - 1]))))
                --from;
            line.erase(from, sec + 3 - from);
        }
        const size_t stamp = line.find("[20");
        if (stamp != std::string::npos && line.find(" No.") != 0 && line[0] != ' ') line.erase(stamp);
        if (line.rfind(" No.", 0) == 0) line = line.substr(0, line.find('['));
        out += line + "\n";
    }
    return out;
}

// The child of parent that solves level n, or -1.
pid_t childSolving(pid_t parent, int n) {
    std::ifstream children("/proc/" + std::to_string(parent) + "/task/" + std::to_string(parent) + "/children");
    for (pid_t pid; children >> pid;) {
        std::ifstream cmdline("/proc/" + std::to_string(pid) + "/cmdline");
        std::string args((std::istreambuf_iterator<char>(cmdline)), std::istreambuf_iterator<char>());
        if (args.find(std::string("--from") + '\0' + std::to_string(n) + '\0') != std::string::npos) return pid;
    }
    return -1;
}

pid_t waitForChild(pid_t parent, int n) {
    for (int tries = 0; tries < 200; ++tries) {
        const pid_t pid = childSolving(parent, n);
        if (pid > 0) return pid;
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return -1;
}

}  // namespace

// Two jobs give the report, statistics and solutions of one process, times aside; parts made
// with --from and --to merge into the same report.
TEST_F(CliBatch, JobsAndMergedPartsGiveTheReportOfOneProcess) {
    const std::string set = QM_TEST_DATA "/small.txt";
    auto solve = [&](std::vector<std::string> extra, const std::string& name) {
        std::vector<std::string> args{"--solver", "1", "--time-limit", "5", "--trace", "--report",
                                      (folder_ / (name + ".txt")).string(), "--stats",
                                      (folder_ / (name + ".tsv")).string(), "--solutions",
                                      (folder_ / (name + ".sol")).string()};
        args.insert(args.end(), extra.begin(), extra.end());
        args.push_back(set);
        EXPECT_EQ(waitExit(startCli(args, folder_ / "out.txt", folder_ / "err.txt")), 0)
            << readFile(folder_ / "err.txt");
    };
    solve({"--to", "8"}, "one");
    solve({"--to", "8", "--jobs", "2"}, "two");
    const std::string one = readFile(folder_ / "one.txt");
    EXPECT_EQ(withoutTimes(readFile(folder_ / "two.txt")), withoutTimes(one));
    EXPECT_NE(one.find("# Solved:   8 levels"), std::string::npos) << one;
    EXPECT_EQ(readFile(folder_ / "two.sol"), readFile(folder_ / "one.sol"));
    const std::string stats = readFile(folder_ / "two.tsv");
    EXPECT_EQ(std::count(stats.begin(), stats.end(), '\n'), 9) << stats;
    EXPECT_EQ(qmtest::lineOf(stats, 9).substr(0, 2), "8\t");

    solve({"--from", "5", "--to", "8"}, "b");
    solve({"--to", "4"}, "a");
    const auto merge = [&](std::vector<std::string> files) {
        files.insert(files.begin(), "--merge-reports");
        const int status = waitExit(startCli(files, folder_ / "out.txt", folder_ / "err.txt"));
        return std::make_pair(status, readFile(folder_ / "out.txt"));
    };
    const auto merged = merge({(folder_ / "b.txt").string(), (folder_ / "a.txt").string()});
    EXPECT_EQ(merged.first, 0) << readFile(folder_ / "err.txt");
    EXPECT_EQ(withoutTimes(merged.second), withoutTimes(one));
    EXPECT_EQ(merge({(folder_ / "a.txt").string(), (folder_ / "one.txt").string()}).first, 2);
    EXPECT_NE(readFile(folder_ / "err.txt").find("level 1 is in both"), std::string::npos);
    solve({"--to", "1"}, "other");
    qmtest::writeFile(folder_ / "renamed.txt", [&] {
        std::string text = readFile(folder_ / "other.txt");
        text.replace(text.find("small"), 5, "large");
        return text;
    }());
    EXPECT_EQ(merge({(folder_ / "b.txt").string(), (folder_ / "renamed.txt").string()}).first, 2);
    EXPECT_NE(readFile(folder_ / "err.txt").find("a report of another set"), std::string::npos);
}

// A child killed while it solves is that level's failed line; the batch goes on. Ctrl-C stops
// both children, reports them cancelled, writes the footer and exits 130.
TEST_F(CliBatch, AKilledChildFailsItsLevelAndControlCStopsEveryChild) {
    const auto report = folder_ / "report.txt";
    const pid_t pid = startCli({"--jobs", "2", "--solver", "1", "--time-limit", "30", "--report", report.string(),
                                (folder_ / "set.txt").string()},
                               folder_ / "out.txt", folder_ / "err.txt");
    const pid_t slow = waitForChild(pid, 2);
    ASSERT_GT(slow, 0);
    kill(slow, SIGKILL);
    EXPECT_EQ(waitExit(pid), 0);
    const std::string text = readFile(report);
    const size_t second = text.find("\n   2[");
    ASSERT_NE(second, std::string::npos) << text;
    const std::string line = text.substr(second + 1, text.find('\n', second + 1) - second - 1);
    EXPECT_EQ(line.substr(line.size() - 10), "sec Failed") << line;
    EXPECT_NE(text.find("# Solved:   2 levels"), std::string::npos) << text;
    EXPECT_NE(text.find("# Failed:   1 levels"), std::string::npos) << text;
    EXPECT_NE(readFile(folder_ / "err.txt").find("level 2: its process ended by signal 9"), std::string::npos);

    qmtest::writeFile(folder_ / "slow.txt", qmtest::slowLevel() + "\n" + qmtest::slowLevel());
    const pid_t both = startCli({"--jobs", "2", "--solver", "1", "--time-limit", "60", "--report", report.string(),
                                 (folder_ / "slow.txt").string()},
                                folder_ / "out.txt", folder_ / "err.txt");
    ASSERT_GT(waitForChild(both, 1), 0);
    ASSERT_GT(waitForChild(both, 2), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const auto start = std::chrono::steady_clock::now();
    kill(both, SIGINT);
    EXPECT_EQ(waitExit(both), 130);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    const std::string canceled = readFile(report);
    EXPECT_EQ(std::count(canceled.begin(), canceled.end(), '>'), 2) << canceled;
    EXPECT_NE(canceled.find("# Solved:   0 levels"), std::string::npos) << canceled;

    // A count whose solves cannot fit in memory is refused.
    EXPECT_EQ(waitExit(startCli({"--jobs", "1000", (folder_ / "set.txt").string()}, folder_ / "out.txt",
                                folder_ / "err.txt")),
              2);
    EXPECT_NE(readFile(folder_ / "err.txt").find("--jobs 1000 needs"), std::string::npos);
}
