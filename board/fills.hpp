#pragma once
// Breadth-first flood fills over per-square maps, and the load-time freezing of immovable boxes.
// A square is passable when the board holds 0 there; neighbours are taken up, right, down, left.
#include <cstdint>

namespace qm {

// Fills the pusher's region over squares that are 0 in wallMap. Returns 1 when the region stays
// off the rectangle's border, 0 as soon as it touches it.
int32_t closedCheckFill(const int32_t* wallMap, int32_t* reach);

// Clears reach over cellCount squares and marks with 1 every square the pusher reaches.
void pusherFill(const int32_t* board, int32_t* reach);

// Clears distance; the start gets 1 and every reached square its walking distance + 1.
// Returns the number of squares reached, the start included.
int32_t distanceFill(const int32_t* board, int32_t* distance, int32_t start);

// Marks start and every square reachable from it over free, unmarked squares; keeps earlier
// marks. Returns the smallest square among the start and the squares it marked.
int32_t reachFill(const int32_t* board, int32_t* reach, int32_t start);

// Writes label at start and at every square reachable over squares that are 0 in board and
// still 0 in labels.
void labelFill(const int32_t* board, int32_t* labels, int32_t start, int32_t label);

// Labels the free regions of board: the region of pusher gets 1, then every other region, in the
// order of its smallest square, the next label from 2 on; at most maxOthers of them (no limit when
// negative). labels is cleared first. Returns the number of other regions labelled.
int32_t labelRegions(const int32_t* board, int32_t* labels, int32_t pusher, int32_t maxOthers);

// True when one of the eight squares around s carries label a or b (labels start at 1; give b = a
// to ask for one label).
bool ringTouchesLabel(const int32_t* labels, int32_t s, int32_t a, int32_t b);

// On a solved board (every box on a goal): true when a solution can end with the pusher on s,
// beside a box, with free floor behind s where it stood for the last push.
bool canEndASolutionOn(const int32_t* board, int32_t s);

// Settles boxes that can never move and goals no box can reach, on the loaded level.
// Returns 1, or 7 when the level is impossible (its changes are still made).
int32_t freezeAtLoad();

}  // namespace qm
