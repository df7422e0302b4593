#include "board/board_scratch.hpp"

namespace qm {

namespace {

BoardScratch sharedScratch;
thread_local BoardScratch* threadScratch = &sharedScratch;

}  // namespace

BoardScratch& boardScratch() { return *threadScratch; }

void useBoardScratch(BoardScratch& scratch) { threadScratch = &scratch; }

}  // namespace qm
