#include <memory>
#include <vector>

#include "CountedReportUpdate.h"
#include "EngineFixture.h"
#include "Gravik/IReportDataManager.h"
#include "Gravik/ITraceDataInterfaces.h"
#include "quantities/OutputVariableMgr.h"
#include "quantities/SimValueDataCache.h"
#include "quantities/SimValueInfoServer.h"
#include "orvex/io/Block.h"
#include "orvex/values/VariableValuesContext.h"
#include "postorvex/caches/MinorSweepCache.h"
#include "postorvex/columns/Column.h"
#include "postorvex/sweeps/AbstractSubsweepDefParams.h"
#include "postorvex/sweeps/SubsweepDefParamsContainer.h"
#include "postorvex/sweeps/SweepBase.h"

namespace {

// Solution 10 with the enumeration quantity Mode(F, L) = 10 L + F over F = 1 2 3 (minor) and
// L = 1 2 (major points), plotted as F and Mode.
class EnumQuantityUpdateTest : public reptest::EngineFixture {
protected:
  EnumQuantityUpdateTest() : m_cache(&m_solutions) {
    m_solutions.UseTempDirFileService();
    m_owner.SetSimValueCache(&m_cache);
    m_owner.SetOutputVariableMgr(&m_user);
    refhost::ReferenceSolution& s = *m_solutions.FindSolution(10);
    s.AddSupportedReportType(1);
    m_f = s.AddVariable(L"F", Value(1.0, Units::kNoUnit), false);
    m_l = s.AddVariable(L"L", Value(1.0, Units::kNoUnit), true);
    s.AddEnumQuantity(L"Mode", ValueState(val::kEnumParam, 15, 1), L"Modes",
                      [this](const VariableValues& at) {
                        return AComplex<double>(Model(at.GetVariableValue(m_f)->GetValue(),
                                                      at.GetVariableValue(m_l)->GetValue()),
                                                0);
                      });
    s.AddSweep(m_f, {1, 2, 3});
    s.AddSweep(m_l, {1, 2});
    for (double lv : {1.0, 2.0}) {
      VariableValues p;
      p.SetVariableValue(m_l, Value(lv, Units::kNoUnit));
      s.AddInstance(p);
    }
    SubsweepDefParamsContainer defs;
    for (const wchar_t* name : {L"F", L"L"})
      defs.PushBackAndOwn(s.GetSweepOfVariable(name, SimValueContext(), 1)->CreateDefaultSubsweepDefParams());
    rep::PointsetDefinition pointset(defs, {});
    rep::TraceDefinition trace(Mgr(), std::vector<AString>{L"F", L"Mode"}, Dsd(), pointset, ExtTraceInfo(), 1,
                               nullptr);
    m_reportID = AddReport(L"R", {&trace});
    std::vector<long> ids;
    Report(m_reportID).GetTraceIDs(ids);
    m_traceID = ids.at(0);
  }
  ~EnumQuantityUpdateTest() override { m_owner.SetSimValueCache(nullptr); }

  static int Model(double f, double l) { return static_cast<int>(10 * l + f); }
  static DesignSolutionDefinition Dsd() { return DesignSolutionDefinition(100, 10, ReportTypeSolutionDefinition(1)); }

  int Update() { return reptest::UpdateReportCountingLoads(Mgr(), m_reportID, 100, 10); }

  // The trace's Mode column holds the model's value at every point, as its kind holds numbers.
  void ExpectModelValues(bool keepsDigital) {
    rep::ITraceData* trace = Mgr().GetReportDataManagerForEdit()->GetITraceData(m_traceID);
    ASSERT_NE(nullptr, trace);
    ASSERT_EQ(2u, trace->GetNumCurves());
    const Column* f = trace->GetDataColumn(0);
    const Column* mode = trace->GetDataColumn(1);
    ASSERT_TRUE(f && f->GetDoubleColumn() && mode);
    ASSERT_EQ(6u, mode->GetCount());
    if (keepsDigital) {
      ASSERT_NE(nullptr, mode->GetEnumColumn());
      AString name;
      EXPECT_TRUE(mode->GetEnumColumn()->GetEnumName(name));
      EXPECT_EQ(AString(L"Modes"), name);
    } else {
      ASSERT_NE(nullptr, mode->GetDoubleColumn()) << "converted for a report that keeps no digital columns";
    }
    for (unsigned curve = 0; curve < 2; ++curve)
      for (unsigned k = 0; k < 3; ++k) {
        const size_t row = trace->GetCurveOffset(curve) + k;
        const double fv = f->GetDoubleColumn()->GetValues()[row];
        const double got = keepsDigital ? mode->GetEnumColumn()->GetValues()[row] : mode->GetDoubleColumn()->GetValues()[row];
        EXPECT_EQ(Model(fv, curve + 1.0), got) << "curve " << curve << ", F=" << fv;
      }
  }

  // The cached Mode values of the major point L = l, in the order of F.
  static std::vector<int32_t> CachedModes(rep::SimValueDataCache& cache, Variable* f, Variable* l, double lv,
                                          long id) {
    VariableValues major;
    major.SetVariableValue(l, Value(lv, Units::kNoUnit));
    VariableValuesContext current(major);
    MinorSweepCache* minor = cache.GetMinorSweepCacheAtCurrVarVals(f, {l}, Dsd(), 1);
    const Column* column = minor ? minor->GetQuantityColumn(id) : nullptr;
    return column && column->GetEnumColumn() ? column->GetEnumColumn()->GetValues() : std::vector<int32_t>();
  }
  long ModeID() {
    SimValueParams params;
    return m_cache.GetInfoServer().GetSimValueID(params, L"Mode", Dsd(), 1);
  }

  rep::SimValueDataCache m_cache;
  rep::OutputVariableMgr m_user{&m_solutions};
  Variable* m_f;
  Variable* m_l;
  long m_reportID = 0;
  long m_traceID = 0;
};

}  // namespace

TEST_F(EnumQuantityUpdateTest, TraceTakesTheModelValuesThenTheCacheServesThem) {
  for (bool keepsDigital : {false, true}) {
    SCOPED_TRACE(keepsDigital ? "report keeps digital columns" : "digital columns converted");
    m_owner.SetReportKeepsDigitalColumns(m_reportID, keepsDigital);
    const int loads = Update();
    EXPECT_EQ(keepsDigital ? 0 : 2, loads) << "the second trace update is served from the cache";
    ExpectModelValues(keepsDigital);
  }
  for (double lv : {1.0, 2.0})
    EXPECT_EQ(std::vector<int32_t>({Model(1, lv), Model(2, lv), Model(3, lv)}),
              CachedModes(m_cache, m_f, m_l, lv, ModeID()));
}

TEST_F(EnumQuantityUpdateTest, CacheFilesGiveBackTheEnumerationValues) {
  ASSERT_EQ(2, Update());
  io::CBlock project(L"Project");
  ASSERT_TRUE(m_cache.WriteCacheFiles(project));
  rep::SimValueDataCache fresh(&m_solutions);
  EXPECT_EQ(0, fresh.ReadCacheFiles(project));
  for (double lv : {1.0, 2.0})
    EXPECT_EQ(CachedModes(m_cache, m_f, m_l, lv, ModeID()), CachedModes(fresh, m_f, m_l, lv, ModeID()));

  m_owner.SetSimValueCache(&fresh);
  m_owner.SetReportKeepsDigitalColumns(m_reportID, true);
  EXPECT_EQ(0, Update()) << "served from the cache read back";
  ExpectModelValues(true);
  m_owner.SetSimValueCache(&m_cache);
}
