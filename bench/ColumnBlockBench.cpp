// Writing and reading a stored trace's columns (100 curves x 10 000 doubles) through the block
// form, to memory and to a block file, against a raw fwrite/fread of the same doubles. Bytes are
// the doubles' own bytes, so the rates compare directly.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "BaselineRatioReporter.h"
#include "BenchMain.h"
#include "orvex/io/Block.h"
#include "orvex/io/BlockFile.h"
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

io::CBlock WriteCurves(const std::vector<std::unique_ptr<DoubleColumn>>& curves) {
  io::CBlock parent(L"ColsBlock");
  for (size_t c = 0; c < curves.size(); ++c) {
    io::CBlock sub(AString(std::to_wstring(c)));
    curves[c]->WriteColumn(sub);
    parent << std::move(sub);
  }
  return parent;
}

bool ReadCurves(const io::CBlock& parent) {
  for (size_t i = 0; i < parent.GetNumItems(); ++i) {
    const io::CBlock* sub = parent.GetBlock(i);
    std::unique_ptr<Column> back(sub ? Column::ReadAndCreateColumn(*sub) : nullptr);
    if (!back || back->GetCount() != kPoints) return false;
  }
  return parent.GetNumItems() == kCurves;
}

// Column to block tree and back, in memory.
void BM_BlockWriteRead(benchmark::State& state) {
  auto curves = MakeCurves();
  for (auto _ : state) {
    io::CBlock parent = WriteCurves(curves);
    if (!ReadCurves(parent)) state.SkipWithError("read failed");
  }
  SetBytes(state);
}
BENCHMARK(BM_BlockWriteRead)->Unit(benchmark::kMillisecond);

// Column to block tree to block file, and back: what a stored trace costs in a project file.
void BM_BlockFileWriteRead(benchmark::State& state) {
  auto curves = MakeCurves();
  const LongFileName file(AString::FromUtf8(TempPath("blockcols")));
  for (auto _ : state) {
    if (io::WriteBlockFile(file, WriteCurves(curves)) != io::kNoError) state.SkipWithError("write failed");
    io::CBlock back;
    if (io::ReadBlockFile(file, back) != io::kNoError || !ReadCurves(back)) state.SkipWithError("read failed");
  }
  std::remove(file.ToNarrow().c_str());
  SetBytes(state);
}
BENCHMARK(BM_BlockFileWriteRead)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  BaselineRatioReporter reporter({
      {"BM_ValuesTextWriteRead", "BM_RawFileWriteRead", "values as text written and read in %.2f times raw fwrite/fread\n"},
      {"BM_BlockWriteRead", "BM_RawFileWriteRead", "columns through a block in memory in %.2f times raw fwrite/fread\n"},
      {"BM_BlockFileWriteRead", "BM_RawFileWriteRead", "columns through a block file in %.2f times raw fwrite/fread\n"},
  });
  return RunBenchmarks(argc, argv, reporter);
}
