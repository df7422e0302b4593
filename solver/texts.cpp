#include "solver/texts.hpp"

#include <cstdarg>
#include <cstdio>

#include "solver/control.hpp"

namespace qm {

std::string formatText(const char* format, ...) {
    char buffer[512];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (n < 0) return {};
    if (static_cast<size_t>(n) < sizeof buffer) return std::string(buffer, static_cast<size_t>(n));
    std::string out(static_cast<size_t>(n) + 1, '\0');
    va_start(args, format);
    std::vsnprintf(out.data(), out.size(), format, args);
    va_end(args);
    out.resize(static_cast<size_t>(n));
    return out;
}

std::string levelLine(int32_t number, int32_t width, int32_t height, int32_t boxes) {
    return formatText("%4d [%2d*%2d(%3d)]", number, width, height, boxes);
}

const char* verdictText(int32_t verdict) {
    switch (verdict) {
        case 4: return "Size Over";
        case 5: return "Boxes Over";
        case 6: return "Irregular";
        case 7: return "Impossible";
        default: return "";
    }
}

const char* verdictWord(int32_t verdict) { return verdict == kResultRunning ? "OK" : verdictText(verdict); }

}  // namespace qm
