#pragma once
// The tests' stand-in for the system memory calls: it forwards to the system until told to
// refuse, so that the refusal paths of the blocks and the growing buffers can be driven.
#include <cstddef>

namespace qmtest {

// From now on, refuse every mapping, and every resize to more than bytes.
void refuseMemoryAbove(size_t bytes);
// Forward every call to the system again.
void allowMemory();

// Refuses as refuseMemoryAbove(bytes) while in scope.
class MemoryRefusal {
public:
    explicit MemoryRefusal(size_t bytes) { refuseMemoryAbove(bytes); }
    ~MemoryRefusal() { allowMemory(); }
    MemoryRefusal(const MemoryRefusal&) = delete;
    MemoryRefusal& operator=(const MemoryRefusal&) = delete;
};

}  // namespace qmtest
