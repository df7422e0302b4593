#include "search2/macro_moves.hpp"

#include <cstdlib>
#include <cstring>

#include "board/fills.hpp"
#include "board/handover.hpp"
#include "board/single_box.hpp"
#include "search/boxes.hpp"
#include "search/chain_walk.hpp"
#include "search2/corral.hpp"
#include "board/lifted_area.hpp"
#include "search2/node_table.hpp"
#include "search2/thread2.hpp"
#include "solver/control.hpp"

namespace qm {

MacroTables macro;

namespace {

constexpr int32_t kMeetBands = 54;        // backward priority from visitWeight: 0 .. 53
constexpr int32_t kConnectivityBase = 6;  // connectivityScore = 6 - (2 + regions cut off)

// Scratch tables of the expansions and writers; thread 2 only.
struct ExpansionScratch {
    int32_t nodeReach[kMaxSquares];   // region of the pusher of the node being expanded
    int32_t childReach[kMaxSquares];  // region of the pusher after a macro move
    int32_t sideMap[kMaxSquares];     // side sets of the single-box reach
    int32_t labels[kMaxSquares];      // region labels of connectivityScore
    int32_t runMap[kMaxSquares];      // squares of corridor runs of two or more squares
    int32_t stepScratch[kMaxSquares]; // walls plus one node's boxes, for the step writers
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


bool isWall(const int32_t* board, int32_t s) { return (board[s] & WALL) != 0; }

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
            for (int32_t i = 0; i < n; ++i) ++macro.visitWeight[handover.t2Boxes[i]];
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
            if (macro.corridorRulesOn != 0) {
                if (macro.noStopMark[u] == 1) {
                    macro.corridorRuleUsed = 1;
                    continue;
                }
                const int32_t exit = macro.corridorExit[u];
                // The box is carried on through the corridor rather than left at its mouth.
                if (exit != 0 && expansion.listMark[exit] == expansion.listStamp) {
                    macro.corridorRuleUsed = 1;
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

// The box move from stepBoard to node's position: where a box arrived and where it left.
void differingSquares(const SearchNode* node, int32_t& arrive, int32_t& leave) {
    int32_t* scratch = expansion.stepScratch;
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

// Scans one line of squares first, first + step, ... (count squares) for corridor runs; a square
// is a corridor square when it is free of walls and both squares across the line (± cross) are
// walls. Runs of two or more get noStopMark, except one square that stays a possible stop.
void scanCorridorLine(int32_t first, int32_t step, int32_t count, int32_t cross) {
    const int32_t* board = handover.searchBoard;
    bool inRun = false, boxOrGoal = false;
    int32_t start = 0;
    auto closeRun = [&](int32_t after) {
        if (boxOrGoal) {
            for (int32_t x = start; x != after; x += step) {
                if (board[x] == BOX || level.goalMap[x] != 0) macro.noStopMark[x] = 0;
            }
        } else {
            macro.noStopMark[start + step * ((after - start) / step / 2)] = 0;
        }
        inRun = false;
    };
    for (int32_t k = 0; k < count; ++k) {
        const int32_t s = first + k * step;
        const bool corridor =
            board[s] != WALL && board[s - cross] == WALL && board[s + cross] == WALL;
        if (!corridor) {
            if (inRun) closeRun(s);
            continue;
        }
        if (inRun) {
            macro.noStopMark[s] = macro.noStopMark[s - step] = 1;
            expansion.runMap[s] = expansion.runMap[s - step] = 1;
        } else {
            inRun = true;
            boxOrGoal = false;
            start = s;
        }
        if (board[s] == BOX || level.goalMap[s] != 0) boxOrGoal = true;
    }
    if (inRun) closeRun(first + count * step);
}

}  // namespace

void corridorAnalysis() {
    const int32_t w = level.boardWidth, h = level.boardHeight;
    const int32_t* board = handover.searchBoard;
    clearSquareMap(macro.noStopMark);
    clearSquareMap(macro.corridorExit);
    clearSquareMap(expansion.runMap);
    for (int32_t row = 1; row + 1 < h; ++row) scanCorridorLine(row * w, 1, w, w);
    for (int32_t column = 1; column + 1 < w; ++column) scanCorridorLine(column, w, h, 1);

    // Squares in front of a corridor mouth: where a box pushed through the corridor may stop.
    for (int32_t row = 1; row + 1 < h; ++row) {
        for (int32_t column = 1; column + 1 < w; ++column) {
            const int32_t x = row * w + column;
            if (isWall(board, x)) continue;
            const bool up = isWall(board, x - w), down = isWall(board, x + w);
            const bool left = isWall(board, x - 1), right = isWall(board, x + 1);
            int32_t mouths = 0, direction = 0;
            if (up != down && !left && !right) {
                if (isWall(board, x - w + 1) && isWall(board, x + w + 1)) {
                    ++mouths;
                    direction = RIGHT;
                }
                if (isWall(board, x - w - 1) && isWall(board, x + w - 1)) {
                    ++mouths;
                    direction = LEFT;
                }
            } else if (!up && !down && left != right) {
                if (isWall(board, x - w - 1) && isWall(board, x - w + 1)) {
                    ++mouths;
                    direction = UP;
                }
                if (isWall(board, x + w - 1) && isWall(board, x + w + 1)) {
                    ++mouths;
                    direction = DOWN;
                }
            }
            if (mouths != 1) continue;
            const int32_t offset = level.dirOffset[direction];
            int32_t y = x + offset;
            if (handover.t2StartMask[y] == 0) continue;
            while (expansion.runMap[y] == 1 && macro.noStopMark[y] == 1) y += offset;
            macro.corridorExit[x] = y;
        }
    }
}

int32_t connectivityScore(int32_t p) {
    constexpr int32_t kMostCut = kConnectivityBase - 2;  // the score is 0 from here on
    const int32_t cut = labelRegions(handover.searchBoard, expansion.labels, p, kMostCut);
    const int32_t score = kConnectivityBase - (2 + cut);
    return score < 0 ? 0 : score;
}

int32_t backwardPriority(int32_t p) {
    const int32_t n = handover.t2BoxCount;
    int64_t sum = 0;
    for (int32_t i = 0; i < n; ++i) sum += macro.visitWeight[handover.t2Boxes[i]];
    const double scaled = static_cast<double>(sum) * macro.meetScale + 0.5;
    const int32_t band = scaled >= kMeetBands ? kMeetBands - 1 : static_cast<int32_t>(scaled);
    return band + connectivityScore(p);
}

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
