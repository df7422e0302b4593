#include "solver/control.hpp"

#include <chrono>

namespace qm {

Control control;

const char* resultMessage(int32_t code) {
    switch (code) {
        case kResultCanceled: return " Canceled          ";
        case kResultImpossible: return " Impossible        ";
        case kResultSolved: return nullptr;
        case kResultFailed: return " Failed            ";
        case kResultTimeout: return " Failed (Timeout)  ";
        case kResultTraceMiss: return " Failed (TraceMiss)";
        default: return " Failed (?)";
    }
}

const char* reportSuffix(int32_t code) {
    switch (code) {
        case kResultSizeOver: return " Failed SizeOver\n";
        case kResultBoxesOver: return " Failed BoxesOver\n";
        case kResultIrregular: return " Skiped Strange\n";
        case kResultImpossible: return " Skiped Impossible\n";
        case kResultTraceMiss: return " Failed TraceMiss\n";
        case kResultSkipped: return " Failed Skip\n";
        case kResultFailed:
        case kResultTimeout: return " Failed\n";
        default: return " Failed ?\n";
    }
}

namespace {

thread_local int64_t threadDeadline = kNoThreadDeadline;

int64_t deadlineOfThisThread() {
    const int64_t solve = control.solveDeadline;
    return threadDeadline < solve ? threadDeadline : solve;
}

}  // namespace

void setThreadDeadline(int64_t seconds) { threadDeadline = seconds; }

bool stopOrDeadlinePassed() {
    return control.stopFlag != kStopRun || nowSeconds() > deadlineOfThisThread();
}

bool stopOrDeadlineReached() {
    return control.stopFlag != kStopRun || nowSeconds() >= deadlineOfThisThread();
}

int64_t nowSeconds() {
    using namespace std::chrono;
    return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}

}  // namespace qm
