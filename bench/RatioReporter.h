// A console reporter that ends the run with each case's time per item at its two sizes and
// their ratio: work that grows no faster than its items keeps the ratio near 1.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
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
      m_perItem[family].push_back(1e9 / items->second.value);
    }
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\n%-24s %14s %14s %8s\n", "case", "small ns/item", "large ns/item", "ratio");
    for (const auto& [family, times] : m_perItem) {
      if (times.size() < 2) continue;
      std::printf("%-24s %14.1f %14.1f %8.2f\n", family.c_str(), times.front(), times.back(),
                  times.back() / times.front());
    }
  }

private:
  std::map<std::string, std::vector<double>> m_perItem;
};
