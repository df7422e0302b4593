#pragma once
// Rows of the 64 by 64 box/goal matrices of the assignment test, written from 64-bit masks:
// column c of a row takes bit n - 1 - c of the mask, the bit order of the analysis's lists.
#include <cstdint>
#include <cstring>

#include "board/board.hpp"

namespace qm {

constexpr int32_t kMatrixStride = kMaxBoxes;

inline void writeMaskRow(int32_t* matrix, int32_t row, uint64_t mask, int32_t n) {
    int32_t* r = matrix + row * kMatrixStride;
    for (int32_t c = 0; c < n; ++c) r[c] = static_cast<int32_t>((mask >> (n - 1 - c)) & 1);
}

inline void copyMatrixRow(int32_t* to, const int32_t* from, int32_t row) {
    std::memcpy(to + row * kMatrixStride, from + row * kMatrixStride, sizeof(int32_t) * kMatrixStride);
}

}  // namespace qm
