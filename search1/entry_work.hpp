#pragma once
// What the entry search's files share: the work position's helpers and the release and park
// tests, which the path extraction replays.
#include <cstdint>

#include "search/region_stamp.hpp"
#include "search1/entry_search.hpp"

namespace qm::entry {

inline EntrySearch& es = entrySearchTables;
extern RegionStamp region;      // the region of the state being inserted, or of a replay step
extern RegionStamp testRegion;  // the park test's and the replay's trial fills

inline uint8_t statusForPath(uint8_t status) {
    return status == kItemPulledAgain ? kItemPulled : status;
}

// Writes item i's row of both item matrices from its mask.
void setItemRow(int32_t i);
// Clears parkedBoard, puts every item on its goal and the walls of the analysis on pullBoard.
void buildInitialPosition();
// Park test of item i on square q, over the pull states of the last boxPullStates: the park
// square, or kNoSquare. Applying, the item is parked there.
int32_t parkTest(int32_t i, int32_t q, int32_t states, bool apply);
// Release test of item i, lifted from q, over the last boxPullStates. Row i of itemMatrix keeps
// what it writes, also when the test fails.
bool releaseTest(int32_t i, int32_t q, int32_t states);

// After a goal state: records the path, replays it for the sides, and writes the entry list.
// Returns 10 when stopped while testing the candidates, else 8.
int32_t extractEntries();

}  // namespace qm::entry
