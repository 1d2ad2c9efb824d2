// Validation of traces (what every report validation, update request and command pays), beside its
// baseline: the same expression texts parsed once each under one installed parser.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "BaselineRatioReporter.h"
#include "BenchDesign.h"
#include "BenchMain.h"
#include "quantities/OutputVariableMgr.h"
#include "quantities/ParserForSolution.h"
#include "reports/PointsetDefinition.h"
#include "reports/ReportManager.h"
#include "quantities/SimValueDataCache.h"
#include "quantities/SimValueInfoServer.h"
#include "reports/TraceDefinition.h"
#include "orvex/core/Assert.h"
#include "orvex/values/Value.h"
#include "postorvex/outputvars/OutputVariable.h"
#include "postorvex/sweeps/RegularSubsweepDefParams.h"
#include "postorvex/sweeps/SubsweepDefParamsContainer.h"
#include "postorvex/traceinfo/ExtTraceInfo.h"
#include "refhost/ReferenceReportManagerOwner.h"
#include "refhost/ReferenceSolutionManager.h"

namespace {

constexpr int kTraces = 2000;
constexpr int kOutputVariables = 20;

// 2,000 traces of three expressions, each trace using one of 20 output variables.
class Design : public BenchDesign {
public:
  Design() : BenchDesign(kOutputVariables) {
    const rep::PointsetDefinition pointset = FreqPointset();
    for (int t = 0; t < kTraces; ++t) {
      std::vector<AString> expressions{L"Freq", Numbered(L"OV", t % kOutputVariables) + L"*2", L"mag(S11)+Gain"};
      for (const AString& e : expressions) m_texts.push_back(e);
      m_traces.push_back(std::make_unique<rep::TraceDefinition>(*m_mgr, L"T", expressions, Dsd(), pointset,
                                                                 ExtTraceInfo(), 1, false, nullptr));
    }
  }

  std::vector<std::unique_ptr<rep::TraceDefinition>> m_traces;
  std::vector<AString> m_texts;
};

Design& TheDesign() {
  static Design design;
  return design;
}

void BM_ValidateTraces(benchmark::State& state) {
  Design& d = TheDesign();
  int valid = 0;
  for (auto _ : state)
    for (auto& trace : d.m_traces) valid += trace->ValidateDefinition(true) ? 1 : 0;
  if (valid != static_cast<int>(state.iterations()) * kTraces) state.SkipWithError("a trace did not validate");
  state.SetItemsProcessed(state.iterations() * kTraces);
}
BENCHMARK(BM_ValidateTraces)->Unit(benchmark::kMillisecond);

void BM_ParseSameTextsBaseline(benchmark::State& state) {
  Design& d = TheDesign();
  const DesignSolutionDefinition dsd(100, 10, ReportTypeSolutionDefinition(1));
  int parsed = 0;
  for (auto _ : state) {
    rep::ParserForSolution parser(&d.m_solutions, &d.m_variables, &d.m_cache.GetInfoServer(), dsd);
    parser.Install();
    for (const AString& text : d.m_texts) {
      Value value(Units::kNoUnit);
      parsed += value.SetValueText(text, Units::kNoUnit) ? 1 : 0;
    }
  }
  if (parsed != static_cast<int>(state.iterations() * d.m_texts.size())) state.SkipWithError("a text did not parse");
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(d.m_texts.size()));
}
BENCHMARK(BM_ParseSameTextsBaseline)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  BaselineRatioReporter reporter("BM_ValidateTraces", "BM_ParseSameTextsBaseline",
                                 "validating " + std::to_string(kTraces) + " traces takes %.2f times parsing their " +
                                     std::to_string(3 * kTraces) + " texts once (goal: within 4)\n");
  return RunBenchmarks(argc, argv, reporter);
}
