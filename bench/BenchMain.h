// What every benchmark program shares: the console table, and the run handed to a reporter that
// ends it with each figure beside its baseline.
#pragma once

#include <benchmark/benchmark.h>
#include <unistd.h>

// The console table in colour on a terminal only: piped into a file or a log, plain text.
class BenchConsoleReporter : public benchmark::ConsoleReporter {
public:
  BenchConsoleReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular) {}
};

inline int RunBenchmarks(int argc, char** argv, benchmark::BenchmarkReporter& reporter) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
