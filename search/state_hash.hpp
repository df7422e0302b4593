#pragma once
// The three-part state hash of thread 1's tables: a sum, a product and an exclusive-or of the
// squares of a state, each seeded, in wrapping unsigned 32-bit arithmetic. None depends on the
// order of the squares. Each table combines the three parts in its own way.
#include <cstdint>

namespace qm {

struct ThreePartHash {
    uint32_t sum;
    uint32_t product;
    uint32_t bits;

    explicit constexpr ThreePartHash(uint32_t seed) : sum(seed), product(seed), bits(seed) {}

    void add(int32_t square) {
        const uint32_t s = static_cast<uint32_t>(square);
        sum += s;
        product *= s;
        bits ^= s;
    }
};

}  // namespace qm
