// Runs the registered benchmarks with a reporter that ends the run with each figure beside its
// baseline.
#pragma once

#include <benchmark/benchmark.h>

inline int RunBenchmarks(int argc, char** argv, benchmark::BenchmarkReporter& reporter) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
