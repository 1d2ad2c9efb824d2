// The usual console table, then each measured benchmark's time per iteration as a multiple of its
// baseline's: the medians of their repetitions, whether reported one by one or only as aggregates.
#pragma once

#include <benchmark/benchmark.h>

#include "BenchMain.h"

#include <cstdio>
#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

class BaselineRatioReporter : public BenchConsoleReporter {
public:
  // `line` is a printf format with one %.2f, for the ratio. `scale` turns a ratio of times into one
  // of times per item where the two do different amounts of work (baseline's items / measured's).
  struct Pair {
    std::string measured;
    std::string baseline;
    std::string line;
    double scale = 1;
  };

  BaselineRatioReporter(std::string measured, std::string baseline, std::string line)
      : m_pairs{Pair{std::move(measured), std::move(baseline), std::move(line)}} {}
  explicit BaselineRatioReporter(std::vector<Pair> pairs) : m_pairs(std::move(pairs)) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    BenchConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
      if (r.error_occurred || r.iterations <= 0) continue;
      const double perIteration = r.real_accumulated_time / r.iterations;
      if (r.run_type == Run::RT_Iteration)
        m_perIteration[r.benchmark_name()].push_back(perIteration);
      else if (r.aggregate_name == "median")
        m_median[r.run_name.str()] = perIteration;
    }
  }
  void Finalize() override {
    BenchConsoleReporter::Finalize();
    for (const Pair& p : m_pairs) {
      const double measured = Median(p.measured);
      const double baseline = Median(p.baseline);
      if (measured > 0 && baseline > 0) std::printf(p.line.c_str(), measured / baseline * p.scale);
    }
  }

private:
  double Median(const std::string& name) {
    const auto aggregate = m_median.find(name);
    if (aggregate != m_median.end()) return aggregate->second;
    std::vector<double>& times = m_perIteration[name];
    if (times.empty()) return 0;
    std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
    return times[times.size() / 2];
  }

  std::vector<Pair> m_pairs;
  std::map<std::string, std::vector<double>> m_perIteration;
  std::map<std::string, double> m_median;
};
