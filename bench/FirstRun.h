// The first run of a case in a fresh process of the benchmark program, beside the warm figures of
// repeated runs: a user meets the first run, where every page is touched for the first time and no
// memory freed by an earlier run is reused. The program runs itself as
// `<program> --first-run=<case> --file=<path>`, which prints the seconds of that one run.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

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

// What the child prints: the seconds of its run, negative when it failed.
inline void PrintFirstRunSeconds(double seconds) { std::printf("%.6f\n", seconds); }

const int kFirstRuns = 5;

// The seconds of one fresh process's run of `what`; negative when it failed. What earlier runs left
// dirty is written to the disk first, so that no run pays for another's writeback.
inline double OneFirstRunSeconds(const std::string& what, const std::string& file) {
  sync();
  const std::string command = "/proc/" + std::to_string(getpid()) + "/exe --first-run=" + what + " --file=" + file;
  std::FILE* child = popen(command.c_str(), "r");
  if (!child) return -1;
  double seconds = -1;
  const bool got = std::fscanf(child, "%lf", &seconds) == 1;
  pclose(child);
  return got ? seconds : -1;
}

// For each case, the median of kFirstRuns fresh processes in milliseconds (0 when a run failed): a
// first run varies far more from one process to the next than repeated runs do. The cases take
// turns, so that a figure and its baseline meet the same load.
inline std::vector<double> FirstRunMedians(const std::vector<std::string>& whats, const std::string& file) {
  std::vector<std::vector<double>> ms(whats.size());
  std::vector<bool> failed(whats.size(), false);
  for (int run = 0; run < kFirstRuns; ++run)
    for (size_t i = 0; i < whats.size(); ++i) {
      if (failed[i]) continue;
      const double seconds = OneFirstRunSeconds(whats[i], file);
      failed[i] = seconds < 0;
      ms[i].push_back(seconds * 1e3);
    }
  std::vector<double> medians(whats.size(), 0);
  for (size_t i = 0; i < whats.size(); ++i) {
    if (failed[i]) continue;
    std::sort(ms[i].begin(), ms[i].end());
    medians[i] = ms[i][ms[i].size() / 2];
  }
  return medians;
}

inline double FirstRunMs(const std::string& what, const std::string& file) { return FirstRunMedians({what}, file)[0]; }
