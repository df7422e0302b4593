#pragma once
// The trace viewer: replays the solution text on the board view step by step or automatically.
#include <cstdint>

namespace qm {

constexpr int32_t kTraceSpeeds = 4;
// Step period in milliseconds by speed: Slow, Normal, Fast, HighSpeed.
inline constexpr int32_t kTracePeriodMs[kTraceSpeeds] = {600, 200, 60, 5};
constexpr int32_t kHighSpeed = 3;

struct Trace {
    int32_t tracePos = 0;      // index in solutionText of the next letter to play
    int32_t tracePusher = 0;   // the pusher's square on the display board
    int32_t tracePushes = 0;   // pushes played so far
};
extern Trace trace;

// Back to the start: position 0, the start position drawn, counters shown, enabling applied.
void traceTop();
// Plays the letter at the trace position; nothing at the end of the text.
void traceForward();
// Undoes the letter before the trace position; nothing at position 0.
void traceBack();
// Starts playback (timer 2 at the period of the speed setting, settings.traceSpeed) or pauses it.
void tracePlayToggle();
// Timer 2: one forward step; pauses when the end is reached.
void traceTick();
// True when no move letter remains to be played.
bool traceAtEnd();
// Puts the trace at the start without drawing (position 0, no pushes, the level's start square).
void resetTrace();
// Shows "%d/%dm" and "%d/%dp" for the trace position and pushes.
void showTraceCounters();

}  // namespace qm
