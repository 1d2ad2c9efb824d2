#include <algorithm>
#include <cmath>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "quantities/OutputVariableMgr.h"
#include "update/CentUpdTraceDefObject.h"
#include "EngineFixture.h"
#include "ThrowingMonitor.h"
#include "Gravik/ITraceDataInterfaces.h"
#include "tracedata/PopulateTraceDataVisitor.h"
#include "tracedata/ReportDataManager.h"
#include "quantities/SimValueDataCache.h"
#include "update/SweepsVariableInfoMediator2.h"
#include "reports/GravikUtils.h"
#include "orvex/core/VelmorCommand.h"
#include "tracedata/TraceData.h"
#include "tracedata/TraceDataDatasets.h"
#include "update/VVConnectivityCreator2.h"
#include "quantities/VersionedQuantityParser.h"
#include "orvex/centupd/CentralizedUpdateUtility.h"
#include "orvex/centupd/RecordingProgressMonitor.h"
#include "orvex/core/VelDebug.h"
#include "orvex/values/VariableNameSpace.h"
#include "postorvex/columns/Column.h"
#include "postorvex/quantities/CompositeReferencedPostprocessingQuantityMsg.h"
#include "postorvex/sweeps/AbstractSubsweepDefParams.h"
#include "postorvex/sweeps/SubsweepDefParamsContainer.h"
#include "postorvex/sweeps/SubsweepsAdapter.h"
#include "postorvex/sweeps/SweepBase.h"

namespace {

// A computed trace reduced to what the update drives: its connectivity, flags and columns.
class FakeTraceData : public AbstractDynamicTraceData {
public:
  FakeTraceData(long id, rep::ReportDataManager& mgr) : m_id(id), m_mgr(mgr) {}
  bool HasData() const override { return x.GetCount() > 0; }
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
  bool PopulateData(rep::CentUpdTraceDefObject& object, IProgressMonitor* monitor) override {
    ++populations;
    x.ClearValues();
    y.ClearValues();
    if (!object.GetQuantityInfo() || !object.GetSweepsMediator()) return false;
    rep::VersionedQuantityParser* parser = object.GetQuantityParser();
    std::vector<Value> expressions;
    {
      VariableNameSpace names(1, 1, 0);
      parser->GetVariableNameSpaceSetupper()->Setup(names);
      InstalledParserScope installed(parser);
      expressions = {Value(L"F", Units::kNoUnit), Value(L"mag(S)*L", Units::kNoUnit)};
    }
    rep::TraceDataDatasets datasets(*object.GetSweepsMediator(), *connectivity, *object.GetQuantityInfo(), *parser,
                                    nullptr);
    rep::PopulateTraceDataVisitor visitor(expressions, {&x, &y}, parser, &datasets, monitor, false);
    connectivity->Accept(visitor);
    return true;
  }
  void UpdateTraceStateData() override {}
  void InitializeData() override {}
  rep::CentUpdTraceDefObject* GetCentralizedUpdateObject(bool) override { return nullptr; }
  void ReleaseCentralizedUpdateObject(rep::CentUpdTraceDefObject*) override {}

  std::unique_ptr<SPS2Connectivity> connectivity;
  bool needsUpdate = true;
  int populations = 0;
  DoubleColumn x, y;

private:
  long m_id;
  rep::ReportDataManager& m_mgr;
};

// Solution 10 with S(F, L) = F + iL over F = 1 2 3 (minor) and L = 1 2 (major points).
class RoadTest : public reptest::EngineFixture {
protected:
  RoadTest() : m_cache(&m_solutions) {
    m_owner.SetSimValueCache(&m_cache);
    m_owner.SetOutputVariableMgr(&m_user);
    refhost::ReferenceSolution& s = *m_solutions.FindSolution(10);
    s.AddSupportedReportType(1);
    f = s.AddVariable(L"F", Value(1.0, Units::kNoUnit), false);
    l = s.AddVariable(L"L", Value(1.0, Units::kNoUnit), true);
    s.AddQuantity(L"S", ValueState(2, 15, 1), [this](const VariableValues& at) {
      return AComplex<double>(at.GetVariableValue(f)->GetValue(), at.GetVariableValue(l)->GetValue());
    });
    s.AddSweep(f, {1, 2, 3});
    s.AddSweep(l, {1, 2});
    for (double lv : {1.0, 2.0}) {
      VariableValues p;
      p.SetVariableValue(l, Value(lv, Units::kNoUnit));
      s.AddInstance(p);
    }
    for (const wchar_t* name : {L"F", L"L"})
      m_defs.PushBackAndOwn(s.GetSweepOfVariable(name, SimValueContext(), 1)->CreateDefaultSubsweepDefParams());
    rep::PointsetDefinition pointset(m_defs, {});
    rep::TraceDefinition trace(Mgr(), std::vector<AString>{L"F", L"mag(S)*L"}, Dsd(), pointset, ExtTraceInfo(), 1,
                               nullptr);
    long reportID = AddReport(L"R", {&trace});
    std::vector<long> ids;
    Report(reportID).GetTraceIDs(ids);
    m_traceID = ids.at(0);
    m_data = std::make_unique<FakeTraceData>(m_traceID, *Mgr().GetDataManager());
  }
  static DesignSolutionDefinition Dsd() { return DesignSolutionDefinition(100, 10, ReportTypeSolutionDefinition(1)); }

  // What the trace data does before an update: the mediator, the connectivity and the object.
  rep::CentUpdTraceDefObject* MakeObject() {
    auto* subsweeps = new rep::SubsweepsAdapter(m_defs, Dsd(), 1, &m_solutions, {});
    VariableValues design;
    m_solutions.GetSolutionVariation(design, 10, 1, ReportTypeSolutionDefinition(1));
    auto* mediator = new rep::SweepsVariableInfoMediator2(subsweeps, ReportTypeSolutionDefinition(1),
                                                          m_solutions.FindSolution(10), design, false);
    if (!m_data->connectivity)
      m_data->connectivity.reset(
          VVConnectivityCreator2::CreateSPS2ConnectivityExcludingSpecialsAndPrimaryMinor(*mediator, &design));
    return new rep::CentUpdTraceDefObject(m_data.get(), mediator, subsweeps, {}, false);
  }
  void CheckColumnsAgainstTheModel() {
    ASSERT_EQ(6u, m_data->x.GetCount());
    ASSERT_EQ(2u, m_data->connectivity->GetFamilyCount());
    for (unsigned curve = 0; curve < 2; ++curve) {
      VariableValues family;
      m_data->connectivity->GetVariableValuesForCurve(family, curve);
      const double lv = family.GetVariableValue(l)->GetValue();
      EXPECT_EQ(curve + 1.0, lv) << "families in the order of L";
      for (unsigned k = 0; k < 3; ++k) {
        const size_t row = m_data->connectivity->GetFamilyOffset(curve) + k;
        EXPECT_DOUBLE_EQ(k + 1.0, m_data->x.GetValues()[row]);
        EXPECT_NEAR(std::hypot(k + 1.0, lv) * lv, m_data->y.GetValues()[row], 1e-12);
      }
    }
  }

  // Computed data of the fixture's trace, as its manager would make it: placeholder data.
  std::unique_ptr<rep::TraceData> MakeTraceData() {
    auto* td = dynamic_cast<rep::TraceDefinition*>(Mgr().GetTraceDefinition(m_traceID));
    auto data = std::make_unique<rep::TraceData>(*Mgr().GetDataManager(), m_traceID, td->GetVersionID(),
                                                 rep::GetVersionIDForPostprocessing(&m_solutions, Dsd()));
    data->InitializeData();
    return data;
  }
  static void ExpectPlaceholder(rep::TraceData& data) {
    EXPECT_FALSE(data.HasData());
    ASSERT_EQ(1u, data.GetNumCurves());
    ASSERT_EQ(2u, data.GetNumComponents());
    for (unsigned c = 0; c < 2; ++c) {
      ASSERT_EQ(1u, data.GetDataColumn(c)->GetCount());
      EXPECT_TRUE(data.GetDataColumn(c)->IsInvalidAt(0));
    }
  }
  static void ExpectTheModel(rep::TraceData& data) {
    ASSERT_TRUE(data.HasData());
    ASSERT_EQ(2u, data.GetNumCurves());
    for (unsigned curve = 0; curve < 2; ++curve) {
      ASSERT_EQ(3u, data.GetNumPointsInCurve(curve));
      for (unsigned k = 0; k < 3; ++k) {
        const size_t row = data.GetCurveOffset(curve) + k;
        const double lv = curve + 1.0, fv = k + 1.0;
        EXPECT_DOUBLE_EQ(fv, data.GetDataColumn(0)->GetDoubleColumn()->GetValues()[row]);
        EXPECT_NEAR(std::hypot(fv, lv) * lv, data.GetDataColumn(1)->GetDoubleColumn()->GetValues()[row], 1e-12);
      }
    }
  }
  void SetPushFailure(refhost::ReferenceSolutionInstance::PushFailure failure) {
    for (const auto& instance : m_solutions.FindSolution(10)->GetInstances()) instance->SetPushFailure(failure);
  }
  // Offered the next update (still needing one), which then brings the model's values.
  void ExpectTheNextUpdateToBringTheModel(rep::TraceData& data) {
    rep::CentUpdTraceDefObject* next = data.GetCentralizedUpdateObject(false);
    ASSERT_TRUE(next) << "the trace still needs an update";
    CentralizedUpdateUtility::UpdateObjects(nullptr, {next}, nullptr);
    ExpectTheModel(data);
    EXPECT_EQ(nullptr, data.GetCentralizedUpdateObject(false)) << "up to date";
  }

  rep::SimValueDataCache m_cache;
  rep::OutputVariableMgr m_user{&m_solutions};
  SubsweepDefParamsContainer m_defs;
  Variable *f, *l;
  long m_traceID = 0;
  std::unique_ptr<FakeTraceData> m_data;
};

TEST_F(RoadTest, LoadsWhatIsMissingThenServesFromTheCache) {
  std::vector<int> unitsAsked;
  CentralizedUpdateUtility::GetTestScript().record = [&](const ICentralizedUpdateObject*, const char* call, int n) {
    if (std::string(call) == "units") unitsAsked.push_back(n);
  };
  RecordingProgressMonitor monitor;
  VelDebug::SetDebugLevel(3);
  CentralizedUpdateUtility::UpdateObjects(nullptr, {MakeObject()}, &monitor);
  VelDebug::SetDebugLevel(0);
  auto logged = [](const AString& line) {
    const std::vector<AString>& lines = orvex::test::DebugLines();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  };
  const AString id = AString::Format(L"%d", m_traceID);
  EXPECT_TRUE(logged(L"CoreCentUpd: TraceData[" + id + L"] needs SolnID[10], VersID[1], instance [L=1]\n"));
  EXPECT_TRUE(logged(L"CoreCentUpd: TraceData[" + id +
                     L"] calling PopulateQuantityValues on instance SolnID[10], VersID[1], MajorVV [L=2] \n"));
  EXPECT_TRUE(logged(L"CoreCentUpd: Products calling SetQuantityValues for SolnID[10], VersID[1], MajorVV[L=2], "
                     L"MinorVVExclPrimary[]\n"));
  EXPECT_EQ(std::vector<int>({2}), unitsAsked) << "one unit per major point";
  EXPECT_FALSE(m_data->needsUpdate);
  CheckColumnsAgainstTheModel();

  CentralizedUpdateUtility::UpdateObjects(nullptr, {MakeObject()}, &monitor);
  EXPECT_EQ(std::vector<int>({2, 0}), unitsAsked) << "the second update loads nothing";
  EXPECT_FALSE(m_data->needsUpdate);
  CheckColumnsAgainstTheModel();
}

TEST_F(RoadTest, AbandonedOrFailedRunsLeaveTheTraceNeedingAnUpdate) {
  RecordingProgressMonitor abandon(0);
  CentralizedUpdateUtility::UpdateObjects(nullptr, {MakeObject()}, &abandon);
  EXPECT_TRUE(m_data->needsUpdate);
  EXPECT_EQ(1, m_data->populations);

  m_data->connectivity.reset();
  std::vector<ISolutionInstanceForReports*> instances;
  refhost::ReferenceSolution& s = *m_solutions.FindSolution(10);
  rep::CentUpdTraceDefObject* object = MakeObject();
  s.GetSolutionInstances(instances, *object->GetSweepsMediator()->GetLoadDefinition(), 1);
  for (ISolutionInstanceForReports* i : instances)
    static_cast<refhost::ReferenceSolutionInstance*>(i)->SetPushFailure(
        refhost::ReferenceSolutionInstance::PushFailure::kAnswerFalse);
  CentralizedUpdateUtility::UpdateObjects(nullptr, {object}, nullptr);
  EXPECT_SOFT_ASSERT("ret_val");
  EXPECT_SOFT_ASSERT("ret_val");
  EXPECT_TRUE(m_data->needsUpdate) << "a failed push is never up to date with values missing";
}

TEST_F(RoadTest, AThrowingProductLeavesThePlaceholderToTheNextUpdate) {
  std::unique_ptr<rep::TraceData> data = MakeTraceData();
  SetPushFailure(refhost::ReferenceSolutionInstance::PushFailure::kThrow);
  EXPECT_THROW(CentralizedUpdateUtility::UpdateObjects(nullptr, {data->GetCentralizedUpdateObject(false)}, nullptr),
               std::runtime_error);
  ExpectPlaceholder(*data);
  SetPushFailure(refhost::ReferenceSolutionInstance::PushFailure::kNone);
  ExpectTheNextUpdateToBringTheModel(*data);
}

TEST_F(RoadTest, AThrowingMonitorLeavesThePlaceholderToTheNextUpdate) {
  // Values in the cache first, so that every run below polls alike.
  ExpectTheNextUpdateToBringTheModel(*MakeTraceData());
  reptest::ThrowingMonitor counting;
  std::unique_ptr<rep::TraceData> counted = MakeTraceData();
  CentralizedUpdateUtility::UpdateObjects(nullptr, {counted->GetCentralizedUpdateObject(false)}, &counting);
  ExpectTheModel(*counted);
  EXPECT_EQ(std::vector<AString>({L"Populating trace data"}), counting.GetMessages());
  EXPECT_GT(counting.GetTicks(), 0) << "the population ticks";
  const int polls = counting.Polls();
  ASSERT_GE(polls, 3);
  const int ticks = counting.GetTicks();
  struct Case {
    const char* what;
    reptest::ThrowAt at;
  };
  const Case cases[] = {
      {"the first poll, before population", {0, -1, false}},
      {"a poll during population", {polls / 2, -1, false}},
      {"the last poll, population done", {polls - 1, -1, false}},
      {"the last tick", {-1, ticks - 1, false}},
      {"the message of population", {-1, -1, true}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::unique_ptr<rep::TraceData> data = MakeTraceData();
    reptest::ThrowingMonitor monitor(c.at);
    EXPECT_THROW(CentralizedUpdateUtility::UpdateObjects(nullptr, {data->GetCentralizedUpdateObject(false)}, &monitor),
                 std::runtime_error);
    ExpectPlaceholder(*data);
    ExpectTheNextUpdateToBringTheModel(*data);
  }
}

TEST_F(RoadTest, AUnitDeliveredTwiceOrAskedForTwiceIsLoadedOnce) {
  rep::CentUpdTraceDefObject* object = MakeObject();
  std::vector<CentralizedLoadUnitInfo> first, second;
  object->GetNeededLoadUnits(first);
  object->GetNeededLoadUnits(second);
  ASSERT_EQ(2u, first.size());
  ASSERT_EQ(first.size(), second.size());
  for (size_t i = 0; i < first.size(); ++i) EXPECT_TRUE(first[i].IsSameUnitAs(second[i]));
  CentralizedUpdateUtility::GetTestScript().deliverTwice = 0;
  CentralizedUpdateUtility::UpdateObjects(nullptr, {object}, nullptr);
  for (const auto& instance : m_solutions.FindSolution(10)->GetInstances())
    EXPECT_EQ(1, instance->GetNumPopulateCalls()) << "each point pushed once";
  EXPECT_FALSE(m_data->needsUpdate);
  CheckColumnsAgainstTheModel();
}

TEST_F(RoadTest, AnObjectThatCannotAskForItsUnitsLeavesTheTraceNeedingAnUpdate) {
  CentralizedUpdateUtility::UpdateObjects(nullptr, {MakeObject()}, nullptr);
  ASSERT_FALSE(m_data->needsUpdate);
  // Without a mediator or subsweeps (taken over by the object) there is nothing to ask for.
  CentralizedUpdateUtility::UpdateObjects(nullptr, {new rep::CentUpdTraceDefObject(m_data.get(), nullptr, nullptr, {}, false)},
                                          nullptr);
  EXPECT_SOFT_ASSERT("mSweepsMediator");
  EXPECT_TRUE(m_data->needsUpdate);
}

TEST_F(RoadTest, ComputedTraceDataFromPlaceholderToTheModelAndBackFromTheCache) {
  auto* td = dynamic_cast<rep::TraceDefinition*>(Mgr().GetTraceDefinition(m_traceID));
  ASSERT_TRUE(td);
  rep::TraceData data(*Mgr().GetDataManager(), m_traceID, td->GetVersionID(),
                      rep::GetVersionIDForPostprocessing(&m_solutions, Dsd()));
  data.InitializeData();
  EXPECT_FALSE(data.HasData());
  EXPECT_EQ(1u, data.GetNumCurves());
  EXPECT_EQ(1u, data.GetNumPointsInCurve(0));
  ASSERT_EQ(2u, data.GetNumComponents());
  EXPECT_EQ(1u, data.GetDataColumn(0)->GetCount()) << "placeholder: one invalid point";
  EXPECT_TRUE(data.GetDataColumn(0)->IsInvalidAt(0));

  RecordingProgressMonitor monitor;
  rep::CentUpdTraceDefObject* object = data.GetCentralizedUpdateObject(false);
  ASSERT_TRUE(object);
  CentralizedUpdateUtility::UpdateObjects(nullptr, {object}, &monitor);
  EXPECT_EQ(std::vector<AString>({L"Populating trace data"}), monitor.GetMessages());
  ASSERT_TRUE(data.HasData());
  EXPECT_FALSE(data.IsOutOfDate());
  ASSERT_EQ(2u, data.GetNumCurves());
  EXPECT_EQ(AString(L"L=1"), data.GetCurveVariationKey(0, false));
  EXPECT_EQ(AString(L"L=2"), data.GetCurveVariationKey(1, false));
  EXPECT_EQ(AString(L"F"), data.GetPrimarySweepName());
  EXPECT_EQ(data.GetDataColumn(0), data.GetPrimarySweepColumn()) << "the primary sweep is a component";
  for (unsigned curve = 0; curve < 2; ++curve)
    for (unsigned k = 0; k < 3; ++k) {
      const size_t row = data.GetCurveOffset(curve) + k;
      const double lv = curve + 1.0, fv = k + 1.0;
      EXPECT_DOUBLE_EQ(fv, data.GetDataColumn(0)->GetDoubleColumn()->GetValues()[row]);
      EXPECT_NEAR(std::hypot(fv, lv) * lv, data.GetDataColumn(1)->GetDoubleColumn()->GetValues()[row], 1e-12);
    }
  EXPECT_EQ(nullptr, data.GetCentralizedUpdateObject(false)) << "up to date: no update object";

  std::vector<int> unitsAsked;
  CentralizedUpdateUtility::GetTestScript().record = [&](const ICentralizedUpdateObject*, const char* call, int n) {
    if (std::string(call) == "units") unitsAsked.push_back(n);
  };
  data.SetNeedsUpdate(true);
  CentralizedUpdateUtility::UpdateObjects(nullptr, {data.GetCentralizedUpdateObject(false)}, nullptr);
  EXPECT_EQ(std::vector<int>({0}), unitsAsked) << "served from the cache";
  EXPECT_EQ(6u, data.GetDataColumn(1)->GetCount());
  EXPECT_EQ(2u, data.GetNumCurves());
}

// A trace is cut to one point per curve only when no component changes along the primary sweep: a
// component that uses F outside a reducing function runs over the whole of F, one that uses it
// only inside one (max(F)) is a number per curve. The placeholder names the same primary sweep as
// the populated data.
TEST_F(RoadTest, FormulasOfTheSweepsReduceOnlyWithoutThePrimary) {
  struct Case {
    const wchar_t* y;
    const wchar_t* primary;
    std::vector<double> values, primaries;  // curve after curve
  };
  const double s1 = std::sin(1.0), s2 = std::sin(2.0), s3 = std::sin(3.0);
  const double m1 = std::hypot(3, 1), m2 = std::hypot(3, 2);
  const Case cases[] = {
      {L"F*2", L"F", {2, 4, 6, 2, 4, 6}, {1, 2, 3, 1, 2, 3}},
      {L"sin(F)+L", L"F", {s1 + 1, s2 + 1, s3 + 1, s1 + 2, s2 + 2, s3 + 2}, {1, 2, 3, 1, 2, 3}},
      {L"L", L"L", {1, 2}, {1, 2}},
      {L"L*3+1", L"L", {4, 7}, {1, 2}},
      {L"max(mag(S))*L", L"L", {std::hypot(3, 1), std::hypot(3, 2) * 2}, {1, 2}},
      {L"max(F)", L"L", {3, 3}, {1, 2}},
      {L"max(F)*L", L"L", {3, 6}, {1, 2}},
      {L"max(F)+F", L"F", {4, 5, 6, 4, 5, 6}, {1, 2, 3, 1, 2, 3}},
      {L"max(mag(S))*F", L"F", {m1, 2 * m1, 3 * m1, m2, 2 * m2, 3 * m2}, {1, 2, 3, 1, 2, 3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(AString(c.y).ToUtf8());
    rep::TraceDefinition trace(Mgr(), std::vector<AString>{c.y}, Dsd(), rep::PointsetDefinition(m_defs, {}),
                               ExtTraceInfo(), 1, nullptr);
    std::vector<long> ids;
    Report(AddReport(c.y, {&trace})).GetTraceIDs(ids);
    const long id = ids.at(0);
    auto* td = dynamic_cast<rep::TraceDefinition*>(Mgr().GetTraceDefinition(id));
    ASSERT_TRUE(td);
    rep::TraceData data(*Mgr().GetDataManager(), id, td->GetVersionID(),
                        rep::GetVersionIDForPostprocessing(&m_solutions, Dsd()));
    data.InitializeData();
    EXPECT_EQ(AString(c.primary), data.GetPrimarySweepName()) << "placeholder";
    EXPECT_TRUE(data.GetPrimarySweepColumn() && data.GetPrimarySweepColumn()->GetCount() == 1);

    CentralizedUpdateUtility::UpdateObjects(nullptr, {data.GetCentralizedUpdateObject(false)}, nullptr);
    EXPECT_EQ(AString(c.primary), data.GetPrimarySweepName());
    EXPECT_TRUE(data.GetPrimarySweepColumn());
    if (!data.GetPrimarySweepColumn()) continue;
    std::vector<double> values, primaries;
    for (unsigned curve = 0; curve < data.GetNumCurves(); ++curve)
      for (unsigned k = 0; k < data.GetNumPointsInCurve(curve); ++k) {
        const size_t row = data.GetCurveOffset(curve) + k;
        values.push_back(data.GetDataColumn(0)->GetDoubleColumn()->GetValues().at(row));
        primaries.push_back(data.GetPrimarySweepColumn()->GetDoubleColumn()->GetValues().at(row));
      }
    EXPECT_EQ(c.primaries, primaries);
    EXPECT_EQ(c.values.size(), values.size());
    for (size_t i = 0; i < values.size() && i < c.values.size(); ++i)
      EXPECT_NEAR(c.values[i], values[i], 1e-12) << "at " << i;
  }
}

TEST_F(RoadTest, ReportDataManagerHandsOutDataAndUpdateObjects) {
  rep::ReportDataManager& dm = *Mgr().GetDataManager();
  long reportID = Mgr().GetReportIDOfTrace(m_traceID);
  rep::ITraceData* placeholder = dm.GetITraceData(m_traceID);
  ASSERT_TRUE(placeholder);
  EXPECT_EQ(placeholder, dm.GetITraceData(m_traceID)) << "created once";
  EXPECT_EQ(1u, placeholder->GetNumCurves());
  EXPECT_EQ(1u, placeholder->GetDataColumn(1)->GetCount());

  std::vector<ICentralizedUpdateObject*> objects;
  dm.GetCentralizedUpdateObjects(objects, 424242);
  EXPECT_TRUE(objects.empty()) << "no such report";
  dm.GetCentralizedUpdateObjectsOnNewSolution(objects, 999, 10, ReportTypeSolutionDefinition(1), nullptr, 1, 0, 0, {},
                                              false);
  EXPECT_TRUE(objects.empty()) << "a design no trace uses";
  EXPECT_TRUE(dm.HasTraceData(m_traceID));

  dm.GetCentralizedUpdateObjects(objects, reportID);
  ASSERT_EQ(1u, objects.size());
  CentralizedUpdateUtility::UpdateObjects(nullptr, objects, nullptr);
  rep::ITraceData* data = dm.GetITraceData(m_traceID);
  ASSERT_EQ(2u, data->GetNumCurves());
  EXPECT_EQ(6u, data->GetDataColumn(1)->GetCount());

  objects.clear();
  dm.GetCentralizedUpdateObjects(objects, reportID);
  EXPECT_TRUE(objects.empty()) << "up to date";
  dm.SetNeedsUpdateForSolution(100, 10);
  dm.GetCentralizedUpdateObjects(objects, reportID);
  ASSERT_EQ(1u, objects.size());
  dm.DeleteTraceData(m_traceID);  // while its update object is out
  EXPECT_SOFT_ASSERT("mDebugCentUpdObject==0");
  CentralizedUpdateUtility::UpdateObjects(nullptr, objects, nullptr);
  EXPECT_FALSE(dm.HasTraceData(m_traceID));

  objects.clear();
  dm.GetCentralizedUpdateObjects(objects, reportID);  // fresh data and its object, never run
  EXPECT_EQ(1u, objects.size());
  m_mgr.reset();  // the manager goes with its data; the object then only deletes itself
  EXPECT_SOFT_ASSERT("mDebugCentUpdObject==0");
  CentralizedUpdateUtility::UpdateObjects(nullptr, objects, nullptr);
}

// The host hands the command to the manager once it is done, undone or redone; by then every
// trace shown has data again, the touched ones included.
TEST_F(RoadTest, CommandsDropTheDataOfTheTracesTheyTouch) {
  rep::ReportDataManager& dm = *Mgr().GetDataManager();
  rep::IBaseTraceDefinition* model = Mgr().GetTraceDefinition(m_traceID);
  enum Touch { kNothing, kNewTrace, kEditedTrace, kEditedAndUpdated, kDeletedTrace, kOneReport, kTwoReports };
  struct Case {
    Touch touch;
    bool dropsDoing, dropsUndoing, dropsRedoing;
    const char* what;
  };
  const Case cases[] = {
      {kNothing, false, false, false, "a renamed report"},
      {kNewTrace, false, true, false, "a new trace"},
      {kEditedTrace, false, true, true, "an edited trace"},
      {kEditedAndUpdated, false, false, false, "an edited trace the command has updated"},
      {kDeletedTrace, true, false, true, "a deleted trace"},
      {kOneReport, true, false, true, "a deleted report"},
      {kTwoReports, true, false, true, "two deleted reports"},
  };
  auto traceIDs = [&](long reportID) {
    std::vector<long> ids;
    Report(reportID).GetTraceIDs(ids);
    return ids;
  };
  auto showEveryTrace = [&] {
    std::vector<long> reports;
    Mgr().GetReportIDs(reports);
    for (long reportID : reports)
      for (long id : traceIDs(reportID)) EXPECT_TRUE(dm.GetITraceData(id));
  };
  for (const Case& c : cases) {
    for (VelmorCommand::State state : {VelmorCommand::kDoing, VelmorCommand::kUndoing, VelmorCommand::kRedoing}) {
      SCOPED_TRACE(std::string(c.what) + (state == VelmorCommand::kDoing     ? ", doing"
                                          : state == VelmorCommand::kUndoing ? ", undoing"
                                                                             : ", redoing"));
      const long a = AddReport(L"A", {model, model});
      const long b = AddReport(L"B", {model});
      const std::vector<long> inA = traceIDs(a), inB = traceIDs(b);
      std::vector<long> touched;
      VelmorCommand cmd;
      switch (c.touch) {
        case kNothing:
          EXPECT_TRUE(Mgr().RenameReport(L"S", a, &cmd));
          break;
        case kNewTrace:
          EXPECT_TRUE(Mgr().AddTraceDefinition(touched, {model}, a, &cmd));
          break;
        case kEditedTrace:
        case kEditedAndUpdated:
          EXPECT_TRUE(Mgr().RenameTraceDefinition(L"Edited", inA[0], &cmd));
          if (c.touch == kEditedAndUpdated) {
            EXPECT_TRUE(rep::MarkTracesUpdatedInCommand(&cmd, &m_owner));
          }
          touched = {inA[0]};
          break;
        case kDeletedTrace:
          EXPECT_TRUE(Mgr().DeleteTraceDefinition(inA[0], &cmd));
          touched = {inA[0]};
          break;
        case kOneReport:
          EXPECT_TRUE(Mgr().DeleteReportDefinitions({b}, &cmd));
          touched = inB;
          break;
        case kTwoReports:
          EXPECT_TRUE(Mgr().DeleteReportDefinitions({a, b}, &cmd));
          touched = inA;
          touched.insert(touched.end(), inB.begin(), inB.end());
          break;
      }
      cmd.EndDo();
      showEveryTrace();
      // Being done, the command dropped the data of what it deleted at once: shown again between an
      // undo and a redo, that has data when the slot runs for the command being done too.
      cmd.Undo();
      showEveryTrace();
      if (state != VelmorCommand::kUndoing) {
        cmd.Redo();
        showEveryTrace();
      }
      const bool drops = state == VelmorCommand::kDoing     ? c.dropsDoing
                         : state == VelmorCommand::kUndoing ? c.dropsUndoing
                                                            : c.dropsRedoing;
      for (long id : touched) EXPECT_TRUE(dm.HasTraceData(id)) << "trace " << id << " before the slot";
      const VelmorCommand::State after = cmd.GetState();
      cmd.SetState(state);
      EXPECT_EQ(drops, Mgr().UpdateTraceDataOnCommand(&cmd));
      cmd.SetState(after);
      for (long id : touched) EXPECT_EQ(!drops, dm.HasTraceData(id)) << "trace " << id;
      EXPECT_TRUE(dm.HasTraceData(m_traceID)) << "a trace the command did not touch";
      for (long id : touched) dm.DeleteTraceData(id);
      Mgr().DeleteReportDefinitionsWithoutUndo({a, b});
    }
  }
}

// Runs the update of the report's traces, answering whether any trace needed one.
bool NeedsUpdate(rep::ReportDataManager& dm, long reportID) {
  std::vector<ICentralizedUpdateObject*> objects;
  dm.GetCentralizedUpdateObjects(objects, reportID);
  const bool needs = !objects.empty();
  CentralizedUpdateUtility::UpdateObjects(nullptr, objects, nullptr);
  return needs;
}

TEST_F(RoadTest, MarkingByReportTypeAndSolutionDefinitionMatchesOnlyTheDataVersionAndIDs) {
  rep::ReportDataManager& dm = *Mgr().GetDataManager();
  const long reportID = Mgr().GetReportIDOfTrace(m_traceID);
  const long version = rep::GetVersionIDForPostprocessing(&m_solutions, Dsd());
  ASSERT_TRUE(dm.GetITraceData(m_traceID));
  ASSERT_TRUE(NeedsUpdate(dm, reportID));
  ASSERT_FALSE(NeedsUpdate(dm, reportID));
  struct Case {
    const char* what;
    long design, solution, version;
    int reportType;
    bool marks;
  };
  const Case cases[] = {
      {"all given match", 100, 10, version, 1, true},
      {"another design", 101, 10, version, 1, false},
      {"a solution the manager does not hold", 100, 11, version, 1, false},
      {"another data version", 100, 10, version + 1, 1, false},
      {"another report type", 100, 10, version, 2, false},
  };
  for (const Case& c : cases) {
    dm.SetNeedsUpdateForReportType(c.design, c.solution, c.version, c.reportType);
    EXPECT_EQ(c.marks, NeedsUpdate(dm, reportID)) << "by report type: " << c.what;
    dm.SetNeedsUpdateForReportTypeSolution(c.design, c.solution, c.version, ReportTypeSolutionDefinition(c.reportType));
    EXPECT_EQ(c.marks, NeedsUpdate(dm, reportID)) << "by report-type solution definition: " << c.what;
  }
  EXPECT_TRUE(dm.HasTraceData(m_traceID)) << "marking deletes nothing";
}

TEST_F(RoadTest, NewSolutionDropsStaleDataAndHandsOutAFreshObject) {
  rep::ReportDataManager& dm = *Mgr().GetDataManager();
  const long reportID = Mgr().GetReportIDOfTrace(m_traceID);
  const long version = rep::GetVersionIDForPostprocessing(&m_solutions, Dsd());
  ASSERT_TRUE(dm.GetITraceData(m_traceID));
  ASSERT_TRUE(NeedsUpdate(dm, reportID));
  VariableValues major;
  major.SetVariableValue(l, Value(2.0, Units::kNoUnit));

  std::vector<ICentralizedUpdateObject*> objects;
  dm.GetCentralizedUpdateObjectsOnNewSolution(objects, 100, 10, ReportTypeSolutionDefinition(1), &major, version + 1,
                                              0, 0, {}, false);
  EXPECT_TRUE(dm.HasTraceData(m_traceID)) << "data of another version is kept";
  EXPECT_TRUE(objects.empty()) << "and up to date";
  CentralizedUpdateUtility::UpdateObjects(nullptr, objects, nullptr);

  objects.clear();
  dm.GetCentralizedUpdateObjectsOnNewSolution(objects, 100, 10, ReportTypeSolutionDefinition(1), &major, version, 0,
                                              0, {L"S"}, false);
  EXPECT_TRUE(dm.HasTraceData(m_traceID)) << "every given name is one the trace already reads";
  CentralizedUpdateUtility::UpdateObjects(nullptr, objects, nullptr);

  objects.clear();
  VelDebug::SetDebugLevel(1);
  dm.GetCentralizedUpdateObjectsOnNewSolution(objects, 100, 10, ReportTypeSolutionDefinition(1), &major, version, 0,
                                              0, {}, false);
  VelDebug::SetDebugLevel(0);
  const std::wstring v = std::to_wstring(version);
  std::vector<AString> lines;
  for (const AString& line : orvex::test::DebugLines())
    if (line.rfind(L"CoreCentUpd: Products", 0) == 0 || line.rfind(L"CoreCentUpd: Info", 0) == 0) lines.push_back(line);
  EXPECT_EQ(std::vector<AString>({AString(L"CoreCentUpd: Products calling OnNewSolution for DesignID[100], SolID[10], "
                                          L"VersID[" + v + L"], MajorVV[L=2] \n"),
                                  AString(L"CoreCentUpd: Info from Product: for DesignID[100], SolnID[10], VersID[" + v +
                                          L"]...")}),
            lines);
  ASSERT_EQ(1u, objects.size());
  EXPECT_FALSE(dm.GetITraceData(m_traceID)->HasData()) << "stale data replaced by fresh data";
  CentralizedUpdateUtility::UpdateObjects(nullptr, objects, nullptr);
  rep::ITraceData* fresh = dm.GetITraceData(m_traceID);
  ASSERT_TRUE(fresh);
  EXPECT_EQ(2u, fresh->GetNumCurves()) << "the fresh data is populated by its object";
}

}  // namespace
