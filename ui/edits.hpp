#pragma once
// Bounded reads of edit controls: a control's text is never taken beyond the size its reader
// allows, however much the user typed or pasted.
#include <cstddef>
#include <cstdint>
#include <string>

namespace qm {

// The first maxBytes bytes of the control's text.
std::string editText(int32_t control, size_t maxBytes);
// The number written at the start of the control's first maxChars characters: leading blanks and
// one sign are accepted, the digits end at the first other character; no digits read as 0.
int32_t editNumber(int32_t control, size_t maxChars);
// The same rule applied to a text.
int32_t leadingNumber(const std::string& text);

}  // namespace qm
