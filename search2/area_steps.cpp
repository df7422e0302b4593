// The step writers of the area-clearing search: a sub-search's node chain and the plan records
// after the last sub-goal become box transfers in the step list.
#include "search2/area_clearing.hpp"

#include <cstdlib>
#include <cstring>
#include <utility>

#include "board/board.hpp"
#include "board/fills.hpp"
#include "board/handover.hpp"
#include "board/single_box.hpp"
#include "search/boxes.hpp"
#include "search/chain_walk.hpp"
#include "search2/area_work.hpp"
#include "search2/corral.hpp"
#include "search2/bidirectional_steps.hpp"
#include "search2/corridors.hpp"
#include "search2/macro_moves.hpp"
#include "search2/priorities.hpp"
#include "search2/node_table.hpp"
#include "search2/thread2.hpp"
#include "solver/blocks.hpp"
#include "solver/control.hpp"

namespace qm::area {

namespace {

// Appends the step of one node of a sub-search, found by comparing its boxes with stepBoard.
void writeNodeStep(const SearchNode* node) {
    buildStepScratch(node->boxes);
    int32_t from = kNoSquare, to = kNoSquare;
    findMovedBox(work.board, stepList.stepBoard, to, from);
    if (from == kNoSquare) from = to = node->boxes[node->movedBox];
    if (to == kNoSquare) to = from;
    appendStep(from, to, node->pusher);
}

}  // namespace

// Appends the steps from the sub-search's root to node, oldest first; the root adds none.
void writeStageSteps(SearchNode* node) {
    forEachStepOldestFirst(node, [](SearchNode*, SearchNode* newer) { writeNodeStep(newer); });
}

// Box transfers for the plan records that follow the last sub-goal: each record differs from
// the one before by one macro move inside the full room.
void writeDirectSteps() {
    AreaClearing& ac = areaClearing;
    int32_t* board = work.board;
    int32_t pusher = stepList.lastStepPusher;
    for (int32_t b = ac.planIndex; b < ac.planLength; ++b) {
        const PlanRecord& record = ac.planRecords[b];
        buildStepScratch(record.boxes);
        const int32_t end = record.pusher;
        int32_t from = kNoSquare, to = kNoSquare;
        findMovedBox(board, stepList.stepBoard, to, from);
        if (from == kNoSquare) {
            // The same boxes, the pusher in another area: a box went round and came back.
            clearSquareMap(work.region);
            reachFill(board, work.region, end);
            for (int32_t j = 0; j < boxCount(); ++j) {
                const int32_t f = record.boxes[j];
                if (f == 0) continue;
                from = f;
                const int32_t states = boxPushReach(board, work.sideMap, f, pusher, work.listBoxes,
                                                    work.listPushers);
                bool back = false;
                for (int32_t l = 1; l < states && !back; ++l) {
                    back = work.listBoxes[l] == f && work.region[work.listPushers[l]] != 0;
                }
                if (back) break;
            }
            if (from == kNoSquare) continue;
            to = from;
        }
        if (to == kNoSquare) to = from;
        appendStep(from, to, end);
        pusher = end;
    }
    ac.planIndex = ac.planLength;
}


}  // namespace qm::area
