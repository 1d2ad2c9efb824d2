// The usual console table, then one benchmark's time per iteration as a multiple of its baseline's.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

class BaselineRatioReporter : public benchmark::ConsoleReporter {
public:
  // `line` is a printf format with one %.2f, for the ratio.
  BaselineRatioReporter(std::string measured, std::string baseline, std::string line)
      : m_measured(std::move(measured)), m_baseline(std::move(baseline)), m_line(std::move(line)) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs)
      if (r.iterations > 0) m_perIteration[r.benchmark_name()] = r.real_accumulated_time / r.iterations;
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    const double measured = m_perIteration[m_measured];
    const double baseline = m_perIteration[m_baseline];
    if (measured > 0 && baseline > 0) std::printf(m_line.c_str(), measured / baseline);
  }

private:
  std::string m_measured;
  std::string m_baseline;
  std::string m_line;
  std::map<std::string, double> m_perIteration;
};
