// Population of a composite trace of C = {A, B, D} over 100 curves x 10 000 points from cached
// columns (its tree built, its leaves collected, one walk of the connectivity), beside three plain
// traces of A, B and D populated one after another over the same connectivity in the same run;
// and the write of a deeply nested tree beside a flat one.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "BaselineRatioReporter.h"
#include "BenchMain.h"
#include "update/CentUpdUtils.h"
#include "tracedata/CompositeTraceData.h"
#include "tracedata/CompositeTraceDataColumnValueCollector.h"
#include "tracedata/ComputedTraceDataSupport.h"
#include "tracedata/ConcreteCompositeTraceData.h"
#include "reports/GravikUtils.h"
#include "quantities/OutputVariableMgr.h"
#include "tracedata/PopulateTraceDataVisitor.h"
#include "reports/ReportManager.h"
#include "quantities/SimValueDataCache.h"
#include "quantities/SimValueInfoServer.h"
#include "update/SweepsVariableInfoMediator2.h"
#include "tracedata/TraceComponentData.h"
#include "tracedata/TraceDataDatasets.h"
#include "update/VVConnectivityCreator2.h"
#include "quantities/VersionedQuantityParser.h"
#include "orvex/io/Block.h"
#include "orvex/values/VariableNameSpace.h"
#include "orvex/values/VariableValuesContext.h"
#include "postorvex/caches/MinorSweepCache.h"
#include "postorvex/columns/Column.h"
#include "postorvex/columns/DoubleColumn.h"
#include "postorvex/connectivity/SPS2Connectivity.h"
#include "postorvex/quantities/CompositeReferencedPostprocessingQuantityMsg.h"
#include "postorvex/sweeps/SubsweepDefParamsContainer.h"
#include "postorvex/sweeps/SubsweepsAdapter.h"
#include "postorvex/sweeps/SweepBase.h"
#include "refhost/ReferenceSolutionManager.h"

namespace {

constexpr int kCurves = 100;
constexpr int kPoints = 10000;
const wchar_t* const kConstituents[] = {L"A", L"B", L"D"};

struct Setup {
  refhost::ReferenceSolutionManager manager;
  refhost::ReferenceSolution& solution;
  rep::OutputVariableMgr user{&manager};
  rep::SimValueDataCache cache;
  Variable* f;
  Variable* l;
  std::unique_ptr<rep::SubsweepsAdapter> subsweeps;
  std::unique_ptr<rep::SweepsVariableInfoMediator2> mediator;
  rep::OwnedQuantityParser parser;
  std::unique_ptr<SPS2Connectivity> connectivity;
  std::unique_ptr<CompositeReferencedPostprocessingQuantityMsg> compositeRecord;
  std::vector<std::unique_ptr<CompositeReferencedPostprocessingQuantityMsg>> plainRecords;

  static DesignSolutionDefinition Dsd() { return DesignSolutionDefinition(100, 10, ReportTypeSolutionDefinition(1)); }
  VariableValues Major(double lv) const {
    VariableValues v;
    v.SetVariableValue(l, Value(lv, Units::kNoUnit));
    return v;
  }

  Setup() : solution(manager.AddSolution(10, L"Run1")), cache(&manager) {
    solution.AddSupportedReportType(1);
    f = solution.AddVariable(L"F", Value(1.0, Units::kNoUnit), false);
    l = solution.AddVariable(L"L", Value(1.0, Units::kNoUnit), true);
    for (const wchar_t* name : kConstituents) solution.AddQuantity(name, ValueState(1, 15, 1));
    solution.AddCompositeQuantity(L"C", 7, {L"A", L"B", L"D"});
    solution.SetDescribesQuantitiesByTypeParams(true);
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
    std::vector<long> ids;
    for (const wchar_t* name : kConstituents) ids.push_back(parser->GetSimValueID(name));
    DoubleColumn primary;
    primary.AppendValues(fv);
    for (double major : lv) {
      VariableValuesContext at(Major(major));
      std::vector<std::vector<double>> raw(3);
      for (double x : fv) {
        raw[0].push_back(std::cos(x * 1e-3) / major);
        raw[1].push_back(std::sin(x * 1e-3) * major);
        raw[2].push_back(x + major);
      }
      std::vector<DoubleColumn> values(3);
      for (size_t k = 0; k < 3; ++k) values[k].AppendValues(raw[k]);
      cache.UpdateCacheForMinorSweepAtCurrVarVal(f, false, {l}, {}, Dsd(), 1, primary, ids,
                                                 {&values[0], &values[1], &values[2]}, L"bench");
      solution.AddInstance(Major(major));
    }
    connectivity.reset(VVConnectivityCreator2::CreateSPS2ConnectivityExcludingSpecialsAndPrimaryMinor(*mediator, nullptr));
    for (double major : lv)
      CentUpdUtils::IsLoadNeeded(*connectivity, Major(major), {ids.begin(), ids.end()}, cache, *mediator, Dsd(), 1,
                                 (*subsweeps)[0].GetColumn());
    compositeRecord.reset(rep::ValidateExpressions(*parser, {L"C"}));
    for (const wchar_t* name : kConstituents) plainRecords.emplace_back(rep::ValidateExpressions(*parser, {name}));
  }
};

Setup& TheSetup() {
  static Setup* setup = new Setup;
  return *setup;
}

// What the composite data does per population: the tree, its leaves, one walk for all of them.
void BM_CompositeTrace(benchmark::State& state) {
  Setup& s = TheSetup();
  rep::TraceDataDatasets datasets(*s.mediator, *s.connectivity, *s.compositeRecord, *s.parser, nullptr);
  rep::ParserScope scope(*s.parser, s.compositeRecord.get());
  for (auto _ : state) {
    std::unique_ptr<IBaseTraceComponentData> tree(rep::CompositeTraceData::CreateTraceComponentData(L"C", *s.parser));
    rep::CompositeColumnLists lists;
    rep::CompositeTraceDataColumnValueCollector collector(lists);
    tree->Accept(collector);
    rep::PopulateTraceDataVisitor visitor(lists.values, lists.columns, lists.interpColumns, s.parser.get(), &datasets,
                                          nullptr, false, nullptr);
    s.connectivity->Accept(visitor);
    lists.InstallInterpColumns();
    for (Column* c : lists.columns)
      if (c->GetCount() != size_t(kCurves) * kPoints) state.SkipWithError("wrong number of points");
  }
  state.SetItemsProcessed(state.iterations() * int64_t(kCurves) * kPoints * 3);
}
BENCHMARK(BM_CompositeTrace)->Unit(benchmark::kMillisecond);

// The baseline: three plain traces, one walk each.
void BM_ThreePlainTraces(benchmark::State& state) {
  Setup& s = TheSetup();
  std::vector<std::unique_ptr<rep::TraceDataDatasets>> datasets;
  for (auto& record : s.plainRecords)
    datasets.push_back(std::make_unique<rep::TraceDataDatasets>(*s.mediator, *s.connectivity, *record, *s.parser, nullptr));
  for (auto _ : state) {
    // The three traces' columns live side by side, as the composite's three leaves do: freed one
    // by one, the allocator would hand the next trace the memory the last one left warm.
    std::unique_ptr<Column> ys[3];
    for (size_t i = 0; i < 3; ++i) {
      rep::ParserScope scope(*s.parser, s.plainRecords[i].get());
      ys[i].reset(rep::NewManagedColumn(val::kDoubleParam, Units::kNoUnit));
      const std::vector<Value> expressions{Value(kConstituents[i], Units::kNoUnit)};
      rep::PopulateTraceDataVisitor visitor(expressions, {ys[i].get()}, s.parser.get(), datasets[i].get(), nullptr, false);
      s.connectivity->Accept(visitor);
      if (ys[i]->GetCount() != size_t(kCurves) * kPoints) state.SkipWithError("wrong number of points");
    }
  }
  state.SetItemsProcessed(state.iterations() * int64_t(kCurves) * kPoints * 3);
}
BENCHMARK(BM_ThreePlainTraces)->Unit(benchmark::kMillisecond);

// Writes of a component tree: 64 composite levels, each with a leaf of 1 000 values, beside the
// same 64 leaves side by side at the top. Child blocks are moved into their parents, so the nested
// write costs what the flat one does.
constexpr unsigned kLevels = 64;

rep::TraceComponentData* BenchLeaf() {
  std::vector<double> values(1000);
  for (size_t i = 0; i < values.size(); ++i) values[i] = 0.5 * double(i);
  auto* column = new DoubleColumn;
  column->AppendValues(values);
  auto* leaf = new rep::TraceComponentData(column, nullptr, nullptr);
  leaf->SetExpression(L"v");
  return leaf;
}

void WriteTree(benchmark::State& state, bool nested) {
  rep::ReportManager mgr(nullptr, true);
  rep::ConcreteCompositeTraceData data(mgr, 1);
  if (nested) {
    IBaseTraceComponentData* inner = BenchLeaf();
    for (unsigned d = 0; d < kLevels - 1; ++d) {
      auto* node = new rep::CompositeTraceComponentData(L"n", 3);
      node->SetChild(0, BenchLeaf());
      node->SetChild(1, inner);
      inner = node;
    }
    data.AddComponent(inner);
  } else {
    for (unsigned d = 0; d < kLevels; ++d) data.AddComponent(BenchLeaf());
  }
  for (auto _ : state) {
    io::CBlock parent(L"p");
    if (!data.WriteComponentsToBlock(parent)) state.SkipWithError("write failed");
    benchmark::DoNotOptimize(parent.GetNumItems());
  }
  state.SetItemsProcessed(state.iterations() * int64_t(kLevels) * 1000);
}

void BM_WriteNestedTree(benchmark::State& state) { WriteTree(state, true); }
BENCHMARK(BM_WriteNestedTree)->Unit(benchmark::kMicrosecond);

void BM_WriteFlatTree(benchmark::State& state) { WriteTree(state, false); }
BENCHMARK(BM_WriteFlatTree)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  // Both sides fill 24 MB of fresh columns per run, under glibc's defaults as a host runs them: large
  // blocks go back to the system when freed, so each run pays its first touches of fresh pages.
  BaselineRatioReporter reporter("BM_CompositeTrace", "BM_ThreePlainTraces",
                                 "a composite trace of three constituents populates in %.2f times three plain traces "
                                 "of them (goal: within 1.1)\n");
  return RunBenchmarks(argc, argv, reporter);
}
