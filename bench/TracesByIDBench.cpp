// Work over a list of trace IDs of one report, at 4 000 to 40 000 traces imported from a csv file
// of that many columns (a header "x,a,a,…" and one data line): the traces written with their
// data, the report's project block, and a delete of every trace with undo. The run ends with the
// time per trace at the smallest and the largest size and their ratio (goal: at most 1.5).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "BenchMain.h"
#include "RatioReporter.h"
#include "reports/ReportDefinition.h"
#include "reports/ReportManager.h"
#include "orvex/core/VelmorCommand.h"
#include "orvex/io/Block.h"

namespace {

std::string WideCsv(long columns) {
  const char* dir = std::getenv("REP_BENCH_DIR");
  const std::string path =
      std::string(dir ? dir : P_tmpdir) + "/rep_wide_" + std::to_string(getpid()) + "_" + std::to_string(columns) + ".csv";
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << "x";
  for (long c = 1; c < columns; ++c) out << ",a";
  out << "\n1";
  for (long c = 1; c < columns; ++c) out << ",2";
  out << "\n";
  return path;
}

// A manager with one report holding the traces of a csv file of that many columns.
class WideReport {
public:
  explicit WideReport(long columns) : m_mgr(nullptr, true) {
    std::unique_ptr<rep::IReportDefinition> created = m_mgr.CreateReportDefinition(L"Wide");
    m_reportID = m_mgr.AddReportDefinition(*created, nullptr);
    const std::string path = WideCsv(columns);
    VelmorCommand cmd(L"Import");
    m_ok = Report().ImportTracesFromFile(AString::FromUtf8(path), &cmd, 1);
    cmd.EndDo();
    std::remove(path.c_str());
    Report().GetTraceIDs(m_traceIDs);
    m_ok = m_ok && static_cast<long>(m_traceIDs.size()) == columns - 1;
  }

  bool Ok() const { return m_ok; }
  rep::ReportManager& Mgr() { return m_mgr; }
  long ReportID() const { return m_reportID; }
  rep::ReportDefinition& Report() { return *dynamic_cast<rep::ReportDefinition*>(m_mgr.GetReportDefinition(m_reportID)); }
  const std::vector<long>& TraceIDs() const { return m_traceIDs; }

private:
  rep::ReportManager m_mgr;
  long m_reportID = 0;
  std::vector<long> m_traceIDs;
  bool m_ok = false;
};

// One write of the report's traces into a new block per iteration; the block goes untimed.
template <class Write>
void TimeWrites(benchmark::State& state, Write write) {
  WideReport wide(state.range(0) + 1);
  if (!wide.Ok()) state.SkipWithError("import failed");
  for (auto _ : state) {
    io::CBlock block(L"Block");
    if (!write(wide, block)) state.SkipWithError("write failed");
    state.PauseTiming();
    { io::CBlock gone(std::move(block)); }
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_WriteTracesWithData(benchmark::State& state) {
  TimeWrites(state, [](WideReport& w, io::CBlock& b) { return w.Mgr().WriteTracesWithData(b, w.ReportID(), w.TraceIDs()); });
}

// The report's block as a save or a copy writes it.
void BM_WriteReportBlock(benchmark::State& state) {
  TimeWrites(state, [](WideReport& w, io::CBlock& b) { return w.Mgr().WriteReportBlock(b, w.ReportID(), w.TraceIDs()); });
}

// Every trace deleted in one command, in the order opposite to the report's, then undone.
void BM_DeleteTracesAndUndo(benchmark::State& state) {
  WideReport wide(state.range(0) + 1);
  if (!wide.Ok()) state.SkipWithError("import failed");
  const std::vector<long> ids(wide.TraceIDs().rbegin(), wide.TraceIDs().rend());
  for (auto _ : state) {
    VelmorCommand cmd(L"Delete");
    if (!wide.Report().DeleteTraceDefinitions(ids, &cmd)) state.SkipWithError("delete failed");
    cmd.EndDo();
    cmd.Undo();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

}  // namespace

int main(int argc, char** argv) {
  for (auto* b : {benchmark::RegisterBenchmark("BM_WriteTracesWithData", BM_WriteTracesWithData),
                  benchmark::RegisterBenchmark("BM_WriteReportBlock", BM_WriteReportBlock),
                  benchmark::RegisterBenchmark("BM_DeleteTracesAndUndo", BM_DeleteTracesAndUndo)})
    b->Arg(4000)->Arg(16000)->Arg(30000)->Arg(40000)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);
  RatioReporter reporter;
  return RunBenchmarks(argc, argv, reporter);
}
