#include "ui/settings.hpp"

#include "batch/batch.hpp"
#include "levels/settings_folder.hpp"
#include "levels/sources.hpp"
#include "solver/control.hpp"
#include "optimize/vicinity_search.hpp"
#include "ui/ini_file.hpp"

namespace qm {

Settings settings;

namespace {

int32_t flagValue(const IniFile& ini, const char* section, const char* key, int32_t fallback) {
    const int v = ini.getInt(section, key, fallback);
    return v == 0 || v == 1 ? v : fallback;
}

std::string pathValue(const IniFile& ini, const char* section, const char* key) {
    std::string v = ini.get(section, key, "");
    if (v.size() > kMaxNameBytes) v.clear();
    return v;
}

bool saveKey(const char* section, const char* key, const std::string& value) {
    if (settings.iniPath.empty()) return false;
    IniFile ini;
    ini.load(settings.iniPath);
    ini.set(section, key, value);
    return ini.save(settings.iniPath);
}

}  // namespace

std::string storedFilePattern(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return {};
    return path.substr(0, slash + 1) + "*";
}

std::string storedParentFolder(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return {};
    return path.substr(0, slash + 1);
}

bool isStoredPattern(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return path.substr(slash == std::string::npos ? 0 : slash + 1) == "*";
}

void locateSettings() {
    settings.folder = ensureSettingsFolder();
    if (settings.folder.empty()) {
        settings.iniPath.clear();
        settings.scratchPath.clear();
        return;
    }
    settings.iniPath = settings.folder + "/nuvelka.ini";
    settings.scratchPath = settings.folder + "/nuvelka.txt";
}

void readSettings() {
    IniFile ini;
    if (!settings.iniPath.empty()) ini.load(settings.iniPath);
    settings.playAfter = flagValue(ini, "BATCH", "PlayAfter", 1);
    settings.outputEnabled = flagValue(ini, "BATCH", "Output", 0);
    settings.writeTrace = flagValue(ini, "BATCH", "wTrace", 0);
    const int limit = ini.getInt("OPTION", "uTime", kDefaultTimeLimit);
    settings.timeLimit = limit >= 1 && limit <= kMaxTimeLimit ? limit : kDefaultTimeLimit;
    const int speed = ini.getInt("OPTION", "Speed", kDefaultTraceSpeed);
    settings.traceSpeed = speed >= 0 && speed <= 3 ? speed : kDefaultTraceSpeed;
    const int optimize = ini.getInt("OPTION", "Optimize", kOptimizeOff);
    settings.optimize = optimize >= kOptimizeOff && optimize <= kOptimizePushes ? optimize : kOptimizeOff;
    settings.inputFile = pathValue(ini, "FILE", "InputFile");
    settings.inputFolder = pathValue(ini, "FILE", "InputFolder");
    settings.outputPath = pathValue(ini, "FILE", "OutputFile");
}

bool writeOptionSettings() {
    if (settings.iniPath.empty()) return false;
    IniFile ini;
    ini.load(settings.iniPath);
    ini.set("BATCH", "PlayAfter", std::to_string(settings.playAfter));
    ini.set("BATCH", "Output", std::to_string(settings.outputEnabled));
    ini.set("BATCH", "wTrace", std::to_string(settings.writeTrace));
    ini.set("OPTION", "uTime", std::to_string(settings.timeLimit));
    ini.set("OPTION", "Speed", std::to_string(settings.traceSpeed));
    ini.set("OPTION", "Optimize", std::to_string(settings.optimize));
    const std::string stored = storedFilePattern(settings.outputPath);
    if (!stored.empty()) ini.set("FILE", "OutputFile", stored);
    return ini.save(settings.iniPath);
}

void rememberInputFile(const std::string& path) {
    const std::string stored = storedFilePattern(path);
    if (stored.empty()) return;
    settings.inputFile = stored;
    saveKey("FILE", "InputFile", stored);
}

void rememberInputFolder(const std::string& path) {
    const std::string stored = storedParentFolder(path);
    if (stored.empty()) return;
    settings.inputFolder = stored;
    saveKey("FILE", "InputFolder", stored);
}

void applySettings() {
    batchSettings.playAfter = settings.playAfter;
    batchSettings.outputEnabled = settings.outputEnabled;
    batchSettings.writeTrace = settings.writeTrace;
    control.timeLimit = settings.timeLimit;
    levelSet.scratchPath = settings.scratchPath;
}

int32_t windowOptimizeMetric() {
    if (settings.optimize == kOptimizeMoves) return kMetricMoves;
    if (settings.optimize == kOptimizePushes) return kMetricPushes;
    return -1;
}

}  // namespace qm
