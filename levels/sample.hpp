#pragma once
// The built-in sample set.
#include <cstdint>
#include <string_view>

namespace qm {

// The sample text in the common notation.
std::string_view sampleText();
// The label of sample level n (from 1), naming its collection and number; "" beyond the set.
const char* sampleLabel(int32_t n);
constexpr int32_t kSampleLevels = 6;

}  // namespace qm
