#include <memory>
#include <vector>

#include "RepTest.h"
#include "update/SweepsVariableInfoMediator2.h"
#include "orvex/core/VelDebug.h"
#include "orvex/values/Variable.h"
#include "postorvex/columns/Column.h"
#include "postorvex/connectivity/ConnectedVVObject.h"
#include "postorvex/solution/DesignSolutionDefinition.h"
#include "postorvex/sweeps/AbstractSubsweepDefParams.h"
#include "postorvex/sweeps/SubsweepDefParamsContainer.h"
#include "postorvex/sweeps/SubsweepsAdapter.h"
#include "postorvex/sweeps/SweepBase.h"
#include "postorvex/sweeps/SweepsIterator.h"
#include "refhost/ReferenceSolutionManager.h"

namespace {

// F: frequency sweep (minor), L: length sweep (major), W: a design variable; points at L = 1, 2.
struct MediatorTest : ::testing::Test {
  MediatorTest() : solution(manager.AddSolution(10, L"Run1")) {
    solution.AddSupportedReportType(1);
    f = solution.AddVariable(L"F", Value(1.0, Units::kNoUnit), false);
    l = solution.AddVariable(L"L", Value(1.0, Units::kNoUnit), true);
    w = solution.AddVariable(L"W", Value(5.0, Units::kNoUnit), false);
    solution.AddSweep(f, {1, 2, 3});
    solution.AddSweep(l, {1, 2});
    for (double lv : {1.0, 2.0}) {
      VariableValues p;
      p.SetVariableValue(l, Value(lv, Units::kNoUnit));
      solution.AddInstance(p);
    }
  }
  std::unique_ptr<rep::SubsweepsAdapter> Subsweeps(std::vector<const wchar_t*> sweeps) {
    SubsweepDefParamsContainer defs;
    for (const wchar_t* name : sweeps)
      defs.PushBackAndOwn(solution.GetSweepOfVariable(name, SimValueContext(), 1)->CreateDefaultSubsweepDefParams());
    return std::make_unique<rep::SubsweepsAdapter>(defs, DesignSolutionDefinition(100, 10, ReportTypeSolutionDefinition(1)),
                                                   1, &manager, std::vector<VariableValues>{});
  }
  std::unique_ptr<rep::SweepsVariableInfoMediator2> Mediator(rep::SubsweepsAdapter* subsweeps, bool skip = false) {
    VariableValues design;
    solution.GetNominalVariation(design);
    return std::make_unique<rep::SweepsVariableInfoMediator2>(subsweeps, ReportTypeSolutionDefinition(1), &solution,
                                                              design, skip);
  }
  static int Steps(SweepsIteratorBase& it) {
    int n = 0;
    for (it.Begin(); !it.End(); it.Advance()) ++n;
    return n;
  }

  refhost::ReferenceSolutionManager manager;
  refhost::ReferenceSolution& solution;
  Variable *f, *l, *w;
};

TEST_F(MediatorTest, VariablesConstantsAndClasses) {
  auto subsweeps = Subsweeps({L"F", L"L"});
  auto m = Mediator(subsweeps.get());
  ASSERT_EQ(3u, m->GetNumVariables());
  EXPECT_EQ(f, m->GetVariable(0));
  EXPECT_EQ(l, m->GetVariable(1));
  EXPECT_EQ(w, m->GetVariable(2)) << "a design variable that no subsweep names is a constant";
  EXPECT_EQ(3u, m->GetNumSweepVariables());
  EXPECT_EQ(3u, m->GetNumValues(0));
  EXPECT_EQ(1u, m->GetNumValues(2));
  Value v;
  EXPECT_TRUE(m->GetValue(v, 2, 0, nullptr));
  EXPECT_DOUBLE_EQ(5.0, v.GetValue());
  EXPECT_TRUE(m->GetValue(v, 0, 2, nullptr));
  EXPECT_DOUBLE_EQ(3.0, v.GetValue());
  EXPECT_FALSE(m->IsVariableMajor(0));
  EXPECT_TRUE(m->IsVariableMajor(1));
  EXPECT_EQ(1, m->GetVariableIndex(L"l"));
  EXPECT_EQ(-1, m->GetVariableIndex(L"Nothing"));
  EXPECT_EQ(nullptr, m->GetVariable(3));
  EXPECT_SOFT_ASSERT("!\"Don't give me indeces outside the range\"");

  std::unique_ptr<SweepsIteratorBase> minor, major;
  m->CreateMinorSweepsIteratorExcludingSpecialsAndPrimary(minor);
  m->CreateMajorSweepsIterator(major);
  EXPECT_EQ(1, Steps(*minor)) << "the minor primary is not walked; W has its one value";
  EXPECT_EQ(2, Steps(*major));
  std::unique_ptr<ConnectedVVObject> connected(m->CreateConnectedVVObject());
  EXPECT_EQ(std::vector<Variable*>({l, w}), connected->GetVariables()) << "no minor primary";
  EXPECT_EQ(2u, m->GetAllSweepPointsVariableValues().GetPointPositions().size());
  EXPECT_EQ(&m->GetAllSweepPointsVariableValues(), &m->GetAllSweepPointsVariableValues());
}

TEST_F(MediatorTest, MajorPrimaryAndSkippedClassification) {
  auto subsweeps = Subsweeps({L"L"});
  auto m = Mediator(subsweeps.get());
  std::unique_ptr<ConnectedVVObject> connected(m->CreateConnectedVVObject());
  ASSERT_TRUE(connected);
  EXPECT_EQ(l, connected->GetVariables().front()) << "a major primary is in the connected object";

  VelDebug::SetDebugLevel(1);
  auto skipped = Mediator(subsweeps.get(), true);
  VelDebug::SetDebugLevel(0);
  EXPECT_EQ(1u, skipped->GetNumVariables()) << "no constants";
  EXPECT_EQ(1u, skipped->GetNumSweepVariables());
  EXPECT_FALSE(skipped->IsVariableMajor(0));
  EXPECT_FALSE(skipped->DoSpecialSweepsExist());
  const std::vector<AString>& lines = orvex::test::DebugLines();
  ASSERT_EQ(2u, lines.size());
  EXPECT_EQ(AString(L"\n\tCoreCentUpd: From Product: MajorVars... "), lines[0]);
  EXPECT_EQ(AString(L"[L]"), lines[1]);
}

TEST_F(MediatorTest, LogsAProductWithoutMajorVariables) {
  refhost::ReferenceSolution& flat = manager.AddSolution(11, L"Run2");
  flat.AddSupportedReportType(1);
  Variable* g = flat.AddVariable(L"G", Value(1.0, Units::kNoUnit), false);
  flat.AddSweep(g, {1, 2});
  SubsweepDefParamsContainer defs;
  defs.PushBackAndOwn(flat.GetSweepOfVariable(L"G", SimValueContext(), 1)->CreateDefaultSubsweepDefParams());
  rep::SubsweepsAdapter subsweeps(defs, DesignSolutionDefinition(100, 11, ReportTypeSolutionDefinition(1)), 1, &manager,
                                  {});
  VelDebug::SetDebugLevel(1);
  rep::SweepsVariableInfoMediator2 m(&subsweeps, ReportTypeSolutionDefinition(1), &flat, VariableValues(), false);
  VelDebug::SetDebugLevel(0);
  EXPECT_FALSE(m.IsVariableMajor(0));
  EXPECT_EQ(std::vector<AString>({L"\n\tCoreCentUpd: From Product: No major variables\n"}), orvex::test::DebugLines());
}

TEST(MediatorStatics, FamiliesWithTheSameVariables) {
  Variable a(L"a", Units::kNoUnit), b(L"b", Units::kNoUnit);
  VariableValues one, two;
  one.SetVariableValue(&a, Value(1.0, Units::kNoUnit));
  two.SetVariableValue(&a, Value(2.0, Units::kNoUnit));
  EXPECT_TRUE(rep::SweepsVariableInfoMediator2::HaveExactlySameVariables({one}));
  EXPECT_TRUE(rep::SweepsVariableInfoMediator2::HaveExactlySameVariables({one, two}));
  two.SetVariableValue(&b, Value(2.0, Units::kNoUnit));
  EXPECT_FALSE(rep::SweepsVariableInfoMediator2::HaveExactlySameVariables({one, two}));
}

}  // namespace

#include "update/TraceExtendedLoadInfo.h"
#include "hostapi/ISolutionContextObject.h"
#include "refhost/ReferenceDerivedDataDefinition.h"

namespace {

TEST_F(MediatorTest, ExtendedLoadInfoAndItsClone) {
  auto subsweeps = Subsweeps({L"F", L"L"});
  auto m = Mediator(subsweeps.get());
  refhost::ReferenceContextObject context(3);
  VariableValues family;
  family.SetVariableValue(w, Value(5.0, Units::kNoUnit));
  rep::TraceExtendedLoadInfo info({{L"S11", 4}}, 77, &context, subsweeps.get(), {family}, m.get());
  std::unique_ptr<IExtendedLoadInfo> clone(info.Clone());
  auto* copy = dynamic_cast<rep::ITraceExtendedLoadInfo*>(clone.get());
  ASSERT_TRUE(copy);
  rep::QuantityIDMap quantities{{L"old", 1}};
  EXPECT_EQ(1u, copy->GetQuantityMap(quantities));
  EXPECT_EQ(4, quantities[L"s11"]);
  EXPECT_EQ(1u, quantities.size()) << "the caller's map is replaced";
  EXPECT_EQ(77, copy->GetTraceDefinitionID());
  EXPECT_EQ(subsweeps.get(), copy->GetSubsweeps());
  std::vector<VariableValues> variations(3);
  EXPECT_EQ(1u, copy->GetVariableValuesList(variations));
  EXPECT_EQ(std::vector<VariableValues>({family}), variations);
  std::unique_ptr<ISolutionContextObject> c1 = info.CloneSolutionContext(), c2 = copy->CloneSolutionContext();
  EXPECT_NE(c1.get(), c2.get());
  EXPECT_EQ(3u, copy->GetPrimarySweepColumn()->GetCount());
  EXPECT_EQ(1, Steps(*copy->CreateMinorSweepsIteratorExcludingSpecialsAndPrimary()));

  rep::SubsweepsAdapter none(SubsweepDefParamsContainer(), DesignSolutionDefinition(100, 10, ReportTypeSolutionDefinition(1)),
                             1, &manager, {});
  rep::TraceExtendedLoadInfo empty({}, 1, nullptr, &none, {}, nullptr);
  EXPECT_EQ(nullptr, empty.GetPrimarySweepColumn());
  EXPECT_EQ(nullptr, empty.CloneSolutionContext());
}

}  // namespace
