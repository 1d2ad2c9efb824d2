// The update of every trace on a command that flags every report and changes nothing, beside its
// baseline: validating the same traces with their expressions.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "BaselineRatioReporter.h"
#include "BenchDesign.h"
#include "BenchMain.h"
#include "Gravik/IReportDefinitionCmdInfo.h"
#include "quantities/OutputVariableMgr.h"
#include "reports/PointsetDefinition.h"
#include "reports/ReportDefinition.h"
#include "reports/ReportManager.h"
#include "quantities/SimValueDataCache.h"
#include "reports/TraceDefinition.h"
#include "orvex/core/VelmorCommand.h"
#include "orvex/values/Value.h"
#include "postorvex/outputvars/OutputVariable.h"
#include "postorvex/sweeps/RegularSubsweepDefParams.h"
#include "postorvex/sweeps/SubsweepDefParamsContainer.h"
#include "postorvex/traceinfo/ExtTraceInfo.h"
#include "refhost/ReferenceReportManagerOwner.h"
#include "refhost/ReferenceSolutionManager.h"

namespace {

constexpr int kReports = 200;
constexpr int kTracesPerReport = 10;
constexpr int kOutputVariables = 20;

// 200 reports of 10 traces of three expressions, each trace using one of 20 output variables.
class Design : public BenchDesign {
public:
  Design() : BenchDesign(kOutputVariables) {
    const rep::PointsetDefinition pointset = FreqPointset();
    for (int r = 0; r < kReports; ++r) {
      std::vector<std::unique_ptr<rep::IBaseTraceDefinition>> traces;
      std::vector<rep::IBaseTraceDefinition*> raw;
      for (int t = 0; t < kTracesPerReport; ++t) {
        std::vector<AString> expressions{L"Freq", Numbered(L"OV", (r + t) % kOutputVariables) + L"*2",
                                         L"mag(S11)+Gain"};
        traces.push_back(m_mgr->CreateTraceDefinition(Numbered(L"T", t), expressions, Dsd(), pointset, ExtTraceInfo()));
        raw.push_back(traces.back().get());
      }
      m_mgr->AddReportDefinition(*m_mgr->CreateReportDefinition(raw, Numbered(L"R", r)), nullptr);
    }
    m_mgr->GetReportIDs(m_reportIDs);
    for (long id : m_reportIDs)
      for (rep::BaseTraceDefinition* trace : dynamic_cast<rep::ReportDefinition*>(m_mgr->GetReportDefinition(id))->GetTraces())
        m_traces.push_back(trace);
  }

  // A command whose report info marks every report as edited and carries the flag: every trace
  // runs every check, the digital one included.
  void FlagEveryReport(VelmorCommand& cmd) {
    rep::IReportDefinitionCmdInfo* info = m_mgr->CreateReportDefinitionCmdInfo();
    info->SetFlag(true);
    auto* plain = dynamic_cast<VelmorCommandInfo*>(info);
    for (long id : m_reportIDs) plain->AddEditedElement(id);
    m_owner.AddContextedInfoToCmd(&cmd, plain, m_owner.GetCmdInfoSourceForReports());
  }

  long SumOfVersions() const {
    long sum = 0;
    for (const rep::BaseTraceDefinition* trace : m_traces) sum += trace->GetVersionID();
    return sum;
  }

  std::vector<long> m_reportIDs;
  std::vector<rep::BaseTraceDefinition*> m_traces;  // the reports'
};

Design& TheDesign() {
  static Design design;
  return design;
}

void BM_UpdateReportsOnFlaggedCommand(benchmark::State& state) {
  Design& d = TheDesign();
  const long versions = d.SumOfVersions();
  for (auto _ : state) {
    VelmorCommand cmd;
    d.FlagEveryReport(cmd);
    benchmark::DoNotOptimize(d.m_mgr->UpdateReportsOnCommand(&cmd));
  }
  if (d.SumOfVersions() != versions || d.m_traces.size() != size_t(kReports * kTracesPerReport))
    state.SkipWithError("the command changed a trace");
  state.SetItemsProcessed(state.iterations() * kReports * kTracesPerReport);
}
BENCHMARK(BM_UpdateReportsOnFlaggedCommand)->Unit(benchmark::kMillisecond);

void BM_ValidateSameTracesBaseline(benchmark::State& state) {
  Design& d = TheDesign();
  size_t valid = 0;
  for (auto _ : state)
    for (rep::BaseTraceDefinition* trace : d.m_traces) valid += trace->ValidateDefinition(true) ? 1 : 0;
  if (valid != state.iterations() * d.m_traces.size()) state.SkipWithError("a trace did not validate");
  state.SetItemsProcessed(state.iterations() * kReports * kTracesPerReport);
}
BENCHMARK(BM_ValidateSameTracesBaseline)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  BaselineRatioReporter reporter("BM_UpdateReportsOnFlaggedCommand", "BM_ValidateSameTracesBaseline",
                                 "updating " + std::to_string(kReports) + " reports x " +
                                     std::to_string(kTracesPerReport) +
                                     " traces on a flagged command takes %.2f times validating them (goal: within 2)\n");
  return RunBenchmarks(argc, argv, reporter);
}
