// Work that must grow no faster than its items: each case runs at two sizes ten times apart and
// the run ends with the time per item at both sizes and their ratio (goal: at most 1.5), then the
// first and second write of the large project in a fresh process, and its first save beside a raw
// save of the same bytes.
// REP_BENCH_SMALL=<n> sets the small size of the report cases (default 1000).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "BenchMain.h"
#include "FirstRun.h"
#include "BenchReports.h"
#include "reports/PointsetDefinition.h"
#include "RatioReporter.h"
#include "RawSave.h"
#include "reports/ReportDefinition.h"
#include "reports/ReportManager.h"
#include "reports/TraceDefinition.h"
#include "orvex/core/LocalNameServer.h"
#include "orvex/core/VelmorCommand.h"
#include "orvex/io/Block.h"
#include "orvex/io/BlockFile.h"
#include "orvex/values/Msg.h"
#include "orvex/values/ReceiverMgr.h"
#include "postorvex/columns/ManagedFileService.h"
#include "postorvex/solution/DesignSolutionDefinition.h"
#include "refhost/ReferenceReportManagerOwner.h"
#include "refhost/ReferenceSolutionManager.h"
#include "refhost/TempDirManagedFileService.h"

namespace {

long SmallReports() {
  const char* env = std::getenv("REP_BENCH_SMALL");
  return env ? std::atol(env) : 1000;
}

using benchdata::AddReports;
using benchdata::Design;

void BM_ReportsBuild(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    Design design;
    auto mgr = std::make_unique<rep::ReportManager>(&design.owner, true);
    state.ResumeTiming();
    AddReports(*mgr, state.range(0), nullptr);
    state.PauseTiming();
    mgr.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_ReportsWrite(benchmark::State& state) {
  Design design;
  rep::ReportManager mgr(&design.owner, true);
  AddReports(mgr, state.range(0), nullptr);
  // The first write is timed with the others: it is the one that grows the heap to the tree's size.
  for (auto _ : state) {
    io::CBlock project(L"Project");
    mgr.DoDataExchange(project, false);
    benchmark::DoNotOptimize(project);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

// One write as BM_ReportsWrite times it, in a fresh process (see FirstRun.h): its first, or the
// one after it.
FirstRun FreshProcessWrite(long reports, bool second) {
  Design design;
  rep::ReportManager mgr(&design.owner, true);
  AddReports(mgr, reports, nullptr);
  if (second) {
    io::CBlock project(L"Project");
    mgr.DoDataExchange(project, false);
  }
  const FirstRunClock clock;
  bool ok = false;
  {
    io::CBlock project(L"Project");
    mgr.DoDataExchange(project, false);
    ok = project.GetNumItems() != 0;
  }
  return clock.Stop(ok);
}

// A project of `reports` saved to `file` in a fresh process: its tree made and written, as the
// first save after opening it. With `raw`, the bytes of that file, read before the clock starts,
// saved beside it the same way (a new file flushed to the disk, renamed over the one there).
FirstRun FreshProcessSave(long reports, const std::string& file, bool raw) {
  Design design;
  rep::ReportManager mgr(&design.owner, true);
  std::string bytes;
  if (raw) {
    std::ifstream in(file, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (bytes.empty()) return FirstRun{};
  } else {
    AddReports(mgr, reports, nullptr);
  }
  const FirstRunClock clock;
  bool ok = false;
  if (raw) {
    ok = RawSave(file + ".raw", [&](std::FILE* f) { return std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size(); });
  } else {
    io::CBlock project(L"Project");
    mgr.DoDataExchange(project, false);
    ok = io::WriteBlockFile(LongFileName(AString::FromUtf8(file)), project) == io::kNoError;
  }
  return clock.Stop(ok);
}

void BM_ReportsRead(benchmark::State& state) {
  Design design;
  io::CBlock project(L"Project");
  {
    rep::ReportManager mgr(&design.owner, true);
    AddReports(mgr, state.range(0), nullptr);
    mgr.DoDataExchange(project, false);
  }
  for (auto _ : state) {
    auto mgr = std::make_unique<rep::ReportManager>(&design.owner, true);
    mgr->DoDataExchange(project, true);
    state.PauseTiming();
    mgr.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

// One command adds all the reports; its undo and redo are timed.
void BM_ReportsUndoRedo(benchmark::State& state) {
  Design design;
  rep::ReportManager mgr(&design.owner, true);
  VelmorCommand cmd(L"Add");
  AddReports(mgr, state.range(0), &cmd);
  cmd.EndDo();
  for (auto _ : state) {
    cmd.Undo();
    cmd.Redo();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

// A batch of unique names for one wanted name, as a paste of many like-named reports makes.
void BM_UniqueNameBatch(benchmark::State& state) {
  for (auto _ : state) {
    LocalNameServer server;
    for (long i = 0; i < state.range(0); ++i) server.AddName(server.GetUniqueName(L"Report", 1));
    benchmark::DoNotOptimize(server);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

template <class MakeName>
void FileNames(benchmark::State& state, const std::string& root, MakeName make) {
  long folder = 0;
  for (auto _ : state) {
    const AString dir = AString::FromUtf8("f" + std::to_string(folder++));
    for (long i = 0; i < state.range(0); ++i) {
      AString name;
      if (!make(name, dir)) state.SkipWithError("no name made");
    }
    state.PauseTiming();
    std::error_code ec;
    std::filesystem::remove_all(std::filesystem::path(root) / dir.ToUtf8(), ec);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_ManagedFileNames(benchmark::State& state) {
  const std::string root = (std::filesystem::temp_directory_path() / ("lgbench" + std::to_string(getpid()))).string();
  std::filesystem::create_directories(root);
  {
    ManagedFileService::RootScope scope(AString::FromUtf8(root));
    ManagedFileService* service = ManagedFileService::GetInstance();
    FileNames(state, root, [&](AString& name, const AString& dir) { return service->MakeUniqueFileName(name, dir, L"MVC"); });
  }
  std::error_code ec;
  std::filesystem::remove_all(root, ec);
}

void BM_TempDirFileNames(benchmark::State& state) {
  refhost::TempDirManagedFileService service;
  FileNames(state, service.GetRoot().ToUtf8(),
            [&](AString& name, const AString& dir) { return service.MakeUniqueFileName(name, dir, L"MVC"); });
}

// The file system's own cost of the same files: one exclusive create each, numbered in turn. On
// ext4 a create itself slows as a folder fills; TMPDIR=/dev/shm shows the naming alone.
void BM_RawFileCreates(benchmark::State& state) {
  const std::string root = (std::filesystem::temp_directory_path() / ("lgraw" + std::to_string(getpid()))).string();
  std::filesystem::create_directories(root);
  FileNames(state, root, [&](AString& name, const AString& dir) {
    static long n = 0;
    const std::string folder = root + "/" + dir.ToUtf8();
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    name = AString::FromUtf8("MVC" + std::to_string(++n) + ".dat");
    const int fd = ::open((folder + "/" + name.ToUtf8()).c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0) return false;
    ::close(fd);
    return true;
  });
  std::error_code ec;
  std::filesystem::remove_all(root, ec);
}

class NullReceiver : public IReceiver {
public:
  void ReceiveMsg(Msg&) override { ++heard; }
  long heard = 0;
};

// n holders of one value: each added, the value announces a change, each released as copies go.
void BM_SharedValueHolders(benchmark::State& state) {
  std::vector<NullReceiver> holders(static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    ReceiverMgr mgr;
    for (NullReceiver& h : holders) mgr.AddReceiver(&h);
    Msg changed(1);
    mgr.ReceiveMsg(changed);
    for (NullReceiver& h : holders) {
      if (mgr.HasReceiver(&h)) mgr.RemoveReceiver(&h);
    }
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

// After the ratios, the first write of the large project in a fresh process beside the second,
// which finds the heap grown to the tree's size, and the writes above.
class GrowthReporter : public RatioReporter {
public:
  explicit GrowthReporter(long reports) : m_reports(reports) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    RatioReporter::ReportRuns(runs);
    for (const Run& run : runs)
      if (!run.error_occurred && run.run_type == Run::RT_Iteration && run.iterations > 0 &&
          run.benchmark_name().rfind("BM_ReportsWrite/" + std::to_string(m_reports) + "/", 0) == 0)
        m_writeMs = run.real_accumulated_time / double(run.iterations) * 1e3;
  }
  void Finalize() override {
    RatioReporter::Finalize();
    if (m_writeMs <= 0) return;
    const std::vector<FirstRun> writes = FirstRunMedians({"ReportsWrite", "ReportsWriteSecond"}, std::to_string(m_reports));
    if (writes[0].ms > 0 && writes[1].ms > 0)
      std::printf("\nwrite of %ld reports in a fresh process (median of 5): first %.0f ms, second %.0f ms, "
                  "first/second %.2f; in this process %.0f ms\n  first %s\n  second %s\n",
                  m_reports, writes[0].ms, writes[1].ms, writes[0].ms / writes[1].ms, m_writeMs,
                  FirstRunText(writes[0]).c_str(), FirstRunText(writes[1]).c_str());
    PrintFirstSave();
  }

private:
  // Both sides replace a file of the same bytes already on the disk: one round untimed first.
  void PrintFirstSave() const {
    const std::string file = (std::filesystem::temp_directory_path() / ("lgsave" + std::to_string(getpid()))).string();
    OneFirstRun("ProjectSave", file);
    OneFirstRun("ProjectRawSave", file);
    const std::vector<FirstRun> saves = FirstRunMedians({"ProjectSave", "ProjectRawSave"}, file);
    std::error_code ec;
    const double mb = double(std::filesystem::file_size(file, ec)) / 1e6;
    if (saves[0].ms > 0 && saves[1].ms > 0)
      std::printf("save of %ld reports (%.1f MB) in a fresh process (median of 5): %.0f ms, the same bytes saved raw "
                  "%.0f ms: %.2fx\n  engine %s\n  raw %s\n",
                  m_reports, mb, saves[0].ms, saves[1].ms, saves[0].ms / saves[1].ms, FirstRunText(saves[0]).c_str(),
                  FirstRunText(saves[1]).c_str());
    std::filesystem::remove(file, ec);
    std::filesystem::remove(file + ".raw", ec);
  }

  long m_reports;
  double m_writeMs = 0;
};

}  // namespace

int main(int argc, char** argv) {
  std::string what, reports;
  if (FirstRunArguments(argc, argv, what, reports)) {
    if (what == "ProjectSave" || what == "ProjectRawSave") {
      PrintFirstRun(FreshProcessSave(SmallReports() * 10, reports, what == "ProjectRawSave"));
      return 0;
    }
    const bool known = what == "ReportsWrite" || what == "ReportsWriteSecond";
    PrintFirstRun(known ? FreshProcessWrite(std::atol(reports.c_str()), what != "ReportsWrite") : FirstRun{});
    return 0;
  }
  const long small = SmallReports();
  benchmark::RegisterBenchmark("BM_ReportsWrite", BM_ReportsWrite)
      ->Arg(small)->Arg(small * 10)->Unit(benchmark::kMillisecond)->Iterations(3);
  for (auto* b : {benchmark::RegisterBenchmark("BM_ReportsBuild", BM_ReportsBuild),
                  benchmark::RegisterBenchmark("BM_ReportsRead", BM_ReportsRead),
                  benchmark::RegisterBenchmark("BM_ReportsUndoRedo", BM_ReportsUndoRedo)})
    b->Arg(small)->Arg(small * 10)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(1);
  benchmark::RegisterBenchmark("BM_UniqueNameBatch", BM_UniqueNameBatch)->Arg(1000)->Arg(10000);
  benchmark::RegisterBenchmark("BM_ManagedFileNames", BM_ManagedFileNames)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("BM_RawFileCreates", BM_RawFileCreates)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("BM_TempDirFileNames", BM_TempDirFileNames)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("BM_SharedValueHolders", BM_SharedValueHolders)->Arg(1000)->Arg(10000);
  GrowthReporter reporter(small * 10);
  return RunBenchmarks(argc, argv, reporter);
}
