// The first run of a case in a fresh process of the benchmark program, beside the warm figures of
// repeated runs: a user meets the first run, where every page is touched for the first time and no
// memory freed by an earlier run is reused. The program runs itself as
// `<program> --first-run=<case> --file=<path>`, which prints the wall time of that one run and
// what it used (PageFaults.h): its page faults and its CPU time.
#pragma once

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "BenchMain.h"
#include "PageFaults.h"

// True when the program was started for one first run: `what` and `file` are set from its arguments.
inline bool FirstRunArguments(int argc, char** argv, std::string& what, std::string& file) {
  const char kFirst[] = "--first-run=", kFile[] = "--file=";
  if (argc != 3 || std::strncmp(argv[1], kFirst, sizeof kFirst - 1) != 0 ||
      std::strncmp(argv[2], kFile, sizeof kFile - 1) != 0)
    return false;
  what = argv[1] + sizeof kFirst - 1;
  file = argv[2] + sizeof kFile - 1;
  return true;
}

// One run's wall milliseconds (negative when it failed) and what it used.
struct FirstRun {
  double ms = -1;
  Usage used;
};

// Started where the timed part of a first run starts.
class FirstRunClock {
public:
  FirstRunClock() : m_usage(Usage::Now()), m_start(std::chrono::steady_clock::now()) {}
  FirstRun Stop(bool ok) const {
    const auto end = std::chrono::steady_clock::now();
    const Usage used = Usage::Now().Since(m_usage);
    return ok ? FirstRun{std::chrono::duration<double, std::milli>(end - m_start).count(), used} : FirstRun{};
  }

private:
  Usage m_usage;
  std::chrono::steady_clock::time_point m_start;
};

// What the child prints.
inline void PrintFirstRun(const FirstRun& run) { std::printf("%.3f %ld %.3f\n", run.ms, run.used.faults, run.used.cpuMs); }

const int kFirstRuns = 5;

// One fresh process's run of `what`. What earlier runs left dirty is written to the disk first, so
// that no run pays for another's writeback.
inline FirstRun OneFirstRun(const std::string& what, const std::string& file) {
  sync();
  const std::string command = "/proc/" + std::to_string(getpid()) + "/exe --first-run=" + what + " --file=" + file;
  std::FILE* child = popen(command.c_str(), "r");
  if (!child) return FirstRun{};
  FirstRun run;
  const bool got = std::fscanf(child, "%lf %ld %lf", &run.ms, &run.used.faults, &run.used.cpuMs) == 3;
  pclose(child);
  return got ? run : FirstRun{};
}

// For each case, the median of kFirstRuns fresh processes (each field the median of its own; ms
// negative when a run failed): a first run varies far more from one process to the next than
// repeated runs do. The cases take turns, so that a figure and its baseline meet the same load.
inline std::vector<FirstRun> FirstRunMedians(const std::vector<std::string>& whats, const std::string& file) {
  std::vector<std::vector<FirstRun>> runs(whats.size());
  std::vector<bool> failed(whats.size(), false);
  for (int round = 0; round < kFirstRuns; ++round)
    for (size_t i = 0; i < whats.size(); ++i) {
      if (failed[i]) continue;
      runs[i].push_back(OneFirstRun(whats[i], file));
      failed[i] = runs[i].back().ms < 0;
    }
  std::vector<FirstRun> medians(whats.size());
  for (size_t i = 0; i < whats.size(); ++i) {
    if (failed[i]) continue;
    std::vector<double> ms, cpu;
    std::vector<long> faults;
    for (const FirstRun& r : runs[i]) {
      ms.push_back(r.ms);
      faults.push_back(r.used.faults);
      cpu.push_back(r.used.cpuMs);
    }
    medians[i] = FirstRun{MedianOf(ms), Usage{MedianOf(faults), MedianOf(cpu)}};
  }
  return medians;
}

// "<ms> ms (<faults> faults, CPU <ms> ms)": where a first run's time went.
inline std::string FirstRunText(const FirstRun& run) {
  char text[96];
  std::snprintf(text, sizeof text, "%.1f ms (%ld faults, CPU %.1f ms)", run.ms, run.used.faults, run.used.cpuMs);
  return text;
}
