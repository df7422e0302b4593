#pragma once
// The command line's statistics file: a header line, then one tab-separated line per solved
// level and solver thread, written as each level finishes.
#include <cstdint>
#include <string>

#include "app/output_file.hpp"

namespace qm {

// The header line, without its line end.
std::string statsHeader();
// The lines of the level just solved (both threads), each ending in a line end. result is the
// level's final result code; a level no thread searched gives one line per thread with phase
// "none".
// optimizerRounds is the rounds the optimizer ran on the level's solution (0: none).
std::string statsLines(int32_t levelNumber, int32_t result, int32_t optimizerRounds = 0);

// The open statistics file; writes nothing while not open.
class StatsFile {
public:
    // Creates or truncates path and writes the header. False, with the reason in error, when it
    // cannot be written.
    bool open(const std::string& path, std::string& error);
    void writeLevel(int32_t levelNumber, int32_t result, int32_t optimizerRounds);

private:
    OutputFile file_;
};

}  // namespace qm
