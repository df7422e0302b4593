#pragma once
// Memory from the system, asked for in one place: the solver's large blocks and every buffer
// that grows. Each caller has one refusal path, the null result.
#include <cstddef>

namespace qm {

// Maps bytes of private memory that reads as zero and is committed page by page on first write,
// in large pages where the system gives them.
// nullptr when the system refuses.
void* mapMemory(size_t bytes);
// Resizes a buffer from std::malloc or an earlier resize (nullptr: a new buffer). nullptr when the
// system refuses; the old buffer then stays as it was.
void* resizeMemory(void* buffer, size_t bytes);

}  // namespace qm
