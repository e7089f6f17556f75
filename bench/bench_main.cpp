#include <benchmark/benchmark.h>
#include <unistd.h>

#include "side_by_side_reporter.h"

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    // Colours only for a terminal, so that a saved run reads cleanly.
    const auto options = isatty(STDOUT_FILENO) == 1 ? benchmark::ConsoleReporter::OO_ColorTabular
                                                    : benchmark::ConsoleReporter::OO_Tabular;
    dorvanix::bench::SideBySideReporter reporter(options);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
