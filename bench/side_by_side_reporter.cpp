#include "side_by_side_reporter.h"

#include <cstdio>
#include <iomanip>
#include <iostream>
#include <sstream>

namespace dorvanix::bench {

namespace {

std::string formatSeconds(double seconds) {
    if (seconds < 0) return "-";
    std::ostringstream text;
    text << std::setprecision(3);
    if (seconds < 1e-3) {
        text << seconds * 1e6 << " us";
    } else if (seconds < 1) {
        text << seconds * 1e3 << " ms";
    } else {
        text << seconds << " s";
    }
    return text.str();
}

std::string formatCounter(const std::string& name, double value) {
    std::ostringstream text;
    text << name << '=' << std::setprecision(4) << value;
    return text.str();
}

}  // namespace

void SideBySideReporter::ReportRuns(const std::vector<Run>& runs) {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
        if (run.error_occurred || run.iterations == 0) continue;
        const std::string name = run.run_name.function_name;
        const std::size_t slash = name.rfind('/');
        if (slash == std::string::npos) continue;
        const std::string input = name.substr(0, slash);
        const std::string kind = name.substr(slash + 1);
        if (pairs_.find(input) == pairs_.end()) order_.push_back(input);
        Pair& pair = pairs_[input];
        // Processor time: the machines these run on are shared, and wall time swings with the
        // load of the others.
        const double seconds = run.cpu_accumulated_time / static_cast<double>(run.iterations);
        if (kind.rfind("fast", 0) == 0) {
            pair.fast = seconds;
            for (const auto& [counter, value] : run.counters) {
                if (!pair.note.empty()) pair.note += ", ";
                pair.note += formatCounter(counter, value);
            }
        } else {
            pair.others.emplace_back(kind, seconds);
        }
    }
}

void SideBySideReporter::Finalize() {
    ConsoleReporter::Finalize();
    std::ostream& out = GetOutputStream();
    out << "\nSummary (processor time per run; ratio = other / fast)\n";
    out << std::left << std::setw(60) << "input" << std::setw(12) << "fast" << std::setw(28)
        << "other way" << std::setw(12) << "other" << std::setw(10) << "ratio"
        << "fast counters\n";
    for (const std::string& input : order_) {
        const Pair& pair = pairs_[input];
        std::vector<std::pair<std::string, double>> others = pair.others;
        if (others.empty()) others.emplace_back("-", -1);
        for (const auto& [kind, seconds] : others) {
            std::string ratio = "-";
            if (pair.fast > 0 && seconds > 0) {
                std::ostringstream text;
                text << std::fixed << std::setprecision(seconds / pair.fast < 100 ? 1 : 0)
                     << seconds / pair.fast << 'x';
                ratio = text.str();
            }
            out << std::left << std::setw(60) << input << std::setw(12) << formatSeconds(pair.fast)
                << std::setw(28) << kind << std::setw(12) << formatSeconds(seconds) << std::setw(10)
                << ratio << pair.note << '\n';
        }
    }
}

}  // namespace dorvanix::bench
