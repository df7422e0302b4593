#include "board/system_memory.hpp"

#include <cstdlib>

#include <sys/mman.h>

namespace qm {

void* mapMemory(size_t bytes) {
    void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE,
                   -1, 0);
    if (p == MAP_FAILED) return nullptr;
    // The searches' tables are read at random: large pages spare most page faults and TLB misses.
    // Where the system has none to give, the pages stay small.
#ifdef MADV_HUGEPAGE
    madvise(p, bytes, MADV_HUGEPAGE);
#endif
    return p;
}

void* resizeMemory(void* buffer, size_t bytes) { return std::realloc(buffer, bytes); }

}  // namespace qm
