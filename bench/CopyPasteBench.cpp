// Copy and paste of whole reports into a second design, beside one write and read of the same
// reports' project blocks in the same run (goal: copy and paste within 4x), at 500 and at 2 000
// traces (goal: time per trace at 2 000 within 1.25x of that at 500), with the paste helper's
// share of the paste. 50 reports; two imported traces of 50 000 points each travel with them.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "BenchMain.h"
#include "tracedata/ConcreteTraceData.h"
#include "reports/ImportedTraceDefinition.h"
#include "quantities/OutputVariableMgr.h"
#include "reports/PointsetDefinition.h"
#include "reports/ReportDefinition.h"
#include "reports/ReportManager.h"
#include "quantities/SimValueDataCache.h"
#include "reports/TraceDefinition.h"
#include "orvex/core/VelmorCommand.h"
#include "orvex/io/Block.h"
#include "orvex/values/ValueState.h"
#include "postorvex/columns/DoubleColumn.h"
#include "postorvex/sweeps/RegularSubsweepDefParams.h"
#include "refhost/RecordingPasteListener.h"
#include "refhost/ReferenceReportManagerOwner.h"
#include "refhost/ReferenceSolutionManager.h"

namespace {

const int kReports = 50;
const unsigned kImportedPoints = 50000;  // per imported trace; two of them

struct Design {
  Design(long instance, long designID, long solutionID, const wchar_t* solutionName) {
    refhost::ReferenceSolution& s = solutions.AddSolution(solutionID, solutionName);
    s.AddVariable(L"Freq", Value(1.0, 90), false);
    s.AddQuantity(L"S11", ValueState(2, 15, 1));
    s.AddQuantity(L"Gain", ValueState(1, 15, 1));
    std::vector<double> freqs;
    for (int i = 1; i <= 20; ++i) freqs.push_back(i);
    s.AddSweep(s.FindVariable(L"Freq"), freqs);
    solutions.SetDesignOfInstance(instance, designID);
    owner.SetDesignInstanceID(instance);
    owner.SetSolutionManager(&solutions);
    owner.SetSimValueCache(&cache);
    owner.SetOutputVariableMgr(&outputVariables);
    mgr = std::make_unique<rep::ReportManager>(&owner, true);
  }
  refhost::ReferenceSolutionManager solutions;
  refhost::ReferenceReportManagerOwner owner;
  rep::SimValueDataCache cache{&solutions};
  rep::OutputVariableMgr outputVariables{&solutions};
  std::unique_ptr<rep::ReportManager> mgr;
};

rep::ConcreteTraceData* MakeStored(rep::ReportManager& mgr) {
  auto x = std::make_unique<DoubleColumn>(90);
  auto y = std::make_unique<DoubleColumn>(90);
  for (unsigned i = 0; i < kImportedPoints; ++i) {
    x->GetValues().push_back(1.0 + 0.0001 * i);
    y->GetValues().push_back(std::sin(0.001 * i) * 1e3 / 7.0);
  }
  auto* data = new rep::ConcreteTraceData(mgr, 1);
  data->SetPrimarySweepColumn(x->CloneColumn());
  data->SetPrimarySweepName(L"Freq");
  data->SetDataColumns({x.release(), y.release()});
  data->SetCurveInfo(0, kImportedPoints, L"");
  return data;
}

// Reports of `perReport` traces; the first report's first two traces are imported with data.
std::vector<long> AddReports(Design& d, int perReport) {
  SubsweepDefParamsContainer subsweeps;
  DoubleColumn selected(90);
  selected.AppendValues({2, 4, 6, 8});
  subsweeps.PushBackAndOwn(new RegularSubsweepDefParams(L"Freq", 3, &selected));
  const rep::PointsetDefinition pointset(subsweeps, {});
  const DesignSolutionDefinition dsd(100, 10, ReportTypeSolutionDefinition(1));
  std::vector<long> ids;
  for (int r = 0; r < kReports; ++r) {
    std::vector<std::unique_ptr<rep::BaseTraceDefinition>> traces;
    std::vector<rep::IBaseTraceDefinition*> raw;
    for (int t = 0; t < perReport; ++t) {
      if (r == 0 && t < 2) {
        auto imported = std::make_unique<rep::ImportedTraceDefinition>(*d.mgr, L"measured.csv",
                                                                        std::vector<AString>{L"Freq", L"Y"}, ExtTraceInfo());
        imported->SetTraceData(MakeStored(*d.mgr));
        traces.push_back(std::move(imported));
      } else {
        traces.push_back(std::make_unique<rep::TraceDefinition>(*d.mgr, L"S11 " + std::to_wstring(t),
                                                                std::vector<AString>{L"S11"}, dsd, pointset,
                                                                ExtTraceInfo(), 1, false, nullptr));
      }
      raw.push_back(traces.back().get());
    }
    std::unique_ptr<rep::IReportDefinition> report = d.mgr->CreateReportDefinition(raw, L"Plot");
    ids.push_back(d.mgr->AddReportDefinition(*report, nullptr));
  }
  return ids;
}

void SetTraces(benchmark::State& state) {
  state.SetItemsProcessed(state.iterations() * kReports * state.range(0));
}

void BM_CopyPaste(benchmark::State& state) {
  Design source(1, 100, 10, L"Run1");
  const std::vector<long> ids = AddReports(source, static_cast<int>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    auto target = std::make_unique<Design>(2, 200, 20, L"RUN1");
    refhost::RecordingPasteListener listener;
    auto cmd = std::make_unique<VelmorCommand>();
    io::CBlock clipboard(L"Clipboard");
    state.ResumeTiming();
    source.mgr->CopyReports(clipboard, nullptr, ids);
    if (!target->mgr->PasteReports(clipboard, &listener, cmd.get())) state.SkipWithError("paste refused");
    state.PauseTiming();
    cmd->EndDo();
    cmd.reset();
    target.reset();
    state.ResumeTiming();
  }
  SetTraces(state);
}

// The paste helper alone, over the reports as the paste reads them from the clipboard.
void BM_PasteHelper(benchmark::State& state) {
  Design source(1, 100, 10, L"Run1");
  const std::vector<long> ids = AddReports(source, static_cast<int>(state.range(0)));
  io::CBlock clipboard(L"Clipboard");
  source.mgr->CopyReports(clipboard, nullptr, ids);
  Design target(2, 200, 20, L"RUN1");
  for (auto _ : state) {
    state.PauseTiming();
    // A fresh listener each time, as a paste has: the reference one logs every call it answers.
    refhost::RecordingPasteListener listener;
    listener.SetSourceSolution(10, L"Run1");
    auto pasted = std::make_unique<rep::ReportManager>(&target.owner, true);
    io::CBlock reports(*clipboard.FindBlock(L"Reports"));
    pasted->ReadReportsOfBlock(reports);
    state.ResumeTiming();
    pasted->FixUpPastedTraceDefinitions(*target.mgr, &listener, nullptr);
    state.PauseTiming();
    pasted.reset();
    state.ResumeTiming();
  }
  SetTraces(state);
}

// The baseline: one write of the same reports' blocks and one read of them into a fresh manager.
void BM_WriteRead(benchmark::State& state) {
  Design source(1, 100, 10, L"Run1");
  const std::vector<long> ids = AddReports(source, static_cast<int>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    auto target = std::make_unique<Design>(2, 200, 20, L"RUN1");
    io::CBlock block(L"Reports");
    state.ResumeTiming();
    source.mgr->WriteReportsOfBlock(block, ids);
    target->mgr->ReadReportsOfBlock(block);
    state.PauseTiming();
    target.reset();
    state.ResumeTiming();
  }
  SetTraces(state);
}

// After the usual table: per size, copy and paste beside write and read, the helper's share, and
// the time per trace at both sizes.
class PasteReporter : public BenchConsoleReporter {
public:
  void ReportRuns(const std::vector<Run>& runs) override {
    BenchConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
      const std::string name = run.benchmark_name();
      const std::string family = name.substr(0, name.find('/'));
      const long perReport = std::stol(name.substr(name.find('/') + 1));
      m_ms[family][perReport * kReports] = run.GetAdjustedRealTime();
    }
  }
  void Finalize() override {
    BenchConsoleReporter::Finalize();
    std::printf("\n%8s %14s %14s %8s %14s %8s %16s\n", "traces", "copy+paste ms", "write+read ms", "ratio",
                "helper ms", "share", "copy+paste us/tr");
    for (const auto& [traces, pasteMs] : m_ms["BM_CopyPaste"]) {
      const double baseMs = m_ms["BM_WriteRead"][traces];
      const double helperMs = m_ms["BM_PasteHelper"][traces];
      std::printf("%8ld %14.1f %14.1f %8.2f %14.1f %7.0f%% %16.1f\n", traces, pasteMs, baseMs, pasteMs / baseMs,
                  helperMs, 100.0 * helperMs / pasteMs, 1000.0 * pasteMs / traces);
    }
    const auto& paste = m_ms["BM_CopyPaste"];
    if (paste.size() >= 2) {
      const double small = paste.begin()->second / paste.begin()->first;
      const double large = paste.rbegin()->second / paste.rbegin()->first;
      std::printf("per-trace time at %ld beside %ld traces: %.2f\n", paste.rbegin()->first, paste.begin()->first,
                  large / small);
    }
  }

private:
  std::map<std::string, std::map<long, double>> m_ms;  // by family and traces, in ms
};

}  // namespace

int main(int argc, char** argv) {
  for (auto* b : {benchmark::RegisterBenchmark("BM_CopyPaste", BM_CopyPaste),
                  benchmark::RegisterBenchmark("BM_WriteRead", BM_WriteRead),
                  benchmark::RegisterBenchmark("BM_PasteHelper", BM_PasteHelper)})
    b->Arg(10)->Arg(40)->Unit(benchmark::kMillisecond)->Iterations(3);
  PasteReporter reporter;
  return RunBenchmarks(argc, argv, reporter);
}
