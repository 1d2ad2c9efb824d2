#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "update/CentUpdTraceDefObject.h"
#include "EngineFixture.h"
#include "reports/GravikUtils.h"
#include "quantities/OutputVariableMgr.h"
#include "tracedata/ReportDataManager.h"
#include "quantities/SimValueDataCache.h"
#include "tracedata/TraceData.h"
#include "tracedata/TraceComponentData.h"
#include "ThrowingMonitor.h"
#include "orvex/centupd/CentralizedUpdateUtility.h"
#include "orvex/centupd/RecordingProgressMonitor.h"
#include "postorvex/columns/Column.h"
#include "postorvex/columns/DoubleMatrixColumn.h"
#include "postorvex/sweeps/AbstractSubsweepDefParams.h"
#include "postorvex/sweeps/SubsweepDefParamsContainer.h"
#include "postorvex/sweeps/SweepBase.h"

namespace {

using Push = refhost::ReferenceSolution::SpecialPush;

// Solution 10 with A(G, L) = 10G + L over the special sweep G = 1 2 3 (the product's own values,
// the primary) at the major points L = 1, 2. The trace shows A (copied from the cache), abs(G)
// (the primary's column through the function) and A*L (evaluated point by point).
class SpecialRoadTest : public reptest::EngineFixture {
protected:
  SpecialRoadTest() : m_cache(&m_solutions) {
    m_owner.SetSimValueCache(&m_cache);
    m_owner.SetOutputVariableMgr(&m_user);
    refhost::ReferenceSolution& s = Solution();
    s.AddSupportedReportType(1);
    g = s.AddVariable(L"G", Value(1.0, Units::kNoUnit), false);
    l = s.AddVariable(L"L", Value(1.0, Units::kNoUnit), true);
    s.AddQuantity(L"A", ValueState(1, 15, 1), [this](const VariableValues& at) {
      return AComplex<double>(10 * at.GetVariableValue(g)->GetValue() + at.GetVariableValue(l)->GetValue(), 0.0);
    });
    s.AddSweep(g, {1, 2, 3}, true);
    s.AddSweep(l, {1, 2});
    for (double lv : {1.0, 2.0}) {
      VariableValues p;
      p.SetVariableValue(l, Value(lv, Units::kNoUnit));
      s.AddInstance(p);
    }
    SubsweepDefParamsContainer defs;
    for (const wchar_t* name : {L"G", L"L"})
      defs.PushBackAndOwn(s.GetSweepOfVariable(name, SimValueContext(), 1)->CreateDefaultSubsweepDefParams());
    rep::PointsetDefinition pointset(defs, {});
    rep::TraceDefinition trace(Mgr(), std::vector<AString>{L"A", L"abs(G)", L"A*L"}, Dsd(), pointset, ExtTraceInfo(),
                               1, nullptr);
    const long reportID = AddReport(L"R", {&trace});
    std::vector<long> ids;
    Report(reportID).GetTraceIDs(ids);
    m_traceID = ids.at(0);
    NewData();
    CentralizedUpdateUtility::GetTestScript().record = [this](const ICentralizedUpdateObject*, const char* call, int n) {
      if (std::string(call) == "units") m_unitsAsked.push_back(n);
    };
  }
  static DesignSolutionDefinition Dsd() { return DesignSolutionDefinition(100, 10, ReportTypeSolutionDefinition(1)); }
  refhost::ReferenceSolution& Solution() { return *m_solutions.FindSolution(10); }
  void NewData() {
    auto* td = dynamic_cast<rep::TraceDefinition*>(Mgr().GetTraceDefinition(m_traceID));
    m_data = std::make_unique<rep::TraceData>(*Mgr().GetDataManager(), m_traceID, td->GetVersionID(),
                                              rep::GetVersionIDForPostprocessing(&m_solutions, Dsd()));
  }
  // The fixture's trace becomes one of these components over the same sweeps, in a report of its own.
  void ShowInANewReport(const std::vector<AString>& expressions) {
    rep::TraceDefinition trace(Mgr(), expressions, Dsd(),
                               *dynamic_cast<rep::TraceDefinition*>(Mgr().GetTraceDefinition(m_traceID))
                                    ->GetPointsetDefinition(),
                               ExtTraceInfo(), 1, nullptr);
    std::vector<long> ids;
    Report(AddReport(L"Shown", {&trace})).GetTraceIDs(ids);
    m_traceID = ids.at(0);
    NewData();
  }
  int Populations() {
    int n = 0;
    for (const auto& instance : Solution().GetInstances()) n += instance->GetNumPopulateCalls();
    return n;
  }
  void Update(bool connectivityOnly = false, IProgressMonitor* monitor = nullptr) {
    m_data->SetNeedsUpdate(true);
    rep::CentUpdTraceDefObject* object = m_data->GetCentralizedUpdateObject(connectivityOnly);
    ASSERT_TRUE(object);
    CentralizedUpdateUtility::UpdateObjects(nullptr, {object}, monitor);
  }
  double At(unsigned component, size_t row) {
    return m_data->GetDataColumn(component)->GetDoubleColumn()->GetValues().at(row);
  }
  // Every component at every point equals the model; the curves are L = 1, 2 in that order.
  void CheckAgainstTheModel() {
    ASSERT_TRUE(m_data->HasData());
    ASSERT_EQ(2u, m_data->GetNumCurves());
    for (unsigned curve = 0; curve < 2; ++curve) {
      const double lv = curve + 1.0;
      EXPECT_EQ(AString::Format(L"L=%d", curve + 1), m_data->GetCurveVariationKey(curve, false));
      ASSERT_EQ(3u, m_data->GetNumPointsInCurve(curve));
      for (unsigned k = 0; k < 3; ++k) {
        const size_t row = m_data->GetCurveOffset(curve) + k;
        const double gv = k + 1.0;
        EXPECT_DOUBLE_EQ(10 * gv + lv, At(0, row));
        EXPECT_DOUBLE_EQ(gv, At(1, row));
        EXPECT_DOUBLE_EQ((10 * gv + lv) * lv, At(2, row));
      }
    }
    for (unsigned c = 0; c < 3; ++c) EXPECT_EQ(6u, m_data->GetDataColumn(c)->GetCount());
  }

  rep::SimValueDataCache m_cache;
  rep::OutputVariableMgr m_user{&m_solutions};
  Variable *g, *l;
  long m_traceID = 0;
  std::unique_ptr<rep::TraceData> m_data;
  std::vector<int> m_unitsAsked;
};

// Each way the product pushes a special primary lands in the cache and the curves alike; a second
// update fills the special connectivity from the cache without a load.
TEST_F(SpecialRoadTest, EveryPushOfASpecialPrimaryFillsTheTraceFromTheCache) {
  for (Push how : {Push::kCommonPrimary, Push::kInterpolationOrders, Push::kPerQuantityPrimaries}) {
    SCOPED_TRACE(static_cast<int>(how));
    NewData();
    m_cache.ClearAll();
    m_unitsAsked.clear();
    Solution().SetSpecialPush(how);
    Solution().SetPushedInterpolationOrders({0, 2, 1});
    const int before = Populations();
    Update();
    EXPECT_EQ(std::vector<int>({2}), m_unitsAsked);
    EXPECT_EQ(before + 2, Populations());
    EXPECT_FALSE(m_data->IsOutOfDate());
    CheckAgainstTheModel();
    const Column* orders = m_data->GetTraceComponentData().at(0)->GetInterpColumn();
    if (how == Push::kInterpolationOrders) {
      ASSERT_TRUE(orders) << "the orders of a copied quantity travel with it";
      ASSERT_TRUE(orders->GetCharColumn());
      EXPECT_EQ((std::vector<char>{0, 2, 1, 0, 2, 1}), orders->GetCharColumn()->GetValues()) << "per curve, in order";
    } else {
      EXPECT_EQ(nullptr, orders);
    }
    EXPECT_EQ(nullptr, m_data->GetTraceComponentData().at(2)->GetInterpColumn()) << "evaluated: no orders";

    Update();
    EXPECT_EQ(std::vector<int>({2, 0}), m_unitsAsked) << "served from the cache";
    EXPECT_EQ(before + 2, Populations());
    CheckAgainstTheModel();
  }
}

// Updating the connectivity only asks for every point, takes nothing from the product and refills
// the special connectivity from what the cache holds.
TEST_F(SpecialRoadTest, ConnectivityOnlyRefillsFromTheCacheWithoutAPush) {
  Update();
  CheckAgainstTheModel();
  const int before = Populations();
  Update(true);
  EXPECT_EQ(std::vector<int>({2, 2}), m_unitsAsked) << "every constituent point is asked for";
  EXPECT_EQ(before, Populations()) << "no value is asked of the product";
  EXPECT_FALSE(m_data->IsOutOfDate());
  CheckAgainstTheModel();
}

// Placeholder data: one invalid point.
void ExpectPlaceholder(rep::TraceData& data) {
  EXPECT_FALSE(data.HasData());
  ASSERT_EQ(1u, data.GetNumCurves());
  ASSERT_EQ(1u, data.GetDataColumn(0)->GetCount());
  EXPECT_TRUE(data.GetDataColumn(0)->IsInvalidAt(0));
}

// When the cache no longer holds the values, the refill leaves the trace to a full update.
TEST_F(SpecialRoadTest, ConnectivityOnlyRefillWithoutTheValuesLeavesTheTraceNeedingAnUpdate) {
  Update();
  m_cache.ClearAll();
  const int before = Populations();
  Update(true);
  EXPECT_SOFT_ASSERT("updatedConn");
  EXPECT_SOFT_ASSERT("updatedConn");
  EXPECT_EQ(before, Populations());
  ExpectPlaceholder(*m_data);
  rep::CentUpdTraceDefObject* next = m_data->GetCentralizedUpdateObject(false);
  ASSERT_TRUE(next) << "still needing an update";
  CentralizedUpdateUtility::UpdateObjects(nullptr, {next}, nullptr);
  EXPECT_EQ(before + 2, Populations());
  CheckAgainstTheModel();
}

// A special leaf holding no column of a component's quantity gives no curve of half-filled columns:
// the trace keeps its placeholder and needs an update.
TEST_F(SpecialRoadTest, ASpecialLeafWithoutAQuantityColumnLeavesTheTraceNeedingAnUpdate) {
  Solution().AddQuantity(L"B", ValueState(1, 15, 1));
  for (const auto& instance : Solution().GetInstances()) {
    refhost::ScriptedPush call;
    auto primary = std::make_shared<DoubleColumn>();
    primary->AppendValues({1, 2, 3});
    auto a = std::make_shared<DoubleColumn>();
    a->AppendValues({1, 2, 3});
    call.quantities = {L"A"};
    call.columns = {a};
    call.primary = primary;
    instance->SetScript({call});
  }
  ShowInANewReport({L"A", L"B"});
  Update();
  EXPECT_SOFT_ASSERT("&qtyCol");
  EXPECT_SOFT_ASSERT("&qtyCol");
  ExpectPlaceholder(*m_data);
  EXPECT_EQ(1u, m_data->GetDataColumn(1)->GetCount());
  rep::CentUpdTraceDefObject* next = m_data->GetCentralizedUpdateObject(false);
  ASSERT_TRUE(next) << "still needing an update";
  m_data->ReleaseCentralizedUpdateObject(next);
  delete static_cast<ICentralizedUpdateObject*>(static_cast<ISolutionPointSetUpdateObject*>(next));
}

// An orders column that cannot be made is a column the walk cannot fill, as a missing quantity
// column is: placeholder data, and the next update makes the trace whole, orders included.
TEST_F(SpecialRoadTest, AnOrdersColumnThatCannotBeMadeLeavesTheTraceNeedingAnUpdate) {
  Solution().SetSpecialPush(Push::kInterpolationOrders);
  Solution().SetPushedInterpolationOrders({0, 2, 1});
  Column::FailNextCreations(1, 8);  // the run's ninth column is the first component's orders
  Update();
  EXPECT_SOFT_ASSERT("newCol->GetCharColumn()");
  EXPECT_SOFT_ASSERT("tcInterpCol");
  ExpectPlaceholder(*m_data);
  rep::CentUpdTraceDefObject* next = m_data->GetCentralizedUpdateObject(false);
  ASSERT_TRUE(next) << "still needing an update";
  CentralizedUpdateUtility::UpdateObjects(nullptr, {next}, nullptr);
  CheckAgainstTheModel();
  const Column* orders = m_data->GetTraceComponentData().at(0)->GetInterpColumn();
  ASSERT_TRUE(orders && orders->GetCharColumn());
  EXPECT_EQ((std::vector<char>{0, 2, 1, 0, 2, 1}), orders->GetCharColumn()->GetValues());
}

// The orders columns the walk has made by the time a monitor throws go with the failed run.
TEST_F(SpecialRoadTest, AMonitorThrowingDuringTheBulkFillLeavesThePlaceholder) {
  Solution().SetSpecialPush(Push::kInterpolationOrders);
  Update();
  NewData();
  reptest::ThrowingMonitor counting;
  Update(false, &counting);
  CheckAgainstTheModel();
  ASSERT_GE(counting.GetTicks(), 2);
  NewData();
  reptest::ThrowingMonitor throwing({-1, counting.GetTicks() - 1, false});
  EXPECT_THROW(Update(false, &throwing), std::runtime_error);
  ExpectPlaceholder(*m_data);
  Update();
  CheckAgainstTheModel();
  EXPECT_TRUE(m_data->GetTraceComponentData().at(0)->GetInterpColumn());
}

// A matrix quantity on a special leaf is evaluated point by point, one row per element for every
// component; the product pushes it by script, as a product with matrices would.
TEST_F(SpecialRoadTest, MatrixQuantityGivesOneRowPerElementOnASpecialLeaf) {
  Solution().AddQuantity(L"M", ValueState(16, 15, 1));
  for (const auto& instance : Solution().GetInstances()) {
    const double lv = instance->GetVariation().GetVariableValue(l)->GetValue();
    refhost::ScriptedPush call;
    auto primary = std::make_shared<DoubleColumn>();
    primary->AppendValues({1, 2, 3});
    auto m = std::make_shared<DoubleMatrixColumn>();
    for (double gv : {1.0, 2.0, 3.0}) m->AppendMatrix({2, 1, {gv, 100 * lv}});
    call.quantities = {L"M"};
    call.columns = {m};
    call.primary = primary;
    instance->SetScript({call});
  }
  ShowInANewReport({L"M", L"G"});
  Update();
  EXPECT_EQ(std::vector<int>({2}), m_unitsAsked);
  ASSERT_EQ(2u, m_data->GetNumCurves());
  for (unsigned curve = 0; curve < 2; ++curve) {
    const double lv = curve + 1.0;
    ASSERT_EQ(6u, m_data->GetNumPointsInCurve(curve)) << "two elements at each of three primary values";
    for (unsigned k = 0; k < 6; ++k) {
      const size_t row = m_data->GetCurveOffset(curve) + k;
      const double gv = k / 2 + 1.0;
      EXPECT_DOUBLE_EQ(k % 2 ? 100 * lv : gv, At(0, row));
      EXPECT_DOUBLE_EQ(gv, At(1, row)) << "the primary repeats for each element";
    }
  }
}

// A non-primary special sweep H: the product pushes once per H value, the connectivity keys its
// points on H too, each (L, H) becomes a curve, and a second update finds every H point in the cache.
TEST_F(SpecialRoadTest, NonPrimarySpecialSweepGivesACurvePerValue) {
  refhost::ReferenceSolution& s = Solution();
  Variable* h = s.AddVariable(L"H", Value(1.0, Units::kNoUnit), false);
  s.AddQuantity(L"B", ValueState(1, 15, 1), [this, h](const VariableValues& at) {
    return AComplex<double>(10 * at.GetVariableValue(g)->GetValue() + 100 * at.GetVariableValue(h)->GetValue() +
                                at.GetVariableValue(l)->GetValue(),
                            0.0);
  });
  s.AddSweep(h, {1, 2}, true);
  SubsweepDefParamsContainer defs;
  for (const wchar_t* name : {L"G", L"H", L"L"})
    defs.PushBackAndOwn(s.GetSweepOfVariable(name, SimValueContext(), 1)->CreateDefaultSubsweepDefParams());
  rep::TraceDefinition trace(Mgr(), std::vector<AString>{L"B", L"H"}, Dsd(), rep::PointsetDefinition(defs, {}),
                             ExtTraceInfo(), 1, nullptr);
  std::vector<long> ids;
  Report(AddReport(L"Specials", {&trace})).GetTraceIDs(ids);
  m_traceID = ids.at(0);
  for (Push how : {Push::kCommonPrimary, Push::kInterpolationOrders, Push::kPerQuantityPrimaries}) {
    SCOPED_TRACE(static_cast<int>(how));
    NewData();
    m_cache.ClearAll();
    m_unitsAsked.clear();
    s.SetSpecialPush(how);
    const int before = Populations();
    Update();
    Update();
    EXPECT_EQ(std::vector<int>({2, 0}), m_unitsAsked) << "the second update is served from the cache";
    EXPECT_EQ(before + 2, Populations());
    ASSERT_EQ(4u, m_data->GetNumCurves());
    std::set<std::pair<double, double>> seen;
    for (unsigned curve = 0; curve < 4; ++curve) {
      ASSERT_EQ(3u, m_data->GetNumPointsInCurve(curve));
      const size_t first = m_data->GetCurveOffset(curve);
      const double hv = At(1, first);
      const double lv = At(0, first) - 10 - 100 * hv;
      seen.insert({lv, hv});
      for (unsigned k = 0; k < 3; ++k) {
        EXPECT_DOUBLE_EQ(10 * (k + 1.0) + 100 * hv + lv, At(0, first + k));
        EXPECT_DOUBLE_EQ(hv, At(1, first + k));
      }
      EXPECT_EQ(AString::Format(L"H=%g, L=%g", hv, lv), m_data->GetCurveVariationKey(curve, false));
    }
    EXPECT_EQ((std::set<std::pair<double, double>>{{1, 1}, {1, 2}, {2, 1}, {2, 2}}), seen);
  }
}

// Calls a product may make, replayed verbatim: per-quantity primaries give each quantity its own
// points; on a major primary they are refused ("isSpecial", nothing stored: placeholder data), and
// interpolation orders are dropped with the values kept.
TEST_F(SpecialRoadTest, ScriptedPushesOfEachOperation) {
  struct Case {
    const wchar_t* primarySweep;
    refhost::ScriptedPush::Operation operation;
    const char* assertion;       // raised once per loaded unit, or null
    std::vector<double> values;  // of A along the first curve; empty: placeholder data
  };
  const Case cases[] = {
      {L"G", refhost::ScriptedPush::kWithPerQuantityPrimaries, nullptr, {11, 21}},
      {L"L", refhost::ScriptedPush::kWithPerQuantityPrimaries, "isSpecial", {}},
      {L"L", refhost::ScriptedPush::kWithInterpolationOrders,
       "!\"Call SetQuantityValues directly. We only handle interp orders for primary minor specials for now\"",
       {7, 14}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.assertion ? c.assertion : "per quantity");
    const bool major = std::wstring(c.primarySweep) == L"L";
    for (const auto& instance : Solution().GetInstances()) {
      const double lv = instance->GetVariation().GetVariableValue(l)->GetValue();
      refhost::ScriptedPush call;
      call.operation = c.operation;
      call.quantities = {L"A"};
      auto a = std::make_shared<DoubleColumn>();
      auto primary = std::make_shared<DoubleColumn>();
      if (major) {
        a->AppendValues({7 * lv});
        primary->AppendValues({lv});
        call.primary = primary;
        call.orders[L"A"] = std::make_shared<CharColumn>();
      } else {
        a->AppendValues({10 + lv, 20 + lv});
        primary->AppendValues({1, 2});
        call.perQuantityPrimaries[L"A"] = primary;
      }
      call.columns = {a};
      instance->SetScript({call});
    }
    SubsweepDefParamsContainer defs;
    defs.PushBackAndOwn(Solution().GetSweepOfVariable(c.primarySweep, SimValueContext(), 1)->CreateDefaultSubsweepDefParams());
    rep::TraceDefinition trace(Mgr(), std::vector<AString>{L"A"}, Dsd(), rep::PointsetDefinition(defs, {}),
                               ExtTraceInfo(), 1, nullptr);
    std::vector<long> ids;
    Report(AddReport(L"Scripted", {&trace})).GetTraceIDs(ids);
    m_traceID = ids.at(0);
    NewData();
    m_cache.ClearAll();
    Update();
    if (c.assertion) {
      EXPECT_SOFT_ASSERT(c.assertion);
      EXPECT_SOFT_ASSERT(c.assertion);
    }
    const DoubleColumn* column = m_data->GetDataColumn(0)->GetDoubleColumn();
    if (c.values.empty()) {
      EXPECT_FALSE(m_data->HasData());
      ASSERT_EQ(1u, column->GetCount()) << "placeholder: one invalid point";
      EXPECT_TRUE(column->IsInvalidAt(0));
      continue;
    }
    ASSERT_LE(c.values.size(), column->GetCount());
    EXPECT_EQ(c.values.size(), m_data->GetNumPointsInCurve(0));
    EXPECT_EQ(c.values, std::vector<double>(column->GetValues().begin(), column->GetValues().begin() + c.values.size()));
  }
}

// On the bulk path the leftover evaluations see the trace's running point index, so each curve's
// range function reads its own curve's dataset.
TEST_F(SpecialRoadTest, RangeFunctionOnSpecialLeavesReadsItsOwnCurve) {
  SubsweepDefParamsContainer defs;
  for (const wchar_t* name : {L"G", L"L"})
    defs.PushBackAndOwn(Solution().GetSweepOfVariable(name, SimValueContext(), 1)->CreateDefaultSubsweepDefParams());
  rep::TraceDefinition trace(Mgr(), std::vector<AString>{L"A", L"max(A)"}, Dsd(), rep::PointsetDefinition(defs, {}),
                             ExtTraceInfo(), 1, nullptr);
  std::vector<long> ids;
  Report(AddReport(L"Range", {&trace})).GetTraceIDs(ids);
  m_traceID = ids.at(0);
  NewData();
  Update();
  ASSERT_EQ(2u, m_data->GetNumCurves());
  for (unsigned curve = 0; curve < 2; ++curve)
    for (unsigned k = 0; k < 3; ++k) {
      const size_t row = m_data->GetCurveOffset(curve) + k;
      EXPECT_DOUBLE_EQ(10 * (k + 1.0) + curve + 1, At(0, row));
      EXPECT_DOUBLE_EQ(30 + curve + 1.0, At(1, row)) << "the largest A of the point's own curve";
    }
}

// A trace that reduces every curve to a point takes its x from the second sweep: on special leaves
// each L gives one point, the largest A of its own curve.
TEST_F(SpecialRoadTest, OnePointPerCurveOnSpecialLeaves) {
  SubsweepDefParamsContainer defs;
  for (const wchar_t* name : {L"G", L"L"})
    defs.PushBackAndOwn(Solution().GetSweepOfVariable(name, SimValueContext(), 1)->CreateDefaultSubsweepDefParams());
  rep::TraceDefinition trace(Mgr(), std::vector<AString>{L"max(A)"}, Dsd(), rep::PointsetDefinition(defs, {}),
                             ExtTraceInfo(), 1, nullptr);
  std::vector<long> ids;
  Report(AddReport(L"Reduced", {&trace})).GetTraceIDs(ids);
  m_traceID = ids.at(0);
  NewData();
  Update();
  EXPECT_EQ(AString(L"L"), m_data->GetPrimarySweepName());
  ASSERT_EQ(2u, m_data->GetNumCurves());
  for (unsigned curve = 0; curve < 2; ++curve) {
    ASSERT_EQ(1u, m_data->GetNumPointsInCurve(curve));
    const size_t row = m_data->GetCurveOffset(curve);
    EXPECT_DOUBLE_EQ(30 + curve + 1.0, At(0, row));
    ASSERT_TRUE(m_data->GetPrimarySweepColumn());
    EXPECT_DOUBLE_EQ(curve + 1.0, m_data->GetPrimarySweepColumn()->GetDoubleColumn()->GetValues().at(row));
  }
}

}  // namespace
