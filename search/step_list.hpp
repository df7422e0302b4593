#pragma once
// The solution of the second core's searches as box transfers, which the driver turns into
// letters.
#include <cstdint>

namespace qm {

// One box transfer of a solution: the box on from goes to to (pushes of that box only), after
// which the pusher stands somewhere in the area whose smallest square is pusher.
struct Step {
    int16_t from, to, pusher;
};

// The solution as box transfers, in order. It grows as needed; stepOverflow is set only when
// growing failed (a step was lost).
struct StepList {
    Step* steps = nullptr;
    int32_t stepCount = 0;
    int32_t capacity = 0;
    int32_t stepOverflow = 0;
    int32_t lastStepPusher = 0;
    int32_t stepBoard[2500];   // obstacle board following the steps as they are derived
};
extern StepList stepList;

// Empties the list and starts stepBoard from obstacleMap, lastStepPusher at pusherSquare.
void resetSteps();
// Appends one step and follows it on stepBoard; sets lastStepPusher.
void appendStep(int32_t from, int32_t to, int32_t pusher);
// Frees the list's storage.
void releaseSteps();

}  // namespace qm
