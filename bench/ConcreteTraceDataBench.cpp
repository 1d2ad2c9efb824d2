// Stored trace data of 100 curves x 10 000 points written to and read from a file in its block
// form, against a raw fwrite/fread of the same doubles. Bytes are the doubles' own bytes: the two
// component columns and the primary sweep column.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "RawSave.h"
#include "BenchMain.h"
#include "PageFaults.h"
#include "orvex/io/BigBuffer.h"
#include "tracedata/ConcreteTraceData.h"
#include "reports/ReportManager.h"
#include "orvex/io/BlockFile.h"
#include "orvex/io/LongFileName.h"
#include "postorvex/columns/Column.h"

namespace {

const unsigned kCurves = 100;
const unsigned kPoints = 10000;
const size_t kRows = size_t(kCurves) * kPoints;

// Full-precision values, as computed traces hold them: x repeats per curve, y varies.
std::unique_ptr<rep::ConcreteTraceData> MakeStored(rep::ReportManager& mgr) {
  auto x = std::make_unique<DoubleColumn>(113);
  auto y = std::make_unique<DoubleColumn>(90);
  x->GetValues().reserve(kRows);
  y->GetValues().reserve(kRows);
  for (unsigned c = 0; c < kCurves; ++c)
    for (unsigned i = 0; i < kPoints; ++i) {
      x->GetValues().push_back(1.0 + 0.0001 * i);
      y->GetValues().push_back(std::sin(0.001 * double(i) * (c + 1)) * 1e3 / 7.0);
    }
  auto data = std::make_unique<rep::ConcreteTraceData>(mgr, 1);
  data->SetPrimarySweepColumn(x->CloneColumn());
  data->SetPrimarySweepName(L"Freq");
  data->SetDataColumns({x.release(), y.release()});
  for (unsigned c = 0; c < kCurves; ++c) data->SetCurveInfo(c, kPoints, L"Pos=" + std::to_wstring(c) + L"mm");
  return data;
}

// The doubles that the block form stores, in column order.
std::vector<const std::vector<double>*> DoublesOf(const rep::ConcreteTraceData& data) {
  return {&data.GetDataColumn(0)->GetDoubleColumn()->GetValues(),
          &data.GetDataColumn(1)->GetDoubleColumn()->GetValues(),
          &data.GetPrimarySweepColumn()->GetDoubleColumn()->GetValues()};
}

std::string TempPath(const char* name) { return std::string(P_tmpdir) + "/" + name + std::to_string(getpid()); }

void SetBytes(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * 3 * kRows * sizeof(double)));
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kRows));
}

// `fresh`: each column read into memory of its own, as a reader that ends with columns of its own
// must: pages mapped for it alone (heap that an earlier iteration freed would come without a page
// fault), asked for as 2 MiB pages as the reader's columns are.
void RawFileWriteRead(benchmark::State& state, bool fresh) {
  rep::ReportManager mgr(nullptr, true);
  std::unique_ptr<rep::ConcreteTraceData> data = MakeStored(mgr);
  const std::string path = TempPath(fresh ? "rawtracefresh" : "rawtrace");
  std::vector<double> reused(kRows);
  FaultCount faults(state);
  for (auto _ : state) {
    SettleFiles(state);
    const bool saved = RawSave(path, [&](std::FILE* out) {
      for (const std::vector<double>* column : DoublesOf(*data))
        if (std::fwrite(column->data(), sizeof(double), kRows, out) != kRows) return false;
      return true;
    });
    if (!saved) state.SkipWithError("write failed");
    FILE* f = std::fopen(path.c_str(), "rb");
    double* own[3] = {};
    for (double*& column : own) {
      if (fresh) column = static_cast<double*>(io::MapHugePages(kRows * sizeof(double)));
      double* const back = fresh ? column : reused.data();
      if (!back || std::fread(back, sizeof(double), kRows, f) != kRows) state.SkipWithError("short read");
      benchmark::DoNotOptimize(back);
    }
    std::fclose(f);
    for (double* column : own) io::UnmapHugePages(column, kRows * sizeof(double));
  }
  std::remove(path.c_str());
  SetBytes(state);
}

void BM_RawFileWriteRead(benchmark::State& state) { RawFileWriteRead(state, false); }
BENCHMARK(BM_RawFileWriteRead)->Unit(benchmark::kMillisecond);

void BM_RawFileWriteReadFresh(benchmark::State& state) { RawFileWriteRead(state, true); }
BENCHMARK(BM_RawFileWriteReadFresh)->Unit(benchmark::kMillisecond);

void BM_StoredTraceFileWriteRead(benchmark::State& state) {
  rep::ReportManager mgr(nullptr, true);
  std::unique_ptr<rep::ConcreteTraceData> data = MakeStored(mgr);
  const LongFileName file(AString::FromUtf8(TempPath("storedtrace")));
  FaultCount faults(state);
  for (auto _ : state) {
    SettleFiles(state);
    io::CBlock block(data->GetBlockName());
    if (data->DoDataExchange(block, false) != io::kNoError || io::WriteBlockFile(file, block) != io::kNoError)
      state.SkipWithError("write failed");
    io::CBlock fromFile;
    rep::ConcreteTraceData read(mgr, 1);
    if (io::ReadBlockFile(file, fromFile) != io::kNoError || read.DoDataExchange(fromFile, true) != io::kNoError ||
        read.GetNumCurves() != kCurves)
      state.SkipWithError("read failed");
    benchmark::DoNotOptimize(read.GetDataColumn(1));
  }
  std::remove(file.GetPath().ToUtf8().c_str());
  SetBytes(state);
}
BENCHMARK(BM_StoredTraceFileWriteRead)->Unit(benchmark::kMillisecond);

// The two halves apart: where the time goes.
void BM_StoredTraceWrite(benchmark::State& state) {
  rep::ReportManager mgr(nullptr, true);
  std::unique_ptr<rep::ConcreteTraceData> data = MakeStored(mgr);
  const LongFileName file(AString::FromUtf8(TempPath("storedtracew")));
  for (auto _ : state) {
    SettleFiles(state);
    io::CBlock block(data->GetBlockName());
    data->DoDataExchange(block, false);
    if (io::WriteBlockFile(file, block) != io::kNoError) state.SkipWithError("write failed");
  }
  std::remove(file.GetPath().ToUtf8().c_str());
  SetBytes(state);
}
BENCHMARK(BM_StoredTraceWrite)->Unit(benchmark::kMillisecond);

void BM_StoredTraceRead(benchmark::State& state) {
  rep::ReportManager mgr(nullptr, true);
  std::unique_ptr<rep::ConcreteTraceData> data = MakeStored(mgr);
  const LongFileName file(AString::FromUtf8(TempPath("storedtracer")));
  io::CBlock block(data->GetBlockName());
  data->DoDataExchange(block, false);
  io::WriteBlockFile(file, block);
  for (auto _ : state) {
    io::CBlock fromFile;
    rep::ConcreteTraceData read(mgr, 1);
    if (io::ReadBlockFile(file, fromFile) != io::kNoError || read.DoDataExchange(fromFile, true) != io::kNoError)
      state.SkipWithError("read failed");
    benchmark::DoNotOptimize(read.GetDataColumn(1));
  }
  std::remove(file.GetPath().ToUtf8().c_str());
  SetBytes(state);
}
BENCHMARK(BM_StoredTraceRead)->Unit(benchmark::kMillisecond);

// After the usual table, the block form's write and read beside both raw baselines, each with its
// page faults per iteration.
class StoredTraceRatioReporter : public BenchConsoleReporter {
public:
  void ReportRuns(const std::vector<Run>& runs) override {
    BenchConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
      if (r.error_occurred || r.run_type != Run::RT_Iteration) continue;
      m_ms[r.benchmark_name()].push_back(r.GetAdjustedRealTime());
      const auto faults = r.counters.find("faults");
      if (faults != r.counters.end()) m_faults[r.benchmark_name()].push_back(faults->second.value);
    }
  }
  void Finalize() override {
    BenchConsoleReporter::Finalize();
    const double mine = Median(m_ms, "BM_StoredTraceFileWriteRead");
    for (const char* raw : {"BM_RawFileWriteRead", "BM_RawFileWriteReadFresh"}) {
      const double base = Median(m_ms, raw);
      if (mine > 0 && base > 0)
        std::printf("stored trace data written to a file and read back: %.1f ms (%.0f faults), %s %.1f ms (%.0f faults): "
                    "%.2fx (goal: within 4)\n",
                    mine, Median(m_faults, "BM_StoredTraceFileWriteRead"), raw, base, Median(m_faults, raw), mine / base);
    }
  }

private:
  // Of the repetitions (--benchmark_repetitions); 0 when the benchmark did not run.
  static double Median(const std::map<std::string, std::vector<double>>& values, const std::string& name) {
    const auto v = values.find(name);
    return v == values.end() || v->second.empty() ? 0 : MedianOf(v->second);
  }

  std::map<std::string, std::vector<double>> m_ms;
  std::map<std::string, std::vector<double>> m_faults;
};

}  // namespace

int main(int argc, char** argv) {
  StoredTraceRatioReporter reporter;
  return RunBenchmarks(argc, argv, reporter);
}
