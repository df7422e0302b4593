#pragma once
// The command line's solutions file: each level of the batch in the common text format as it
// finishes, with its solution when it was solved.
#include <cstdint>
#include <string>

#include "app/output_file.hpp"

namespace qm {

class SolutionsFile {
public:
    explicit SolutionsFile(bool runLength) : runLength_(runLength) {}
    // Creates or truncates path. False, with the reason in error, when it cannot be written.
    bool open(const std::string& path, std::string& error) { return file_.open(path, "", error); }
    // Writes the current level with the solution just found when result is solved; false when
    // the file could not be written.
    bool writeLevel(int32_t result);

private:
    OutputFile file_;
    bool runLength_;
};

}  // namespace qm
