#pragma once
// The program's icon: four of the board's own tiles (the pusher facing a box, a goal and a box
// on a goal) scaled to a square picture, for the desktop's menus and launchers.
#include <cstdint>
#include <string>

namespace qm {

constexpr int32_t kMinIconSize = 16, kMaxIconSize = 1024;  // pixels a side

// Writes the icon, size x size pixels (kMinIconSize to kMaxIconSize), as a PNG file. On failure
// returns false and says why in error.
bool writeIconPng(const std::string& path, int32_t size, std::string& error);

}  // namespace qm
