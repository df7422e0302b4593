#pragma once
// The settings folder "nuvelka" in the user's configuration folder.
#include <string>

namespace qm {

// $XDG_CONFIG_HOME/nuvelka, else $HOME/.config/nuvelka; empty when neither is set.
std::string settingsFolderPath();
// Creates the settings folder when missing; returns its path, or empty when it cannot be made.
std::string ensureSettingsFolder();

}  // namespace qm
