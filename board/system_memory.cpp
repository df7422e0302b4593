#include "board/system_memory.hpp"

#include <cstdlib>

#include <sys/mman.h>

namespace qm {

void* mapMemory(size_t bytes) {
    void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE,
                   -1, 0);
    return p == MAP_FAILED ? nullptr : p;
}

void* resizeMemory(void* buffer, size_t bytes) { return std::realloc(buffer, bytes); }

}  // namespace qm
