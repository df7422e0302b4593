#pragma once
// The setting of the main-window tests: the real start-up (settings in the tests' private
// folder, both solver blocks, the solution text) on a recording window system whose message
// 1025 runs onWorkerDone at once, as the window's thread would; closed again after each test.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>

#include "board/solution.hpp"
#include "levels/sources.hpp"
#include "solver/blocks.hpp"
#include "solver/control.hpp"
#include "support/fake_window_system.hpp"
#include "support/test_support.hpp"
#include "ui/main_window.hpp"
#include "ui/settings.hpp"
#include "ui/state.hpp"
#include "ui/window_system.hpp"
#include "ui/worker.hpp"

namespace qmtest {

// Solved by the searches in a few milliseconds.
inline const char* const kTinyLevel = "######\n#    #\n# @$ #\n#   .#\n######\n";
inline const char* const kTinyLevel2 = "#######\n#     #\n# $@$ #\n#.   .#\n#######\n";
// 26 boxes: far from solved within the few milliseconds a test needs to press a button.
inline const char* const kHardLevel =
    "##########################\n"
    "# $   .  ## .    $       #\n"
    "#  . .   ## .            #\n"
    "#   $  ..##       $    # #\n"
    "#       $      $$ .      #\n"
    "#        #  $ .   .      #\n"
    "#  $. ## # $     # ### $ #\n"
    "# $    #  .      $    .  #\n"
    "####    $##  #   $  $    #\n"
    "   ####     .        $   #\n"
    "      # .. $ $    .   .$ #\n"
    "      #      .. #        #\n"
    "      # $###   ##     ####\n"
    "      #.      . $ $    $ #\n"
    "      ######   .         #\n"
    "           # $###.    $  #\n"
    "           # @# #   .    #\n"
    "           #### #        #\n"
    "                #        #\n"
    "                #  #  #  #\n"
    "                #   .    #\n"
    "                ##########\n";

// Polls until done() holds; false after timeoutMs.
inline bool waitFor(const std::function<bool()>& done, int32_t timeoutMs = 10000) {
    for (int32_t waited = 0; waited < timeoutMs; waited += 5) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return done();
}

inline std::string readText(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

class WindowTest : public ::testing::Test {
protected:
    FakeWindowScope scope;
    FakeWindowSystem& fake = scope.fake;
    std::filesystem::path folder;

    void SetUp() override {
        folder = freshFolder("window");
        // Other tests mark the memory present without allocating it.
        if (qm::blocks.block1 == nullptr) qm::blocks.memoryReady = 0;
        qm::clearLevelSet();
        qm::locateSettings();
        std::filesystem::remove(qm::settings.iniPath);
        fake.onMessage = [](int32_t message) {
            if (message == qm::kMsgWorkerDone) qm::onWorkerDone();
        };
        qm::onInit();
        ASSERT_TRUE(qm::memoryReady());
    }
    void TearDown() override {
        qm::onClose();
        EXPECT_TRUE(waitFor([] { return qm::closeDone(); }));
        std::filesystem::remove_all(folder);
    }
    void load(const std::string& text) {
        qm::openText(text);
        qm::afterLoad();
    }
    // Waits until the solver threads of the current solve run.
    static bool solverRunning() {
        return waitFor([] { return qm::control.thread2State == qm::kResultRunning; });
    }
};

}  // namespace qmtest
