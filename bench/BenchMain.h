// What every benchmark program shares: the console table, and the run handed to a reporter that
// ends it with each figure beside its baseline.
#pragma once

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

// The console table in colour on a terminal only: piped into a file or a log, plain text.
class BenchConsoleReporter : public benchmark::ConsoleReporter {
public:
  BenchConsoleReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular) {}
};

// Google Benchmark divides its rate counters (bytes_per_second, items_per_second) by CPU time; the
// figures are all of wall time: this is the counter per wall second. Exact for one run and for the
// median of an odd number of repetitions, the median of the rates being the rate of the median time.
inline double WallRate(const benchmark::BenchmarkReporter::Run& run, const char* counter) {
  const auto c = run.counters.find(counter);
  if (c == run.counters.end() || run.real_accumulated_time <= 0) return 0;
  return c->second.value * run.cpu_accumulated_time / run.real_accumulated_time;
}

// The middle value; of an even count, the upper of the two in the middle.
template <class T>
T MedianOf(std::vector<T> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

inline int RunBenchmarks(int argc, char** argv, benchmark::BenchmarkReporter& reporter) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
