#pragma once
// The solution text: move letters built on a replay board from box moves, and the replay
// check that proves a finished text solves the loaded level.
#include <cstdint>
#include <mutex>

#include "board/board.hpp"

namespace qm {

constexpr uint32_t kSolutionGrowth = 10000;  // bytes the text starts with and grows by

struct Solution {
    char* solutionText = nullptr;      // NUL-terminated letters; allocated at start-up
    uint32_t solutionCapacity = 0;     // bytes of the buffer
    int32_t moveCount = 0;             // letters counted, walks and pushes
    int32_t pushCount = 0;             // push letters counted
    int32_t traceOverflow = 0;         // growing failed: letters are counted, not stored
    int32_t replayBoard[kMaxSquares];  // 0 free, 2 box, 8 wall: the position being built
    int32_t replayPusher = 0;          // the pusher's square on replayBoard
    // Guards the buffer, replayBoard and replayPusher against the live view's snapshot while a
    // solver thread writes them; taken only by writers of shared state and by the snapshot.
    std::mutex snapshotLock;
};
extern Solution solution;

// Allocates the 10000-byte buffer (first byte NUL). Returns 0 when the allocation fails.
int32_t allocateSolution();
// Releases the buffer.
void releaseSolution();

// Empties the text, clears the counters and the overflow flag, copies obstacleMap into
// replayBoard and puts the replay pusher on pusherSquare.
void resetSolution();
// Appends one letter (walk in direction d, or push when push is set).
void appendLetter(int32_t direction, bool push);
// Appends the pusher's walk on replayBoard from start to target (nothing when equal).
void appendWalk(int32_t target, int32_t start);

// The node arrays of appendBoxTransfer.
constexpr int32_t kTransferNodes = 10000;
struct TransferNodes {
    int32_t fromAndPushes[kTransferNodes];  // box square before the push + 4096 * pushes
    int32_t toAndMoves[kTransferNodes];     // box square after the push + 4096 * moves
    int32_t parent[kTransferNodes];         // -1 for a first push
};
// Appends walk and push letters for node and all its ancestors, root first.
void appendPushChain(int32_t node, const TransferNodes& nodes);
// Brings the box on boxStart to boxTarget with the fewest pushes, then fewest moves, such that
// the pusher can then walk to pusherEnd. Returns 1 and appends the letters, or 0.
int32_t appendBoxTransfer(int32_t boxTarget, int32_t pusherEnd, int32_t boxStart);

// Replays solutionText on the loaded level, recounting moves and pushes; cuts letters after
// the solving push. Returns 1 when it solves the level.
int32_t verifySolution();

// A consistent copy of what the live view shows: the position being built and the last letter.
struct LiveSnapshot {
    int32_t replayBoard[kMaxSquares];
    int32_t replayPusher = 0;
    char lastLetter = 0;  // 0 for an empty text
};
void takeLiveSnapshot(LiveSnapshot& out);

}  // namespace qm
