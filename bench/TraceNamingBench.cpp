// Naming many traces of one name as they join a report, by each path that adds them: a new report
// made of them, AddTraceDefinitions and AddNewTraceDefinitions into a report already holding as
// many, and the export form "Traces" read into such a report. Every trace comes named "a", as an
// import or a paste of many columns of one name brings them. The run ends with the time per trace
// at both sizes and their ratio (goal: at most 1.5), and the page faults per trace of the timed
// work: what the larger size takes of memory new to the process.
// REP_BENCH_SMALL=<n> sets the small size (default 2000); the large one is ten times it.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "BenchMain.h"
#include "BenchReports.h"
#include "PageFaults.h"
#include "RatioReporter.h"
#include "reports/ImportedTraceDefinition.h"
#include "reports/ReportDefinition.h"
#include "reports/ReportManager.h"
#include "reports/TraceDefinition.h"
#include "tracedata/ConcreteTraceData.h"
#include "orvex/core/VelmorCommand.h"
#include "orvex/io/Block.h"
#include "postorvex/columns/Column.h"

namespace {

using benchdata::Design;

const AString kName(L"a");

long SmallSize() {
  const char* env = std::getenv("REP_BENCH_SMALL");
  return env ? std::atol(env) : 2000;
}

std::unique_ptr<rep::TraceDefinition> ComputedTrace(rep::ReportManager& mgr) {
  const DesignSolutionDefinition dsd(100, 10, ReportTypeSolutionDefinition(1));
  return std::make_unique<rep::TraceDefinition>(mgr, kName, std::vector<AString>{L"S11"}, dsd, rep::PointsetDefinition(),
                                                ExtTraceInfo(), 1, false, nullptr);
}

Column* OneValue(double value) {
  Column* column = Column::CreateColumn(static_cast<val::ParameterType>(1), 90);
  column->GetDoubleColumn()->AppendValues({value});
  return column;
}

// An imported trace of one point, as a csv file of one data line gives.
rep::BaseTraceDefinition* ImportedTrace(rep::ReportManager& mgr) {
  auto* trace = new rep::ImportedTraceDefinition(mgr, L"wide.csv", kName, {L"x", L"a"}, ExtTraceInfo(), false);
  trace->SetIDAndVersionID(mgr.GetNewUniqueID(), mgr.GetNewVersionID());
  auto* data = new rep::ConcreteTraceData(mgr, trace->GetID());
  data->SetDataColumns({OneValue(1), OneValue(2)});
  data->SetCurveInfo(0, 1, AString());
  data->SetPrimarySweepColumn(OneValue(1));
  data->SetPrimarySweepName(L"x");
  trace->SetTraceData(data);
  return trace;
}

// A manager with one report holding n traces that came named "a" (named a, a1, a2, ...).
class Holding {
public:
  template <class Make>
  Holding(long n, Make make) : m_mgr(&m_design.owner, true) {
    std::unique_ptr<rep::IReportDefinition> created = m_mgr.CreateReportDefinition(L"Held");
    m_reportID = m_mgr.AddReportDefinition(*created, nullptr);
    std::vector<rep::BaseTraceDefinition*> traces;
    for (long i = 0; i < n; ++i) traces.push_back(make(m_mgr));
    VelmorCommand setup;
    Report().AddNewTraceDefinitions(traces, &setup);
    setup.EndDo();
  }

  rep::ReportManager& Mgr() { return m_mgr; }
  rep::ReportDefinition& Report() { return *dynamic_cast<rep::ReportDefinition*>(m_mgr.GetReportDefinition(m_reportID)); }

private:
  Design m_design;
  rep::ReportManager m_mgr;
  long m_reportID = 0;
};

rep::BaseTraceDefinition* NewComputedTrace(rep::ReportManager& mgr) {
  rep::BaseTraceDefinition* trace = ComputedTrace(mgr).release();
  trace->SetIDAndVersionID(mgr.GetNewUniqueID(), mgr.GetNewVersionID());
  return trace;
}

// Page faults of the timed work alone, per trace.
class TimedFaults {
public:
  void Start() { m_before = Usage::Now(); }
  void Stop() { m_faults += Usage::Now().Since(m_before).faults; }
  void Report(benchmark::State& state) const {
    const double traces = double(state.iterations()) * double(state.range(0));
    state.counters["faults_per_item"] = double(m_faults) / traces;
    state.SetItemsProcessed(state.iterations() * state.range(0));
  }

private:
  Usage m_before;
  long m_faults = 0;
};

// One batch per iteration, timed alone; the command that added it is undone untimed.
template <class Add>
void TimeBatches(benchmark::State& state, Add add) {
  TimedFaults faults;
  for (auto _ : state) {
    VelmorCommand cmd(L"Add");
    faults.Start();
    if (!add(cmd, faults)) state.SkipWithError("not added");
    faults.Stop();
    state.PauseTiming();
    cmd.EndDo();
    cmd.Undo();
    state.ResumeTiming();
  }
  faults.Report(state);
}

// A report made of copies of n traces (the constructor that clones its source traces).
void BM_NewReportOfTraces(benchmark::State& state) {
  Design design;
  rep::ReportManager mgr(&design.owner, true);
  std::vector<std::unique_ptr<rep::TraceDefinition>> traces;
  std::vector<rep::IBaseTraceDefinition*> sources;
  for (long i = 0; i < state.range(0); ++i) {
    traces.push_back(ComputedTrace(mgr));
    sources.push_back(traces.back().get());
  }
  TimedFaults faults;
  for (auto _ : state) {
    faults.Start();
    std::unique_ptr<rep::IReportDefinition> report = mgr.CreateReportDefinition(sources, L"Copy");
    faults.Stop();
    state.PauseTiming();
    report.reset();
    state.ResumeTiming();
  }
  faults.Report(state);
}

void BM_AddTraceDefinitions(benchmark::State& state) {
  Holding held(state.range(0), NewComputedTrace);
  std::vector<std::unique_ptr<rep::TraceDefinition>> traces;
  std::vector<rep::IBaseTraceDefinition*> sources;
  for (long i = 0; i < state.range(0); ++i) {
    traces.push_back(ComputedTrace(held.Mgr()));
    sources.push_back(traces.back().get());
  }
  TimeBatches(state, [&](VelmorCommand& cmd, TimedFaults&) {
    std::vector<long> ids;
    return held.Report().AddTraceDefinitions(ids, sources, &cmd);
  });
}

void BM_AddNewTraceDefinitions(benchmark::State& state) {
  Holding held(state.range(0), NewComputedTrace);
  TimeBatches(state, [&](VelmorCommand& cmd, TimedFaults& faults) {
    faults.Stop();
    state.PauseTiming();
    std::vector<rep::BaseTraceDefinition*> traces;
    for (long i = 0; i < state.range(0); ++i) traces.push_back(NewComputedTrace(held.Mgr()));
    state.ResumeTiming();
    faults.Start();
    return held.Report().AddNewTraceDefinitions(traces, &cmd);
  });
}

// The report's own traces written with their data, every one under the name "a", and read back
// into it.
void BM_ReadTracesWithData(benchmark::State& state) {
  Holding held(state.range(0), ImportedTrace);
  std::vector<long> ids;
  held.Report().GetTraceIDs(ids);
  std::vector<AString> names;
  for (rep::BaseTraceDefinition* trace : held.Report().GetTraces()) {
    names.push_back(trace->GetName());
    trace->SetName(kName);
  }
  io::CBlock block(L"Clip");
  if (!held.Report().WriteTracesWithData(block, ids)) state.SkipWithError("not written");
  auto name = names.begin();
  for (rep::BaseTraceDefinition* trace : held.Report().GetTraces()) trace->SetName(*name++);
  TimeBatches(state,
              [&](VelmorCommand& cmd, TimedFaults&) { return held.Report().ReadTracesWithData(block, nullptr, &cmd); });
}

}  // namespace

int main(int argc, char** argv) {
  const long small = SmallSize();
  for (auto* b : {benchmark::RegisterBenchmark("BM_ReadTracesWithData", BM_ReadTracesWithData),
                  benchmark::RegisterBenchmark("BM_NewReportOfTraces", BM_NewReportOfTraces),
                  benchmark::RegisterBenchmark("BM_AddTraceDefinitions", BM_AddTraceDefinitions),
                  benchmark::RegisterBenchmark("BM_AddNewTraceDefinitions", BM_AddNewTraceDefinitions)})
    b->Arg(small)->Arg(small * 10)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);
  RatioReporter reporter;
  return RunBenchmarks(argc, argv, reporter);
}
