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

// The median of five fresh processes, in milliseconds; 0 when a run failed: a first run varies far
// more from one process to the next than repeated runs do.
inline double FirstRunMs(const std::string& what, const std::string& file) {
  const std::string command = "/proc/" + std::to_string(getpid()) + "/exe --first-run=" + what + " --file=" + file;
  std::vector<double> ms;
  for (int run = 0; run < 5; ++run) {
    std::FILE* child = popen(command.c_str(), "r");
    if (!child) return 0;
    double seconds = -1;
    const bool got = std::fscanf(child, "%lf", &seconds) == 1;
    pclose(child);
    if (!got || seconds < 0) return 0;
    ms.push_back(seconds * 1e3);
  }
  std::sort(ms.begin(), ms.end());
  return ms[ms.size() / 2];
}
