// Writing and reading the solution-value cache files of a swept solution (majors x points x 10
// quantities) against a raw fwrite/fread of the same doubles in the same run. Bytes are the
// doubles' own bytes, so the rates compare directly.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "BaselineRatioReporter.h"
#include "RawSave.h"
#include "BenchMain.h"
#include "PageFaults.h"
#include "quantities/SimValueDataCache.h"
#include "quantities/SimValueInfoServer.h"
#include "orvex/io/Block.h"
#include "orvex/values/IVariableNameSpaceSetupper.h"
#include "orvex/values/VariableNameSpace.h"
#include "orvex/values/VariableValuesContext.h"
#include "postorvex/caches/MinorVVsCache.h"
#include "postorvex/columns/DoubleColumn.h"
#include "postorvex/columns/ManagedFileService.h"
#include "postorvex/quantities/SimValueParams.h"
#include "postorvex/solution/DesignSolutionDefinition.h"
#include "refhost/ReferenceSolutionManager.h"

namespace {

const int kQuantities = 10;

// The solution's variables, for reading the files back.
class Setupper : public IVariableNameSpaceSetupper {
public:
  explicit Setupper(const refhost::ReferenceSolution& s) : m_solution(s) {}
  void SetupForTextRegeneration(VariableNameSpace& ns) override { Setup(ns); }
  void Setup(VariableNameSpace& ns) override {
    for (const auto& v : m_solution.GetAllVariables()) ns.AddVariable(v.get());
  }

private:
  const refhost::ReferenceSolution& m_solution;
};

class Host : public refhost::ReferenceSolutionManager {
public:
  Host() : m_solution(AddSolution(10, L"Sweep")), m_setupper(m_solution) {}
  IVariableNameSpaceSetupper* GetVariableNameSpaceSetupper(long id) override { return id == 10 ? &m_setupper : nullptr; }
  refhost::ReferenceSolution& m_solution;
  Setupper m_setupper;
};

// A cache holding `majors` major variations of `points` swept values of kQuantities quantities.
struct Fixture {
  Fixture(size_t majors, size_t points)
      : root((std::filesystem::temp_directory_path() / ("svcbench" + std::to_string(getpid()))).string()),
        scope(AString::FromUtf8(root)),
        cache(&host) {
    host.SetManagedFileService(ManagedFileService::GetInstance());
    Variable* length = host.m_solution.AddVariable(L"L", Value(1.0, 142), true);
    Variable* freq = host.m_solution.AddVariable(L"F", Value(1.0, 113), false);
    const DesignSolutionDefinition dsd(1, 10, ReportTypeSolutionDefinition(1));
    std::vector<long> ids;
    for (int q = 0; q < kQuantities; ++q) {
      const AString name = AString(L"Q") + std::to_wstring(q);
      host.m_solution.AddQuantity(name, ValueState(1, 15, 1));
      SimValueParams params;
      ids.push_back(cache.GetInfoServer().GetSimValueID(params, name, dsd, 1));
    }
    DoubleColumn primary(113);
    for (size_t i = 0; i < points; ++i) primary.AddValue(1.0 + 0.001 * static_cast<double>(i), false);
    std::vector<std::unique_ptr<DoubleColumn>> columns;
    std::vector<const Column*> values;
    for (int q = 0; q < kQuantities; ++q) {
      columns.push_back(std::make_unique<DoubleColumn>());
      values.push_back(columns.back().get());
    }
    for (size_t m = 0; m < majors; ++m) {
      for (int q = 0; q < kQuantities; ++q) {
        std::vector<double>& v = columns[q]->GetValues();
        v.clear();
        for (size_t i = 0; i < points; ++i) v.push_back(std::sin(0.001 * static_cast<double>(i * (q + 1) + m)) / 7.0);
      }
      VariableValues at;
      at.SetVariableValue(length, Value(1.0 + static_cast<double>(m), 142));
      VariableValuesContext current(at);
      cache.UpdateCacheForMinorSweepAtCurrVarVal(freq, false, {length}, {}, dsd, 1, primary, ids, values, L"bench");
    }
    doubles = majors * points * kQuantities;
  }
  ~Fixture() { std::filesystem::remove_all(root); }

  std::string root;
  ManagedFileService::RootScope scope;
  Host host;
  rep::SimValueDataCache cache;
  size_t doubles = 0;
};

void SetBytes(benchmark::State& state, size_t doubles) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doubles * sizeof(double)));
}

// Both reads into fresh memory start alike: what the benchmarks before them freed goes back to the
// system, or whichever runs first would be handed pages touched already.
void GiveFreedMemoryBack() { malloc_trim(0); }

void BM_CacheFilesWrite(benchmark::State& state) {
  Fixture f(static_cast<size_t>(state.range(0)), static_cast<size_t>(state.range(1)));
  FaultCount faults(state);
  for (auto _ : state) {
    SettleFiles(state);
    io::CBlock project;
    if (!f.cache.WriteCacheFiles(project)) state.SkipWithError("write failed");
  }
  SetBytes(state, f.doubles);
}

// Saved again: every minor file goes to a new name, and those of the save before are removed.
void BM_CacheFilesRewrite(benchmark::State& state) {
  Fixture f(static_cast<size_t>(state.range(0)), static_cast<size_t>(state.range(1)));
  io::CBlock first;
  if (!f.cache.WriteCacheFiles(first)) state.SkipWithError("write failed");
  FaultCount faults(state);
  for (auto _ : state) {
    SettleFiles(state);
    io::CBlock project;
    if (!f.cache.WriteCacheFiles(project)) state.SkipWithError("write failed");
  }
  SetBytes(state, f.doubles);
}

// With `again`, one read untimed first, so that every timed read reuses the memory that the read
// before it freed.
void CacheFilesRead(benchmark::State& state, bool again) {
  Fixture f(static_cast<size_t>(state.range(0)), static_cast<size_t>(state.range(1)));
  io::CBlock project;
  if (!f.cache.WriteCacheFiles(project)) state.SkipWithError("write failed");
  auto read = [&] {
    rep::SimValueDataCache fresh(&f.host);
    fresh.ReadCacheFiles(project);
    if (fresh.GetDesignMap().empty()) state.SkipWithError("read nothing");
  };
  GiveFreedMemoryBack();
  if (again) read();
  FaultCount faults(state);
  for (auto _ : state) read();
  SetBytes(state, f.doubles);
}

void BM_CacheFilesRead(benchmark::State& state) { CacheFilesRead(state, false); }
void BM_CacheFilesReadAgain(benchmark::State& state) { CacheFilesRead(state, true); }

// The read's parts apart, each repeated as the read above: every minor file read by the cache
// object that holds it, alone (without the header, the variation keys and the connectivity that
// hold them), and with `decodeOnly` decoded from its bytes already in memory.
void MinorFiles(benchmark::State& state, bool decodeOnly) {
  Fixture f(static_cast<size_t>(state.range(0)), static_cast<size_t>(state.range(1)));
  io::CBlock project;
  if (!f.cache.WriteCacheFiles(project)) state.SkipWithError("write failed");
  std::vector<AString> names;
  std::vector<std::string> bytes;
  for (const auto& entry : std::filesystem::directory_iterator(f.root + "/svcache")) {
    const std::string name = entry.path().filename().string();
    if (name.find("-MVC") == std::string::npos) continue;
    names.push_back(AString::FromUtf8(name));
    std::ifstream in(entry.path(), std::ios::binary);
    bytes.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  if (names.size() != static_cast<size_t>(state.range(0))) state.SkipWithError("minor files not found");
  // The solution's variables, by whose names the files' sweeps are found, as the cache's read has them.
  VariableNameSpace variables(1, 1, 0);
  f.host.m_setupper.Setup(variables);
  auto read = [&] {
    std::vector<std::unique_ptr<MinorVVsCache>> caches;
    for (size_t i = 0; i < names.size(); ++i) {
      caches.push_back(std::make_unique<MinorVVsCache>(ManagedFileService::GetInstance()));
      caches.back()->SetCacheFile(names[i]);
      const bool ok = decodeOnly ? caches.back()->ReadFromBytes(bytes[i].data(), bytes[i].size()) : caches.back()->Read();
      if (!ok) state.SkipWithError("minor file not read");
    }
  };
  read();
  FaultCount faults(state);
  for (auto _ : state) read();
  SetBytes(state, f.doubles);
}

void BM_MinorFilesRead(benchmark::State& state) { MinorFiles(state, false); }
void BM_MinorFilesDecode(benchmark::State& state) { MinorFiles(state, true); }

// The same doubles, one file per major variation as the cache writes them, saved as the cache saves
// its files: each minor file under a new name, not waited for on the disk, then a header naming
// them saved to the disk, then the files of the save before removed. `rewrite` saves once untimed,
// as a second save of the cache finds files of the first.
void RawWrite(benchmark::State& state, bool rewrite) {
  const size_t majors = static_cast<size_t>(state.range(0)), perMajor = static_cast<size_t>(state.range(1)) * kQuantities;
  std::vector<double> data(perMajor, 1.0 / 7.0);
  const std::string dir = (std::filesystem::temp_directory_path() / ("rawbench" + std::to_string(getpid()))).string();
  std::filesystem::create_directories(dir);
  std::vector<std::string> saved;
  int saves = 0;
  auto save = [&] {
    std::vector<std::string> files;
    std::string header;
    for (size_t m = 0; m < majors; ++m) {
      files.push_back(dir + "/" + std::to_string(saves) + "-" + std::to_string(m));
      const int fd = open(files.back().c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
      std::FILE* f = fd < 0 ? nullptr : fdopen(fd, "wb");
      const bool written = f && std::fwrite(data.data(), sizeof(double), perMajor, f) == perMajor;
      if (!(f ? std::fclose(f) == 0 && written : false)) state.SkipWithError("write failed");
      header += files.back() + '\n';
    }
    if (!RawSave(dir + "/header", [&](std::FILE* f) { return std::fwrite(header.data(), 1, header.size(), f) == header.size(); }))
      state.SkipWithError("write failed");
    for (const std::string& old : saved) unlink(old.c_str());
    saved.swap(files);
    ++saves;
  };
  if (rewrite) save();
  FaultCount faults(state);
  for (auto _ : state) {
    SettleFiles(state);
    save();
  }
  std::filesystem::remove_all(dir);
  SetBytes(state, majors * perMajor);
}

void BM_RawWrite(benchmark::State& state) { RawWrite(state, false); }
void BM_RawRewrite(benchmark::State& state) { RawWrite(state, true); }

void BM_RawRead(benchmark::State& state) {
  const size_t majors = static_cast<size_t>(state.range(0)), perMajor = static_cast<size_t>(state.range(1)) * kQuantities;
  std::vector<double> data(perMajor, 1.0 / 7.0), back(perMajor);
  const std::string dir = (std::filesystem::temp_directory_path() / ("rawbench" + std::to_string(getpid()))).string();
  std::filesystem::create_directories(dir);
  for (size_t m = 0; m < majors; ++m) {
    FILE* f = std::fopen((dir + "/" + std::to_string(m)).c_str(), "wb");
    std::fwrite(data.data(), sizeof(double), perMajor, f);
    std::fclose(f);
  }
  FaultCount faults(state);
  for (auto _ : state) {
    for (size_t m = 0; m < majors; ++m) {
      FILE* f = std::fopen((dir + "/" + std::to_string(m)).c_str(), "rb");
      if (std::fread(back.data(), sizeof(double), perMajor, f) != perMajor) state.SkipWithError("short read");
      benchmark::DoNotOptimize(back.data());
      std::fclose(f);
    }
  }
  std::filesystem::remove_all(dir);
  SetBytes(state, majors * perMajor);
}

// fread of the same doubles into memory allocated afresh per quantity, as a read of the cache
// must end with columns of their own; `again` as for the cache's read.
void RawReadIntoNewMemory(benchmark::State& state, bool again) {
  const size_t majors = static_cast<size_t>(state.range(0)), points = static_cast<size_t>(state.range(1));
  const size_t perMajor = points * kQuantities;
  std::vector<double> data(perMajor, 1.0 / 7.0);
  const std::string dir = (std::filesystem::temp_directory_path() / ("rawbench" + std::to_string(getpid()))).string();
  std::filesystem::create_directories(dir);
  for (size_t m = 0; m < majors; ++m) {
    FILE* f = std::fopen((dir + "/" + std::to_string(m)).c_str(), "wb");
    std::fwrite(data.data(), sizeof(double), perMajor, f);
    std::fclose(f);
  }
  auto read = [&] {
    std::vector<std::unique_ptr<double[]>> columns;
    columns.reserve(majors * kQuantities);
    for (size_t m = 0; m < majors; ++m) {
      FILE* f = std::fopen((dir + "/" + std::to_string(m)).c_str(), "rb");
      for (int q = 0; q < kQuantities; ++q) {
        columns.emplace_back(new double[points]);
        if (std::fread(columns.back().get(), sizeof(double), points, f) != points) state.SkipWithError("short read");
      }
      std::fclose(f);
    }
    benchmark::DoNotOptimize(columns.data());
  };
  GiveFreedMemoryBack();
  if (again) read();
  FaultCount faults(state);
  for (auto _ : state) read();
  std::filesystem::remove_all(dir);
  SetBytes(state, majors * perMajor);
}

void BM_RawReadIntoNewMemory(benchmark::State& state) { RawReadIntoNewMemory(state, false); }
void BM_RawReadIntoNewMemoryAgain(benchmark::State& state) { RawReadIntoNewMemory(state, true); }

// 1 000 major variations of 1 000 points of 10 quantities: 10 million doubles. Each sample a cache
// of its own, the ratios those of the medians.
#define CACHE_SIZES ->Args({1000, 1000})->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)
BENCHMARK(BM_RawWrite) CACHE_SIZES;
BENCHMARK(BM_CacheFilesWrite) CACHE_SIZES;
BENCHMARK(BM_RawRewrite) CACHE_SIZES;
BENCHMARK(BM_CacheFilesRewrite) CACHE_SIZES;
BENCHMARK(BM_RawRead) CACHE_SIZES;
BENCHMARK(BM_RawReadIntoNewMemory) CACHE_SIZES;
BENCHMARK(BM_CacheFilesRead) CACHE_SIZES;
// Repeated after one untimed read, so that the memory one read frees serves the next, as the warm
// fread's buffer does: the same work without first touching fresh pages. With the read's parts.
#define REPEATED ->Args({1000, 1000})->Unit(benchmark::kMillisecond)->Iterations(4)->Repetitions(3)
BENCHMARK(BM_RawReadIntoNewMemoryAgain) REPEATED;
BENCHMARK(BM_CacheFilesReadAgain) REPEATED;
BENCHMARK(BM_MinorFilesRead) REPEATED;
BENCHMARK(BM_MinorFilesDecode) REPEATED;

// After the ratios, where each sample's time goes: its wall and CPU time (the rest was spent
// waiting), its page faults, and the repeated read's parts.
class CacheReporter : public BaselineRatioReporter {
public:
  using BaselineRatioReporter::BaselineRatioReporter;
  void ReportRuns(const std::vector<Run>& runs) override {
    BaselineRatioReporter::ReportRuns(runs);
    for (const Run& r : runs) {
      if (r.error_occurred || r.run_type != Run::RT_Iteration || r.iterations <= 0) continue;
      Part& part = m_parts[r.run_name.function_name];
      part.ms.push_back(r.real_accumulated_time / double(r.iterations) * 1e3);
      part.cpu.push_back(r.cpu_accumulated_time / double(r.iterations) * 1e3);
      const auto faults = r.counters.find("faults");
      if (faults != r.counters.end()) part.faults.push_back(faults->second.value);
    }
  }
  void Finalize() override {
    BaselineRatioReporter::Finalize();
    std::printf("\nwhere the time goes (medians, per sample):\n  %-42s %9s %9s %8s\n", "", "wall ms", "CPU ms", "faults");
    const std::pair<const char*, const char*> rows[] = {
        {"BM_RawWrite", "fwrite, new files and a header"},
        {"BM_CacheFilesWrite", "cache files written"},
        {"BM_RawRewrite", "fwrite again, the files before removed"},
        {"BM_CacheFilesRewrite", "cache files written again"},
        {"BM_RawReadIntoNewMemory", "fread into fresh memory"},
        {"BM_CacheFilesRead", "cache files read into fresh memory"},
        {"BM_RawReadIntoNewMemoryAgain", "fread, repeated"},
        {"BM_CacheFilesReadAgain", "cache files read, repeated"},
        {"BM_MinorFilesRead", "  its minor files read and decoded alone"},
        {"BM_MinorFilesDecode", "  their decoding alone, from memory"},
    };
    for (const auto& [name, label] : rows) {
      const auto part = m_parts.find(name);
      if (part == m_parts.end()) continue;
      const Part& p = part->second;
      std::printf("  %-42s %9.1f %9.1f %8.0f\n", label, MedianOf(p.ms), MedianOf(p.cpu),
                  p.faults.empty() ? 0.0 : MedianOf(p.faults));
    }
  }

private:
  struct Part {
    std::vector<double> ms, cpu, faults;
  };

  std::map<std::string, Part> m_parts;
};

}  // namespace

int main(int argc, char** argv) {
  const std::string once = "/1000/1000/iterations:1/repeats:5", repeated = "/1000/1000/iterations:4/repeats:3";
  CacheReporter reporter({
      {"BM_CacheFilesWrite" + once, "BM_RawWrite" + once, "cache files written in %.2f times fwrite of the same bytes (goal: within 2)\n"},
      {"BM_CacheFilesRewrite" + once, "BM_RawRewrite" + once, "cache files written again in %.2f times fwrite of new files replacing the same (goal: within 2)\n"},
      {"BM_CacheFilesRead" + once, "BM_RawReadIntoNewMemory" + once, "cache files read in %.2f times fread into fresh memory (goal: within 2)\n"},
      {"BM_CacheFilesReadAgain" + repeated, "BM_RawReadIntoNewMemoryAgain" + repeated, "cache files read, repeated, in %.2f times fread into memory of its own (goal: within 2)\n"},
      {"BM_CacheFilesRead" + once, "BM_RawRead" + once, "cache files read in %.2f times a warm fread into one reused buffer\n"},
  });
  return RunBenchmarks(argc, argv, reporter);
}
