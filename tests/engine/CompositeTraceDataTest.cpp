#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "update/CentUpdTraceDefObject.h"
#include "tracedata/CompositeTraceData.h"
#include "tracedata/ComputedTraceDataSupport.h"
#include "quantities/SimValueInfoServer.h"
#include "quantities/VersionedQuantityParser.h"
#include "EngineFixture.h"
#include "Gravik/ICompositeTraceComponentData.h"
#include "reports/GravikUtils.h"
#include "reports/ImportedTraceDefinition.h"
#include "quantities/OutputVariableMgr.h"
#include "tracedata/ReportDataManager.h"
#include "quantities/SimValueDataCache.h"
#include "tracedata/TraceComponentData.h"
#include "tracedata/TraceData.h"
#include "orvex/centupd/CentralizedUpdateUtility.h"
#include "orvex/centupd/RecordingProgressMonitor.h"
#include "orvex/core/VelmorCommand.h"
#include "orvex/io/Block.h"
#include "refhost/RecordingPasteListener.h"
#include "postorvex/columns/Column.h"
#include "postorvex/columns/DoubleColumn.h"
#include "postorvex/columns/EnumColumn.h"
#include "postorvex/sweeps/SubsweepDefParamsContainer.h"
#include "postorvex/sweeps/SweepBase.h"
#include "postorvex/variation/VariableValuesDefParams.h"

namespace {

// The tree as text: expression, composite type and children of nodes; expression, parameter type
// and number of values of leaves.
std::string Shape(const IBaseTraceComponentData* node) {
  if (!node) return "null";
  if (auto* leaf = dynamic_cast<const ITraceComponentData*>(node)) {
    const Column* c = leaf->GetDataColumn();
    return leaf->GetExpression().ToUtf8() + ":" +
           (c ? std::to_string(c->GetParameterType()) + "/" + std::to_string(c->GetCount()) : "none");
  }
  auto* composite = dynamic_cast<const ICompositeTraceComponentData*>(node);
  std::string out = composite->GetExpression().ToUtf8() + "#" + std::to_string(composite->GetCompositeType()) + "(";
  for (unsigned i = 0; i < composite->GetNumChildren(); ++i) out += (i ? "," : "") + Shape(composite->GetChild(i));
  return out + ")";
}

std::string Shape(ICompositeTraceData& data) {
  std::string out;
  for (unsigned i = 0; i < data.GetNumComponents(); ++i) out += (i ? " " : "") + Shape(data.GetComponent(i));
  return out;
}

// Leaves depth first, children in index order.
void Leaves(const IBaseTraceComponentData* node, std::vector<const ITraceComponentData*>& out) {
  if (auto* leaf = dynamic_cast<const ITraceComponentData*>(node)) {
    out.push_back(leaf);
    return;
  }
  if (auto* composite = dynamic_cast<const ICompositeTraceComponentData*>(node))
    for (unsigned i = 0; i < composite->GetNumChildren(); ++i) Leaves(composite->GetChild(i), out);
}

std::vector<const ITraceComponentData*> Leaves(ICompositeTraceData& data) {
  std::vector<const ITraceComponentData*> out;
  for (unsigned i = 0; i < data.GetNumComponents(); ++i) Leaves(data.GetComponent(i), out);
  return out;
}

bool HoldsOnePlaceholder(const Column* column) { return column && column->GetCount() == 1 && column->IsInvalidAt(0); }

// Solution 10 over F = 1 2 3 (minor) and L = 1 2 (major): plain A = F + 10L, Bx = F*L, By = F-L,
// the composites B = {Bx, By} and C = {A, B}; an enumeration Mode inside E = {Mode, A}.
class CompositeTraceDataTest : public reptest::EngineFixture {
protected:
  CompositeTraceDataTest() : m_cache(&m_solutions) {
    m_owner.SetSimValueCache(&m_cache);
    m_owner.SetOutputVariableMgr(&m_user);
    refhost::ReferenceSolution& s = Solution();
    s.AddSupportedReportType(1);
    f = s.AddVariable(L"F", Value(1.0, Units::kNoUnit), false);
    l = s.AddVariable(L"L", Value(1.0, Units::kNoUnit), true);
    s.AddQuantity(L"A", ValueState(1, 15, 1), Model([](double fv, double lv) { return fv + 10 * lv; }));
    s.AddQuantity(L"Bx", ValueState(1, 15, 1), Model([](double fv, double lv) { return fv * lv; }));
    s.AddQuantity(L"By", ValueState(1, 15, 1), Model([](double fv, double lv) { return fv - lv; }));
    s.AddEnumQuantity(L"Mode", ValueState(15, 15, 1), L"ModeType", Model([](double, double) { return 1.0; }));
    s.AddCompositeQuantity(L"B", 2, {L"Bx", L"By"});
    s.AddCompositeQuantity(L"C", 7, {L"A", L"B"});
    s.AddCompositeQuantity(L"E", 3, {L"Mode", L"A"});
    s.SetDescribesQuantitiesByTypeParams(true);
    s.AddSweep(f, {1, 2, 3});
    s.AddSweep(l, {1, 2});
    for (double lv : {1.0, 2.0}) {
      VariableValues p;
      p.SetVariableValue(l, Value(lv, Units::kNoUnit));
      s.AddInstance(p);
    }
    for (const wchar_t* name : {L"F", L"L"})
      m_defs.PushBackAndOwn(s.GetSweepOfVariable(name, SimValueContext(), 1)->CreateDefaultSubsweepDefParams());
  }

  refhost::ReferenceSolution& Solution() { return *m_solutions.FindSolution(10); }
  refhost::ReferenceQuantity::Function Model(std::function<double(double, double)> fn) {
    return [this, fn](const VariableValues& at) {
      return AComplex<double>(fn(at.GetVariableValue(f)->GetValue(), at.GetVariableValue(l)->GetValue()), 0);
    };
  }
  static DesignSolutionDefinition Dsd() { return DesignSolutionDefinition(100, 10, ReportTypeSolutionDefinition(1)); }

  // A report holding one trace per expression list; answers the trace IDs in order.
  std::vector<long> AddTraces(const std::vector<std::vector<AString>>& traces,
                              const std::vector<VariableValuesDefParams>& families = {}, bool withSubsweeps = true,
                              const SubsweepDefParamsContainer* defs = nullptr) {
    rep::PointsetDefinition pointset(withSubsweeps ? (defs ? *defs : m_defs) : SubsweepDefParamsContainer(), families);
    std::vector<std::unique_ptr<rep::TraceDefinition>> owned;
    std::vector<rep::IBaseTraceDefinition*> given;
    for (const std::vector<AString>& expressions : traces) {
      owned.push_back(std::make_unique<rep::TraceDefinition>(Mgr(), expressions, Dsd(), pointset, ExtTraceInfo(), 1,
                                                             nullptr));
      given.push_back(owned.back().get());
    }
    m_reportID = AddReport(L"R", given);
    std::vector<long> ids;
    Report(m_reportID).GetTraceIDs(ids);
    return ids;
  }
  rep::ReportDataManager& DataManager() { return *Mgr().GetDataManager(); }
  rep::CompositeTraceData* Composite(long traceID) {
    return dynamic_cast<rep::CompositeTraceData*>(DataManager().GetIAbstractTraceData(traceID));
  }
  // Runs the update of the report's traces; answers how many objects were handed out.
  size_t Update() {
    std::vector<ICentralizedUpdateObject*> objects;
    DataManager().GetCentralizedUpdateObjects(objects, m_reportID);
    CentralizedUpdateUtility::UpdateObjects(nullptr, objects, nullptr);
    return objects.size();
  }
  static const DoubleColumn& Doubles(const Column* c) { return *c->GetDoubleColumn(); }

  rep::SimValueDataCache m_cache;
  rep::OutputVariableMgr m_user{&m_solutions};
  SubsweepDefParamsContainer m_defs;
  Variable *f = nullptr, *l = nullptr;
  long m_reportID = 0;
};

TEST_F(CompositeTraceDataTest, TreesFollowNestedCompositeAndEnumerationQuantities) {
  const std::vector<long> ids = AddTraces({{L"C", L"E", L"F"}, {L"C"}, {L"A"}});
  EXPECT_EQ(nullptr, DataManager().GetITraceData(ids[0])) << "composite data has no plain face";
  rep::CompositeTraceData* data = Composite(ids[0]);
  ASSERT_NE(nullptr, data);
  EXPECT_EQ(data, Composite(ids[0])) << "created once";
  EXPECT_EQ("C#7(A:1/1,B#2(Bx:1/1,By:1/1)) E#3(Mode:15/1,A:1/1) F:1/1", Shape(*data));
  for (const ITraceComponentData* leaf : Leaves(*data))
    EXPECT_TRUE(HoldsOnePlaceholder(leaf->GetDataColumn())) << leaf->GetExpression().ToUtf8();
  AString enumName;
  auto* mode = dynamic_cast<const rep::TraceComponentData*>(Leaves(*data)[3]);
  ASSERT_NE(nullptr, mode);
  EXPECT_TRUE(mode->GetEnumName(enumName));
  EXPECT_EQ(AString(L"ModeType"), enumName);

  EXPECT_FALSE(data->HasData());
  EXPECT_FALSE(data->IsOutOfDate());
  EXPECT_EQ(1u, data->GetNumCurves());
  EXPECT_EQ(1u, data->GetNumPointsInCurve(0));
  EXPECT_EQ(0u, data->GetCurveOffset(0));
  EXPECT_EQ(AString(), data->GetCurveVariationKey(0, false));
  EXPECT_EQ(nullptr, data->GetComponent(3));
  EXPECT_EQ(AString(L"F"), data->GetPrimarySweepName());
  EXPECT_EQ(Leaves(*data)[5]->GetDataColumn(), data->GetPrimarySweepColumn()) << "the sweep is a component";

  rep::CompositeTraceData* alone = Composite(ids[1]);
  ASSERT_NE(nullptr, alone);
  EXPECT_EQ("C#7(A:1/1,B#2(Bx:1/1,By:1/1))", Shape(*alone));
  EXPECT_TRUE(HoldsOnePlaceholder(alone->GetPrimarySweepColumn())) << "the sweep's own column";

  EXPECT_NE(nullptr, DataManager().GetITraceData(ids[2])) << "a plain quantity alone makes plain data";
}

TEST_F(CompositeTraceDataTest, CompositeAndPlainTracesOverTheSameSweepsHaveTheSameCurvesAndPoints) {
  const std::vector<long> ids = AddTraces({{L"C"}, {L"A", L"Bx", L"By"}});
  rep::CompositeTraceData* composite = Composite(ids[0]);
  ASSERT_NE(nullptr, composite);
  ASSERT_NE(nullptr, DataManager().GetITraceData(ids[1]));
  RecordingProgressMonitor monitor;
  std::vector<ICentralizedUpdateObject*> objects;
  DataManager().GetCentralizedUpdateObjects(objects, m_reportID);
  ASSERT_EQ(2u, objects.size()) << "one object per trace";
  CentralizedUpdateUtility::UpdateObjects(nullptr, objects, &monitor);

  composite = Composite(ids[0]);
  rep::ITraceData* plain = DataManager().GetITraceData(ids[1]);
  ASSERT_TRUE(composite->HasData());
  EXPECT_FALSE(composite->IsOutOfDate());
  EXPECT_EQ("C#7(A:1/6,B#2(Bx:1/6,By:1/6))", Shape(*composite));
  ASSERT_EQ(plain->GetNumCurves(), composite->GetNumCurves());
  ASSERT_EQ(2u, composite->GetNumCurves());
  const std::vector<const ITraceComponentData*> leaves = Leaves(*composite);
  ASSERT_EQ(3u, leaves.size());
  const std::vector<std::function<double(double, double)>> model = {
      [](double fv, double lv) { return fv + 10 * lv; }, [](double fv, double lv) { return fv * lv; },
      [](double fv, double lv) { return fv - lv; }};
  for (unsigned curve = 0; curve < 2; ++curve) {
    EXPECT_EQ(plain->GetNumPointsInCurve(curve), composite->GetNumPointsInCurve(curve));
    EXPECT_EQ(plain->GetCurveOffset(curve), composite->GetCurveOffset(curve));
    EXPECT_EQ(plain->GetCurveVariationKey(curve, false), composite->GetCurveVariationKey(curve, false));
    for (unsigned k = 0; k < 3; ++k) {
      const size_t row = composite->GetCurveOffset(curve) + k;
      const double fv = Doubles(composite->GetPrimarySweepColumn()).GetValues()[row];
      EXPECT_EQ(k + 1.0, fv);
      for (unsigned leaf = 0; leaf < 3; ++leaf) {
        const double value = Doubles(leaves[leaf]->GetDataColumn()).GetValues()[row];
        EXPECT_EQ(Doubles(plain->GetDataColumn(leaf)).GetValues()[row], value) << "leaf " << leaf;
        EXPECT_DOUBLE_EQ(model[leaf](fv, curve + 1.0), value) << "leaf " << leaf << " row " << row;
      }
    }
  }
  EXPECT_EQ(6u, composite->GetPrimarySweepColumn()->GetCount());
  EXPECT_EQ(0u, Update()) << "up to date: no update object";
}

// Over a special primary sweep the product pushes each quantity with its own primary values.
TEST_F(CompositeTraceDataTest, SpecialPrimarySweepFillsEveryLeaf) {
  Variable* g = Solution().AddVariable(L"G", Value(1.0, Units::kNoUnit), false);
  Solution().AddSweep(g, {1, 2, 3}, true);
  Solution().SetSpecialPush(refhost::ReferenceSolution::SpecialPush::kPerQuantityPrimaries);
  SubsweepDefParamsContainer defs;
  for (const wchar_t* name : {L"G", L"L"})
    defs.PushBackAndOwn(Solution().GetSweepOfVariable(name, SimValueContext(), 1)->CreateDefaultSubsweepDefParams());
  const std::vector<long> ids = AddTraces({{L"C"}, {L"A", L"Bx", L"By"}}, {}, true, &defs);
  ASSERT_NE(nullptr, Composite(ids[0]));
  ASSERT_NE(nullptr, DataManager().GetITraceData(ids[1]));
  Update();
  rep::CompositeTraceData* composite = Composite(ids[0]);
  rep::ITraceData* plain = DataManager().GetITraceData(ids[1]);
  ASSERT_TRUE(composite->HasData());
  ASSERT_EQ(plain->GetNumCurves(), composite->GetNumCurves());
  const std::vector<const ITraceComponentData*> leaves = Leaves(*composite);
  ASSERT_EQ(3u, leaves.size());
  for (unsigned leaf = 0; leaf < 3; ++leaf) {
    SCOPED_TRACE(leaf);
    const Column* mine = leaves[leaf]->GetDataColumn();
    const Column* theirs = plain->GetDataColumn(leaf);
    ASSERT_EQ(theirs->GetCount(), mine->GetCount());
    EXPECT_GT(mine->GetCount(), 0u);
    EXPECT_EQ(AString(theirs->GetValuesText()), AString(mine->GetValuesText()));
  }
}

// Leaf values as text, depth first.
std::string Values(ICompositeTraceData& data) {
  std::string out;
  for (const ITraceComponentData* leaf : Leaves(data))
    out += leaf->GetExpression().ToUtf8() + "=" + AString(leaf->GetDataColumn()->GetValuesText()).ToUtf8() + ";";
  return out;
}

TEST_F(CompositeTraceDataTest, PopulatedTreeTravelsInTheExportForm) {
  const std::vector<long> ids = AddTraces({{L"C"}});
  const long source = m_reportID;
  ASSERT_NE(nullptr, Composite(ids[0]));
  Update();
  rep::CompositeTraceData* computed = Composite(ids[0]);
  io::CBlock block(L"Clip");
  ASSERT_TRUE(Mgr().WriteTracesWithData(block, source, {ids[0]}));
  const long target = AddReport(L"Target");
  refhost::RecordingPasteListener listener;
  VelmorCommand cmd;
  ASSERT_TRUE(Mgr().ReadTracesWithData(target, block, &listener, &cmd));
  cmd.EndDo();
  ASSERT_EQ(1u, Report(target).GetTraces().size());
  auto* imported = dynamic_cast<rep::ImportedTraceDefinition*>(Report(target).GetTraces().front());
  ASSERT_NE(nullptr, imported);
  auto* stored = dynamic_cast<ICompositeTraceData*>(imported->GetTraceData());
  ASSERT_NE(nullptr, stored);
  EXPECT_EQ(Shape(*computed), Shape(*stored));
  EXPECT_EQ(Values(*computed), Values(*stored));
  ASSERT_EQ(computed->GetNumCurves(), stored->GetNumCurves());
  for (unsigned c = 0; c < computed->GetNumCurves(); ++c) {
    EXPECT_EQ(computed->GetNumPointsInCurve(c), stored->GetNumPointsInCurve(c));
    EXPECT_EQ(computed->GetCurveOffset(c), stored->GetCurveOffset(c));
  }
  EXPECT_EQ(AString(computed->GetPrimarySweepColumn()->GetValuesText()),
            AString(stored->GetTraceDataSweepInfo()->GetPrimarySweepColumn()->GetValuesText()));
}

TEST_F(CompositeTraceDataTest, OutOfDateInItsOrder) {
  const std::vector<long> ids = AddTraces({{L"C"}, {L"C", L"Nothing("}});
  rep::CompositeTraceData* invalid = Composite(ids[1]);
  ASSERT_NE(nullptr, invalid);
  EXPECT_TRUE(invalid->HasInvalidDefinition());
  EXPECT_FALSE(invalid->HasData());
  EXPECT_TRUE(invalid->IsOutOfDate()) << "an invalid definition first, data or not";
  EXPECT_EQ("C#7(A:1/1,B#2(Bx:1/1,By:1/1)) Nothing(:1/1", Shape(*invalid)) << "components stay aligned";

  rep::CompositeTraceData* data = Composite(ids[0]);
  EXPECT_FALSE(data->IsOutOfDate()) << "no data yet";
  Update();
  data = Composite(ids[0]);
  ASSERT_TRUE(data->HasData());
  EXPECT_FALSE(data->IsOutOfDate());
  Solution().NewVersion();
  EXPECT_TRUE(data->IsOutOfDate()) << "the solution's context moved on";
  Update();
  data = Composite(ids[0]);
  EXPECT_FALSE(data->IsOutOfDate());
  rep::TraceDefinition* td = dynamic_cast<rep::TraceDefinition*>(Mgr().GetTraceDefinition(ids[0]));
  ASSERT_NE(nullptr, td);
  td->UpdateVersionID();
  EXPECT_TRUE(data->IsOutOfDate()) << "the definition moved on";
}

// Both kinds of computed data report data made for other versions than their definition's, and a
// definition edited while its data waits for an update.
TEST_F(CompositeTraceDataTest, VersionsOtherThanTheDefinitionsAreReported) {
  const std::vector<long> ids = AddTraces({{L"A"}, {L"C"}});
  const long pp = rep::GetVersionIDForPostprocessing(&m_solutions, Dsd());
  for (long id : ids) {
    const bool composite = id == ids[1];
    SCOPED_TRACE(composite ? "composite" : "plain");
    auto* td = dynamic_cast<rep::TraceDefinition*>(Mgr().GetTraceDefinition(id));
    ASSERT_NE(nullptr, td);
    auto make = [&](long version, long ppVersion) -> std::unique_ptr<AbstractDynamicTraceData> {
      if (composite) return std::make_unique<rep::CompositeTraceData>(DataManager(), id, version, ppVersion);
      return std::make_unique<rep::TraceData>(DataManager(), id, version, ppVersion);
    };
    make(td->GetVersionID() + 1, pp);
    EXPECT_SOFT_ASSERT("td->GetVersionID()==trVersionID");
    make(td->GetVersionID(), pp + 1);
    EXPECT_SOFT_ASSERT("rep::GetVersionIDForPostprocessing(mgr.GetISolutionManagerForReports(),ds)==ppVersionID");
    std::unique_ptr<AbstractDynamicTraceData> data = make(td->GetVersionID(), pp);
    EXPECT_NO_SOFT_ASSERT();

    td->UpdateVersionID();
    rep::CentUpdTraceDefObject* object = data->GetCentralizedUpdateObject(false);
    EXPECT_SOFT_ASSERT(composite ? "tdef->GetVersionID()==mBasicTraceData.mTraceDefVersionID"
                                 : "tdef->GetVersionID()==mTraceDefVersionID");
    ASSERT_NE(nullptr, object);
    data->ReleaseCentralizedUpdateObject(object);
    delete static_cast<ISolutionPointSetUpdateObject*>(object);
  }
}

TEST_F(CompositeTraceDataTest, OneUpdateObjectAtATime) {
  const std::vector<long> ids = AddTraces({{L"C"}});
  rep::CompositeTraceData* data = Composite(ids[0]);
  ASSERT_NE(nullptr, data);
  rep::CentUpdTraceDefObject* object = data->GetCentralizedUpdateObject(false);
  ASSERT_NE(nullptr, object);
  data->ReleaseCentralizedUpdateObject(object);
  delete static_cast<ISolutionPointSetUpdateObject*>(object);

  std::vector<ICentralizedUpdateObject*> objects;
  DataManager().GetCentralizedUpdateObjects(objects, m_reportID);
  ASSERT_EQ(1u, objects.size());
  DataManager().DeleteTraceData(ids[0]);  // while its object is out
  EXPECT_SOFT_ASSERT("mDebugCentUpdObject==0");
  CentralizedUpdateUtility::UpdateObjects(nullptr, objects, nullptr);
  EXPECT_FALSE(DataManager().HasTraceData(ids[0]));
  EXPECT_EQ(1u, Update()) << "fresh data, fresh object";
  EXPECT_TRUE(Composite(ids[0])->HasData());
}

TEST_F(CompositeTraceDataTest, PlaceholderDataWhenTheConnectivityGetsNoPoints) {
  const std::vector<long> ids = AddTraces({{L"C"}});
  rep::CompositeTraceData* data = Composite(ids[0]);
  ASSERT_NE(nullptr, data);
  rep::CentUpdTraceDefObject* object = data->GetCentralizedUpdateObject(false);
  ASSERT_NE(nullptr, object);
  ASSERT_NE(nullptr, data->GetConnectivity());
  // A population before any value arrived: the connectivity has no points.
  EXPECT_TRUE(data->PopulateData(*object, nullptr));
  data->ReleaseCentralizedUpdateObject(nullptr);
  delete static_cast<ISolutionPointSetUpdateObject*>(object);
  EXPECT_EQ(0u, data->GetConnectivity()->GetNumPoints());
  EXPECT_FALSE(data->HasData());
  EXPECT_EQ("C#7(A:1/1,B#2(Bx:1/1,By:1/1))", Shape(*data));
  for (const ITraceComponentData* leaf : Leaves(*data)) EXPECT_TRUE(HoldsOnePlaceholder(leaf->GetDataColumn()));
  EXPECT_TRUE(HoldsOnePlaceholder(data->GetPrimarySweepColumn()));
  EXPECT_EQ(1u, data->GetNumCurves());
}

TEST_F(CompositeTraceDataTest, FamiliesWithoutSubsweepsHaveNoPrimarySweep) {
  VariableValues at;
  at.SetVariableValue(l, Value(2.0, Units::kNoUnit));
  std::vector<VariableValuesDefParams> families;
  VariableValuesDefParams::ConvertToVariableValuesDefParams({at}, families);
  const std::vector<long> ids = AddTraces({{L"C"}}, families, false);
  rep::CompositeTraceData* data = Composite(ids[0]);
  ASSERT_NE(nullptr, data);
  EXPECT_EQ(AString(), data->GetPrimarySweepName());
  EXPECT_EQ(nullptr, data->GetPrimarySweepColumn());
  EXPECT_SOFT_ASSERT("!\"No primary sweep column?\"");
  Update();
  data = Composite(ids[0]);
  EXPECT_EQ(AString(), data->GetPrimarySweepName());
  for (const ITraceComponentData* leaf : Leaves(*data)) EXPECT_GE(leaf->GetDataColumn()->GetCount(), 1u);
}

TEST_F(CompositeTraceDataTest, PrimarySweepThatIsACompositeNodeHasNoColumn) {
  Solution().AddCompositeQuantity(L"f", 5, {L"A"});
  const std::vector<long> ids = AddTraces({{L"C", L"F"}});
  rep::CompositeTraceData* data = Composite(ids[0]);
  ASSERT_NE(nullptr, data);
  EXPECT_EQ("C#7(A:1/1,B#2(Bx:1/1,By:1/1)) F#5(A:1/1)", Shape(*data));
  EXPECT_EQ(nullptr, data->GetPrimarySweepColumn());
  EXPECT_SOFT_ASSERT("itcd");
}

}  // namespace

namespace {

TEST_F(CompositeTraceDataTest, ComponentsOfExpressionsThatAreNoQuantities) {
  rep::OwnedQuantityParser parser(dynamic_cast<rep::VersionedQuantityParser*>(
      rep::CreateVersionedQuantityParser(&m_solutions, &m_user, &m_cache.GetInfoServer(), Dsd())));
  ASSERT_NE(nullptr, parser);
  VariableNameSpace names(1, 1, 0);
  Solution().GetNameSpaceSetupper().Setup(names);
  InstalledParserScope installed(parser.get());
  struct Case {
    const wchar_t* expression;
    std::string shape;
    bool valid;
  };
  Value number(Units::kNoUnit);
  ASSERT_TRUE(number.SetValueText(L"2", Units::kNoUnit));
  const Case cases[] = {
      {L"C", "C#7(A:1/0,B#2(Bx:1/0,By:1/0))", true},
      {L"2", "2:" + std::to_string(number.GetParameterType()) + "/0", true},
      {L"F*2", "F*2:1/0", true},
      {L"Nothing(", "Nothing(:1/0", false},
  };
  for (const Case& c : cases) {
    std::unique_ptr<IBaseTraceComponentData> tree(rep::CompositeTraceData::CreateTraceComponentData(c.expression, *parser));
    EXPECT_EQ(c.shape, Shape(tree.get())) << AString(c.expression).ToUtf8();
    EXPECT_EQ(c.valid, rep::CompositeTraceData::IsComponentExpressionValid(c.expression, *parser));
  }
}

}  // namespace

namespace {

// Claims every recorded soft assertion of that text; answers how many there were.
int TakeEvery(const char* text) {
  int n = 0;
  while (orvex::test::Asserts().Take(text)) ++n;
  return n;
}

// K = {A, Odd} where Odd's type parameter is of no kind the info server handles: K cannot be
// built, so every trace naming it stays invalid with placeholder data, aligned with its
// expressions, and is never updated, while a sound trace of the same report is.
TEST_F(CompositeTraceDataTest, ConstituentOfAnUnhandledKindLeavesThePlaceholder) {
  Solution().AddOtherQuantity(L"Odd", ValueState(1, 15, 1));
  Solution().AddCompositeQuantity(L"K", 4, {L"A", L"Odd"});
  const std::vector<long> ids = AddTraces({{L"C", L"K"}, {L"K"}, {L"C"}});
  rep::CompositeTraceData* mixed = Composite(ids[0]);
  ASSERT_NE(nullptr, mixed);
  EXPECT_GE(TakeEvery("!\"I don't handle this type\""), 1);
  EXPECT_EQ("C#7(A:1/1,B#2(Bx:1/1,By:1/1)) K:1/1", Shape(*mixed)) << "K falls back to a single leaf";
  EXPECT_TRUE(mixed->HasInvalidDefinition());
  EXPECT_TRUE(mixed->IsOutOfDate());
  rep::ITraceData* alone = DataManager().GetITraceData(ids[1]);
  ASSERT_NE(nullptr, alone) << "K alone is no composite the engine knows";
  EXPECT_GE(TakeEvery("!\"I don't handle this type\""), 1);
  for (long id : {ids[0], ids[1]}) {
    auto* td = dynamic_cast<rep::TraceDefinition*>(Mgr().GetTraceDefinition(id));
    ASSERT_NE(nullptr, td);
    EXPECT_FALSE(td->ValidateDefinition(true)) << id;
  }
  TakeEvery("!\"I don't handle this type\"");

  EXPECT_EQ(1u, Update()) << "only the sound trace is updated";
  EXPECT_GE(TakeEvery("!\"I don't handle this type\""), 1);
  mixed = Composite(ids[0]);
  EXPECT_FALSE(mixed->HasData());
  EXPECT_EQ("C#7(A:1/1,B#2(Bx:1/1,By:1/1)) K:1/1", Shape(*mixed));
  for (const ITraceComponentData* leaf : Leaves(*mixed))
    EXPECT_TRUE(HoldsOnePlaceholder(leaf->GetDataColumn())) << leaf->GetExpression().ToUtf8();
  EXPECT_TRUE(HoldsOnePlaceholder(mixed->GetPrimarySweepColumn()));
  alone = DataManager().GetITraceData(ids[1]);
  EXPECT_FALSE(alone->HasData());
  EXPECT_TRUE(HoldsOnePlaceholder(alone->GetDataColumn(0)));
  rep::CompositeTraceData* sound = Composite(ids[2]);
  ASSERT_TRUE(sound->HasData());
  EXPECT_EQ("C#7(A:1/6,B#2(Bx:1/6,By:1/6))", Shape(*sound));
  TakeEvery("!\"I don't handle this type\"");
  EXPECT_NO_SOFT_ASSERT();
}

}  // namespace

namespace {

// Computed data of either kind, taken out of its manager, answers from its own members once the
// manager is gone; what needs the manager asserts and gives its fallback.
TEST_F(CompositeTraceDataTest, TakenDataOfEitherKindOutlivesItsManager) {
  const std::vector<long> ids = AddTraces({{L"C"}, {L"F", L"A"}});
  ASSERT_NE(nullptr, Composite(ids[0]));
  ASSERT_NE(nullptr, DataManager().GetITraceData(ids[1]));
  Update();
  std::unique_ptr<AbstractDynamicTraceData> composite(DataManager().TakeTraceData(ids[0]));
  std::unique_ptr<AbstractDynamicTraceData> plain(DataManager().TakeTraceData(ids[1]));
  ASSERT_TRUE(composite && plain);
  EXPECT_FALSE(DataManager().HasTraceData(ids[0]));
  EXPECT_EQ(nullptr, DataManager().TakeTraceData(ids[0])) << "taken once";
  const std::string shape = Shape(*dynamic_cast<ICompositeTraceData*>(composite.get()));
  const std::string values = Values(*dynamic_cast<ICompositeTraceData*>(composite.get()));
  m_mgr.reset();

  auto* tree = dynamic_cast<rep::CompositeTraceData*>(composite.get());
  ASSERT_NE(nullptr, tree);
  EXPECT_EQ(shape, Shape(*tree));
  EXPECT_EQ(values, Values(*tree));
  EXPECT_EQ("C#7(A:1/6,B#2(Bx:1/6,By:1/6))", shape);
  EXPECT_EQ(AString(L"F"), tree->GetPrimarySweepName());
  EXPECT_EQ(6u, tree->GetPrimarySweepColumn()->GetCount());

  for (AbstractDynamicTraceData* data : {composite.get(), plain.get()}) {
    SCOPED_TRACE(data == plain.get() ? "plain" : "composite");
    EXPECT_TRUE(data->HasData());
    ASSERT_EQ(2u, data->GetNumCurves());
    EXPECT_EQ(3u, data->GetNumPointsInCurve(1));
    EXPECT_EQ(3u, data->GetCurveOffset(1));
    EXPECT_NE(id::invalidID, data->GetVersionIDOfData());
    EXPECT_NO_SOFT_ASSERT();

    EXPECT_EQ(nullptr, data->GetReportDataManager().GetManager());
    EXPECT_SOFT_ASSERT("m_mgr");
    EXPECT_EQ(AString(), data->GetTraceName());
    EXPECT_SOFT_ASSERT("m_mgr");
    EXPECT_EQ(id::invalidID, data->GetCurrentSolutionContextVersionID());
    EXPECT_SOFT_ASSERT("m_mgr");
    EXPECT_EQ(nullptr, data->GetCentralizedUpdateObject(false)) << "up to date";
    EXPECT_NO_SOFT_ASSERT();
    data->SetNeedsUpdate(true);
    EXPECT_EQ(nullptr, data->GetCentralizedUpdateObject(false)) << "no definition to update from";
    EXPECT_SOFT_ASSERT("m_mgr");
    EXPECT_SOFT_ASSERT(data == plain.get() ? "td" : "tdef");
    EXPECT_TRUE(data->HasData()) << "kept";
    EXPECT_NO_SOFT_ASSERT();
  }
}

// An update object still out when its data is taken and the manager dies asks for nothing and
// leaves the data as it was.
TEST_F(CompositeTraceDataTest, DataTakenWhileItsUpdateObjectIsOutKeepsWhatItHeld) {
  const std::vector<long> ids = AddTraces({{L"C"}, {L"F", L"A"}});
  ASSERT_NE(nullptr, Composite(ids[0]));
  ASSERT_NE(nullptr, DataManager().GetITraceData(ids[1]));
  std::vector<ICentralizedUpdateObject*> objects;
  DataManager().GetCentralizedUpdateObjects(objects, m_reportID);
  ASSERT_EQ(2u, objects.size());
  std::unique_ptr<AbstractDynamicTraceData> composite(DataManager().TakeTraceData(ids[0]));
  std::unique_ptr<AbstractDynamicTraceData> plain(DataManager().TakeTraceData(ids[1]));
  m_mgr.reset();
  CentralizedUpdateUtility::UpdateObjects(nullptr, objects, nullptr);
  EXPECT_GE(TakeEvery("m_mgr"), 2);
  EXPECT_GE(TakeEvery("0"), 1);
  EXPECT_GE(TakeEvery("td"), 2);
  for (AbstractDynamicTraceData* data : {composite.get(), plain.get()}) {
    EXPECT_FALSE(data->HasData());
    EXPECT_EQ(1u, data->GetNumCurves()) << "the placeholder";
  }
  EXPECT_NO_SOFT_ASSERT();
}

}  // namespace
