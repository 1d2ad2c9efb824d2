// Block text against raw binary I/O: 100 columns of 10 000 doubles, written and read.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <utility>
#include <string>
#include <vector>

#include "BenchColumns.h"
#include "BenchMain.h"
#include "FirstRun.h"
#include "RawSave.h"
#include "orvex/io/BlockFile.h"
#include "orvex/io/TokenStream.h"

namespace {

using benchdata::kDoubles;

struct Data {
  std::vector<double> values = benchdata::MakeDoubles();
  io::CBlock block = benchdata::MakeColumnsBlock(values);
  std::string dir;
  Data() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "blockbench-XXXXXX").string();
    dir = mkdtemp(tmpl.data()) ? tmpl : std::string("/tmp");
  }
  ~Data() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
  LongFileName TextFile() const { return LongFileName(AString::FromUtf8(dir + "/cache.blk")); }
  std::string RawFile() const { return dir + "/cache.bin"; }
};

Data& Shared() {
  static Data d;
  return d;
}

void SetCounts(benchmark::State& state, int64_t bytes) {
  state.SetBytesProcessed(state.iterations() * bytes);
  state.SetItemsProcessed(state.iterations() * kDoubles);
}

void BM_BlockTextWriteFile(benchmark::State& state) {
  Data& d = Shared();
  for (auto _ : state) {
    SettleFiles(state);
    if (io::WriteBlockFile(d.TextFile(), d.block) != io::kNoError) state.SkipWithError("write failed");
  }
  SetCounts(state, int64_t(std::filesystem::file_size(d.TextFile().ToNarrow())));
}

void BM_BlockTextReadFile(benchmark::State& state) {
  Data& d = Shared();
  io::WriteBlockFile(d.TextFile(), d.block);
  for (auto _ : state) {
    io::CBlock read;
    if (io::ReadBlockFile(d.TextFile(), read) != io::kNoError) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(read);
  }
  SetCounts(state, int64_t(std::filesystem::file_size(d.TextFile().ToNarrow())));
}

void BM_BlockTextWriteMemory(benchmark::State& state) {
  Data& d = Shared();
  size_t bytes = 0;
  for (auto _ : state) {
    io::CStringToken_ostream out;
    out << d.block;
    bytes = out.Utf8().size();
    benchmark::DoNotOptimize(out.Utf8().data());
  }
  SetCounts(state, int64_t(bytes));
}

void BM_BlockTextReadMemory(benchmark::State& state) {
  Data& d = Shared();
  io::CStringToken_ostream out;
  out << d.block;
  const std::string& text = out.Utf8();
  for (auto _ : state) {
    io::CStringToken_istream in(text.data(), text.size());
    io::CBlock read;
    in >> read;
    if (in.Fail()) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(read);
  }
  SetCounts(state, int64_t(text.size()));
}

void BM_RawFwrite(benchmark::State& state) {
  Data& d = Shared();
  for (auto _ : state) {
    SettleFiles(state);
    if (!RawSave(d.RawFile(), [&](std::FILE* f) {
          return std::fwrite(d.values.data(), sizeof(double), d.values.size(), f) == d.values.size();
        }))
      state.SkipWithError("fwrite failed");
  }
  SetCounts(state, kDoubles * int64_t(sizeof(double)));
}

// The writer's baseline: fwrite of the very bytes it writes, saved as the writer saves.
void BM_RawFwriteText(benchmark::State& state) {
  Data& d = Shared();
  io::CStringToken_ostream out;
  out << d.block;
  const std::string& text = out.Utf8();
  const std::string file = d.RawFile() + ".txt";
  for (auto _ : state) {
    SettleFiles(state);
    if (!RawSave(file, [&](std::FILE* f) { return std::fwrite(text.data(), 1, text.size(), f) == text.size(); }))
      state.SkipWithError("fwrite failed");
  }
  SetCounts(state, int64_t(text.size()));
}

void BM_RawFread(benchmark::State& state) {
  Data& d = Shared();
  {
    std::FILE* f = std::fopen(d.RawFile().c_str(), "wb");
    if (f) {
      std::fwrite(d.values.data(), sizeof(double), d.values.size(), f);
      std::fclose(f);
    }
  }
  std::vector<double> back(d.values.size());
  for (auto _ : state) {
    std::FILE* f = std::fopen(d.RawFile().c_str(), "rb");
    if (!f || std::fread(back.data(), sizeof(double), back.size(), f) != back.size()) state.SkipWithError("fread failed");
    if (f) std::fclose(f);
    benchmark::DoNotOptimize(back.data());
  }
  SetCounts(state, kDoubles * int64_t(sizeof(double)));
}

// One write in a fresh process (see FirstRun.h): the clipboard's path, to memory, beside the same
// block to a file and the same bytes saved raw.
FirstRun TimeFirstRun(const std::string& what) {
  Data& d = Shared();
  io::CStringToken_ostream text;
  text << d.block;
  const std::string bytes = what == "RawFwriteText" ? text.Utf8() : std::string();
  io::CStringToken_ostream out;
  const FirstRunClock clock;
  bool ok = false;
  if (what == "BlockTextWriteMemory") {
    out << d.block;
    ok = !out.Fail() && out.Utf8().size() == text.Utf8().size();
  } else if (what == "BlockTextWriteFile") {
    ok = io::WriteBlockFile(d.TextFile(), d.block) == io::kNoError;
  } else if (what == "RawFwriteText") {
    ok = RawSave(d.RawFile(), [&](std::FILE* f) { return std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size(); });
  }
  return clock.Stop(ok);
}

}  // namespace

BENCHMARK(BM_BlockTextWriteFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BlockTextReadFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BlockTextWriteMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BlockTextReadMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawFwrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawFwriteText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawFread)->Unit(benchmark::kMillisecond);

namespace {

// After the usual table, the text writer's time beside fwrite of the same bytes: the medians of
// their repetitions, as file writes on a shared machine vary from one to the next.
class RatioReporter : public BenchConsoleReporter {
public:
  void ReportRuns(const std::vector<Run>& runs) override {
    BenchConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs)
      if (!run.error_occurred && run.run_type == Run::RT_Iteration)
        m_ms[run.benchmark_name()].push_back(run.GetAdjustedRealTime());
  }
  void Finalize() override {
    BenchConsoleReporter::Finalize();
    const double w = Median("BM_BlockTextWriteFile");
    const double raw = Median("BM_RawFwriteText");
    if (w > 0 && raw > 0)
      std::printf("\nblock text write %.1f ms, fwrite of the same bytes %.1f ms: %.2fx\n", w, raw, w / raw);
    const double memory = Median("BM_BlockTextWriteMemory");
    std::printf("first run in a fresh process (median of 5, the cases in turn), warm figure beside it:\n");
    const std::pair<const char*, double> cases[] = {
        {"BlockTextWriteMemory", memory}, {"BlockTextWriteFile", w}, {"RawFwriteText", raw}};
    const std::vector<FirstRun> first = FirstRunMedians({cases[0].first, cases[1].first, cases[2].first}, "-");
    for (size_t i = 0; i < first.size(); ++i)
      if (first[i].ms > 0)
        std::printf("  %-22s warm %7.1f ms   first %s\n", cases[i].first, cases[i].second, FirstRunText(first[i]).c_str());
    if (first[1].ms > 0 && first[2].ms > 0)
      std::printf("first block text write over fwrite of the same bytes: %.2fx\n", first[1].ms / first[2].ms);
  }

private:
  double Median(const std::string& name) {
    std::vector<double>& times = m_ms[name];
    if (times.empty()) return 0;
    std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
    return times[times.size() / 2];
  }

  std::map<std::string, std::vector<double>> m_ms;
};

}  // namespace

int main(int argc, char** argv) {
  std::string what, file;
  if (FirstRunArguments(argc, argv, what, file)) {
    PrintFirstRun(TimeFirstRun(what));
    return 0;
  }
  RatioReporter reporter;
  return RunBenchmarks(argc, argv, reporter);
}
