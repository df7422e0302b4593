#pragma once
// The settings file "nuvelka.ini" in the settings folder and the nine settings it keeps.
#include <cstdint>
#include <string>

namespace qm {

constexpr int32_t kDefaultTimeLimit = 600;
constexpr int32_t kMaxTimeLimit = 100'000'000;  // seconds; larger values read as the default
constexpr int32_t kDefaultTraceSpeed = 3;
// The optimizer after a solve (key "Optimize" of [OPTION]): off, or the metric it makes short.
constexpr int32_t kOptimizeOff = 0;
constexpr int32_t kOptimizeMoves = 1;
constexpr int32_t kOptimizePushes = 2;

struct Settings {
    std::string folder;        // the settings folder; empty when it could not be made
    std::string iniPath;       // folder/nuvelka.ini
    std::string scratchPath;   // folder/nuvelka.txt
    int32_t playAfter = 1;
    int32_t outputEnabled = 0;
    int32_t writeTrace = 0;
    int32_t timeLimit = kDefaultTimeLimit;
    int32_t traceSpeed = kDefaultTraceSpeed;
    int32_t optimize = kOptimizeOff;
    std::string inputFile;     // stored form: folder + "/*"
    std::string inputFolder;   // stored form: the parent folder, ending in "/"
    std::string outputPath;    // report file; read back in its stored form
};
extern Settings settings;

// Finds (and creates) the settings folder and forms the two file paths.
void locateSettings();
// Reads the nine settings; missing or damaged values take their defaults.
void readSettings();
// Writes PlayAfter, Output, wTrace, uTime, Speed, Optimize and OutputFile, keeping the rest of
// the file.
bool writeOptionSettings();
// Remembers a chosen level file or folder (written at once).
void rememberInputFile(const std::string& path);
void rememberInputFolder(const std::string& path);
// Copies the settings into the variables the solver, batch and trace read.
void applySettings();
// The optimizer's metric for a solve in the window (kMetricMoves or kMetricPushes), or -1 when
// the optimizer is off.
int32_t windowOptimizeMetric();

// Stored forms: the path with its last component replaced by "*"; the path cut after its last
// "/". Empty when the path holds no "/".
std::string storedFilePattern(const std::string& path);
std::string storedParentFolder(const std::string& path);
// True when the last component of a path is "*".
bool isStoredPattern(const std::string& path);

}  // namespace qm
