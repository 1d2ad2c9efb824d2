// The shortest-double formatter against std::to_chars over the same values, one text after the
// other as a column writer lays them out: the time per value of each and their ratio.
#include <benchmark/benchmark.h>

#include <charconv>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "BaselineRatioReporter.h"
#include "BenchColumns.h"
#include "BenchMain.h"
#include "orvex/io/ShortestDouble.h"

namespace {

// The block text benchmark's column values, and doubles of any bit pattern (no inf or nan).
const std::vector<double>& Values(int set) {
  static const std::vector<double> columns = benchdata::MakeDoubles();
  static const std::vector<double> anyBits = [] {
    std::vector<double> v(columns.size());
    std::mt19937_64 rng(20261211);
    for (double& d : v) {
      uint64_t bits;
      do bits = rng();
      while (((bits >> 52) & 0x7FF) == 0x7FF);
      std::memcpy(&d, &bits, sizeof d);
    }
    return v;
  }();
  return set == 0 ? columns : anyBits;
}

template <class Format>
void Run(benchmark::State& state, Format format) {
  const std::vector<double>& values = Values(static_cast<int>(state.range(0)));
  std::vector<char> text(values.size() * 32);
  for (auto _ : state) {
    char* p = text.data();
    for (double v : values) {
      p = format(p, p + 64, v);
      *p++ = ' ';
    }
    benchmark::DoNotOptimize(text.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * int64_t(values.size()));
  state.SetLabel(state.range(0) == 0 ? "column values" : "any bits");
}

void BM_ShortestDouble(benchmark::State& state) {
  Run(state, [](char* p, char* e, double v) { return io::ToCharsShortest(p, e, v).ptr; });
}

void BM_StdToChars(benchmark::State& state) {
  Run(state, [](char* p, char* e, double v) { return std::to_chars(p, e, v).ptr; });
}

}  // namespace

BENCHMARK(BM_ShortestDouble)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StdToChars)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  BaselineRatioReporter reporter("BM_ShortestDouble/0", "BM_StdToChars/0",
                                 "shortest double text of the column values in %.2f times std::to_chars's time\n");
  return RunBenchmarks(argc, argv, reporter);
}
