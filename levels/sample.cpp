#include "levels/sample.hpp"

namespace qm {

namespace {

// Placeholder set until the designed sample levels land.
constexpr const char kSampleText[] =
    "; Quillmate Basics #1\n"
    "\n"
    "#####\n"
    "#@$.#\n"
    "#####\n";

constexpr const char* kSampleLabels[kSampleLevels] = {
    "Quillmate Basics #1", "Quillmate Basics #2", "Quillmate Basics #3",
    "Quillmate Basics #4", "Quillmate Basics #5", "Quillmate Basics #6",
};

}  // namespace

std::string_view sampleText() { return {kSampleText, sizeof kSampleText - 1}; }

const char* sampleLabel(int32_t n) {
    if (n < 1 || n > kSampleLevels) return "";
    return kSampleLabels[n - 1];
}

}  // namespace qm
