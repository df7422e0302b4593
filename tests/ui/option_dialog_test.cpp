#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "batch/batch.hpp"
#include "ui/main_window.hpp"
#include "ui/option_dialog.hpp"
#include "optimize/vicinity_search.hpp"
#include "ui_fixture.hpp"

using namespace qm;

namespace qmtest {
namespace {

class OptionDialog : public UiTest {
protected:
    std::filesystem::path folder;

    void SetUp() override {
        UiTest::SetUp();
        folder = freshFolder("options");
        locateSettings();
        std::filesystem::remove(settings.iniPath);
        readSettings();
        applySettings();
    }
    void TearDown() override {
        std::filesystem::remove_all(folder);
        UiTest::TearDown();
    }
    // Runs the dialog; inside it, user() acts on the controls.
    template <typename F>
    void run(F user) {
        fake.onDialog = [&](int32_t dialog) {
            if (dialog == kOptionDialog) user();
        };
        optionDialog();
        fake.onDialog = nullptr;
    }
    bool stayedOpen() { return fake.dialogsEnded.empty(); }
};

TEST_F(OptionDialog, OpensWithTheSettingsAndTheLoadedSet) {
    loadSet(room(5, 4, 1, 1, 2, 2, 3, 2) + "\n" + room(6, 4, 1, 1, 2, 2, 4, 2));
    run([] {});
    EXPECT_EQ(fake.text(kOptTitleLine), kTitleString);
    EXPECT_EQ(fake.text(kOptSetLine), "LevelSetName: TextBox (2 levels)");
    EXPECT_EQ(fake.text(kOptSizeLine), "MaxSize [50*50(64)] Memory 3.5GB");
    EXPECT_TRUE(fake.isChecked(kOptPlayAfter));
    EXPECT_FALSE(fake.isChecked(kOptOutput));
    EXPECT_FALSE(fake.enabled(kOptReportPath));  // no report by default
    EXPECT_TRUE(fake.enabled(kOptBatchStart));
    EXPECT_EQ(fake.text(kOptFrom), "1");
    EXPECT_EQ(fake.text(kOptTo), "2");
    EXPECT_TRUE(fake.isChecked(kOptSpeedHigh));
    EXPECT_EQ(fake.text(kOptTimeLimit), "600");
}

TEST_F(OptionDialog, BrowseAddsTxtToANameWithoutExtension) {
    fake.chooserAnswers = {"/r/out/report", "/r/out.d/report", "/r/out/report.log", ""};
    run([this] {
        onDialogCommand(kOptBrowse);
        EXPECT_EQ(fake.text(kOptReportPath), "/r/out/report.txt");
        onDialogCommand(kOptBrowse);
        EXPECT_EQ(fake.text(kOptReportPath), "/r/out.d/report.txt");
        onDialogCommand(kOptBrowse);
        EXPECT_EQ(fake.text(kOptReportPath), "/r/out/report.log");
        onDialogCommand(kOptBrowse);  // cancelled
        EXPECT_EQ(fake.text(kOptReportPath), "/r/out/report.log");
    });
    ASSERT_EQ(fake.chooserCalls.size(), 4u);
    EXPECT_EQ(fake.chooserCalls[0].kind, "save");
    EXPECT_EQ(fake.chooserCalls[0].title, "save as");
}

TEST_F(OptionDialog, ABackwardRangeStartsNoBatch) {
    loadSet(room(5, 4, 1, 1, 2, 2, 3, 2) + "\n" + room(5, 4, 1, 1, 2, 2, 3, 2) + "\n" + room(5, 4, 1, 1, 2, 2, 3, 2));
    run([this] {
        fake.setText(kOptFrom, "3");
        fake.setText(kOptTo, "2");
        onDialogCommand(kOptBatchStart);
        fake.setText(kOptFrom, "0");
        fake.setText(kOptTo, "2");
        onDialogCommand(kOptBatchStart);
    });
    EXPECT_TRUE(stayedOpen());
    EXPECT_EQ(windowState.batchFlag, 0);
    EXPECT_FALSE(std::filesystem::exists(settings.iniPath));
}

TEST_F(OptionDialog, ATimeLimitOfZeroIsRefusedAndNothingSaved) {
    run([this] {
        fake.setText(kOptTimeLimit, "0");
        onDialogCommand(kOptOk);
    });
    EXPECT_TRUE(stayedOpen());
    EXPECT_EQ(settings.timeLimit, 600);
    EXPECT_FALSE(std::filesystem::exists(settings.iniPath));

    run([this] {
        fake.setText(kOptTimeLimit, "45");
        fake.setChecked(kOptSpeedHigh, false);
        fake.setChecked(kOptSpeedSlow, true);
        onDialogCommand(kOptOk);
    });
    EXPECT_EQ(fake.dialogsEnded, std::vector<int32_t>{kOptionDialog});
    EXPECT_EQ(control.timeLimit, 45);
    settings.timeLimit = 0;
    settings.traceSpeed = 2;
    readSettings();
    EXPECT_EQ(settings.timeLimit, 45);
    EXPECT_EQ(settings.traceSpeed, 0);
}

// The optimizer's choice is kept under its own key beside the others, and the dialog shows it.
TEST_F(OptionDialog, TheOptimizerChoiceIsSavedAndShownAgain) {
    run([this] {
        EXPECT_FALSE(fake.isChecked(kOptOptimize));
        EXPECT_FALSE(fake.enabled(kOptOptimizePushes));
        fake.setChecked(kOptOptimize, true);
        onDialogCommand(kOptOptimize);
        EXPECT_TRUE(fake.enabled(kOptOptimizePushes));
        fake.setChecked(kOptOptimizePushes, true);
        onDialogCommand(kOptOk);
    });
    EXPECT_EQ(settings.optimize, kOptimizePushes);
    EXPECT_EQ(windowOptimizeMetric(), kMetricPushes);
    settings.optimize = kOptimizeOff;
    readSettings();
    EXPECT_EQ(settings.optimize, kOptimizePushes);
    EXPECT_EQ(settings.timeLimit, 600);  // the other keys stay
    run([this] {
        EXPECT_TRUE(fake.isChecked(kOptOptimize));
        EXPECT_TRUE(fake.isChecked(kOptOptimizePushes));
        fake.setChecked(kOptOptimize, false);
        onDialogCommand(kOptOk);
    });
    EXPECT_EQ(windowOptimizeMetric(), -1);
}

TEST_F(OptionDialog, AReportThatCannotBeOpenedKeepsTheDialogOpen) {
    loadSet(room(5, 4, 1, 1, 2, 2, 3, 2));
    const std::string path = (folder / "missing" / "report.txt").string();
    run([&] {
        fake.setChecked(kOptOutput, true);
        fake.setText(kOptReportPath, path);
        onDialogCommand(kOptBatchStart);
    });
    EXPECT_TRUE(stayedOpen());
    EXPECT_EQ(windowState.batchFlag, 0);
    ASSERT_EQ(fake.messageBoxes.size(), 1u);
    EXPECT_EQ(fake.messageBoxes[0].text, " Can't open output file.");
    EXPECT_EQ(fake.messageBoxes[0].caption, "Kelvaro Solver");
    EXPECT_EQ(fake.messageBoxes[0].icon, kIconError);
}

TEST_F(OptionDialog, BatchStartTruncatesTheReportAndAcceptsTheRange) {
    loadSet(room(5, 4, 1, 1, 2, 2, 3, 2) + "\n" + room(5, 4, 1, 1, 2, 2, 3, 2));
    const std::filesystem::path report = folder / "old.txt";
    writeFile(report, "an old report\n");
    run([&] {
        fake.setChecked(kOptOutput, true);
        fake.setChecked(kOptTrace, true);
        fake.setText(kOptReportPath, report.string());
        fake.setText(kOptFrom, "2");
        onDialogCommand(kOptBatchStart);
    });
    EXPECT_EQ(fake.dialogsEnded, std::vector<int32_t>{kOptionDialog});
    EXPECT_EQ(windowState.batchFlag, 1);
    EXPECT_EQ(batchSettings.batchFrom, 2);
    EXPECT_EQ(batchSettings.batchTo, 2);
    EXPECT_EQ(batchSettings.outputEnabled, 1);
    EXPECT_EQ(batchSettings.writeTrace, 1);
    EXPECT_EQ(std::filesystem::file_size(report), 0u);
    windowState.batchFlag = 0;
    // Saved in its stored form: the folder and "*", which the dialog does not show again.
    readSettings();
    EXPECT_EQ(settings.outputPath, (folder / "*").string());
    run([] {});
    EXPECT_EQ(fake.text(kOptReportPath), "");
}

}  // namespace
}  // namespace qmtest
