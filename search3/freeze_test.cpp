#include "search3/freeze_test.hpp"

#include "board/board.hpp"

namespace qm {

namespace {

constexpr int32_t kNotFrozen = 0;
constexpr int32_t kFrozenOnGoals = 1;
constexpr int32_t kFrozenOffGoal = 2;
constexpr int32_t kFreezeBudget = 2000;  // box tests per question

struct FreezeTest {
    int32_t* board;
    const uint8_t* dead;
    const int32_t* goalIndex;
    int32_t budget;
};

int32_t freezeOf(FreezeTest& t, int32_t s);

// Whether the box on s can never move along the axis of offset.
int32_t axisBlocked(FreezeTest& t, int32_t s, int32_t offset) {
    const int32_t a = s - offset, b = s + offset;
    if (t.board[a] == WALL || t.board[b] == WALL) return kFrozenOnGoals;
    if (t.dead[a] != 0 && t.dead[b] != 0) return kFrozenOnGoals;
    if (t.board[a] == BOX) {
        const int32_t r = freezeOf(t, a);
        if (r != kNotFrozen) return r;
    }
    if (t.board[b] == BOX) {
        const int32_t r = freezeOf(t, b);
        if (r != kNotFrozen) return r;
    }
    return kNotFrozen;
}

// Whether the box on s is frozen, given that s itself counts as a wall for the boxes it leans
// on while they are tested.
int32_t freezeOf(FreezeTest& t, int32_t s) {
    if (--t.budget < 0) return kNotFrozen;
    t.board[s] = WALL;
    const int32_t across = axisBlocked(t, s, 1);
    const int32_t along = across == kNotFrozen ? kNotFrozen : axisBlocked(t, s, level.boardWidth);
    t.board[s] = BOX;
    if (across == kNotFrozen || along == kNotFrozen) return kNotFrozen;
    if (t.goalIndex[s] < 0 || across == kFrozenOffGoal || along == kFrozenOffGoal) return kFrozenOffGoal;
    return kFrozenOnGoals;
}

}  // namespace

bool frozenOffGoal(int32_t* board, const uint8_t* dead, const int32_t* goalIndex, int32_t s) {
    FreezeTest t{board, dead, goalIndex, kFreezeBudget};
    if (freezeOf(t, s) == kFrozenOffGoal) return true;
    for (int32_t d = 0; d < 4; ++d) {
        const int32_t n = s + level.dirOffset[d];
        if (board[n] != BOX || goalIndex[n] >= 0) continue;
        t.budget = kFreezeBudget;
        if (freezeOf(t, n) == kFrozenOffGoal) return true;
    }
    return false;
}

}  // namespace qm
