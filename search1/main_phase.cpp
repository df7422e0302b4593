#include "search1/main_line.hpp"
#include "search1/thread1.hpp"
#include "solver/control.hpp"

namespace qm {

// The segment-by-segment phase comes with the entry and segment searches; until then it finds
// nothing and leaves the level to the final search.
int32_t mainPhase() {
    resetMainLine();
    return kResultNoLevel;
}

}  // namespace qm
