// Extraction of trace data into temporary reports and evaluation of an output variable, each at
// two sizes: 100 and 1 000 requests of one design instance, and one evaluation at every major
// variation of a solution with 100 and 10 000 of them, each the first at its variation. Every run
// starts with an untimed call on a host of its own, so that what the process does once (symbol
// binding, the allocator's first memory) is not counted against the size that runs first. The
// run ends with the time per request or per call at both sizes and their ratio, the median of
// the repetitions when asked for some (goal: at most 1.5).
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "BenchMain.h"
#include "Gravik/ITraceDataInterfaces.h"
#include "Gravik/TraceExtractionRequest.h"
#include "reports/GravikUtils.h"
#include "quantities/OutputVariableMgr.h"
#include "RatioReporter.h"
#include "quantities/SimValueDataCache.h"
#include "orvex/values/VariableValues.h"
#include "postorvex/solution/DesignSolutionDefinition.h"
#include "postorvex/sweeps/AbstractSubsweepDefParams.h"
#include "postorvex/sweeps/SweepBase.h"
#include "refhost/ReferenceSolutionManager.h"

namespace {

// Y = F * L over F (minor, or special for evaluation) = 1..10 and L (major) = 1..majors.
struct Host {
  refhost::ReferenceSolutionManager solutions;
  rep::SimValueDataCache cache{&solutions};
  rep::OutputVariableMgr user{&solutions};
  Variable* l = nullptr;
  Variable* f = nullptr;

  Host(int majors, bool specialF) {
    solutions.SetDesignOfInstance(1, 100);
    refhost::ReferenceSolution& s = solutions.AddSolution(10, L"Run1");
    s.AddSupportedReportType(1);
    f = s.AddVariable(L"F", Value(1.0, Units::kNoUnit), false);
    l = s.AddVariable(L"L", Value(1.0, Units::kNoUnit), true);
    Variable* fv = f;
    Variable* lv = l;
    s.AddQuantity(L"Y", ValueState(1, 15, 1), [fv, lv](const VariableValues& at) {
      return AComplex<double>(at.GetVariableValue(fv)->GetValue() * at.GetVariableValue(lv)->GetValue(), 0);
    });
    std::vector<double> fs, ls;
    for (int i = 1; i <= 10; ++i) fs.push_back(i);
    for (int i = 1; i <= majors; ++i) {
      ls.push_back(i);
      VariableValues p;
      p.SetVariableValue(l, Value(double(i), Units::kNoUnit));
      s.AddInstance(p);
    }
    s.AddSweep(f, fs, specialF);
    s.AddSweep(l, ls);
  }

  rep::TraceExtractionRequest Request(double lValue) {
    rep::TraceExtractionRequest r;
    r.m_expressions = {L"F", L"Y"};
    r.m_solutionID = 10;
    r.m_designInstanceID = 1;
    r.m_reportTypeSolutionDefinition = ReportTypeSolutionDefinition(1);
    refhost::ReferenceSolution& s = *solutions.FindSolution(10);
    r.m_pointsetDefParams.GetSubsweepDefParamsContainerForEdit().PushBackAndOwn(
        s.GetSweepOfVariable(L"F", SimValueContext(), 1)->CreateDefaultSubsweepDefParams());
    SubsweepDefParamsContainer one;
    rep::GetPostprocessingSweepVariableValues(one, Only(lValue), Dsd(), 1, &solutions);
    for (size_t i = 0; i < one.Size(); ++i)
      r.m_pointsetDefParams.GetSubsweepDefParamsContainerForEdit().PushBackAndOwn(
          static_cast<AbstractSubsweepDefParams*>(one[i]->Clone()));
    return r;
  }

  VariableValues Only(double lValue) const {
    VariableValues at;
    at.SetVariableValue(l, Value(lValue, Units::kNoUnit));
    return at;
  }

  static DesignSolutionDefinition Dsd() { return DesignSolutionDefinition(100, 10, ReportTypeSolutionDefinition(1)); }
};

bool Extract(Host& host, const std::vector<rep::TraceExtractionRequest>& requests) {
  std::vector<rep::ITraceDataForProduct*> results;
  const bool all = rep::ExtractTraceDataIntoTemporaryReport(results, requests, &host.solutions, &host.user,
                                                            &host.cache, nullptr, nullptr);
  for (rep::ITraceDataForProduct* r : results) delete r;
  return all;
}

bool Evaluate(Host& host, int major) {
  VariableValues at = host.Only(major);
  at.SetVariableValue(host.f, Value(2.5, Units::kNoUnit));
  Value result(Units::kNoUnit);
  return rep::EvaluateOutputVariable(result, L"Y", at, 1, &host.solutions, &host.user, Host::Dsd(), &host.cache,
                                     nullptr);
}

void BM_ExtractPerRequest(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  {
    Host warmUp(4, false);
    Extract(warmUp, {warmUp.Request(1)});
  }
  Host host(4, false);
  std::vector<rep::TraceExtractionRequest> requests;
  for (int i = 0; i < n; ++i) requests.push_back(host.Request(1 + i % 4));
  for (auto _ : state)
    if (!Extract(host, requests)) state.SkipWithError("a request got no data");
  state.SetItemsProcessed(state.iterations() * n);
}

void BM_EvaluatePerCall(benchmark::State& state) {
  const int majors = static_cast<int>(state.range(0));
  {
    Host warmUp(1, true);
    Evaluate(warmUp, 1);
  }
  Host host(majors, true);
  for (auto _ : state)
    for (int i = 1; i <= majors; ++i)
      if (!Evaluate(host, i)) state.SkipWithError("no value");
  state.SetItemsProcessed(state.iterations() * majors);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::RegisterBenchmark("BM_ExtractPerRequest", BM_ExtractPerRequest)
      ->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(1);
  benchmark::RegisterBenchmark("BM_EvaluatePerCall", BM_EvaluatePerCall)
      ->Arg(100)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1);
  RatioReporter reporter;
  return RunBenchmarks(argc, argv, reporter);
}
