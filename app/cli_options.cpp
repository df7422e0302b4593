#include "app/cli_options.hpp"

#include <string_view>

#include "app/cli_jobs.hpp"

namespace qm {

namespace {

constexpr size_t kMaxArgumentBytes = 4096;
constexpr int32_t kMaxTimeLimitSeconds = 100'000'000;
constexpr int32_t kMaxJobs = 1024;

// Reads a positive decimal number that fits in int32; false for anything else.
bool parsePositive(std::string_view text, int32_t& value) {
    if (text.empty()) return false;
    int64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
        if (v > INT32_MAX) return false;
    }
    if (v == 0) return false;
    value = static_cast<int32_t>(v);
    return true;
}

bool needsValue(std::string_view arg) {
    return arg == "--check" || arg == "--level" || arg == "--time-limit" || arg == "--from" ||
           arg == "--to" || arg == "--report" || arg == "--stats" || arg == "--solutions" || arg == "--solver" || arg == "--render" ||
           arg == "--render-title" || arg == "--render-icon" || arg == "--optimize" || arg == "--optimize-time" ||
           arg == "--optimize-file" || arg == "--jobs";
}

bool positiveOption(std::string_view arg, std::string_view value, int32_t& target, std::string& error) {
    if (parsePositive(value, target)) return true;
    error = "option '" + std::string(arg) + "' needs a positive number, not '" + std::string(value) + "'";
    return false;
}

// Takes the value of an option that has one.
bool takeValue(std::string_view arg, std::string_view value, CliOptions& options, std::string& error) {
    if (arg == "--check") {
        if (!options.checkFile.empty()) {
            error = "more than one --check given";
            return false;
        }
        if (value.empty()) {
            error = "option '--check' needs a file name";
            return false;
        }
        options.checkFile = std::string(value);
        return true;
    }
    if (arg == "--level") return positiveOption(arg, value, options.levelNumber, error);
    if (arg == "--from") return positiveOption(arg, value, options.from, error);
    if (arg == "--to") return positiveOption(arg, value, options.to, error);
    if (arg == "--time-limit") {
        if (!positiveOption(arg, value, options.timeLimit, error)) return false;
        if (options.timeLimit <= kMaxTimeLimitSeconds) return true;
        error = "option '--time-limit' is too large";
        return false;
    }
    if (arg == "--render") return positiveOption(arg, value, options.renderLevel, error);
    if (arg == "--optimize-time") {
        if (!positiveOption(arg, value, options.optimizeSeconds, error)) return false;
        if (options.optimizeSeconds <= kMaxTimeLimitSeconds) return true;
        error = "option '--optimize-time' is too large";
        return false;
    }
    if (arg == "--optimize") {
        if (value == "moves" || value == "pushes") {
            options.optimizeMetric = value == "moves" ? 0 : 1;
            return true;
        }
        error = "option '--optimize' takes moves or pushes, not '" + std::string(value) + "'";
        return false;
    }
    if (arg == "--jobs") {
        if (value == "auto") {
            options.jobs = automaticJobs();
            return true;
        }
        if (!positiveOption(arg, value, options.jobs, error)) return false;
        if (options.jobs <= kMaxJobs) return true;
        error = "option '--jobs' is too large";
        return false;
    }
    if (arg == "--optimize-file") {
        if (value.empty()) {
            error = "option '--optimize-file' needs a file name";
            return false;
        }
        options.optimizeFile = std::string(value);
        return true;
    }
    if (arg == "--render-icon") return positiveOption(arg, value, options.renderIconSize, error);
    if (arg == "--report" || arg == "--stats" || arg == "--solutions" || arg == "--render-title") {
        if (value.empty()) {
            error = "option '" + std::string(arg) + "' needs a file name";
            return false;
        }
        if (arg == "--report") options.reportPath = std::string(value);
        else if (arg == "--stats") options.statsPath = std::string(value);
        else if (arg == "--solutions") options.solutionsPath = std::string(value);
        else options.renderPath = std::string(value);
        if (arg == "--render-title") options.renderTitle = true;
        return true;
    }
    // --solver
    options.thread2Methods = true;
    if (value == "both") {
        options.thread1 = options.thread2 = true;
    } else if (value == "1") {
        options.thread1 = true;
        options.thread2 = false;
    } else if (value == "2" || value == "3") {
        options.thread1 = false;
        options.thread2 = true;
        options.thread2Methods = value == "2";
    } else {
        error = "option '--solver' takes both, 1, 2 or 3, not '" + std::string(value) + "'";
        return false;
    }
    return true;
}

bool checkCombinations(const CliOptions& options, std::string& error) {
    const bool check = !options.checkFile.empty() || !options.optimizeFile.empty();
    const bool render = options.renderLevel != 0 || options.renderTitle || options.renderIconSize != 0;
    const int modes = (check ? 1 : 0) + (options.list ? 1 : 0) + (render ? 1 : 0) +
                      (options.mergeReports.empty() ? 0 : 1);
    if (modes > 1) {
        error = "--check, --optimize-file, --list, --render and --merge-reports cannot be combined";
        return false;
    }
    if (modes > 0 && options.jobs > 1) {
        error = "--jobs is used only when solving a batch";
        return false;
    }
    if (modes > 0 && !options.statsPath.empty()) {
        error = "--stats is used only when solving a batch";
        return false;
    }
    if (modes > 0 && !options.solutionsPath.empty()) {
        error = "--solutions is used only when solving a batch";
        return false;
    }
    if (options.solutionsRunLength && options.solutionsPath.empty()) {
        error = "--solutions-rle is used only with --solutions";
        return false;
    }
    if (!options.checkFile.empty() && !options.optimizeFile.empty()) {
        error = "--check and --optimize-file cannot be combined";
        return false;
    }
    if (options.levelNumber != 0 && !check) {
        error = "--level is used only with --check or --optimize-file";
        return false;
    }
    if (options.from != 0 && options.to != 0 && options.to < options.from) {
        error = "--to must not be smaller than --from";
        return false;
    }
    return true;
}

}  // namespace

bool parseCliOptions(int argc, const char* const* argv, CliOptions& options, std::string& error) {
    bool sourceSeen = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg.size() > kMaxArgumentBytes) {
            error = "argument too long";
            return false;
        }
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg == "--list") {
            options.list = true;
        } else if (arg == "--trace") {
            options.trace = true;
        } else if (arg == "--merge-reports") {
            for (++i; i < argc; ++i) {
                if (std::string_view(argv[i]).size() > kMaxArgumentBytes) {
                    error = "argument too long";
                    return false;
                }
                options.mergeReports.emplace_back(argv[i]);
            }
            if (options.mergeReports.empty()) {
                error = "option '--merge-reports' needs report files";
                return false;
            }
        } else if (arg == "--solutions-rle") {
            options.solutionsRunLength = true;
        } else if (needsValue(arg)) {
            if (i + 1 >= argc) {
                error = "option '" + std::string(arg) + "' needs a value";
                return false;
            }
            const std::string_view value = argv[++i];
            if (value.size() > kMaxArgumentBytes) {
                error = "argument too long";
                return false;
            }
            if (!takeValue(arg, value, options, error)) return false;
            // --render N and --render-icon SIZE take the picture's file name as a second value.
            if (arg == "--render" || arg == "--render-icon") {
                if (i + 1 >= argc || std::string_view(argv[i + 1]).empty()) {
                    error = "option '" + std::string(arg) + "' needs a number and a file name";
                    return false;
                }
                options.renderPath = argv[++i];
            }
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option '" + std::string(arg) + "'";
            return false;
        } else if (sourceSeen) {
            error = "more than one SOURCE given";
            return false;
        } else {
            options.source = std::string(arg);
            sourceSeen = true;
        }
    }
    return checkCombinations(options, error);
}

}  // namespace qm
