#pragma once
// The sides from which a box has been seen on each square during one single-box walk, kept by
// visit stamps so that a new walk clears nothing. A walk over a box's pushes or pulls skips a
// square already reached from the same side.
#include <cstdint>
#include <cstring>

#include "board/board.hpp"
#include "board/single_box.hpp"

namespace qm {

struct SideStamps {
    uint32_t stamp[kMaxSquares] = {};
    int32_t sides[kMaxSquares];
    uint32_t current = 0;

    // Starts a new walk: every square reads as unseen.
    void begin() {
        if (++current == 0) {
            std::memset(stamp, 0, sizeof stamp);
            current = 1;
        }
    }
    int32_t sidesAt(int32_t s) const { return stamp[s] == current ? sides[s] : 0; }
    bool seenFrom(int32_t s, int32_t side) const { return (sidesAt(s) & side) != 0; }
    void add(int32_t s, int32_t newSides) {
        sides[s] = sidesAt(s) | newSides;
        stamp[s] = current;
    }
};

// The placements one box reaches in a walk: square, the sides the pusher reaches there, and the
// normalised pusher square.
struct PlacementList {
    int32_t square[kMaxStates];
    int32_t sides[kMaxStates];
    int32_t pusher[kMaxStates];
    int32_t count = 0;
    SideStamps seen;

    // Starts a walk from the box's own square.
    void begin(int32_t s, int32_t openSides, int32_t p) {
        seen.begin();
        seen.add(s, openSides);
        count = 0;
        append(s, openSides, p);
    }
    bool full() const { return count == kMaxStates; }
    void append(int32_t s, int32_t openSides, int32_t p) {
        square[count] = s;
        sides[count] = openSides;
        pusher[count] = p;
        ++count;
    }
};

}  // namespace qm
