// The block text reader against what the machine gives for the same bytes in the same run:
// numeric columns against std::from_chars alone over their numbers, a project file of about
// 100 MB (10 000 reports x 10 traces) against fread of it, the freeing of its tree against its
// reading, the load of it into a report manager (reading included, and the manager's part alone)
// against its reading, and the growth of peak resident memory while reading it.
// REP_BENCH_PROJECT_REPORTS=<n> sets the reports of the project (default 10000).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "BenchColumns.h"
#include "BenchMain.h"
#include "FirstRun.h"
#include "PageFaults.h"
#include "BenchReports.h"
#include "orvex/io/BigBuffer.h"
#include "orvex/io/BlockFile.h"
#include "orvex/io/TokenStream.h"

namespace {

// ---- numeric columns ----

std::string MakeNumbersText() {
  io::CStringToken_ostream out;
  out << benchdata::MakeColumnsBlock(benchdata::MakeDoubles());
  return out.Utf8();
}

const std::string& NumbersText() {
  static const std::string text = MakeNumbersText();
  return text;
}

double SumNumbers(const std::string& text) {
  const char* p = text.data();
  const char* const e = p + text.size();
  double sum = 0;
  while (p != e) {
    const char c = *p;
    if ((c >= '0' && c <= '9') || c == '-') {
      double d = 0;
      const auto r = std::from_chars(p, e, d);
      if (r.ec == std::errc()) {
        sum += d;
        p = r.ptr;
        continue;
      }
    }
    ++p;
  }
  return sum;
}

bool ReadNumbers(const std::string& text, io::CBlock& read) {
  io::CStringToken_istream in(text.data(), text.size());
  in >> read;
  return !in.Fail();
}

void BM_NumbersFromChars(benchmark::State& state) {
  const std::string& text = NumbersText();
  for (auto _ : state) benchmark::DoNotOptimize(SumNumbers(text));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

void BM_NumbersBlockRead(benchmark::State& state) {
  const std::string& text = NumbersText();
  for (auto _ : state) {
    io::CBlock read;
    if (!ReadNumbers(text, read)) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(read);
    state.PauseTiming();
    read.Clear();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

// ---- a project file ----

long ProjectReports() {
  const char* env = std::getenv("REP_BENCH_PROJECT_REPORTS");
  return env ? std::atol(env) : 10000;
}

struct Project {
  Project() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "blockread-XXXXXX").string();
    dir = mkdtemp(tmpl.data()) ? tmpl : std::string("/tmp");
    file = LongFileName(AString::FromUtf8(dir + "/project.txt"));
    io::CBlock project(L"Project");
    {
      rep::ReportManager mgr(&design.owner, true);
      benchdata::AddReports(mgr, ProjectReports(), nullptr, {L"dB(S(Port1,Port1))", L"Freq"});
      mgr.DoDataExchange(project, false);
    }
    io::WriteBlockFile(file, project);
    bytes = int64_t(std::filesystem::file_size(file.ToNarrow()));
  }
  ~Project() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
  benchdata::Design design;
  std::string dir;
  LongFileName file;
  int64_t bytes = 0;
};

Project& SharedProject() {
  static Project p;
  return p;
}

// Into fresh memory each time, as a reader that ends with data of its own must use: pages mapped
// for this read alone (heap freed by an earlier benchmark would come without a page fault), asked
// for as 2 MiB pages as the reader's tree is.
bool FreadFile(const std::string& path, size_t bytes) {
  char* const buf = static_cast<char*>(io::MapHugePages(bytes));
  if (!buf) return false;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  const bool ok = f && std::fread(buf, 1, bytes, f) == bytes;
  if (f) std::fclose(f);
  benchmark::DoNotOptimize(buf);
  io::UnmapHugePages(buf, bytes);
  return ok;
}

void BM_ProjectFread(benchmark::State& state) {
  Project& p = SharedProject();
  FaultCount faults(state);
  for (auto _ : state)
    if (!FreadFile(p.file.ToNarrow(), size_t(p.bytes))) state.SkipWithError("fread failed");
  state.SetBytesProcessed(state.iterations() * p.bytes);
}

void BM_ProjectRead(benchmark::State& state) {
  Project& p = SharedProject();
  FaultCount faults(state);
  for (auto _ : state) {
    auto read = std::make_unique<io::CBlock>();
    if (io::ReadBlockFile(p.file, *read) != io::kNoError) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(read.get());
    state.PauseTiming();
    read.reset();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(state.iterations() * p.bytes);
}

void BM_ProjectFree(benchmark::State& state) {
  Project& p = SharedProject();
  for (auto _ : state) {
    state.PauseTiming();
    auto read = std::make_unique<io::CBlock>();
    if (io::ReadBlockFile(p.file, *read) != io::kNoError) state.SkipWithError("read failed");
    state.ResumeTiming();
    read.reset();
  }
  state.SetBytesProcessed(state.iterations() * p.bytes);
}

// The project read from its file into a manager of its own, as opening a project does; without
// timeReading only the manager's part is timed: reports and traces built from a tree already read.
void LoadProject(benchmark::State& state, bool timeReading) {
  Project& p = SharedProject();
  for (auto _ : state) {
    if (!timeReading) state.PauseTiming();
    io::CBlock read;
    if (io::ReadBlockFile(p.file, read) != io::kNoError) state.SkipWithError("read failed");
    if (!timeReading) state.ResumeTiming();
    auto mgr = std::make_unique<rep::ReportManager>(&p.design.owner, true);
    mgr->DoDataExchange(read, true);
    state.PauseTiming();
    mgr.reset();
    read.Clear();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(state.iterations() * p.bytes);
}

void BM_ProjectLoad(benchmark::State& state) { LoadProject(state, true); }

void BM_ProjectBuild(benchmark::State& state) { LoadProject(state, false); }

// ---- peak resident memory ----

long StatusKiB(const char* key) {
  std::ifstream in("/proc/self/status");
  std::string line;
  const size_t n = std::strlen(key);
  while (std::getline(in, line))
    if (line.compare(0, n, key) == 0) return std::atol(line.c_str() + n);
  return -1;
}

// Resident memory before reading the file and the peak while reading it (KiB), then the seconds
// that reading and freeing took.
void MeasureRead(const char* path) {
  const long before = StatusKiB("VmRSS:");
  const auto start = std::chrono::steady_clock::now();
  auto read = std::make_unique<io::CBlock>();
  const bool ok = io::ReadBlockFile(LongFileName(AString::FromUtf8(path)), *read) == io::kNoError;
  const auto readEnd = std::chrono::steady_clock::now();
  const long peak = StatusKiB("VmHWM:");
  read.reset();
  const auto freeEnd = std::chrono::steady_clock::now();
  std::printf("%ld %ld %d %.3f %.3f\n", before, peak, ok ? 1 : 0,
              std::chrono::duration<double>(readEnd - start).count(),
              std::chrono::duration<double>(freeEnd - readEnd).count());
}

// In a fresh process of this program, so that no memory the benchmarks freed is reused.
void PrintPeakGrowth() {
  Project& p = SharedProject();
  const std::string command = "/proc/" + std::to_string(getpid()) + "/exe --measure-read=" + p.file.ToNarrow();
  std::FILE* child = popen(command.c_str(), "r");
  if (!child) return;
  long before = 0, peak = 0;
  int ok = 0;
  double readSeconds = 0, freeSeconds = 0;
  const bool got = std::fscanf(child, "%ld %ld %d %lf %lf", &before, &peak, &ok, &readSeconds, &freeSeconds) == 5;
  pclose(child);
  if (!got || !ok) {
    std::printf("the peak resident memory could not be measured\n");
    return;
  }
  const double fileMiB = double(p.bytes) / (1 << 20);
  const double growthMiB = double(peak - before) / 1024;
  std::printf("project file %.1f MiB: peak resident memory grows %.1f MiB while reading it (%.2fx the file)\n",
              fileMiB, growthMiB, growthMiB / fileMiB);
  std::printf("in a fresh process: read %.0f ms (%.1f MB/s), freed %.0f ms\n", readSeconds * 1e3,
              double(p.bytes) / 1e6 / readSeconds, freeSeconds * 1e3);
}

// ---- first runs, each in a fresh process (see FirstRun.h) ----

FirstRun TimeFirstRun(const std::string& what, const std::string& file) {
  // Made before the clock starts, and the tree freed after it stops: only the read is timed.
  const bool numbers = what == "NumbersFromChars" || what == "NumbersBlockRead";
  const std::string text = numbers ? MakeNumbersText() : std::string();
  const size_t bytes = numbers ? 0 : size_t(std::filesystem::file_size(file));
  io::CBlock read;
  const FirstRunClock clock;
  bool ok = false;
  if (what == "NumbersFromChars")
    ok = SumNumbers(text) != 0;
  else if (what == "NumbersBlockRead")
    ok = ReadNumbers(text, read);
  else if (what == "ProjectFread")
    ok = FreadFile(file, bytes);
  else if (what == "ProjectRead")
    ok = io::ReadBlockFile(LongFileName(AString::FromUtf8(file)), read) == io::kNoError;
  return clock.Stop(ok);
}

// After the usual table, each figure beside its baseline: their rates per wall second (the median
// of the repetitions when there are any, else the last run) and the ratio.
class RatioReporter : public BenchConsoleReporter {
public:
  void ReportRuns(const std::vector<Run>& runs) override {
    BenchConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      const double rate = WallRate(run, "bytes_per_second") / 1e6;
      if (rate <= 0) continue;
      const double ms = run.iterations > 0 ? run.real_accumulated_time / double(run.iterations) * 1e3 : 0;
      if (run.run_type == Run::RT_Iteration && !m_median.count(run.benchmark_name())) {
        m_rate[run.benchmark_name()] = rate;
        m_time[run.benchmark_name()] = ms;
      } else if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
        m_rate[run.run_name.str()] = m_median[run.run_name.str()] = rate;
        m_time[run.run_name.str()] = ms;
      }
    }
  }
  void Finalize() override {
    BenchConsoleReporter::Finalize();
    std::printf("\n%-22s %10s   %-18s %10s %8s\n", "figure", "MB/s", "baseline", "MB/s", "ratio");
    Pair("BM_NumbersBlockRead", "BM_NumbersFromChars");
    Pair("BM_ProjectRead", "BM_ProjectFread");
    Pair("BM_ProjectFree", "BM_ProjectRead");
    Pair("BM_ProjectLoad", "BM_ProjectRead");
    Pair("BM_ProjectBuild", "BM_ProjectRead");
    if (m_rate.count("BM_ProjectRead")) PrintPeakGrowth();
    std::printf("\nfirst run in a fresh process (median of 5) beside the warm figure above:\n");
    std::printf("%-18s %9s %8s   %-18s %9s %8s %8s %8s\n", "figure", "first ms", "warm ms", "baseline", "first ms",
                "warm ms", "first", "warm");
    FirstPair("BM_NumbersBlockRead", "BM_NumbersFromChars", "");
    if (m_rate.count("BM_ProjectRead")) FirstPair("BM_ProjectRead", "BM_ProjectFread", SharedProject().file.ToNarrow());
  }

private:
  void Pair(const char* figure, const char* baseline) {
    const auto f = m_rate.find(figure);
    const auto b = m_rate.find(baseline);
    if (f == m_rate.end() || b == m_rate.end()) return;
    std::printf("%-22s %10.1f   %-18s %10.1f %8.3f\n", figure + 3, f->second, baseline + 3, b->second, f->second / b->second);
  }
  // Ratios as rates, of wall times: the baseline's time over the figure's. Below, where each first
  // run's time went.
  void FirstPair(const char* figure, const char* baseline, const std::string& file) {
    const std::vector<FirstRun> first = FirstRunMedians({figure + 3, baseline + 3}, file);
    const double f = first[0].ms, b = first[1].ms;
    const auto fWarm = m_time.find(figure), bWarm = m_time.find(baseline);
    if (f <= 0 || b <= 0 || fWarm == m_time.end() || bWarm == m_time.end()) {
      std::printf("%-18s could not be measured\n", figure + 3);
      return;
    }
    std::printf("%-18s %9.1f %8.1f   %-18s %9.1f %8.1f %8.3f %8.3f\n", figure + 3, f, fWarm->second, baseline + 3, b,
                bWarm->second, b / f, bWarm->second / fWarm->second);
    std::printf("  %-18s first %s\n  %-18s first %s\n", figure + 3, FirstRunText(first[0]).c_str(), baseline + 3,
                FirstRunText(first[1]).c_str());
  }
  std::map<std::string, double> m_rate;
  std::map<std::string, double> m_time;  // wall ms per iteration, of the same runs as m_rate
  std::map<std::string, double> m_median;
};

}  // namespace

BENCHMARK(BM_NumbersFromChars)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NumbersBlockRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProjectFread)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProjectRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProjectFree)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProjectLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProjectBuild)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  const char kMeasure[] = "--measure-read=";
  if (argc == 2 && std::strncmp(argv[1], kMeasure, sizeof kMeasure - 1) == 0) {
    MeasureRead(argv[1] + sizeof kMeasure - 1);
    return 0;
  }
  std::string what, file;
  if (FirstRunArguments(argc, argv, what, file)) {
    PrintFirstRun(TimeFirstRun(what, file));
    return 0;
  }
  RatioReporter reporter;
  return RunBenchmarks(argc, argv, reporter);
}
