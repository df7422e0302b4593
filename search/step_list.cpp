#include "search/step_list.hpp"

#include <cstdlib>
#include <cstring>

#include "board/board.hpp"
#include "board/system_memory.hpp"

namespace qm {

StepList stepList;

namespace {

constexpr int32_t kFirstStepCapacity = 256;

// Doubles the step storage. False when the storage cannot grow.
bool growSteps() {
    StepList& list = stepList;
    if (list.capacity >= INT32_MAX) return false;
    int64_t wanted = list.capacity == 0 ? kFirstStepCapacity : int64_t{list.capacity} * 2;
    if (wanted > INT32_MAX) wanted = INT32_MAX;
    void* grown = resizeMemory(list.steps, sizeof(Step) * static_cast<size_t>(wanted));
    if (grown == nullptr) return false;
    list.steps = static_cast<Step*>(grown);
    list.capacity = static_cast<int32_t>(wanted);
    return true;
}

}  // namespace

void resetSteps() {
    StepList& list = stepList;
    list.stepCount = 0;
    list.stepOverflow = 0;
    list.lastStepPusher = level.pusherSquare;
    std::memcpy(list.stepBoard, level.obstacleMap, sizeof(int32_t) * level.cellCount);
}

void appendStep(int32_t from, int32_t to, int32_t pusher) {
    StepList& list = stepList;
    if (list.stepCount < list.capacity || growSteps()) {
        list.steps[list.stepCount++] = Step{static_cast<int16_t>(from), static_cast<int16_t>(to),
                                            static_cast<int16_t>(pusher)};
    } else {
        list.stepOverflow = 1;
    }
    list.lastStepPusher = pusher;
    list.stepBoard[from] = 0;
    list.stepBoard[to] = BOX;
}

void releaseSteps() {
    std::free(stepList.steps);
    stepList.steps = nullptr;
    stepList.capacity = 0;
    stepList.stepCount = 0;
}

}  // namespace qm
