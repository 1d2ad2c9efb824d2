// A console reporter that ends the run with each case's time per item at its two sizes and
// their ratio: work that grows no faster than its items keeps the ratio near 1. With repetitions,
// each size counts the median of its repetitions. Times are of wall time, as all the figures are.
// A case that counts "faults_per_item" has its page faults per item printed beside: memory new to
// the process costs a fault a page, which some machines charge far more than the work on it.
#pragma once

#include <benchmark/benchmark.h>

#include "BenchMain.h"

#include <cstdio>
#include <algorithm>
#include <map>
#include <string>
#include <vector>

class RatioReporter : public BenchConsoleReporter {
public:
  void ReportRuns(const std::vector<Run>& runs) override {
    BenchConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
      const std::string name = run.benchmark_name();
      const std::string family = name.substr(0, name.find('/'));
      const double items = WallRate(run, "items_per_second");
      if (items <= 0) continue;
      std::vector<Size>& sizes = m_perItem[family];
      if (sizes.empty() || sizes.back().name != name) sizes.push_back(Size{name, {}, {}});
      sizes.back().times.push_back(1e9 / items);
      auto faults = run.counters.find("faults_per_item");
      if (faults != run.counters.end()) sizes.back().faults.push_back(faults->second.value);
    }
  }
  void Finalize() override {
    BenchConsoleReporter::Finalize();
    std::printf("\n%-24s %14s %14s %8s\n", "case", "small ns/item", "large ns/item", "ratio");
    for (auto& [family, sizes] : m_perItem) {
      if (sizes.size() < 2) continue;
      const double small = Median(sizes.front().times), large = Median(sizes.back().times);
      std::printf("%-24s %14.1f %14.1f %8.2f", family.c_str(), small, large, large / small);
      if (!sizes.front().faults.empty() && !sizes.back().faults.empty())
        std::printf("   page faults per item %.2f, then %.2f", Median(sizes.front().faults), Median(sizes.back().faults));
      std::printf("\n");
    }
  }

private:
  struct Size {
    std::string name;
    std::vector<double> times;   // ns per item, one per repetition
    std::vector<double> faults;  // page faults per item, one per repetition, where counted
  };
  static double Median(std::vector<double>& times) {
    std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
    return times[times.size() / 2];
  }

  std::map<std::string, std::vector<Size>> m_perItem;
};
