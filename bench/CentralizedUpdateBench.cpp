// One centralized update of a trace over N major variations x 100 minor points x 4 quantities,
// pushed by the reference product from its model; the time per load unit at N = 100 and 1 000
// shows whether any step grows faster than the number of units.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "BenchMain.h"
#include "update/CentUpdTraceDefObject.h"
#include "Gravik/ITraceDataInterfaces.h"
#include "quantities/OutputVariableMgr.h"
#include "reports/PointsetDefinition.h"
#include "RatioReporter.h"
#include "tracedata/ReportDataManager.h"
#include "reports/ReportDefinition.h"
#include "reports/ReportManager.h"
#include "quantities/SimValueDataCache.h"
#include "update/SweepsVariableInfoMediator2.h"
#include "reports/TraceDefinition.h"
#include "update/VVConnectivityCreator2.h"
#include "orvex/centupd/CentralizedUpdateUtility.h"
#include "postorvex/connectivity/SPS2Connectivity.h"
#include "postorvex/sweeps/AbstractSubsweepDefParams.h"
#include "postorvex/sweeps/SubsweepDefParamsContainer.h"
#include "postorvex/sweeps/SubsweepsAdapter.h"
#include "postorvex/sweeps/SweepBase.h"
#include "refhost/ReferenceDesktop.h"
#include "refhost/ReferenceReportManagerOwner.h"
#include "refhost/ReferenceSolutionManager.h"

namespace {

constexpr int kMinor = 100;

// Only what the update drives; population is left out of the figure.
class UpdatedTrace : public AbstractDynamicTraceData {
public:
  UpdatedTrace(long id, rep::ReportDataManager& mgr) : m_id(id), m_mgr(mgr) {}
  bool HasData() const override { return false; }
  long GetVersionIDOfData() const override { return 1; }
  long GetCurrentSolutionContextVersionID() const override { return 1; }
  bool IsOutOfDate() const override { return false; }
  rep::ITraceDataSweepInfo* GetTraceDataSweepInfo() override { return nullptr; }
  unsigned GetNumCurves() const override { return 0; }
  unsigned GetNumPointsInCurve(unsigned) const override { return 0; }
  unsigned GetCurveOffset(unsigned) const override { return 0; }
  AString GetCurveVariationKey(unsigned, bool) const override { return AString(); }
  AString GetTraceName() const override { return AString(); }
  long GetTraceDefID() const override { return m_id; }
  long GetTraceDefVersionID() const override { return 1; }
  rep::ReportDataManager& GetReportDataManager() const override { return m_mgr; }
  const SPS2Connectivity* GetConnectivity() const override { return connectivity.get(); }
  SPS2Connectivity* GetConnectivity() override { return connectivity.get(); }
  void SetNeedsUpdate(bool needs) override { needsUpdate = needs; }
  bool PopulateData(rep::CentUpdTraceDefObject&, IProgressMonitor*) override { return true; }
  void UpdateTraceStateData() override {}
  void InitializeData() override {}
  rep::CentUpdTraceDefObject* GetCentralizedUpdateObject(bool) override { return nullptr; }
  void ReleaseCentralizedUpdateObject(rep::CentUpdTraceDefObject*) override {}

  std::unique_ptr<SPS2Connectivity> connectivity;
  bool needsUpdate = true;

private:
  long m_id;
  rep::ReportDataManager& m_mgr;
};

struct Design {
  refhost::ReferenceDesktop desktop;
  refhost::ReferenceReportManagerOwner owner;
  refhost::ReferenceSolutionManager solutions;
  rep::OutputVariableMgr user{&solutions};
  std::unique_ptr<rep::SimValueDataCache> cache;
  std::unique_ptr<rep::ReportManager> mgr;
  SubsweepDefParamsContainer defs;
  long traceID = 0;

  static DesignSolutionDefinition Dsd() { return DesignSolutionDefinition(100, 10, ReportTypeSolutionDefinition(1)); }

  explicit Design(int majors) {
    refhost::ReferenceSolution& s = solutions.AddSolution(10, L"Run1");
    solutions.SetDesignOfInstance(1, 100);
    owner.SetDesignInstanceID(1);
    owner.SetSolutionManager(&solutions);
    owner.SetOutputVariableMgr(&user);
    s.AddSupportedReportType(1);
    Variable* f = s.AddVariable(L"F", Value(1.0, Units::kNoUnit), false);
    Variable* l = s.AddVariable(L"L", Value(1.0, Units::kNoUnit), true);
    std::vector<AString> expressions;
    for (int q = 0; q < 4; ++q) {
      AString name = AString(L"Q") + AString(1, wchar_t(L'0' + q));
      s.AddQuantity(name, ValueState(1, 15, 1), [f, l, q](const VariableValues& at) {
        return AComplex<double>(at.GetVariableValue(f)->GetValue() * (q + 1) + at.GetVariableValue(l)->GetValue(), 0);
      });
      expressions.push_back(name);
    }
    std::vector<double> fv(kMinor), lv(majors);
    for (int i = 0; i < kMinor; ++i) fv[i] = 1.0 + i;
    for (int i = 0; i < majors; ++i) {
      lv[i] = 1.0 + i;
      VariableValues p;
      p.SetVariableValue(l, Value(lv[i], Units::kNoUnit));
      s.AddInstance(p);
    }
    s.AddSweep(f, fv);
    s.AddSweep(l, lv);
    for (const wchar_t* name : {L"F", L"L"})
      defs.PushBackAndOwn(s.GetSweepOfVariable(name, SimValueContext(), 1)->CreateDefaultSubsweepDefParams());
    mgr = std::make_unique<rep::ReportManager>(&owner, true);
    rep::PointsetDefinition pointset(defs, {});
    rep::TraceDefinition trace(*mgr, expressions, Dsd(), pointset, ExtTraceInfo(), 1, nullptr);
    std::unique_ptr<rep::IReportDefinition> report = mgr->CreateReportDefinition({&trace}, L"R");
    long reportID = mgr->AddReportDefinition(*report, nullptr);
    std::vector<long> ids;
    mgr->GetReportDefinition(reportID)->GetTraceIDs(ids);
    traceID = ids.at(0);
  }

  // A fresh cache and trace, then one update; answers the number of units loaded.
  int Update() {
    cache = std::make_unique<rep::SimValueDataCache>(&solutions);
    owner.SetSimValueCache(cache.get());
    UpdatedTrace data(traceID, *mgr->GetDataManager());
    auto* subsweeps = new rep::SubsweepsAdapter(defs, Dsd(), 1, &solutions, {});
    VariableValues design;
    solutions.GetSolutionVariation(design, 10, 1, ReportTypeSolutionDefinition(1));
    auto* mediator = new rep::SweepsVariableInfoMediator2(subsweeps, ReportTypeSolutionDefinition(1),
                                                          solutions.FindSolution(10), design, false);
    data.connectivity.reset(VVConnectivityCreator2::CreateSPS2ConnectivityExcludingSpecialsAndPrimaryMinor(*mediator, &design));
    auto* object = new rep::CentUpdTraceDefObject(&data, mediator, subsweeps, {}, false);
    int loads = 0;
    CentralizedUpdateUtility::GetTestScript().record = [&loads](const ICentralizedUpdateObject*, const char* call, int) {
      if (call[0] == 'l') ++loads;
    };
    CentralizedUpdateUtility::UpdateObjects(nullptr, {object}, nullptr);
    CentralizedUpdateUtility::GetTestScript().record = nullptr;
    owner.SetSimValueCache(nullptr);
    return loads;
  }
};

void BM_UpdatePerUnit(benchmark::State& state) {
  const int majors = static_cast<int>(state.range(0));
  Design design(majors);
  for (auto _ : state)
    if (design.Update() != majors) state.SkipWithError("not every unit was loaded");
  state.SetItemsProcessed(state.iterations() * majors);
  state.counters["us_per_unit"] =
      benchmark::Counter(double(majors) * double(state.iterations()), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_UpdatePerUnit)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace

// Ends with the time per unit at 100 and at 1 000 variations and their ratio (goal: within 1.5).
int main(int argc, char** argv) {
  RatioReporter reporter;
  return RunBenchmarks(argc, argv, reporter);
}
