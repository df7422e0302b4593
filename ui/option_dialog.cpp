#include "ui/option_dialog.hpp"

#include <cstdio>
#include <string>

#include "batch/batch.hpp"
#include "board/board.hpp"
#include "levels/sources.hpp"
#include "ui/edits.hpp"
#include "ui/settings.hpp"
#include "ui/state.hpp"
#include "ui/texts.hpp"
#include "ui/trace.hpp"
#include "ui/window_system.hpp"

namespace qm {

namespace {

// The speed radio buttons, by speed.
constexpr int32_t kSpeedButtons[kTraceSpeeds] = {kOptSpeedSlow, kOptSpeedNormal, kOptSpeedFast, kOptSpeedHigh};

struct Caption {
    int32_t control;
    const char* text;
};
constexpr Caption kOptionCaptions[] = {
    {kOptPlayAfter, " Play the Trace Viewer after solved. (High Speed)"},
    {kOptOutput, " Output file."},
    {kOptTrace, " +Trace data"},
    {kOptBrowse, "browse"},
    {kOptBatchStart, "Batch Start"},
    {kOptSpeedSlow, "Slow"},
    {kOptSpeedNormal, "Nomal"},
    {kOptSpeedFast, "Fast"},
    {kOptSpeedHigh, "HighSpeed"},
    {kOptOk, "OK"},
    {kOptOptimize, " Optimize"},
    {kOptOptimizePushes, " pushes first"},
};

void enableBatchStart() {
    WindowSystem& ws = windowSystem();
    ws.enable(kOptBatchStart, ws.isChecked(kOptPlayAfter) || ws.isChecked(kOptOutput));
}

void enableReportControls(bool on) {
    WindowSystem& ws = windowSystem();
    ws.enable(kOptTrace, on);
    ws.enable(kOptReportPath, on);
    ws.enable(kOptBrowse, on);
}

void openOptionDialog() {
    WindowSystem& ws = windowSystem();
    for (const Caption& c : kOptionCaptions) ws.setText(c.control, c.text);
    windowState.batchFlag = 0;
    ws.setChecked(kOptPlayAfter, settings.playAfter != 0);
    ws.setChecked(kOptOutput, settings.outputEnabled != 0);
    ws.setChecked(kOptTrace, settings.writeTrace != 0);
    ws.setText(kOptReportPath, isStoredPattern(settings.outputPath) ? "" : settings.outputPath);
    const bool loaded = levelSet.sourceKind != kSourceNone;
    for (int32_t c : {kOptPlayAfter, kOptOutput, kOptTrace, kOptReportPath, kOptFrom, kOptTo, kOptBrowse,
                      kOptBatchStart}) {
        ws.enable(c, loaded);
    }
    if (loaded) {
        ws.setText(kOptTitleLine, kTitleString);
        ws.setText(kOptSetLine, formatText("LevelSetName: %s (%d levels)", levelSet.levelSetName.c_str(),
                                           levelSet.levelCount));
        ws.setText(kOptSizeLine, formatText("MaxSize [%d*%d(%d)] Memory %sGB", kMaxSide, kMaxSide, kMaxBoxes,
                                            kMemoryText));
        if (settings.outputEnabled == 0) {
            ws.setText(kOptReportPath, "");
            enableReportControls(false);
        }
        ws.setText(kOptFrom, "1");
        ws.setText(kOptTo, formatText("%d", levelSet.levelCount));
    } else {
        ws.setText(kOptTitleLine, "");
        ws.setText(kOptSetLine, "              Levels are not loaded.");
        ws.setText(kOptSizeLine, "");
    }
    for (int32_t speed = 0; speed < kTraceSpeeds; ++speed) {
        ws.setChecked(kSpeedButtons[speed], speed == settings.traceSpeed);
    }
    ws.setText(kOptTimeLimit, formatText("%d", static_cast<int32_t>(settings.timeLimit)));
    ws.setChecked(kOptOptimize, settings.optimize != kOptimizeOff);
    ws.setChecked(kOptOptimizePushes, settings.optimize == kOptimizePushes);
    ws.enable(kOptOptimizePushes, settings.optimize != kOptimizeOff);
}

// Save chooser; a chosen name without an extension gets ".txt". Cancelling changes nothing.
void browseReport() {
    WindowSystem& ws = windowSystem();
    std::string path = ws.saveFileChooser("save as", editText(kOptReportPath, kPathBytes));
    if (path.empty()) return;
    const size_t slash = path.find_last_of('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    if (path.find('.', nameStart) == std::string::npos) path += ".txt";
    if (path.size() > kPathBytes) return;  // does not fit the path the dialog keeps
    ws.setText(kOptReportPath, path);
}

// Creates or empties the report file. A path longer than the dialog takes is refused rather
// than cut, which would name another file.
bool prepareReportFile(const std::string& path) {
    if (path.empty() || path.size() > kPathBytes) return false;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    return std::fclose(f) == 0;
}

// OK: speed and time limit taken and saved, the dialog closed. A time limit below one second (or
// beyond what the settings file keeps) is refused: the dialog stays open and nothing changes.
bool acceptOptions() {
    WindowSystem& ws = windowSystem();
    int32_t speed = settings.traceSpeed;
    for (int32_t s = 0; s < kTraceSpeeds; ++s) {
        if (ws.isChecked(kSpeedButtons[s])) {
            speed = s;
            break;
        }
    }
    const int32_t limit = editNumber(kOptTimeLimit, kRangeChars);
    if (limit < 1 || limit > kMaxTimeLimit) return false;
    settings.traceSpeed = speed;
    settings.timeLimit = limit;
    settings.optimize = !ws.isChecked(kOptOptimize)      ? kOptimizeOff
                        : ws.isChecked(kOptOptimizePushes) ? kOptimizePushes
                                                           : kOptimizeMoves;
    applySettings();
    writeOptionSettings();
    ws.endDialog(kOptionDialog);
    return true;
}

void batchStart() {
    WindowSystem& ws = windowSystem();
    if (levelSet.sourceKind == kSourceNone) return;
    settings.playAfter = ws.isChecked(kOptPlayAfter) ? 1 : 0;
    const int32_t from = editNumber(kOptFrom, kRangeChars);
    const int32_t to = editNumber(kOptTo, kRangeChars);
    if (ws.isChecked(kOptOutput)) {
        const std::string path = editText(kOptReportPath, kPathBytes + 1);
        if (path.size() <= kPathBytes) settings.outputPath = path;
        if (!prepareReportFile(path)) {
            applySettings();
            ws.messageBox(kMessageCaption, " Can't open output file.", kIconError);
            return;
        }
        settings.outputEnabled = 1;
        settings.writeTrace = ws.isChecked(kOptTrace) ? 1 : 0;
    } else {
        settings.outputEnabled = 0;
    }
    applySettings();
    if (to < from || from <= 0 || to <= 0) return;
    batchSettings.batchFrom = from;
    batchSettings.batchTo = to;
    windowState.batchFlag = 1;
    if (!acceptOptions()) windowState.batchFlag = 0;
}

}  // namespace

void optionDialog() {
    openOptionDialog();
    windowSystem().runDialog(kOptionDialog);
}

void optionDialogCommand(int32_t id) {
    switch (id) {
        case kOptBrowse:
            browseReport();
            break;
        case kOptOutput:
            enableReportControls(windowSystem().isChecked(kOptOutput));
            enableBatchStart();
            break;
        case kOptPlayAfter:
            enableBatchStart();
            break;
        case kOptOptimize:
            windowSystem().enable(kOptOptimizePushes, windowSystem().isChecked(kOptOptimize));
            break;
        case kOptBatchStart:
            batchStart();
            break;
        case kOptOk:
            acceptOptions();
            break;
        default:
            break;
    }
}

}  // namespace qm
