// The step writers of thread 2's bidirectional search: the forward chain from the start and the
// backward chain towards the solved position become box transfers in the step list.
#include "search2/bidirectional_steps.hpp"

#include "board/handover.hpp"
#include "search/boxes.hpp"
#include "search/chain_walk.hpp"
#include "search2/node_table.hpp"
#include "search2/thread2.hpp"

namespace qm {

namespace {

// Walls plus one node's boxes.
struct StepScratch {
    int32_t board[kMaxSquares];
};
StepScratch steps;

// The box move from stepBoard to node's position: where a box arrived and where it left.
void differingSquares(const SearchNode* node, int32_t& arrive, int32_t& leave) {
    int32_t* scratch = steps.board;
    for (int32_t s = 0; s < level.cellCount; ++s) scratch[s] = handover.searchBoard[s] & WALL;
    for (int32_t i = 0; i < handover.t2BoxCount; ++i) scratch[node->boxes[i]] = BOX;
    findMovedBox(scratch, stepList.stepBoard, arrive, leave);
}

// Appends the step that brings stepBoard to node's position.
void writeNodeStep(const SearchNode* node) {
    int32_t to, from;
    differingSquares(node, to, from);
    if (from < 0) from = to = node->boxes[node->movedBox];
    appendStep(from, to, node->pusher);
}
}  // namespace

void writeForwardSteps(SearchNode* node) { forEachOldestFirst(node, writeNodeStep); }

void writeBackwardSteps() {
    const SearchNode* meet = nodes.meetNode;
    if (meet == nullptr) return;
    const int32_t n = handover.t2BoxCount;
    int32_t moved = meet->boxes[meet->movedBox];
    for (const SearchNode* q = meet->parent; q != nullptr; q = q->parent) {
        int32_t to, from;
        differingSquares(q, to, from);
        if (from < 0) from = to = moved;
        appendStep(from, to, q->pusher);
        if (q->movedBox < n) moved = q->boxes[q->movedBox];
    }
}
}  // namespace qm
