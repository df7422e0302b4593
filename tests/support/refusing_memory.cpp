// Linked into every test program ahead of the libraries, so these definitions take the place of
// the production ones.
#include "support/refusing_memory.hpp"

#include <atomic>
#include <cstdint>
#include <cstdlib>

#include <sys/mman.h>

#include "board/system_memory.hpp"

namespace {

std::atomic<size_t> largestAllowed{SIZE_MAX};

}  // namespace

namespace qmtest {

void refuseMemoryAbove(size_t bytes) { largestAllowed.store(bytes, std::memory_order_relaxed); }
void allowMemory() { largestAllowed.store(SIZE_MAX, std::memory_order_relaxed); }

}  // namespace qmtest

namespace qm {

void* mapMemory(size_t bytes) {
    if (largestAllowed.load(std::memory_order_relaxed) != SIZE_MAX) return nullptr;
    void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE,
                   -1, 0);
    return p == MAP_FAILED ? nullptr : p;
}

void* resizeMemory(void* buffer, size_t bytes) {
    if (bytes > largestAllowed.load(std::memory_order_relaxed)) return nullptr;
    return std::realloc(buffer, bytes);
}

}  // namespace qm
