#pragma once
// The batch report: its header, level lines, solution lines and footer, and where it goes.
#include <cstdint>
#include <ctime>
#include <string>

namespace qm {

constexpr int32_t kTraceLineLetters = 100;

// Local date and time to the minute.
struct ReportTime {
    int32_t year = 0, month = 0, day = 0, hour = 0, minute = 0;
};
ReportTime localNow();

std::string reportHeader(const std::string& setName, int32_t levelCount, int32_t timeLimit,
                         const ReportTime& start);
// The line of a level: number, size, boxes, seconds and the result's suffix; "->Cancel\n" for a
// level cancelled by the user.
std::string reportLevelLine(int32_t number, int32_t width, int32_t height, int32_t boxes,
                            int64_t seconds, int32_t result, int32_t moves, int32_t pushes,
                            bool traceOverflow);
// The solution in lines of 100 letters, each "\t\t%s\n".
std::string reportTraceLines(const char* letters);
std::string reportFooter(int32_t solved, int32_t failed, int32_t skipped, const ReportTime& end);

// Where report text goes. The file sink reopens the file for every append and closes it after,
// so that the report of an interrupted run stays readable.
class ReportSink {
public:
    virtual ~ReportSink() = default;
    // Starts the report with its first text (a file is truncated first).
    virtual bool start(const std::string& text) = 0;
    virtual bool append(const std::string& text) = 0;
};

class FileReportSink final : public ReportSink {
public:
    explicit FileReportSink(std::string path) : path_(std::move(path)) {}
    bool start(const std::string& text) override;
    bool append(const std::string& text) override;
    const std::string& path() const { return path_; }

private:
    bool write(const std::string& text, const char* mode);
    std::string path_;
};

// Writes to an already open stream (standard output), flushing after every text.
class StreamReportSink final : public ReportSink {
public:
    explicit StreamReportSink(std::FILE* stream) : stream_(stream) {}
    bool start(const std::string& text) override { return append(text); }
    bool append(const std::string& text) override;

private:
    std::FILE* stream_;
};

}  // namespace qm
