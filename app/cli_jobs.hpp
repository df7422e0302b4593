#pragma once
// A batch on several cores: each level solved by a child process of the program itself (its own
// memory blocks and both solver threads), at most N at a time, joined into one report in level
// order as if one process had solved them.
#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace qm {

constexpr double kSolveMemoryGb = 3.5;     // the address space one solve's blocks take
constexpr double kOptimizerMemoryGb = 1.0; // and the optimizer's table with --optimize

struct JobsOptions {
    int32_t jobs = 1;
    int32_t from = 1, to = 1;           // the levels to solve
    std::vector<std::string> childArgs; // the options every child gets (without range and files)
    std::string source;                 // the source as the children open it; empty: the sample
    std::string sourceText;             // standard input's text, given to the children in a file
    bool sourceIsText = false;          // the source was standard input
    std::string reportPath;             // empty: standard output
    std::string statsPath, solutionsPath;
    bool optimize = false;
};

// The jobs of --jobs auto: half the cores, at least one.
int32_t automaticJobs();

// Refuses a count whose solves cannot fit in the physical memory. False with the reason in error.
bool jobsFitMemory(int32_t jobs, bool optimize, std::string& error);

// Runs the batch; returns the exit status (0, 130 when cancelled, 2 on a fault before any level).
int runJobs(const JobsOptions& options, std::ostream& err);

}  // namespace qm
