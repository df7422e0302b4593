#include "platform/fltk/layout.hpp"

#include "solver/texts.hpp"
#include "ui/view.hpp"
#include "ui/window_system.hpp"

namespace qm {

namespace {

constexpr int32_t kButtonY = 28, kButtonH = 24, kButtonW = 52;
constexpr int32_t kStatusY = 68, kStatusH = 18;
constexpr int32_t kRow1Y = 579, kRow2Y = 599, kRowH = 14;

// Main window, client area 793 x 641. Controls are drawn in table order: the board frame comes
// before the view, which covers all of it but its right and bottom edges.
const ControlLayout mainControls[] = {
    {kCtlLoaderFrame, kKindGroupFrame, 12, 12, 232, 50, "Level Loader", kTextPlain, false},
    {kCtlSelectorFrame, kKindGroupFrame, 250, 12, 186, 50, "Level Selector", kTextPlain, false},
    {kCtlSolverFrame, kKindGroupFrame, 442, 12, 70, 50, "Solver", kTextPlain, false},
    {kCtlTraceFrame, kKindGroupFrame, 518, 12, 188, 50, "Trace Viewer", kTextPlain, false},
    {kCtlBatchFrame, kKindGroupFrame, 712, 12, 70, 50, "Batch etc.", kTextPlain, false},

    {kCtlSample, kKindButton, 20, kButtonY, kButtonW, kButtonH, "Sample", kTextPlain, false},
    {kCtlText, kKindButton, 74, kButtonY, kButtonW, kButtonH, "Text", kTextPlain, false},
    {kCtlFile, kKindButton, 128, kButtonY, kButtonW, kButtonH, "File", kTextPlain, false},
    {kCtlFolder, kKindButton, 182, kButtonY, kButtonW, kButtonH, "Folder", kTextPlain, false},
    {kCtlPrev, kKindButton, 258, kButtonY, kButtonW, kButtonH, "Prev", kTextPlain, false},
    {kCtlLevelEdit, kKindEdit, 312, 31, 34, 19, "", kTextPlain, true},
    {kCtlGo, kKindButton, 346, kButtonY, 26, kButtonH, "Go", kTextPlain, false},
    {kCtlNext, kKindButton, 374, kButtonY, kButtonW, kButtonH, "Next", kTextPlain, false},
    {kCtlSolve, kKindButton, 450, kButtonY, kButtonW, kButtonH, "Solve", kTextPlain, false},
    {kCtlTop, kKindButton, 526, kButtonY, 38, kButtonH, "Top", kTextPlain, false},
    {kCtlBack, kKindButton, 566, kButtonY, 38, kButtonH, "<-", kTextPlain, false},
    {kCtlPlay, kKindButton, 606, kButtonY, kButtonW, kButtonH, "Play", kTextPlain, false},
    {kCtlForward, kKindButton, 658, kButtonY, 38, kButtonH, "->", kTextPlain, false},
    {kCtlOption, kKindButton, 720, kButtonY, kButtonW, kButtonH, "Option", kTextPlain, false},
    {kCtlLookIn, kKindButton, 720, 63, kButtonW, kButtonH, "LookIn", kTextPlain, false},

    {kCtlSetLine, kKindStatic, 20, kStatusY, 238, kStatusH, "", kTextBlue, false},
    {kCtlLevelLine, kKindStatic, 258, kStatusY, 106, kStatusH, "", kTextPlain, false},
    {kCtlVerdict, kKindStatic, 364, kStatusY, 86, kStatusH, "", kTextRed, false},
    {kCtlSeconds, kKindStatic, 430, kStatusY, 70, kStatusH, "", kTextPlain, false},
    {kCtlMoves, kKindStatic, 500, kStatusY, 108, kStatusH, "", kTextPlain, false},
    {kCtlPushes, kKindStatic, 608, kStatusY, 94, kStatusH, "", kTextPlain, false},

    {kCtlBoardFrame, kKindBoardFrame, 12, 88, 769, 481, "", kTextPlain, false},
    {kUnnamedControl, kKindView, kViewLeft, kViewTop, kViewWidth, kViewHeight, "", kTextPlain, false},

    {kCtlThread1Label, kKindStatic, 12, kRow1Y, 46, kRowH, "Thread1", kTextPlain, false},
    {kCtlThread2Label, kKindStatic, 12, kRow2Y, 46, kRowH, "Thread2", kTextPlain, false},
    {kCtlThread1Bar, kKindProgress, 64, kRow1Y, 630, kRowH, "", kTextPlain, false},
    {kCtlThread2Bar, kKindProgress, 64, kRow2Y, 630, kRowH, "", kTextPlain, false},
    {kCtlSolvedLabel, kKindStatic, 702, kRow1Y, 38, kRowH, "Solved", kTextPlain, false},
    {kCtlFailedLabel, kKindStatic, 702, kRow2Y, 38, kRowH, "Failed", kTextPlain, false},
    {kCtlSolvedCounter, kKindStatic, 740, kRow1Y, 40, kRowH, "", kTextPlain, false},
    {kCtlFailedCounter, kKindStatic, 740, kRow2Y, 40, kRowH, "", kTextPlain, false},
};

// Option dialog, client area 430 x 322: the batch group above, the others group below, OK at
// the bottom right.
const ControlLayout optionControls[] = {
    {kUnnamedControl, kKindGroupFrame, 10, 6, 410, 192, "Batch solution", kTextPlain, false},
    {kOptTitleLine, kKindStatic, 20, 26, 390, 16, "", kTextPlain, false},
    {kOptSetLine, kKindStatic, 20, 44, 390, 16, "", kTextPlain, false},
    {kOptSizeLine, kKindStatic, 20, 62, 390, 16, "", kTextPlain, false},
    {kOptPlayAfter, kKindCheckBox, 20, 82, 390, 20, " Play the Trace Viewer after solved. (High Speed)",
     kTextPlain, false},
    {kOptOutput, kKindCheckBox, 20, 106, 120, 20, " Output file.", kTextPlain, false},
    {kOptTrace, kKindCheckBox, 150, 106, 120, 20, " +Trace data", kTextPlain, false},
    {kOptReportPath, kKindEdit, 20, 130, 320, 22, "", kTextPlain, false},
    {kOptBrowse, kKindButton, 346, 130, 64, 22, "browse", kTextPlain, false},
    {kUnnamedControl, kKindStatic, 20, 164, 114, 22, "Solver range: from", kTextPlain, false},
    {kOptFrom, kKindEdit, 136, 164, 50, 22, "", kTextPlain, true},
    {kUnnamedControl, kKindStatic, 192, 164, 20, 22, "to", kTextPlain, false},
    {kOptTo, kKindEdit, 214, 164, 50, 22, "", kTextPlain, true},
    {kOptBatchStart, kKindButton, 320, 162, 90, 26, "Batch Start", kTextPlain, false},

    {kUnnamedControl, kKindGroupFrame, 10, 204, 410, 76, "Others", kTextPlain, false},
    {kOptSpeedSlow, kKindRadio, 20, 224, 60, 20, "Slow", kTextPlain, false},
    {kOptSpeedNormal, kKindRadio, 84, 224, 70, 20, "Nomal", kTextPlain, false},
    {kOptSpeedFast, kKindRadio, 158, 224, 60, 20, "Fast", kTextPlain, false},
    {kOptSpeedHigh, kKindRadio, 222, 224, 90, 20, "HighSpeed", kTextPlain, false},
    {kUnnamedControl, kKindStatic, 20, 250, 64, 22, "Time limit:", kTextPlain, false},
    {kOptTimeLimit, kKindEdit, 86, 250, 60, 22, "", kTextPlain, true},
    {kUnnamedControl, kKindStatic, 150, 250, 30, 22, "sec", kTextPlain, false},
    {kUnnamedControl, kKindStatic, 220, 250, 190, 22, "Supports Begin Ended", kTextPlain, false},

    {kOptOptimize, kKindCheckBox, 20, 291, 90, 20, " Optimize", kTextPlain, false},
    {kOptOptimizePushes, kKindCheckBox, 112, 291, 120, 20, " pushes first", kTextPlain, false},
    {kOptOk, kKindButton, 340, 288, 80, 26, "OK", kTextPlain, false},
};

// Text box, client area 460 x 400: prompt, the edit, the action button and OK.
const ControlLayout textBoxControls[] = {
    {kBoxPrompt, kKindStatic, 12, 10, 436, 20, "", kTextPlain, false},
    {kBoxEdit, kKindMultiEdit, 12, 36, 436, 318, "", kTextPlain, false},
    {kBoxAction, kKindButton, 12, 364, 80, 26, "", kTextPlain, false},
    {kBoxOk, kKindButton, 368, 364, 80, 26, "OK", kTextPlain, false},
};

template <typename T, int32_t N>
constexpr int32_t countOf(const T (&)[N]) {
    return N;
}

}  // namespace

const DialogLayout dialogLayouts[kDialogCount] = {
    {kMainWindow, kTitleString, 793, 641, mainControls, countOf(mainControls)},
    {kOptionDialog, "Option", 430, 322, optionControls, countOf(optionControls)},
    {kTextBoxDialog, "TextBox", 460, 400, textBoxControls, countOf(textBoxControls)},
};

const DialogLayout* findDialogLayout(int32_t base) {
    for (const DialogLayout& layout : dialogLayouts) {
        if (layout.base == base) return &layout;
    }
    return nullptr;
}

}  // namespace qm
