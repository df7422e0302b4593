#include "batch/report.hpp"

#include <cstdio>
#include <cstring>

#include "solver/control.hpp"
#include "solver/texts.hpp"

namespace qm {

namespace {

const std::string kRule(54, '-');

}  // namespace

ReportTime localNow() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    localtime_r(&now, &parts);
    return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min};
}

std::string reportHeader(const std::string& setName, int32_t levelCount, int32_t timeLimit,
                         const ReportTime& t) {
    std::string out = formatText("# %s\n", kTitleString);
    out += "# LevelSetName: " + setName + formatText(" (%d levels)\n", levelCount);
    out += formatText("# MaxSize [%d*%d(%d)] Memory ", 50, 50, 64);
    out += kMemoryText;
    out += formatText("GB TimeLimit %dsec\n", timeLimit);
    out += formatText(" No.  W  H   B    Time        [%4d/%02d/%02d %02d:%02d Start]\n", t.year,
                      t.month, t.day, t.hour, t.minute);
    out += kRule + "\n";
    return out;
}

std::string reportLevelLine(int32_t number, int32_t width, int32_t height, int32_t boxes,
                            int64_t seconds, int32_t result, int32_t moves, int32_t pushes,
                            bool traceOverflow) {
    if (result == 3) return "->Cancel\n";
    std::string out = formatText("%4d[%2d*%2d(%3d)]%4dsec", number, width, height, boxes,
                                 static_cast<int>(seconds));
    if (result == 8) {
        out += formatText("%6dmoves%5dpushes%s\n", moves, pushes, traceOverflow ? " TraceOut" : "");
    } else {
        out += reportSuffix(result);
    }
    return out;
}

std::string reportTraceLines(const char* letters) {
    std::string out;
    size_t remaining = std::strlen(letters);
    const char* p = letters;
    while (remaining > static_cast<size_t>(kTraceLineLetters)) {
        out += "\t\t" + std::string(p, kTraceLineLetters) + "\n";
        p += kTraceLineLetters;
        remaining -= kTraceLineLetters;
    }
    out += "\t\t" + std::string(p, remaining) + "\n";
    return out;
}

std::string reportFooter(int32_t solved, int32_t failed, int32_t skipped, const ReportTime& t) {
    std::string out = kRule + "\n";
    out += formatText("# Solved:%4d levels         [%4d/%02d/%02d %02d:%02d Finish]\n", solved,
                      t.year, t.month, t.day, t.hour, t.minute);
    out += formatText("# Failed:%4d levels\n", failed);
    if (skipped != 0) out += formatText("# Skiped:%4d levels\n", skipped);
    return out;
}

bool FileReportSink::write(const std::string& text, const char* mode) {
    std::FILE* f = std::fopen(path_.c_str(), mode);
    if (f == nullptr) return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && written;
}

bool FileReportSink::start(const std::string& text) { return write(text, "wb"); }
bool FileReportSink::append(const std::string& text) { return write(text, "ab"); }

bool StreamReportSink::append(const std::string& text) {
    const bool written = std::fwrite(text.data(), 1, text.size(), stream_) == text.size();
    return std::fflush(stream_) == 0 && written;
}

}  // namespace qm
