// Writing and reading a stored trace's columns (100 curves x 10 000 doubles): the columns' text
// form against a raw fwrite/fread of the same doubles. Bytes are the doubles' own bytes.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "postorvex/columns/Column.h"

namespace {

const size_t kCurves = 100;
const size_t kPoints = 10000;

// Full-precision values, as computed traces hold them.
std::vector<std::unique_ptr<DoubleColumn>> MakeCurves() {
  std::vector<std::unique_ptr<DoubleColumn>> curves;
  for (size_t c = 0; c < kCurves; ++c) {
    auto col = std::make_unique<DoubleColumn>(113);
    std::vector<double>& v = col->GetValues();
    v.reserve(kPoints);
    for (size_t i = 0; i < kPoints; ++i) v.push_back(std::sin(0.001 * static_cast<double>(i * (c + 1))) * 1e3 / 7.0);
    curves.push_back(std::move(col));
  }
  return curves;
}

std::string TempPath(const char* name) { return std::string(P_tmpdir) + "/" + name + std::to_string(getpid()); }

void SetBytes(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kCurves * kPoints * sizeof(double)));
}

void BM_RawFileWriteRead(benchmark::State& state) {
  auto curves = MakeCurves();
  const std::string path = TempPath("rawcols");
  std::vector<double> back(kPoints);
  for (auto _ : state) {
    FILE* f = std::fopen(path.c_str(), "wb");
    for (const auto& c : curves) std::fwrite(c->GetValues().data(), sizeof(double), kPoints, f);
    std::fclose(f);
    f = std::fopen(path.c_str(), "rb");
    for (size_t c = 0; c < kCurves; ++c) {
      if (std::fread(back.data(), sizeof(double), kPoints, f) != kPoints) state.SkipWithError("short read");
      benchmark::DoNotOptimize(back.data());
    }
    std::fclose(f);
  }
  std::remove(path.c_str());
  SetBytes(state);
}
BENCHMARK(BM_RawFileWriteRead)->Unit(benchmark::kMillisecond);

void BM_ValuesTextWriteRead(benchmark::State& state) {
  auto curves = MakeCurves();
  for (auto _ : state) {
    for (const auto& c : curves) {
      AString text = c->GetValuesText();
      AString error;
      std::unique_ptr<Column> back(Column::CreateFromValuesText(val::kDoubleParam, 113, kPoints, text, error));
      if (!back) state.SkipWithError("read failed");
    }
  }
  SetBytes(state);
}
BENCHMARK(BM_ValuesTextWriteRead)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
