// A console reporter that ends the run with each case's time per item at its two sizes and
// their ratio: work that grows no faster than its items keeps the ratio near 1. With repetitions,
// each size stands at the median of its runs, so that one run slowed by a busy machine does not
// make the ratio.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

class RatioReporter : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
      const std::string name = run.benchmark_name();
      const std::string family = name.substr(0, name.find('/'));
      const auto items = run.counters.find("items_per_second");
      if (items == run.counters.end() || items->second.value <= 0) continue;
      Sizes& sizes = m_perItem[family];
      auto size = std::find_if(sizes.begin(), sizes.end(), [&](const auto& s) { return s.first == name; });
      if (size == sizes.end()) size = sizes.insert(sizes.end(), {name, {}});
      size->second.push_back(1e9 / items->second.value);
    }
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\n%-24s %14s %14s %8s\n", "case", "small ns/item", "large ns/item", "ratio");
    for (auto& [family, sizes] : m_perItem) {
      if (sizes.size() < 2) continue;
      const double small = Median(sizes.front().second);
      const double large = Median(sizes.back().second);
      std::printf("%-24s %14.1f %14.1f %8.2f\n", family.c_str(), small, large, large / small);
    }
  }

private:
  // Per size, in the order first run: the run's name and its time per item of every repetition.
  using Sizes = std::vector<std::pair<std::string, std::vector<double>>>;

  static double Median(std::vector<double>& times) {
    std::sort(times.begin(), times.end());
    const size_t n = times.size();
    return n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
  }

  std::map<std::string, Sizes> m_perItem;
};
