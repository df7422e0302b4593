#pragma once
// Command-line options of quillmate-cli.
#include <cstdint>
#include <string>
#include <vector>

namespace qm {

struct CliOptions {
    bool help = false;
    bool version = false;
    bool list = false;
    std::string checkFile;   // --check: the moves file to replay; empty: no check
    int32_t levelNumber = 0; // --level: the level to work on, from 1; 0: not given (level 1)
    int32_t timeLimit = 0;   // --time-limit: seconds per level; 0: from the settings file
    int32_t from = 0, to = 0;  // --from, --to: the batch range; 0: the set's first / last level
    std::string reportPath;  // --report: the report file; empty: standard output
    std::string statsPath;   // --stats: the statistics file; empty: none
    std::string solutionsPath;  // --solutions: the solutions file; empty: none
    bool solutionsRunLength = false;  // --solutions-rle: its move strings run-length encoded
    bool trace = false;      // --trace: add the solution letters to the report
    bool thread1 = true, thread2 = true;  // --solver both|1|2|3: the threads started
    bool thread2Methods = true;  // --solver 3 clears it: the second core runs the feature search only
    int32_t optimizeMetric = -1;  // --optimize moves|pushes: 0 moves, 1 pushes; -1: no optimizer
    int32_t optimizeSeconds = 10; // --optimize-time: seconds per solution
    std::string optimizeFile;     // --optimize-file: the solution to optimize; empty: none
    int32_t jobs = 1;             // --jobs N|auto: levels solved at a time, each in a process of its own
    std::vector<std::string> mergeReports;  // --merge-reports FILE...: the reports to merge
    int32_t renderLevel = 0; // --render N: level N's start position to renderPath
    bool renderTitle = false;  // --render-title: the title screen to renderPath
    int32_t renderIconSize = 0;  // --render-icon SIZE: the program's icon, SIZE pixels a side
    std::string renderPath;
    std::string source;      // empty: the sample set; "-": standard input
};

// Parses the arguments; on a bad argument returns false with a message in error.
bool parseCliOptions(int argc, const char* const* argv, CliOptions& options, std::string& error);

}  // namespace qm
