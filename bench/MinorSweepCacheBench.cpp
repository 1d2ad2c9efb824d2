// Pushes into sweep caches as a population does: one minor push of a whole primary sweep, many
// major pushes of one row each, a second quantity merged over the same rows, and the check that
// decides whether a unit needs loading.
#include <benchmark/benchmark.h>

#include <memory>
#include <set>
#include <vector>

#include "BenchMain.h"
#include "RatioReporter.h"
#include "orvex/values/Variable.h"
#include "orvex/values/VariableValuesContext.h"
#include "postorvex/caches/MinorSweepCache.h"
#include "postorvex/columns/Column.h"

namespace {

std::unique_ptr<DoubleColumn> Ramp(size_t n, double scale, Units::FullUnitType units) {
  auto c = std::make_unique<DoubleColumn>(units);
  for (size_t i = 0; i < n; ++i) c->GetValues().push_back(scale * static_cast<double>(i + 1));
  return c;
}

// One push of n primary values for 10 quantities into a fresh cache.
void MinorPush(benchmark::State& state) {
  const size_t n = static_cast<size_t>(state.range(0));
  Variable freq(L"f", Units::kGHz);
  auto primary = Ramp(n, 0.01, Units::kGHz);
  std::vector<std::unique_ptr<DoubleColumn>> columns;
  std::vector<const Column*> values;
  std::vector<long> ids;
  for (long id = 1; id <= 10; ++id) {
    columns.push_back(Ramp(n, static_cast<double>(id), Units::kNoUnit));
    values.push_back(columns.back().get());
    ids.push_back(id);
  }
  for (auto _ : state) {
    MinorSweepCache cache(&freq, nullptr);
    cache.Update(*primary, false, ids, values, L"");
    benchmark::DoNotOptimize(cache.GetRowCount());
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * n * ids.size()));
}
BENCHMARK(MinorPush)->Arg(1000)->Arg(10000);

// n major pushes of one row each, at n values of the sweep variable, for 10 quantities.
void MajorPushes(benchmark::State& state) {
  const size_t n = static_cast<size_t>(state.range(0));
  Variable length(L"L", Units::kMm);
  auto primary = Ramp(1, 1.0, Units::kGHz);
  std::vector<std::unique_ptr<DoubleColumn>> columns;
  std::vector<const Column*> values;
  std::vector<long> ids;
  for (long id = 1; id <= 10; ++id) {
    columns.push_back(Ramp(1, static_cast<double>(id), Units::kNoUnit));
    values.push_back(columns.back().get());
    ids.push_back(id);
  }
  for (auto _ : state) {
    MinorSweepCache cache(&length, nullptr);
    for (size_t i = 0; i < n; ++i) {
      VariableValues at;
      at.SetVariableValue(&length, Value(static_cast<double>(i), Units::kMm));
      VariableValuesContext current(at);
      cache.Update(*primary, true, ids, values, L"");
    }
    benchmark::DoNotOptimize(cache.GetRowCount());
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * n * ids.size()));
}
BENCHMARK(MajorPushes)->Arg(100)->Arg(1000);

// A second trace pushes another quantity over the same n rows, then both are checked.
void MergeAndCheck(benchmark::State& state) {
  const size_t n = static_cast<size_t>(state.range(0));
  Variable freq(L"f", Units::kGHz);
  auto primary = Ramp(n, 0.01, Units::kGHz);
  auto first = Ramp(n, 1.0, Units::kNoUnit);
  auto second = Ramp(n, 2.0, Units::kNoUnit);
  for (auto _ : state) {
    MinorSweepCache cache(&freq, nullptr);
    cache.Update(*primary, false, {1}, {first.get()}, L"");
    cache.Update(*primary, false, {2}, {second.get()}, L"");
    benchmark::DoNotOptimize(cache.DoesCacheHaveValuesForQuantities({1, 2}, *primary));
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * n));
}
BENCHMARK(MergeAndCheck)->Arg(1000)->Arg(10000);

}  // namespace

int main(int argc, char** argv) {
  RatioReporter reporter;
  return RunBenchmarks(argc, argv, reporter);
}
