// Pages touched for the first time, counted per iteration beside a figure: memory of its own for
// what was read costs one fault per page, on some machines far more than reading the bytes, so a
// figure and its baseline compare only with alike counts.
#pragma once

#include <benchmark/benchmark.h>
#include <sys/resource.h>

// What the process has used so far: its page faults, and its CPU time, user and system together
// (a virtual machine may count the kernel's work on the program's side, so the two are not told
// apart). What the wall time has beyond the CPU time was spent waiting, on the disk or for a busy
// machine.
struct Usage {
  long faults = 0;
  double cpuMs = 0;

  static Usage Now() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) { return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3; };
    return Usage{usage.ru_minflt, ms(usage.ru_utime) + ms(usage.ru_stime)};
  }
  Usage Since(const Usage& before) const { return Usage{faults - before.faults, cpuMs - before.cpuMs}; }
};

// Sets the counter "faults" of the benchmark when it goes out of scope.
struct FaultCount {
  explicit FaultCount(benchmark::State& s) : state(s), before(Usage::Now()) {}
  ~FaultCount() {
    const double count = static_cast<double>(Usage::Now().Since(before).faults);
    state.counters["faults"] = benchmark::Counter(count, benchmark::Counter::kAvgIterations);
  }
  benchmark::State& state;
  const Usage before;
};
