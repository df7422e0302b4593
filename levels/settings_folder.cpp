#include "levels/settings_folder.hpp"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace qm {

std::string settingsFolderPath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/') return std::string(config) + "/nuvelka";
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0') return std::string(home) + "/.config/nuvelka";
    return {};
}

std::string ensureSettingsFolder() {
    const std::string folder = settingsFolderPath();
    if (folder.empty()) return {};
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (!std::filesystem::is_directory(folder, ec)) return {};
    return folder;
}

}  // namespace qm
