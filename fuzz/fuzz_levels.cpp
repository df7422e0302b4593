// Fuzz target: the level parser and the level scans on arbitrary bytes, which reach the
// run-length rows, the metadata lines and the XML reader through openText.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "levels/parser.hpp"
#include "levels/sources.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* text = reinterpret_cast<const char*>(data);
    qm::parseLevel(text, text + size, 0);
    qm::parseLevel(text, text + size, 1);
    if (qm::openText(std::string_view(text, size)) == 1) {
        qm::goToLevel(qm::levelSet.levelCount);
        qm::goToLevel(1);
    }
    return 0;
}
