// Pages touched for the first time, counted per iteration beside a figure: memory of its own for
// what was read costs one fault per page, on some machines far more than reading the bytes, so a
// figure and its baseline compare only with alike counts.
#pragma once

#include <benchmark/benchmark.h>
#include <sys/resource.h>

inline long MinorFaults() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_minflt;
}

// Sets the counter "faults" of the benchmark when it goes out of scope.
struct FaultCount {
  explicit FaultCount(benchmark::State& s) : state(s), before(MinorFaults()) {}
  ~FaultCount() {
    const double count = static_cast<double>(MinorFaults() - before);
    state.counters["faults"] = benchmark::Counter(count, benchmark::Counter::kAvgIterations);
  }
  benchmark::State& state;
  const long before;
};
