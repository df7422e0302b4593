#pragma once
// Reading reports back: the header, the level entries (a level line with its trace lines, or a
// "->Cancel" line) and the footer's counts, so that the reports of parts of one set can be
// joined into one.
#include <cstdint>
#include <string>
#include <vector>

namespace qm {

struct ReportEntry {
    int32_t level = 0;   // 0 for a "->Cancel" line
    std::string text;    // its lines, each ended by "\n"
};

struct ReportParts {
    std::vector<std::string> header;  // the lines up to and with the first rule
    std::string setLine;              // "# LevelSetName: ..."
    std::vector<ReportEntry> entries;
    int32_t solved = 0, failed = 0, skipped = 0;
    std::string finishStamp;          // "[YYYY/MM/DD HH:MM Finish]"; empty when the footer is missing
};

// Parses a report's text. False, with the reason in error, when it is not a report.
bool parseReport(const std::string& text, ReportParts& parts, std::string& error);

// A footer with the counts and the finish time of a stamp as written (now when it has none).
std::string footerWithStamp(int32_t solved, int32_t failed, int32_t skipped, const std::string& stamp);

// Merges the reports of parts of one set (texts with the file names for messages) into one
// report. False, with a message in error, for reports of different sets or overlapping levels.
bool mergeReports(const std::vector<std::string>& names, const std::vector<std::string>& texts, std::string& merged,
                  std::string& error);

}  // namespace qm
