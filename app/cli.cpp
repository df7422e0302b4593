#include "app/cli.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <istream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "app/cli_batch.hpp"
#include "app/cli_jobs.hpp"
#include "app/report_parts.hpp"
#include "app/cli_options.hpp"
#include "batch/report.hpp"
#include "board/board.hpp"
#include "board/solution.hpp"
#include "levels/parser.hpp"
#include "levels/run_length.hpp"
#include "levels/settings_folder.hpp"
#include "levels/solutions_file.hpp"
#include "levels/sources.hpp"
#include "optimize/found_solution.hpp"
#include "solver/blocks.hpp"
#include "solver/control.hpp"
#include "solver/driver.hpp"
#include "solver/texts.hpp"
#include "ui/board_view.hpp"
#include "ui/icon.hpp"
#include "ui/settings.hpp"

namespace qm {

namespace {

constexpr int kExitOk = 0;
constexpr int kExitNotSolved = 1;
constexpr int kExitBadInput = 2;
constexpr size_t kMaxMovesBytes = size_t{64} << 20;  // larger moves files are refused

const char* kUsage =
    "usage: quillmate-cli [OPTIONS] [SOURCE]\n"
    "Solves the levels of SOURCE in a batch and writes the report to standard output.\n"
    "  SOURCE      a level file, a folder of numbered level files, or - for standard input;\n"
    "              without SOURCE the built-in sample set is used\n"
    "  --time-limit S   seconds per level (default: uTime of the settings file, else 600)\n"
    "  --from N, --to N the range of levels to solve (default: the whole set)\n"
    "  --report FILE    write the report to FILE instead of standard output\n"
    "  --trace     add the solution letters to the report\n"
    "  --solutions FILE  also write FILE, a solutions file in the common text format: per\n"
    "              level its title line and board, and for a solved level a Solution\n"
    "              section with the move string and a comment line with the counts\n"
    "  --solutions-rle  write the move strings of --solutions run-length encoded\n"
    "  --stats FILE  write the solver threads' statistics to FILE: a header line, then one\n"
    "              tab-separated line per level and thread: level, thread (1 or 2), result\n"
    "              code, seconds to the thread's end, phase at the end (main K/N for segment\n"
    "              K of N, companion, final, bidirectional, area-clearing, feature, none),\n"
    "              nodes stored by each search (entry, segment, companion, final,\n"
    "              bidirectional, area, feature), the searches whose table filled (full),\n"
    "              segments committed and rolled back, and why it ended (solved, exhausted,\n"
    "              table-full, deadline, stopped, canceled, not-suited, impossible), and\n"
    "              the rounds of --optimize on the level's solution (optimizer, 0 without)\n"
    "  --solver both|1|2|3  start both solver threads (default) or only one; the second\n"
    "              goes on with the feature search when its own methods end; 3 runs the\n"
    "              feature search alone\n"
    "  --list      print one line per level: number, size, boxes and verdict\n"
    "  --check MOVES_FILE\n"
    "              replay the moves in MOVES_FILE (letters u r d l U R D L, a count before\n"
    "              a letter repeats it, white space is ignored; or a solutions file, whose\n"
    "              Solution of the level's board is replayed) on the level; exit 0 when\n"
    "              they solve it, 1 when not\n"
    "  --level N   the level of SOURCE to check or optimize (from 1; default 1)\n"
    "  --optimize moves|pushes  after each solved level of a batch, search the positions\n"
    "              near its solution for a shorter one: fewest moves then pushes, or\n"
    "              fewest pushes then moves; the report shows the optimized solution\n"
    "  --optimize-time S  seconds the optimizer spends on one solution (default 10)\n"
    "  --optimize-file MOVES_FILE\n"
    "              optimize the solution in MOVES_FILE (as --check reads it) of the level\n"
    "              and print it with its counts; \"Not solved\" and exit 1 when it does\n"
    "              not solve the level\n"
    "  --render N FILE    draw level N's start position into the PNG file FILE\n"
    "  --render-title FILE  draw the title screen into the PNG file FILE\n"
    "  --render-icon SIZE FILE  draw the program's icon, SIZE pixels a side (16 to 1024),\n"
    "              into the PNG file FILE\n"
    "  --jobs N|auto  solve N levels at a time, each in a process of its own (auto: half\n"
    "              the cores); the report is the same as with one\n"
    "  --merge-reports FILE...  merge the reports of parts of one set (made with --from\n"
    "              and --to) into one report with the footer's totals\n"
    "  --help      print this help\n"
    "  --version   print the program's title\n";

std::string sourceLabel(const CliOptions& options) {
    if (options.source.empty()) return "sample set";
    if (options.source == "-") return "standard input";
    return options.source;
}

// Reads standard input, at most kMaxSourceBytes.
bool readStandardInput(std::istream& in, std::string& text) {
    text.clear();
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        text.append(buffer, static_cast<size_t>(in.gcount()));
        if (text.size() > kMaxSourceBytes) return false;
    }
    return true;
}

// Opens the source named on the command line. On failure writes the reason into error.
bool openSource(const CliOptions& options, std::istream& in, std::string& error) {
    if (options.source.empty()) {
        openSample();
    } else if (options.source == "-") {
        std::string text;
        if (!readStandardInput(in, text)) {
            error = "too large (more than 256 MiB)";
            return false;
        }
        openText(text);
    } else {
        std::error_code ec;
        if (std::filesystem::is_directory(options.source, ec)) {
            levelSet.folderPath = options.source;
            openFolder();
        } else {
            levelSet.openFilePath = options.source;
            openFile();
        }
    }
    if (levelSet.sourceKind != kSourceNone) return true;
    error = levelSet.lastError.empty() || levelSet.lastError == "no valid level"
                ? std::string(kLoadErrorText) + " no valid level"
                : levelSet.lastError;
    return false;
}

// What opening the source noticed: parts of its text that were not read as written.
void printSourceWarnings(const CliOptions& options, std::ostream& err) {
    const SourceNotes& notes = levelSet.notes;
    for (const std::string& warning : notes.warnings) {
        err << "quillmate-cli: " << sourceLabel(options) << ": " << warning << '\n';
    }
    if (notes.moreWarnings > 0) {
        err << "quillmate-cli: " << sourceLabel(options) << ": " << notes.moreWarnings << " more warnings\n";
    }
}

void printLevelList(std::ostream& out) {
    goToLevel(1);
    for (;;) {
        out << levelLine(levelSet.currentLevel, level.boardWidth, level.boardHeight, level.boxCount)
            << ' ' << verdictWord(level.levelVerdict) << '\n';
        if (levelSet.nextLevelPos < 0) break;
        nextLevel();
    }
}

// A byte as the error message shows it: the character itself when printable, else its code.
std::string shownByte(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u >= 0x20 && u < 0x7f) return std::string("'") + c + "'";
    return formatText("byte 0x%02X", u);
}

// Reads a file of at most kMaxMovesBytes. On failure writes the reason.
bool readMovesText(const std::string& path, std::string& text, std::string& error) {
    text.clear();
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        error = "is a folder, not a file";
        return false;
    }
    const uintmax_t size = std::filesystem::file_size(path, ec);
    if (!ec && size > kMaxMovesBytes) {
        error = "too large (more than 64 MiB)";
        return false;
    }
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) {
        error = std::string("cannot open: ") + std::strerror(errno);
        return false;
    }
    char buffer[65536];
    bool tooLarge = false;
    for (;;) {
        const size_t got = std::fread(buffer, 1, sizeof buffer, f);
        if (got == 0) break;
        if (text.size() + got > kMaxMovesBytes) {
            tooLarge = true;
            break;
        }
        text.append(buffer, got);
    }
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (tooLarge) {
        error = "too large (more than 64 MiB)";
        return false;
    }
    if (failed) {
        error = "cannot read";
        return false;
    }
    return true;
}

// Expands a move text into letters: move letters, counts before them, white space. On failure
// writes the reason, naming the line and column of a bad character.
bool movesFromText(const std::string& text, std::string& letters, std::string& error) {
    int64_t line = 1, column = 0;
    for (char c : text) {
        ++column;
        if (c == '\n') {
            ++line;
            column = 0;
            continue;
        }
        if (isWhiteSpace(c) || (c >= '0' && c <= '9')) continue;
        if (letterDirection(c) < 0) {
            error = formatText("bad character %s at line %lld, column %lld", shownByte(c).c_str(),
                               static_cast<long long>(line), static_cast<long long>(column));
            return false;
        }
    }
    return expandRunLengthMoves(text, kMaxMovesBytes, letters, error);
}

// The moves file as read: the letters to replay, or a solutions file whose section of the
// level is looked up once the level is loaded.
struct MovesFile {
    std::string letters;
    std::string solutionsText;  // non-empty: a solutions file
};

bool readMovesFile(const std::string& path, MovesFile& moves, std::string& error) {
    std::string text;
    if (!readMovesText(path, text, error)) return false;
    if (looksLikeSolutionsFile(text)) {
        moves.solutionsText = std::move(text);
        return true;
    }
    return movesFromText(text, moves.letters, error);
}

// The letters of the current level's section of a solutions file. On failure writes the reason.
bool movesOfCurrentLevel(const MovesFile& moves, std::string& letters, std::string& error) {
    if (moves.solutionsText.empty()) {
        letters = moves.letters;
        return true;
    }
    std::string text;
    if (!findSolutionFor(moves.solutionsText, currentLevelRows(), text)) {
        error = formatText("no solution of level %d's board", levelSet.currentLevel);
        return false;
    }
    return movesFromText(text, letters, error);
}

// Replays letters on the current level. Returns the exit status.
int checkCurrentLevel(const std::string& letters, std::ostream& out, std::ostream& err) {
    if (level.levelVerdict != kLevelOk) {
        out << "Not solved\n";
        return kExitNotSolved;
    }
    if (allocateSolution() == 0) {
        err << "quillmate-cli: out of memory\n";
        return kExitBadInput;
    }
    resetSolution();
    for (char c : letters) appendLetter(letterDirection(c), isPushLetter(c));
    const bool stored = solution.traceOverflow == 0;
    const bool solved = stored && verifySolution() == 1;
    const int32_t moves = solution.moveCount, pushes = solution.pushCount;
    releaseSolution();
    if (!stored) {
        err << "quillmate-cli: out of memory\n";
        return kExitBadInput;
    }
    if (!solved) {
        out << "Not solved\n";
        return kExitNotSolved;
    }
    out << formatText("Solved%6dmoves%5dpushes", moves, pushes) << '\n';
    return kExitOk;
}

// Draws a picture of the view into a PNG file.
int renderPicture(const CliOptions& options, std::ostream& err) {
    std::string error;
    bool drawn = false;
    if (options.renderIconSize != 0) {
        drawn = writeIconPng(options.renderPath, options.renderIconSize, error);
    } else if (options.renderTitle) {
        drawn = renderTitlePng(options.renderPath, error);
    } else {
        if (options.renderLevel > levelSet.levelCount) {
            err << "quillmate-cli: " << sourceLabel(options) << ": no level " << options.renderLevel << '\n';
            return kExitBadInput;
        }
        goToLevel(options.renderLevel);
        drawn = renderStartPng(options.renderPath, error);
    }
    if (drawn) return kExitOk;
    err << "quillmate-cli: " << options.renderPath << ": " << error << '\n';
    return kExitBadInput;
}

// The batch on several processes: the options every child gets, then the run.
int solveOnJobs(const CliOptions& options, std::ostream& err) {
    std::string error;
    if (!jobsFitMemory(options.jobs, options.optimizeMetric >= 0, error)) {
        err << "quillmate-cli: " << error << '\n';
        return kExitBadInput;
    }
    JobsOptions jobs;
    jobs.jobs = options.jobs;
    jobs.from = options.from > 0 ? options.from : 1;
    jobs.to = options.to > 0 ? std::min(options.to, levelSet.levelCount) : levelSet.levelCount;
    jobs.reportPath = options.reportPath;
    jobs.statsPath = options.statsPath;
    jobs.solutionsPath = options.solutionsPath;
    jobs.optimize = options.optimizeMetric >= 0;
    jobs.source = options.source == "-" ? "" : options.source;
    jobs.sourceIsText = options.source == "-";
    if (jobs.sourceIsText) jobs.sourceText = levelSet.levelText;
    std::vector<std::string>& a = jobs.childArgs;
    a = {"--time-limit", std::to_string(control.timeLimit), "--solver",
         !options.thread2 ? "1" : !options.thread1 ? (options.thread2Methods ? "2" : "3") : "both"};
    if (options.trace) a.push_back("--trace");
    if (options.solutionsRunLength) a.push_back("--solutions-rle");
    if (options.optimizeMetric >= 0) {
        a.insert(a.end(), {"--optimize", options.optimizeMetric == kMetricMoves ? "moves" : "pushes",
                           "--optimize-time", std::to_string(options.optimizeSeconds)});
    }
    return runJobs(jobs, err);
}

// --merge-reports: the reports of parts of one set joined into one.
int mergeMode(const CliOptions& options, std::ostream& out, std::ostream& err) {
    std::vector<std::string> texts;
    for (const std::string& path : options.mergeReports) {
        std::string text, error;
        if (!readSourceFile(path, text, error)) {
            err << "quillmate-cli: " << path << ": " << error << '\n';
            return kExitBadInput;
        }
        texts.push_back(std::move(text));
    }
    std::string merged, error;
    if (!mergeReports(options.mergeReports, texts, merged, error)) {
        err << "quillmate-cli: " << error << '\n';
        return kExitBadInput;
    }
    if (options.reportPath.empty()) {
        out << merged;
        return kExitOk;
    }
    FileReportSink sink(options.reportPath);
    if (sink.start(merged)) return kExitOk;
    err << "quillmate-cli: " << options.reportPath << ": cannot write\n";
    return kExitBadInput;
}

int solveBatch(const CliOptions& options, std::ostream& err) {
    if (options.timeLimit > 0) control.timeLimit = options.timeLimit;
    if (options.jobs > 1) return solveOnJobs(options, err);
    if (allocateBlocks() == 0 || allocateSolution() == 0) {
        err << "quillmate-cli: cannot allocate the solver's memory (" << kMemoryText << " GB)\n";
        return kExitBadInput;
    }
    CliBatchOptions batch;
    batch.from = options.from;
    batch.to = options.to;
    batch.reportPath = options.reportPath;
    batch.statsPath = options.statsPath;
    batch.solutionsPath = options.solutionsPath;
    batch.solutionsRunLength = options.solutionsRunLength;
    batch.optimizeMetric = options.optimizeMetric;
    batch.optimizeSeconds = options.optimizeSeconds;
    batch.trace = options.trace;
    batch.thread1 = options.thread1;
    batch.thread2 = options.thread2;
    batch.thread2Methods = options.thread2Methods;
    const int status = runCliBatch(batch, err);
    releaseSolution();
    releaseBlocks();
    releaseSolverBuffers();
    releaseOptimizer();
    return status;
}

// Lists, renders or solves the open set.
int runMode(const CliOptions& options, std::ostream& out, std::ostream& err) {
    if (options.list) {
        printLevelList(out);
        return kExitOk;
    }
    if (options.renderLevel != 0 || options.renderTitle || options.renderIconSize != 0)
        return renderPicture(options, err);
    if (options.from > levelSet.levelCount) {
        err << "quillmate-cli: " << sourceLabel(options) << ": no level " << options.from << " (the set holds "
            << levelSet.levelCount << " levels)\n";
        return kExitBadInput;
    }
    return solveBatch(options, err);
}

// Optimizes letters on the current level and prints the result. Returns the exit status.
int optimizeCurrentLevel(const CliOptions& options, const std::string& letters, std::ostream& out,
                         std::ostream& err) {
    OptimizeOutcome outcome;
    const int32_t metric = options.optimizeMetric < 0 ? kMetricMoves : options.optimizeMetric;
    if (level.levelVerdict != kLevelOk || !optimizeSolution(letters, metric, options.optimizeSeconds, outcome)) {
        out << "Not solved\n";
        return kExitNotSolved;
    }
    releaseOptimizer();
    if (outcome.memoryRefused) err << "quillmate-cli: no memory for the optimizer's table; the solution is kept\n";
    if (allocateSolution() == 0) {
        err << "quillmate-cli: out of memory\n";
        return kExitBadInput;
    }
    const bool replayed = storeCheckedSolution(outcome.letters);
    releaseSolution();
    if (!replayed) {
        err << "quillmate-cli: the optimized solution does not replay\n";
        return kExitBadInput;
    }
    out << outcome.letters << '\n'
        << formatText("%d moves %d pushes (given %d moves %d pushes, %d rounds)", outcome.moves, outcome.pushes,
                      outcome.givenMoves, outcome.givenPushes, outcome.rounds)
        << '\n';
    return kExitOk;
}

// --check or --optimize-file: the moves of one level. Returns the exit status.
int runOnLevel(const CliOptions& options, const std::string& movesPath, const MovesFile& moves, std::ostream& out,
               std::ostream& err) {
    const int32_t wanted = options.levelNumber == 0 ? 1 : options.levelNumber;
    if (wanted > levelSet.levelCount) {
        err << "quillmate-cli: " << sourceLabel(options) << ": no level " << wanted << " (the set holds "
            << levelSet.levelCount << (levelSet.levelCount == 1 ? " level)\n" : " levels)\n");
        return kExitBadInput;
    }
    goToLevel(wanted);
    if (levelSet.currentLevel != wanted) {
        err << "quillmate-cli: " << sourceLabel(options) << ": cannot reach level " << wanted << '\n';
        return kExitBadInput;
    }
    std::string letters, error;
    if (!movesOfCurrentLevel(moves, letters, error)) {
        err << "quillmate-cli: " << movesPath << ": " << error << '\n';
        out << "Not solved\n";
        return kExitNotSolved;
    }
    if (!options.optimizeFile.empty()) return optimizeCurrentLevel(options, letters, out, err);
    return checkCurrentLevel(letters, out, err);
}

}  // namespace

int runCli(int argc, const char* const* argv, std::istream& in, std::ostream& out, std::ostream& err) {
    CliOptions options;
    std::string error;
    if (!parseCliOptions(argc, argv, options, error)) {
        err << "quillmate-cli: " << error << "\n" << "try 'quillmate-cli --help'\n";
        return kExitBadInput;
    }
    if (options.help) {
        out << kUsage;
        return kExitOk;
    }
    if (options.version) {
        out << kTitleString << '\n';
        return kExitOk;
    }
    if (!options.mergeReports.empty()) return mergeMode(options, out, err);
    locateSettings();
    readSettings();
    applySettings();
    const std::string& movesPath = options.checkFile.empty() ? options.optimizeFile : options.checkFile;
    MovesFile moves;
    if (!movesPath.empty() && !readMovesFile(movesPath, moves, error)) {
        err << "quillmate-cli: " << movesPath << ": " << error << '\n';
        return kExitBadInput;
    }
    const bool opened = openSource(options, in, error);
    printSourceWarnings(options, err);
    if (!opened) {
        err << "quillmate-cli: " << sourceLabel(options) << ": " << error << '\n';
        deleteScratchFile();
        return kExitBadInput;
    }
    if (!movesPath.empty()) {
        const int status = runOnLevel(options, movesPath, moves, out, err);
        deleteScratchFile();
        return status;
    }
    const int status = runMode(options, out, err);
    deleteScratchFile();
    return status;
}

}  // namespace qm
