#pragma once
// The batch run of the command-line program: progress on standard error, the report on standard
// output or in a file, Ctrl-C as Cancel.
#include <cstdint>
#include <iosfwd>
#include <string>

namespace qm {

struct CliBatchOptions {
    int from = 0, to = 0;      // 0: the set's first / last level
    std::string reportPath;    // empty: standard output
    std::string statsPath;     // empty: no statistics file
    std::string solutionsPath; // empty: no solutions file
    bool solutionsRunLength = false;  // the solutions file's move strings run-length encoded
    int32_t optimizeMetric = -1;      // optimize each found solution (0 moves, 1 pushes); -1: no
    int32_t optimizeSeconds = 10;
    bool trace = false;        // add the solution letters to the report
    bool thread1 = true, thread2 = true;
    bool thread2Methods = true;  // false: the second core runs only the feature search
};

// Runs the batch on the open level set; returns the exit status (0, 130 when cancelled, or 2
// when the statistics or solutions file cannot be written, before any level is solved).
int runCliBatch(const CliBatchOptions& options, std::ostream& err);

}  // namespace qm
