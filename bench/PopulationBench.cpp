// Population of a trace of 100 curves x 10 000 points of 20*log10(mag(S)) from cached columns,
// beside a tight loop over the same columns (bench/population_vs_numpy.sh adds numpy). The leaves
// are regular minor-primary leaves whose cache rows run parallel to the primary: no row lookup per
// point, and each leaf's expression is evaluated a column at a time. The population must give the
// tight loop's numbers bit for bit.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "BaselineRatioReporter.h"
#include "BenchMain.h"

#include "quantities/OutputVariableMgr.h"
#include "update/CentUpdUtils.h"
#include "reports/GravikUtils.h"
#include "tracedata/PopulateTraceDataVisitor.h"
#include "quantities/SimValueDataCache.h"
#include "quantities/SimValueInfoServer.h"
#include "update/SweepsVariableInfoMediator2.h"
#include "tracedata/TraceDataDatasets.h"
#include "update/VVConnectivityCreator2.h"
#include "quantities/VersionedQuantityParser.h"
#include "orvex/core/VelDebug.h"
#include "orvex/values/VariableNameSpace.h"
#include "orvex/values/VariableValuesContext.h"
#include "postorvex/caches/MinorSweepCache.h"
#include "postorvex/columns/Column.h"
#include "postorvex/connectivity/SPS2Connectivity.h"
#include "postorvex/quantities/CompositeReferencedPostprocessingQuantityMsg.h"
#include "postorvex/sweeps/AbstractSubsweepDefParams.h"
#include "postorvex/sweeps/SubsweepDefParamsContainer.h"
#include "postorvex/sweeps/SubsweepsAdapter.h"
#include "postorvex/sweeps/SweepBase.h"
#include "refhost/ReferenceSolutionManager.h"

namespace {

constexpr int kCurves = 100;
constexpr int kPoints = 10000;

struct ParserDeleter {
  void operator()(rep::VersionedQuantityParser* p) const { delete p->GetInterfaceQueriable(); }
};

struct Trace {
  refhost::ReferenceSolutionManager manager;
  refhost::ReferenceSolution& solution;
  rep::OutputVariableMgr user{&manager};
  rep::SimValueDataCache cache;
  Variable* f;
  Variable* l;
  std::unique_ptr<rep::SubsweepsAdapter> subsweeps;
  std::unique_ptr<rep::SweepsVariableInfoMediator2> mediator;
  std::unique_ptr<rep::VersionedQuantityParser, ParserDeleter> parser;
  std::unique_ptr<SPS2Connectivity> connectivity;
  std::unique_ptr<CompositeReferencedPostprocessingQuantityMsg> record;
  std::vector<Value> expressions;
  std::vector<const ComplexColumn*> columns;  // the cached S of each curve

  static DesignSolutionDefinition Dsd() { return DesignSolutionDefinition(100, 10, ReportTypeSolutionDefinition(1)); }
  VariableValues Major(double lv) const {
    VariableValues v;
    v.SetVariableValue(l, Value(lv, Units::kNoUnit));
    return v;
  }

  Trace() : solution(manager.AddSolution(10, L"Run1")), cache(&manager) {
    solution.AddSupportedReportType(1);
    f = solution.AddVariable(L"F", Value(1.0, Units::kNoUnit), false);
    l = solution.AddVariable(L"L", Value(1.0, Units::kNoUnit), true);
    solution.AddQuantity(L"S", ValueState(2, 15, 1));
    std::vector<double> fv(kPoints), lv(kCurves);
    for (int i = 0; i < kPoints; ++i) fv[i] = 1.0 + i;
    for (int c = 0; c < kCurves; ++c) lv[c] = 1.0 + c;
    solution.AddSweep(f, fv);
    solution.AddSweep(l, lv);
    SubsweepDefParamsContainer defs;
    for (const wchar_t* name : {L"F", L"L"})
      defs.PushBackAndOwn(solution.GetSweepOfVariable(name, SimValueContext(), 1)->CreateDefaultSubsweepDefParams());
    subsweeps = std::make_unique<rep::SubsweepsAdapter>(defs, Dsd(), 1, &manager, std::vector<VariableValues>{});
    mediator = std::make_unique<rep::SweepsVariableInfoMediator2>(subsweeps.get(), ReportTypeSolutionDefinition(1),
                                                                  &solution, VariableValues(), false);
    parser.reset(dynamic_cast<rep::VersionedQuantityParser*>(
        rep::CreateVersionedQuantityParser(&manager, &user, &cache.GetInfoServer(), Dsd())));
    const long id = parser->GetSimValueID(L"S");
    DoubleColumn primary;
    primary.AppendValues(fv);
    for (double major : lv) {
      VariableValuesContext at(Major(major));
      ComplexColumn s;
      for (double x : fv) s.AddValue({std::cos(x * 1e-3) / major, std::sin(x * 1e-3) * major});
      MinorSweepCache* leaf = cache.UpdateCacheForMinorSweepAtCurrVarVal(f, false, {l}, {}, Dsd(), 1, primary, {id},
                                                                         {&s}, L"bench");
      columns.push_back(leaf->GetQuantityColumn(id)->GetComplexColumn());
      solution.AddInstance(Major(major));
    }
    connectivity.reset(VVConnectivityCreator2::CreateSPS2ConnectivityExcludingSpecialsAndPrimaryMinor(*mediator, nullptr));
    for (double major : lv)
      CentUpdUtils::IsLoadNeeded(*connectivity, Major(major), {id}, cache, *mediator, Dsd(), 1,
                                 (*subsweeps)[0].GetColumn());
    const std::vector<AString> texts{L"20*log10(mag(S))"};
    record.reset(rep::ValidateExpressions(*parser, texts));
    VariableNameSpace names(1, 1, 0);
    names.AddVariable(f);
    names.AddVariable(l);
    InstalledParserScope installed(parser.get());
    expressions.emplace_back(texts[0], Units::kNoUnit);
  }
};

Trace& TheTrace() {
  static Trace* trace = new Trace;
  return *trace;
}

void TightLoop(const Trace& t, std::vector<double>& y) {
  y.reserve(size_t(kCurves) * kPoints);
  for (const ComplexColumn* column : t.columns)
    for (const AComplex<double>& s : column->GetValues()) y.push_back(20 * std::log10(std::abs(s)));
}

void BM_Population(benchmark::State& state) {
  Trace& t = TheTrace();
  rep::TraceDataDatasets datasets(*t.mediator, *t.connectivity, *t.record, *t.parser, nullptr);
  std::vector<double> expected;
  TightLoop(t, expected);
  bool checked = false;
  for (auto _ : state) {
    DoubleColumn y;
    y.GetValues().reserve(size_t(kCurves) * kPoints);
    rep::PopulateTraceDataVisitor visitor(t.expressions, {&y}, t.parser.get(), &datasets, nullptr, false);
    t.connectivity->Accept(visitor);
    benchmark::DoNotOptimize(y.GetValues().data());
    if (checked) continue;
    checked = true;
    if (y.GetValues().size() != expected.size() ||
        std::memcmp(y.GetValues().data(), expected.data(), expected.size() * sizeof(double)) != 0)
      state.SkipWithError("the populated values differ from the tight loop's");
  }
  state.SetItemsProcessed(state.iterations() * int64_t(kCurves) * kPoints);
}
BENCHMARK(BM_Population)->Unit(benchmark::kMillisecond);

void BM_TightLoopBaseline(benchmark::State& state) {
  Trace& t = TheTrace();
  for (auto _ : state) {
    std::vector<double> y;
    TightLoop(t, y);
    benchmark::DoNotOptimize(y.data());
  }
  state.SetItemsProcessed(state.iterations() * int64_t(kCurves) * kPoints);
}
BENCHMARK(BM_TightLoopBaseline)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  BaselineRatioReporter reporter("BM_Population", "BM_TightLoopBaseline",
                                 "population of " + std::to_string(kCurves) + " curves x " + std::to_string(kPoints) +
                                     " points takes %.2f times the tight loop (goal: within 3)\n");
  return RunBenchmarks(argc, argv, reporter);
}
