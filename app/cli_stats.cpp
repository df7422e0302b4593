#include "app/cli_stats.hpp"

#include "solver/control.hpp"
#include "solver/driver.hpp"
#include "solver/solve_stats.hpp"
#include "solver/texts.hpp"

namespace qm {

namespace {

// Names of the tables that filled, joined by commas; "-" for none.
std::string fullTablesText(uint32_t mask) {
    std::string text;
    for (int32_t k = 0; k < kStatsSearchCount; ++k) {
        if ((mask >> k & 1u) == 0) continue;
        if (!text.empty()) text += ',';
        text += statsSearchName(k);
    }
    return text.empty() ? "-" : text;
}

std::string phaseText(const ThreadStats& stats) {
    if (stats.phase != kStatsPhaseMain) return statsPhaseName(stats.phase);
    return formatText("main %d/%d", stats.segment, stats.segmentTotal);
}

std::string threadLine(int32_t levelNumber, int32_t thread, const ThreadStats& stats, int32_t result,
                       int32_t optimizerRounds) {
    std::string line = formatText("%d\t%d\t%d\t%.1f\t%s", levelNumber, thread, result,
                                  stats.seconds, phaseText(stats).c_str());
    for (int32_t k = 0; k < kStatsSearchCount; ++k) {
        line += formatText("\t%lld", static_cast<long long>(stats.nodes[k]));
    }
    line += formatText("\t%s\t%d\t%d\t%s\t%d\n", fullTablesText(stats.fullTables).c_str(),
                       stats.segmentsCommitted, stats.segmentsRolledBack, endReasonName(stats.endReason),
                       optimizerRounds);
    return line;
}

}  // namespace

std::string statsHeader() {
    std::string header = "level\tthread\tresult\tseconds\tphase";
    for (int32_t k = 0; k < kStatsSearchCount; ++k) header += std::string("\t") + statsSearchName(k);
    return header + "\tfull\tcommitted\trolled_back\tend\toptimizer";
}

std::string statsLines(int32_t levelNumber, int32_t result, int32_t optimizerRounds) {
    const bool chosen[2] = {driverOptions.runThread1 != 0, driverOptions.runThread2 != 0};
    std::string lines;
    for (int32_t t = 0; t < 2; ++t) {
        if (!chosen[t]) continue;
        const ThreadStats& stats = solveStats.thread[t];
        const bool searched = stats.result != 0;
        lines += threadLine(levelNumber, t + 1, stats, searched ? stats.result : result, optimizerRounds);
    }
    return lines;
}

bool StatsFile::open(const std::string& path, std::string& error) {
    return file_.open(path, statsHeader() + "\n", error);
}

void StatsFile::writeLevel(int32_t levelNumber, int32_t result, int32_t optimizerRounds) {
    file_.write(statsLines(levelNumber, result, optimizerRounds));
}

}  // namespace qm
