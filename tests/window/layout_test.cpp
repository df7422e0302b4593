// The window layout tables: every control the logic addresses exists once with a fitting kind,
// sits inside its window, and no two controls a user clicks overlap.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>

#include "platform/fltk/layout.hpp"
#include "solver/texts.hpp"
#include "ui/state.hpp"
#include "ui/view.hpp"
#include "ui/window_system.hpp"

namespace {

using qm::ControlKind;
using qm::ControlLayout;
using qm::DialogLayout;

int countOf(const DialogLayout& dialog, int32_t id) {
    int n = 0;
    for (int32_t i = 0; i < dialog.controlCount; ++i) n += dialog.controls[i].id == id ? 1 : 0;
    return n;
}

const ControlLayout* find(const DialogLayout& dialog, int32_t id) {
    for (int32_t i = 0; i < dialog.controlCount; ++i) {
        if (dialog.controls[i].id == id) return &dialog.controls[i];
    }
    return nullptr;
}

void expectControls(int32_t base, ControlKind kind, std::initializer_list<int32_t> ids) {
    const DialogLayout* dialog = qm::findDialogLayout(base);
    ASSERT_NE(dialog, nullptr);
    for (int32_t id : ids) {
        EXPECT_EQ(countOf(*dialog, id), 1) << "control " << id;
        const ControlLayout* layout = find(*dialog, id);
        if (layout != nullptr) {
            EXPECT_EQ(layout->kind, kind) << "control " << id;
        }
    }
}

bool clickable(ControlKind kind) {
    return kind == qm::kKindButton || kind == qm::kKindEdit || kind == qm::kKindMultiEdit ||
           kind == qm::kKindCheckBox || kind == qm::kKindRadio;
}

bool overlap(const ControlLayout& a, const ControlLayout& b) {
    return a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
}

TEST(Layout, EveryControlOfTheLogicExistsOnceWithItsKind) {
    using namespace qm;
    expectControls(kMainWindow, kKindGroupFrame,
                   {kCtlLoaderFrame, kCtlSelectorFrame, kCtlSolverFrame, kCtlTraceFrame, kCtlBatchFrame});
    expectControls(kMainWindow, kKindButton,
                   {kCtlSample, kCtlText, kCtlFile, kCtlFolder, kCtlPrev, kCtlGo, kCtlNext, kCtlSolve, kCtlTop,
                    kCtlBack, kCtlPlay, kCtlForward, kCtlOption, kCtlLookIn});
    expectControls(kMainWindow, kKindEdit, {kCtlLevelEdit});
    expectControls(kMainWindow, kKindStatic,
                   {kCtlSetLine, kCtlLevelLine, kCtlVerdict, kCtlSeconds, kCtlMoves, kCtlPushes,
                    kCtlSolvedCounter, kCtlFailedCounter, kCtlThread1Label, kCtlThread2Label, kCtlSolvedLabel,
                    kCtlFailedLabel});
    expectControls(kMainWindow, kKindProgress, {kCtlThread1Bar, kCtlThread2Bar});
    expectControls(kMainWindow, kKindBoardFrame, {kCtlBoardFrame});

    expectControls(kOptionDialog, kKindStatic, {kOptTitleLine, kOptSetLine, kOptSizeLine});
    expectControls(kOptionDialog, kKindCheckBox,
                   {kOptPlayAfter, kOptOutput, kOptTrace, kOptOptimize, kOptOptimizePushes});
    expectControls(kOptionDialog, kKindEdit, {kOptReportPath, kOptFrom, kOptTo, kOptTimeLimit});
    expectControls(kOptionDialog, kKindButton, {kOptBrowse, kOptBatchStart, kOptOk});
    expectControls(kOptionDialog, kKindRadio, {kOptSpeedSlow, kOptSpeedNormal, kOptSpeedFast, kOptSpeedHigh});

    expectControls(kTextBoxDialog, kKindStatic, {kBoxPrompt});
    expectControls(kTextBoxDialog, kKindButton, {kBoxAction, kBoxOk});
    expectControls(kTextBoxDialog, kKindMultiEdit, {kBoxEdit});

    // The fourteen controls whose enabling the logic drives are all there.
    for (int32_t id : commandControlIds) EXPECT_EQ(countOf(*findDialogLayout(kMainWindow), id), 1) << id;
}

TEST(Layout, ControlsLieInsideTheirWindowAndBelongToIt) {
    for (const DialogLayout& dialog : qm::dialogLayouts) {
        for (int32_t i = 0; i < dialog.controlCount; ++i) {
            const ControlLayout& c = dialog.controls[i];
            EXPECT_GT(c.w, 0);
            EXPECT_GT(c.h, 0);
            EXPECT_GE(c.x, 0);
            EXPECT_GE(c.y, 0);
            EXPECT_LE(c.x + c.w, dialog.width) << "control " << c.id << " of " << dialog.base;
            EXPECT_LE(c.y + c.h, dialog.height) << "control " << c.id << " of " << dialog.base;
            if (c.id != qm::kUnnamedControl) {
                EXPECT_GT(c.id, dialog.base) << "identifier outside its dialog's range";
                EXPECT_LT(c.id, dialog.base + qm::kOptionDialog);
            }
        }
    }
}

TEST(Layout, ClickableControlsDoNotOverlap) {
    for (const DialogLayout& dialog : qm::dialogLayouts) {
        for (int32_t i = 0; i < dialog.controlCount; ++i) {
            for (int32_t j = i + 1; j < dialog.controlCount; ++j) {
                const ControlLayout &a = dialog.controls[i], &b = dialog.controls[j];
                if (clickable(a.kind) && clickable(b.kind)) {
                    EXPECT_FALSE(overlap(a, b)) << "controls " << a.id << " and " << b.id;
                }
            }
        }
    }
}

TEST(Layout, MainWindowHasTheTitleTheViewPlaceAndStatusColours) {
    const DialogLayout& main = *qm::findDialogLayout(qm::kMainWindow);
    EXPECT_EQ(main.width, 793);
    EXPECT_EQ(main.height, 641);
    EXPECT_STREQ(main.caption, qm::kTitleString);
    // The view is drawn after the board frame and covers all of it but its right and bottom edge.
    int frameAt = -1, viewAt = -1;
    for (int32_t i = 0; i < main.controlCount; ++i) {
        if (main.controls[i].kind == qm::kKindBoardFrame) frameAt = i;
        if (main.controls[i].kind == qm::kKindView) viewAt = i;
    }
    ASSERT_GE(frameAt, 0);
    ASSERT_GE(viewAt, 0);
    EXPECT_LT(frameAt, viewAt);
    const ControlLayout &frame = main.controls[frameAt], &view = main.controls[viewAt];
    EXPECT_EQ(view.x, qm::kViewLeft);
    EXPECT_EQ(view.y, qm::kViewTop);
    EXPECT_EQ(view.w, qm::kViewWidth);
    EXPECT_EQ(view.h, qm::kViewHeight);
    EXPECT_EQ(frame.x, view.x);
    EXPECT_EQ(frame.y, view.y);
    EXPECT_EQ(frame.w, view.w + 1);
    EXPECT_EQ(frame.h, view.h + 1);
    EXPECT_EQ(find(main, qm::kCtlSetLine)->colour, qm::kTextBlue);
    EXPECT_EQ(find(main, qm::kCtlVerdict)->colour, qm::kTextRed);
    // Edits whose text is selected on focus: the level number and the option dialog's numbers.
    EXPECT_TRUE(find(main, qm::kCtlLevelEdit)->selectAllOnFocus);
    const DialogLayout& option = *qm::findDialogLayout(qm::kOptionDialog);
    EXPECT_TRUE(find(option, qm::kOptFrom)->selectAllOnFocus);
    EXPECT_TRUE(find(option, qm::kOptTo)->selectAllOnFocus);
    EXPECT_TRUE(find(option, qm::kOptTimeLimit)->selectAllOnFocus);
    EXPECT_FALSE(find(option, qm::kOptReportPath)->selectAllOnFocus);
    EXPECT_EQ(qm::findDialogLayout(12345), nullptr);
}

}  // namespace
