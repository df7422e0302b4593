#include "search2/bidirectional_steps.hpp"
#include "search2/corridors.hpp"
#include "search2/macro_moves.hpp"
#include "search2/priorities.hpp"

#include <cstdlib>
#include <cstring>

#include "board/fills.hpp"
#include "board/handover.hpp"
#include "board/single_box.hpp"
#include "search/boxes.hpp"
#include "search2/corral.hpp"
#include "board/lifted_area.hpp"
#include "search2/node_table.hpp"
#include "search2/thread2.hpp"
#include "solver/control.hpp"

namespace qm {

namespace {

// Scratch tables of the expansions; thread 2 only.
struct ExpansionScratch {
    int32_t nodeReach[kMaxSquares];   // region of the pusher of the node being expanded
    int32_t childReach[kMaxSquares];  // region of the pusher after a macro move
    int32_t sideMap[kMaxSquares];     // side sets of the single-box reach
    uint32_t listMark[kMaxSquares];   // listStamp on the box squares of reach entries 1 ..
    uint32_t listStamp = 0;
    int32_t listBox[kMaxStates];      // single-box reach: box square per entry
    int32_t listPusher[kMaxStates];   // single-box reach: pusher square after the last move
    int32_t survivorEntry[kMaxStates];  // reach entries that passed the first tests
    int32_t survivorArea[kMaxStates];   // their pusher area; -area - 1 when it took a fill
};
ExpansionScratch expansion;
LiftedArea liftedArea;  // the pusher's area with the box being moved lifted

enum class Expansion { Seed, Forward, Backward };



// Marks the box squares of entries 1 .. count-1, so that "is this square a later stop of the
// same box" costs one read.
void markListSquares(int32_t count) {
    if (++expansion.listStamp == 0) {
        std::memset(expansion.listMark, 0, sizeof(expansion.listMark));
        expansion.listStamp = 1;
    }
    for (int32_t l = 1; l < count; ++l) expansion.listMark[expansion.listBox[l]] = expansion.listStamp;
}

void copyBoxesInto(SearchNode* slot) {
    const int32_t n = handover.t2BoxCount;
    for (int32_t i = 0; i < n; ++i) slot->boxes[i] = static_cast<int16_t>(handover.t2Boxes[i]);
}

// Takes every box of the working position off searchBoard.
void liftBoxes() { qm::liftBoxes(handover.searchBoard, handover.t2Boxes, handover.t2BoxCount); }

// The node store step for the child with box j moved from b to u, the pusher then in the area
// whose smallest square is p. 2 go on, 8 the searches met, 9 node limit.
template <Expansion kMode>
int32_t storeChild(SearchNode* r, int32_t j, [[maybe_unused]] int32_t b,
                   [[maybe_unused]] int32_t u, int32_t p) {
    const int32_t n = handover.t2BoxCount;
    SearchNode* slot = nodeLookup(p);

    if constexpr (kMode == Expansion::Backward) {
        if (slot->pusher == 0) {
            if (nodeCountNow() >= kNodeLimit) return kResultFailed;
            storeNode(slot, p, j, kBackwardTag, r);
            nodes.backwardLists.push(backwardPriority(p), slot);
            return kExpanded;
        }
        if (slot->tag == kBackwardTag) return kExpanded;
        // A forward position: its chain from the start is written first, then the slot takes
        // the backward chain's box order and parent so that writeBackwardSteps can follow it.
        writeForwardSteps(slot);
        copyBoxesInto(slot);
        slot->movedBox = static_cast<int8_t>(j);
        slot->parent = r;
        nodes.meetNode = slot;
        return kResultSolved;
    } else {
        if (slot->pusher == 0) {
            if (kMode == Expansion::Forward && nodeCountNow() >= kNodeLimit) return kResultFailed;
            storeNode(slot, p, j, kForwardTag, r);
            nodes.forwardLists.push(connectivityScore(p), slot);
            for (int32_t i = 0; i < n; ++i) ++priorityTables.visitWeight[handover.t2Boxes[i]];
            return kExpanded;
        }
        if (slot->tag == kForwardTag) return kExpanded;
        if constexpr (kMode == Expansion::Seed) {
            appendStep(b, u, p);
            return kResultSolved;
        }
        copyBoxesInto(slot);
        slot->parent = r;
        slot->movedBox = static_cast<int8_t>(j);
        writeForwardSteps(slot);
        return kResultSolved;
    }
}

// Generates the macro moves of every box but excluded from the position in t2Boxes (marked on
// searchBoard) with the pusher's region at pusher. Leaves the boxes off searchBoard.
// 2 expanded, 8 met, 9 node limit.
template <Expansion kMode>
int32_t generateMoves(SearchNode* r, int32_t pusher, int32_t excluded) {
    constexpr bool kPush = kMode != Expansion::Backward;
    const int32_t n = handover.t2BoxCount;
    int32_t* board = handover.searchBoard;
    int32_t* boxes = handover.t2Boxes;
    const uint32_t* mask = kPush ? handover.t2GoalMask : handover.t2StartMask;
    clearSquareMap(expansion.nodeReach);
    reachFill(board, expansion.nodeReach, pusher);

    for (int32_t j = 0; j < n; ++j) {
        if (j == excluded) continue;
        const int32_t b = boxes[j];
        bool reachable = false;
        for (int32_t d = 0; d < 4; ++d) {
            if (expansion.nodeReach[b + level.dirOffset[d]] != 0) reachable = true;
        }
        if (!reachable) continue;

        // The pusher's area with this box lifted serves the reach search and the children.
        board[b] = 0;
        findLiftedArea(board, pusher, liftedArea);
        board[b] = BOX;
        int32_t count;
        if constexpr (kMode == Expansion::Seed) {
            count = boxPushReachSearch(expansion.sideMap, b, pusher, expansion.listBox,
                                       expansion.listPusher, &liftedArea);
        } else if constexpr (kMode == Expansion::Forward) {
            count = boxPushReach(board, expansion.sideMap, b, pusher, expansion.listBox,
                                 expansion.listPusher, &liftedArea);
        } else {
            count = boxPullReach(board, expansion.sideMap, b, pusher, expansion.listBox,
                                 expansion.listPusher, &liftedArea);
        }
        if (count <= 1) continue;
        markListSquares(count);
        board[b] = 0;

        // First the tests that depend on nothing stored, for every candidate; each survivor's
        // table slot is fetched ahead, so the lookups below seldom wait for memory.
        int32_t survivors = 0;
        for (int32_t l = 1; l < count; ++l) {
            const int32_t u = expansion.listBox[l];
            if (mask[u] == 0) continue;
            if (corridorRules.corridorRulesOn != 0) {
                if (corridorRules.noStopMark[u] == 1) {
                    corridorRules.corridorRuleUsed = 1;
                    continue;
                }
                const int32_t exit = corridorRules.corridorExit[u];
                // The box is carried on through the corridor rather than left at its mouth.
                if (exit != 0 && expansion.listMark[exit] == expansion.listStamp) {
                    corridorRules.corridorRuleUsed = 1;
                    continue;
                }
            }
            boxes[j] = u;
            board[u] = BOX;
            bool keep = true;
            if (kPush && frozenTest(board, u) == 1) keep = false;
            if (keep && mask[u] != mask[b] && goalAssignmentTest(mask, n) == 0) keep = false;
            if (keep) {
                // The child's pusher area: the lifted area less u when u splits nothing.
                int32_t p = areaWithoutSquare(liftedArea, u);
                const bool filled = p < 0;
                if (filled) {
                    clearSquareMap(expansion.childReach);
                    p = reachFill(board, expansion.childReach, expansion.listPusher[l]);
                }
                prefetchNode(p);
                expansion.survivorEntry[survivors] = l;
                expansion.survivorArea[survivors] = filled ? -p - 1 : p;
                ++survivors;
            }
            board[u] = 0;
        }
        // Then, in the same order, the corral test and the store step.
        for (int32_t k = 0; k < survivors; ++k) {
            const int32_t l = expansion.survivorEntry[k];
            const int32_t u = expansion.listBox[l];
            const bool filled = expansion.survivorArea[k] < 0;
            const int32_t p = filled ? -expansion.survivorArea[k] - 1 : expansion.survivorArea[k];
            boxes[j] = u;
            board[u] = BOX;
            bool keep = true;
            if constexpr (kPush) {
                const int32_t* region = liftedArea.inArea;
                if (filled) {
                    clearSquareMap(expansion.childReach);
                    reachFill(board, expansion.childReach, expansion.listPusher[l]);
                    region = expansion.childReach;
                }
                keep = t2CorralTestInRegion(u, expansion.listPusher[l], region) != 1;
            }
            if (keep) {
                const int32_t result = storeChild<kMode>(r, j, b, u, p);
                if (result != kExpanded) {
                    liftBoxes();
                    return result;
                }
            }
            board[u] = 0;
        }
        board[b] = BOX;
        boxes[j] = b;
    }
    liftBoxes();
    return kExpanded;
}

// Loads the position of node onto t2Boxes and searchBoard.
void loadNode(const SearchNode* node) {
    loadBoxes(handover.searchBoard, handover.t2Boxes, node->boxes, handover.t2BoxCount);
}
}  // namespace

int32_t forwardSeed(int32_t pusher) {
    return generateMoves<Expansion::Seed>(nullptr, pusher, handover.t2BoxCount);
}

int32_t forwardExpand() {
    SearchNode* r = nodes.forwardLists.pop();
    if (r == nullptr) return kResultImpossible;
    loadNode(r);
    return generateMoves<Expansion::Forward>(r, r->pusher, r->movedBox);
}

int32_t backwardExpand() {
    SearchNode* r = nodes.backwardLists.pop();
    if (r == nullptr) return kResultImpossible;
    loadNode(r);
    return generateMoves<Expansion::Backward>(r, r->pusher, r->movedBox);
}

}  // namespace qm
