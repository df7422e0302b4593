#pragma once
// The backend's modal message box: a drawn warning, information or error icon, the text and an
// OK button centred at the bottom.
#include <string>

#include "ui/window_system.hpp"

class Fl_Window;

namespace qm {

// Shows the box centred over owner (or the screen when null) and returns when it is dismissed
// (OK, Enter, Escape or its close box).
void showMessageBox(const std::string& caption, const std::string& text, MessageIcon icon, Fl_Window* owner);

}  // namespace qm
