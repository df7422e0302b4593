#pragma once
// The batch run of the command-line program: progress on standard error, the report on standard
// output or in a file, Ctrl-C as Cancel.
#include <iosfwd>
#include <string>

namespace qm {

struct CliBatchOptions {
    int from = 0, to = 0;      // 0: the set's first / last level
    std::string reportPath;    // empty: standard output
    std::string statsPath;     // empty: no statistics file
    bool trace = false;        // add the solution letters to the report
    bool thread1 = true, thread2 = true;
    bool thread2Methods = true;  // false: the second core runs only the feature search
};

// Runs the batch on the open level set; returns the exit status (0, 130 when cancelled, or 2
// when the statistics file cannot be written, before any level is solved).
int runCliBatch(const CliBatchOptions& options, std::ostream& err);

}  // namespace qm
