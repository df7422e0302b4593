#include "ui/trace.hpp"

#include "board/board.hpp"
#include "board/solution.hpp"
#include "ui/board_view.hpp"
#include "ui/settings.hpp"
#include "ui/state.hpp"
#include "ui/texts.hpp"
#include "ui/window_system.hpp"

namespace qm {

Trace trace;

namespace {

char letterAt(int32_t pos) {
    if (solution.solutionText == nullptr || pos < 0) return 0;
    return solution.solutionText[pos];
}

bool onBoard(int32_t s) { return s >= 0 && s < level.cellCount; }

void afterStep() {
    showTraceCounters();
    applyEnabling();
}

}  // namespace

bool traceAtEnd() { return letterDirection(letterAt(trace.tracePos)) < 0; }

void resetTrace() {
    trace.tracePos = 0;
    trace.tracePushes = 0;
    trace.tracePusher = level.pusherStart;
}

void showTraceCounters() {
    WindowSystem& ws = windowSystem();
    ws.setText(kCtlMoves, formatText("%d/%dm", trace.tracePos, static_cast<int32_t>(solution.moveCount)));
    ws.setText(kCtlPushes, formatText("%d/%dp", trace.tracePushes, static_cast<int32_t>(solution.pushCount)));
}

void traceTop() {
    resetTrace();
    drawStart(0);
    afterStep();
}

void traceForward() {
    const char letter = letterAt(trace.tracePos);
    const int32_t d = letterDirection(letter);
    if (d < 0) return;  // the end, or a byte that is no move
    const bool push = isPushLetter(letter);
    int32_t* board = boardView.displayBoard;
    const int32_t step = level.dirOffset[d];
    const int32_t from = trace.tracePusher, to = from + step, beyond = to + step;
    if (!onBoard(from) || !onBoard(to) || (push && !onBoard(beyond))) return;
    board[from] -= PUSHER;
    board[to] += PUSHER;
    if (push) {
        board[to] -= BOX;
        board[beyond] += BOX;
        ++trace.tracePushes;
    }
    trace.tracePusher = to;
    drawTraceStep(d + 1, d);
    ++trace.tracePos;
    afterStep();
}

void traceBack() {
    if (trace.tracePos <= 0) return;
    const char letter = letterAt(trace.tracePos - 1);
    const int32_t d = letterDirection(letter);
    if (d < 0) return;
    const bool push = isPushLetter(letter);
    int32_t* board = boardView.displayBoard;
    const int32_t step = level.dirOffset[d];
    const int32_t at = trace.tracePusher, back = at - step, ahead = at + step;
    if (!onBoard(at) || !onBoard(back) || (push && !onBoard(ahead))) return;
    --trace.tracePos;
    if (push) {
        board[ahead] -= BOX;
        board[at] += BOX;
        --trace.tracePushes;
    }
    board[at] -= PUSHER;
    board[back] += PUSHER;
    trace.tracePusher = back;
    drawTraceStep(trace.tracePos == 0 ? 0 : d + 1, (d + 2) % 4);
    afterStep();
}

void tracePlayToggle() {
    WindowSystem& ws = windowSystem();
    if (windowState.playingFlag != 0) {
        ws.stopTimer(kTimerTrace);
        windowState.playingFlag = 0;
        applyEnabling();
        ws.setText(kCtlPlay, "Play");
        return;
    }
    windowState.playingFlag = 1;
    applyEnabling();
    ws.setText(kCtlPlay, "Pause");
    const int32_t speed = settings.traceSpeed;
    ws.startTimer(kTimerTrace, kTracePeriodMs[speed >= 0 && speed < kTraceSpeeds ? speed : kHighSpeed]);
}

void traceTick() {
    if (!traceAtEnd()) traceForward();
    if (traceAtEnd() && windowState.playingFlag != 0) tracePlayToggle();
}

}  // namespace qm
