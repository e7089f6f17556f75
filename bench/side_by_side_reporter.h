#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace dorvanix::bench {

// Prints every run as the console reporter does, then a summary that puts the fast run of each
// input beside every other run of it (the exhaustive walk, an older way of counting) with their
// ratio. Runs are paired by name: "<input>/fast" and "<input>/<other way>".
class SideBySideReporter : public benchmark::ConsoleReporter {
  public:
    using ConsoleReporter::ConsoleReporter;

    void ReportRuns(const std::vector<Run>& runs) override;
    void Finalize() override;

  private:
    struct Pair {
        double fast = -1;  // seconds per iteration, -1 when not run
        std::vector<std::pair<std::string, double>> others;  // the other ways, in order
        std::string note;  // counters of the fast run worth showing
    };
    std::vector<std::string> order_;
    std::map<std::string, Pair> pairs_;
};

}  // namespace dorvanix::bench
