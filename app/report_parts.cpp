#include "app/report_parts.hpp"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "batch/report.hpp"
#include "solver/texts.hpp"

namespace qm {

namespace {

const std::string kRule(54, '-');

bool startsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

// The number after "# Solved:" and the like.
int32_t footerCount(const std::string& line, size_t at) {
    return static_cast<int32_t>(std::strtol(line.c_str() + at, nullptr, 10));
}

// The level number of a level line ("  12[..."), or 0 for another line.
int32_t levelNumberOf(const std::string& line) {
    size_t i = 0;
    while (i < line.size() && line[i] == ' ') ++i;
    const size_t digits = i;
    while (i < line.size() && line[i] >= '0' && line[i] <= '9') ++i;
    if (i == digits || i >= line.size() || line[i] != '[') return 0;
    return static_cast<int32_t>(std::strtol(line.c_str() + digits, nullptr, 10));
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(pos, end - pos));
        pos = end + 1;
    }
    return lines;
}

}  // namespace

bool parseReport(const std::string& text, ReportParts& parts, std::string& error) {
    parts = ReportParts();
    const std::vector<std::string> lines = linesOf(text);
    size_t i = 0;
    for (; i < lines.size() && lines[i] != kRule; ++i) {
        parts.header.push_back(lines[i]);
        if (startsWith(lines[i], "# LevelSetName: ")) parts.setLine = lines[i];
    }
    if (i == lines.size() || parts.setLine.empty()) {
        error = "not a report (no header)";
        return false;
    }
    parts.header.push_back(lines[i++]);
    for (; i < lines.size() && lines[i] != kRule; ++i) {
        const std::string& line = lines[i];
        const int32_t number = levelNumberOf(line);
        if (number > 0 || line == "->Cancel" || parts.entries.empty()) {
            parts.entries.push_back(ReportEntry{number, ""});
        }
        parts.entries.back().text += line + "\n";
    }
    for (++i; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (startsWith(line, "# Solved:")) {
            parts.solved = footerCount(line, 9);
            const size_t stamp = line.find('[');
            if (stamp != std::string::npos) parts.finishStamp = line.substr(stamp);
        } else if (startsWith(line, "# Failed:")) {
            parts.failed = footerCount(line, 9);
        } else if (startsWith(line, "# Skiped:")) {
            parts.skipped = footerCount(line, 9);
        }
    }
    return true;
}

std::string footerWithStamp(int32_t solved, int32_t failed, int32_t skipped, const std::string& stamp) {
    ReportTime t;
    if (std::sscanf(stamp.c_str(), "[%d/%d/%d %d:%d", &t.year, &t.month, &t.day, &t.hour, &t.minute) != 5) {
        t = localNow();
    }
    return reportFooter(solved, failed, skipped, t);
}

bool mergeReports(const std::vector<std::string>& names, const std::vector<std::string>& texts, std::string& merged,
                  std::string& error) {
    std::vector<ReportParts> parts(texts.size());
    std::map<int32_t, size_t> owner;  // level -> the report holding it
    std::map<int32_t, std::string> levels;
    int32_t solved = 0, failed = 0, skipped = 0;
    std::string stamp;
    size_t first = 0;
    int32_t firstLevel = INT32_MAX;
    for (size_t k = 0; k < texts.size(); ++k) {
        if (!parseReport(texts[k], parts[k], error)) {
            error = names[k] + ": " + error;
            return false;
        }
        if (parts[k].setLine != parts[0].setLine) {
            error = names[k] + ": a report of another set (" + parts[k].setLine.substr(2) + ", not " +
                    parts[0].setLine.substr(2) + ")";
            return false;
        }
        int32_t previous = 0;
        for (const ReportEntry& entry : parts[k].entries) {
            if (entry.level == 0) {
                // A cancel line stays after the level before it.
                if (previous != 0) levels[previous] += entry.text;
                continue;
            }
            const auto [it, fresh] = owner.emplace(entry.level, k);
            if (!fresh) {
                error = formatText("level %d is in both %s and %s", entry.level, names[it->second].c_str(),
                                   names[k].c_str());
                return false;
            }
            levels[entry.level] = entry.text;
            previous = entry.level;
            if (entry.level < firstLevel) {
                firstLevel = entry.level;
                first = k;
            }
        }
        solved += parts[k].solved;
        failed += parts[k].failed;
        skipped += parts[k].skipped;
        stamp = std::max(stamp, parts[k].finishStamp);
    }
    merged.clear();
    for (const std::string& line : parts[first].header) merged += line + "\n";
    for (const auto& [level, text] : levels) merged += text;
    merged += footerWithStamp(solved, failed, skipped, stamp);
    return true;
}

}  // namespace qm
