#include "ui/edits.hpp"

#include "ui/window_system.hpp"

namespace qm {

namespace {

// Readers allow at most 9 digits, so the value always fits; longer runs are cut here as well.
constexpr size_t kMaxDigits = 9;

}  // namespace

std::string editText(int32_t control, size_t maxBytes) {
    std::string text = windowSystem().controlText(control);
    if (text.size() > maxBytes) text.resize(maxBytes);
    return text;
}

int32_t leadingNumber(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    int32_t value = 0;
    for (size_t digits = 0; i < text.size() && text[i] >= '0' && text[i] <= '9' && digits < kMaxDigits;
         ++i, ++digits) {
        value = value * 10 + (text[i] - '0');
    }
    return negative ? -value : value;
}

int32_t editNumber(int32_t control, size_t maxChars) { return leadingNumber(editText(control, maxChars)); }

}  // namespace qm
