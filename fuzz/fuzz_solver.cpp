// Fuzz target: the whole solve of a small level made from arbitrary bytes. The first two bytes
// give the size (3 to 10 squares a side); each further byte one square inside the outer wall;
// one byte places the single pusher. Both solver threads run with a one-second limit, the
// solution of a solved level is replayed by the driver, and a replay failure is a crash.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "board/board.hpp"
#include "board/solution.hpp"
#include "levels/parser.hpp"
#include "solver/blocks.hpp"
#include "solver/control.hpp"
#include "solver/driver.hpp"

namespace {

constexpr char kInside[] = {' ', ' ', ' ', '#', '.', '$', '*'};

std::string levelFromBytes(const uint8_t* data, size_t size) {
    if (size < 3) return {};
    const int32_t w = 3 + data[0] % 8, h = 3 + data[1] % 8;
    const int32_t pusher = data[2] % (w * h);
    size_t next = 3;
    std::string text;
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            const bool border = x == 0 || y == 0 || x == w - 1 || y == h - 1;
            char c = '#';
            if (!border) {
                c = next < size ? kInside[data[next++] % sizeof kInside] : ' ';
                if (y * w + x == pusher) c = c == '.' ? '+' : '@';
            }
            text.push_back(c);
        }
        text.push_back('\n');
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (qm::allocateBlocks() != 1 || qm::allocateSolution() == 0) std::abort();
    qm::control.timeLimit = 1;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text = levelFromBytes(data, size);
    if (text.empty()) return 0;
    qm::level.levelVerdict = qm::parseLevel(text.c_str(), text.c_str() + text.size(), 1);
    const int32_t result = qm::solveLevel();
    // Every solution is replayed by the driver: one that does not replay is a fault.
    if (result == qm::kResultTraceMiss) std::abort();
    return 0;
}
