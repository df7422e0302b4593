#include "search2/area_clearing.hpp"

#include "board/fills.hpp"
#include "board/handover.hpp"
#include "search2/area_work.hpp"
#include "solver/blocks.hpp"
#include "solver/control.hpp"

namespace qm {

AreaClearing areaClearing;

namespace area {

AreaScratch work;

int32_t regionOf(int32_t* map, int32_t start) {
    clearSquareMap(map);
    return reachFill(handover.searchBoard, map, start);
}

bool sideTouches(const int32_t* map, int32_t s) {
    for (int32_t d = 0; d < 4; ++d) {
        if (map[s + level.dirOffset[d]] != 0) return true;
    }
    return false;
}

}  // namespace area

int32_t areaClearingSearch() {
    if (blocks.memoryReady != 1) return kResultFailed;
    // A node has room for kNodeBoxes squares (the thread body refuses larger levels first), and
    // the plan starts from the one listed area of the solved position.
    if (area::boxCount() > kNodeBoxes || handover.goalAreaCount < 1) return kResultFailed;
    prepareAreaClearing();
    const int32_t planned = planSearch();
    if (planned != kResultSolved) return planned;
    return followPlan();
}


}  // namespace qm
