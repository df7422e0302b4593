#pragma once
// Text drawn into the view's pixels with the system's scalable fonts, so that the view holds the
// finished picture wherever it is shown or saved.
#include <cstdint>

#include "ui/view.hpp"

namespace qm {

enum FontKind : int32_t {
    kFontSans = 0,  // proportional sans-serif face
    kFontMono = 1,  // fixed-pitch face, for the columns of figures
};

// Draws text with the top-left corner of its line at (x, y) on a transparent background.
// height is the line's height in pixels (ascent plus descent), as a font cell height.
// Returns false, drawing nothing, when no font of that kind can be found.
bool drawViewText(int32_t x, int32_t y, const char* text, int32_t height, FontKind kind, bool bold,
                  Rgb colour);

}  // namespace qm
