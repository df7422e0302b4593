#include "app/cli_jobs.hpp"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <ostream>
#include <thread>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/cli_stats.hpp"
#include "app/output_file.hpp"
#include "app/report_parts.hpp"
#include "batch/report.hpp"
#include "board/board.hpp"
#include "levels/sources.hpp"
#include "solver/control.hpp"
#include "solver/texts.hpp"

namespace qm {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kExitBadInput = 2;
constexpr int kExitCanceled = 130;
constexpr auto kPoll = std::chrono::milliseconds(10);  // how often finished children are looked for
constexpr double kBytesPerGb = 1024.0 * 1024.0 * 1024.0;

// Ctrl-C is passed on to the children once; a second one ends the program at once, as it does
// for one process.
std::atomic<int> jobInterrupts{0};

void onJobInterrupt(int) {
    if (jobInterrupts.fetch_add(1) >= 1) _exit(kExitCanceled);
}

struct Child {
    pid_t pid = -1;
    int32_t level = 0;
    Clock::time_point start;
};

// What one level gave: its report entries, statistics lines and solutions section.
struct LevelOutput {
    std::string report, stats, solutions;
    int32_t solved = 0, failed = 0, skipped = 0;
};

// A child's file; empty when it left none.
std::string readAll(const fs::path& path) {
    std::string text, error;
    readSourceFile(path.string(), text, error);
    return text;
}

std::string selfPath() {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : self.string();
}

fs::path childFile(const fs::path& dir, const char* kind, int32_t level) {
    return dir / (std::string(kind) + "-" + std::to_string(level));
}

pid_t startChild(const JobsOptions& o, const std::string& source, const std::string& self, const fs::path& dir,
                 int32_t level) {
    std::vector<std::string> args{self};
    args.insert(args.end(), o.childArgs.begin(), o.childArgs.end());
    const std::string n = std::to_string(level);
    args.insert(args.end(), {"--from", n, "--to", n, "--report", childFile(dir, "report", level).string()});
    if (!o.statsPath.empty()) args.insert(args.end(), {"--stats", childFile(dir, "stats", level).string()});
    if (!o.solutionsPath.empty()) {
        args.insert(args.end(), {"--solutions", childFile(dir, "solutions", level).string()});
    }
    if (!source.empty()) args.push_back(source);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const std::string errPath = childFile(dir, "err", level).string();
    const pid_t pid = fork();
    if (pid != 0) return pid;
    // The child: its own process group, so that the terminal's Ctrl-C reaches only the parent.
    setpgid(0, 0);
    const int null = open("/dev/null", O_RDWR);
    const int errFile = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (null >= 0) {
        dup2(null, STDIN_FILENO);
        dup2(null, STDOUT_FILENO);
    }
    if (errFile >= 0) dup2(errFile, STDERR_FILENO);
    execv(self.c_str(), argv.data());
    _exit(127);
}

// The entries of a level whose process did not leave a report: a failed level line.
std::string failedLine(int32_t levelNumber, int64_t seconds) {
    goToLevel(levelNumber);
    return reportLevelLine(levelNumber, level.boardWidth, level.boardHeight, level.boxCount, seconds,
                           kResultFailed, 0, 0, false);
}

LevelOutput collect(const JobsOptions& o, const fs::path& dir, const Child& child, int status, std::ostream& err) {
    LevelOutput out;
    const int64_t seconds = std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - child.start).count();
    ReportParts parts;
    std::string error;
    const bool exited = WIFEXITED(status) && (WEXITSTATUS(status) == 0 || WEXITSTATUS(status) == kExitCanceled);
    if (exited && parseReport(readAll(childFile(dir, "report", child.level)), parts, error) && !parts.entries.empty()) {
        for (const ReportEntry& entry : parts.entries) out.report += entry.text;
        out.solved = parts.solved;
        out.failed = parts.failed;
        out.skipped = parts.skipped;
    } else {
        if (WIFSIGNALED(status)) {
            err << formatText("quillmate-cli: level %d: its process ended by signal %d\n", child.level,
                              WTERMSIG(status));
        } else {
            err << formatText("quillmate-cli: level %d: its process failed (exit status %d)\n", child.level,
                              WIFEXITED(status) ? WEXITSTATUS(status) : -1)
                << readAll(childFile(dir, "err", child.level));
        }
        out.report = failedLine(child.level, seconds);
        out.failed = 1;
    }
    if (!o.statsPath.empty()) {
        const std::string stats = readAll(childFile(dir, "stats", child.level));
        const size_t body = stats.find('\n');
        if (body != std::string::npos) out.stats = stats.substr(body + 1);
    }
    if (!o.solutionsPath.empty()) out.solutions = readAll(childFile(dir, "solutions", child.level));
    return out;
}

std::string runningLine(const std::vector<Child>& running) {
    std::string line = "running:";
    for (const Child& c : running) {
        line += formatText(" level %d (%llds)", c.level,
                           static_cast<long long>(
                               std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - c.start).count()));
    }
    return line;
}

// Writes the report, statistics and solutions of the finished levels that come next in order.
class OrderedOutput {
public:
    OrderedOutput(const JobsOptions& o, ReportSink& report, OutputFile& stats, OutputFile& solutions)
        : next_(o.from), report_(report), stats_(stats), solutions_(solutions) {}
    void add(int32_t levelNumber, LevelOutput output) {
        solved += output.solved;
        failed += output.failed;
        skipped += output.skipped;
        done_[levelNumber] = std::move(output);
        for (auto it = done_.find(next_); it != done_.end(); it = done_.find(next_)) {
            writeLevel(it->second);
            done_.erase(it);
            ++next_;
        }
    }
    // After a cancel: the levels left, in order, with the gaps of levels never started.
    void flushAll() {
        for (auto& [n, output] : done_) writeLevel(output);
        done_.clear();
    }
    int32_t solved = 0, failed = 0, skipped = 0;

private:
    void writeLevel(const LevelOutput& output) {
        report_.append(output.report);
        stats_.write(output.stats);
        solutions_.write(output.solutions);
    }
    int32_t next_;
    std::map<int32_t, LevelOutput> done_;
    ReportSink& report_;
    OutputFile& stats_;
    OutputFile& solutions_;
};

}  // namespace

int32_t automaticJobs() {
    const unsigned cores = std::thread::hardware_concurrency();
    return cores >= 2 ? static_cast<int32_t>(cores / 2) : 1;
}

bool jobsFitMemory(int32_t jobs, bool optimize, std::string& error) {
    const long pages = sysconf(_SC_PHYS_PAGES), pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) return true;
    const double physical = static_cast<double>(pages) * static_cast<double>(pageSize) / kBytesPerGb;
    const double perSolve = kSolveMemoryGb + (optimize ? kOptimizerMemoryGb : 0.0);
    if (jobs * perSolve <= physical) return true;
    error = formatText("--jobs %d needs %.1f GB (%d x %.1f GB) and this machine has %.1f GB", jobs, jobs * perSolve,
                       jobs, perSolve, physical);
    return false;
}

int runJobs(const JobsOptions& o, std::ostream& err) {
    const std::string self = selfPath();
    const fs::path base = fs::temp_directory_path() / "quillmate-jobs-XXXXXX";
    std::string dirText = base.string();
    if (self.empty() || mkdtemp(dirText.data()) == nullptr) {
        err << "quillmate-cli: cannot start the jobs: " << std::strerror(errno) << '\n';
        return kExitBadInput;
    }
    const fs::path dir(dirText);
    std::string source = o.source;
    if (o.sourceIsText) {
        source = (dir / "source.txt").string();
        std::ofstream(source, std::ios::binary) << o.sourceText;
    }
    OutputFile stats, solutions;
    std::string error;
    if (!o.statsPath.empty() && !stats.open(o.statsPath, statsHeader() + "\n", error)) {
        err << "quillmate-cli: " << o.statsPath << ": " << error << '\n';
        fs::remove_all(dir);
        return kExitBadInput;
    }
    if (!o.solutionsPath.empty() && !solutions.open(o.solutionsPath, "", error)) {
        err << "quillmate-cli: " << o.solutionsPath << ": " << error << '\n';
        fs::remove_all(dir);
        return kExitBadInput;
    }
    FileReportSink fileSink(o.reportPath);
    StreamReportSink streamSink(stdout);
    ReportSink& report = o.reportPath.empty() ? static_cast<ReportSink&>(streamSink) : fileSink;
    report.start(reportHeader(levelSet.levelSetName, levelSet.levelCount, control.timeLimit, localNow()));
    OrderedOutput output(o, report, stats, solutions);

    jobInterrupts = 0;
    struct sigaction action {};
    action.sa_handler = onJobInterrupt;
    sigemptyset(&action.sa_mask);
    struct sigaction previous {};
    sigaction(SIGINT, &action, &previous);
    const bool terminal = isatty(STDERR_FILENO) == 1;
    std::vector<Child> running;
    int32_t next = o.from;
    bool forwarded = false;
    while (next <= o.to || !running.empty()) {
        const bool canceled = jobInterrupts.load() > 0;
        if (canceled && !forwarded) {
            for (const Child& c : running) kill(c.pid, SIGINT);
            forwarded = true;
        }
        while (!canceled && next <= o.to && static_cast<int32_t>(running.size()) < o.jobs) {
            const pid_t pid = startChild(o, source, self, dir, next);
            if (pid < 0) {
                err << "quillmate-cli: level " << next << ": cannot start its process\n";
                output.add(next, LevelOutput{failedLine(next, 0), "", "", 0, 1, 0});
            } else {
                running.push_back(Child{pid, next, Clock::now()});
            }
            ++next;
        }
        if (canceled) next = o.to + 1;
        bool reaped = false;
        for (auto it = running.begin(); it != running.end();) {
            int status = 0;
            if (waitpid(it->pid, &status, WNOHANG) != it->pid) {
                ++it;
                continue;
            }
            LevelOutput done = collect(o, dir, *it, status, err);
            const std::string shown = done.report.substr(0, done.report.find('\n'));
            err << (terminal ? "\r\033[K" : "") << shown << '\n';
            output.add(it->level, std::move(done));
            it = running.erase(it);
            reaped = true;
        }
        if (terminal && !running.empty()) err << "\r\033[K" << runningLine(running) << std::flush;
        if (!reaped) std::this_thread::sleep_for(kPoll);
    }
    if (terminal) err << "\r\033[K" << std::flush;
    sigaction(SIGINT, &previous, nullptr);
    const bool canceled = jobInterrupts.load() > 0;
    output.flushAll();
    report.append(reportFooter(output.solved, output.failed, output.skipped, localNow()));
    fs::remove_all(dir);
    return canceled ? kExitCanceled : 0;
}

}  // namespace qm
