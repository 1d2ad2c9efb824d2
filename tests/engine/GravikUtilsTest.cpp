#include "reports/GravikUtils.h"

#include <cmath>
#include <limits>

#include "update/CentUpdUtils.h"
#include "EngineFixture.h"
#include "reports/ReportDefinitionCmdInfo.h"
#include "orvex/core/RenameQuantitiesCmdInfo.h"
#include "refhost/ReferenceDerivedDataDefinition.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

}  // namespace

TEST(GravikUtils, IsNaN) {
  EXPECT_TRUE(rep::IsNaN(kNaN));
  EXPECT_FALSE(rep::IsNaN(kInf));
  EXPECT_TRUE(rep::IsNaN(AComplex<double>(1.0, kNaN)));
  EXPECT_TRUE(rep::IsNaN(AComplex<double>(kNaN, 0.0)));
  EXPECT_FALSE(rep::IsNaN(AComplex<double>(1.0, 2.0)));

  Value real(90);
  ASSERT_TRUE(real.SetValueText(L"-inf", 90));  // infinity is a number
  EXPECT_FALSE(rep::IsNaN(real));
  Value complex(90);
  ASSERT_TRUE(complex.SetValueText(L"1 + 2i", 90));
  EXPECT_FALSE(rep::IsNaN(complex));

  Value none(90);  // no parameter type yet
  EXPECT_FALSE(rep::IsNaN(none));
  EXPECT_SOFT_ASSERT("0");
}

TEST(GravikUtils, SetValueTextIfNotEmpty) {
  Value v(90);
  ASSERT_TRUE(v.SetValueText(L"2.5", 90));
  EXPECT_TRUE(rep::SetValueTextIfNotEmpty(v, L"", 90));
  EXPECT_EQ(2.5, v.GetValue());
  EXPECT_TRUE(rep::SetValueTextIfNotEmpty(v, L"4", 90));
  EXPECT_EQ(4.0, v.GetValue());
  EXPECT_FALSE(rep::SetValueTextIfNotEmpty(v, L"4 +* 2", 90));
}

TEST(GravikUtils, DigitalParameterTypes) {
  for (int t : {13, 14, 15}) EXPECT_TRUE(rep::IsDigitalParameterType(t)) << t;
  for (int t : {0, 1, 2, 12, 16}) EXPECT_FALSE(rep::IsDigitalParameterType(t)) << t;
}

using GravikUtilsOnHost = reptest::EngineFixture;

TEST_F(GravikUtilsOnHost, CommandInfoIsCreatedOncePerCommand) {
  VelmorCommand first, second;
  rep::ReportDefinitionCmdInfo* a = rep::GetOrCreateReportDefinitionCmdInfo(&first, &m_owner);
  ASSERT_NE(nullptr, a);
  EXPECT_EQ(a, rep::GetOrCreateReportDefinitionCmdInfo(&first, &m_owner));
  EXPECT_NE(a, rep::GetOrCreateReportDefinitionCmdInfo(&second, &m_owner));
  EXPECT_TRUE(rep::MarkTracesUpdatedInCommand(&first, &m_owner));
  EXPECT_TRUE(a->AreTracesUpdated());
  EXPECT_FALSE(rep::MarkTracesUpdatedInCommand(nullptr, &m_owner));
  EXPECT_SOFT_ASSERT("0");
}

// A host may drop an info that comes without a command: the engine must not keep a pointer to it.
TEST_F(GravikUtilsOnHost, NoCommandGetsNoCommandInfo) {
  EXPECT_EQ(nullptr, rep::GetOrCreateReportDefinitionCmdInfo(nullptr, &m_owner));
  auto x = MakeTrace({L"x"});
  const long r = AddReport(L"R", {x.get()});
  auto* trace = dynamic_cast<rep::TraceDefinition*>(Report(r).GetTraces().front());
  const long before = trace->GetVersionID();
  trace->RecordEditInCommand(nullptr, true);
  EXPECT_GT(trace->GetVersionID(), before);
}

TEST(GravikUtils, QuantityRenamesFollowTheCommandState) {
  EXPECT_FALSE(rep::IsQuantityRenamedByCommand(nullptr, L"S11"));
  VelmorCommand cmd;
  EXPECT_FALSE(rep::IsQuantityRenamedByCommand(&cmd, L"S11"));  // no rename info
  auto* renames = new RenameQuantitiesCmdInfo;
  renames->AddRename(L"S11", L"Refl");
  cmd.AddInfo(cmdinfo::kRenameQuantitiesKind, renames);

  struct Case { VelmorCommand::State state; bool oldName; bool newName; };
  const Case cases[] = {{VelmorCommand::kDoing, true, false},
                        {VelmorCommand::kRedoing, true, false},
                        {VelmorCommand::kUndoing, false, true},
                        {VelmorCommand::kDone, false, false}};
  for (const Case& c : cases) {
    cmd.SetState(c.state);
    EXPECT_EQ(c.oldName, rep::IsQuantityRenamedByCommand(&cmd, L"s11")) << c.state;
    EXPECT_EQ(c.newName, rep::IsQuantityRenamedByCommand(&cmd, L"REFL")) << c.state;
  }
}

TEST_F(GravikUtilsOnHost, VersionIDsComeFromTheSolution) {
  m_solutions.FindSolution(10)->SetVersionIDs(7, 3);
  DesignSolutionDefinition dsd(100, 10, ReportTypeSolutionDefinition(1));
  EXPECT_EQ(7, rep::GetVersionIDForPostprocessing(&m_solutions, dsd));
  EXPECT_EQ(3, rep::GetSolutionContextVersionID(&m_solutions, dsd));
  EXPECT_EQ(2, m_solutions.FindSolution(10)->GetNumContextObjectsBuilt());
  EXPECT_EQ(0, refhost::ReferenceDerivedDataDefinition::GetNumAlive());
  EXPECT_EQ(0, refhost::ReferenceContextObject::GetNumAlive());

  DesignSolutionDefinition unknown(100, 99, ReportTypeSolutionDefinition(1));
  EXPECT_EQ(-1, rep::GetVersionIDForPostprocessing(&m_solutions, unknown));
}

// A chain of solutions: the target is reached through the parents of the matching sweep point.
TEST_F(GravikUtilsOnHost, MatchVariationFollowsParentLoadDefinitions) {
  refhost::ReferenceSolution& sol = *m_solutions.FindSolution(10);
  Value l1(90), l2(90);
  l1.SetValueText(L"1", 90);
  l2.SetValueText(L"2", 90);
  Variable* len = sol.AddVariable(L"L", l1, true);
  const ReportTypeSolutionDefinition own(1), target(2), other(3);

  VariableValues at1, at2;
  at1.SetVariableValue(len, l1);
  at2.SetVariableValue(len, l2);
  sol.AddInstance(at1, &own).AddParent(10, other, 5);
  refhost::ReferenceSolutionInstance& second = sol.AddInstance(at2, &own);
  second.AddParent(10, other, 5);
  second.AddParent(10, target, 9);

  refhost::ReferenceDerivedDataDefinition loadDef(10, own);
  // Matches at once without asking the solution.
  EXPECT_TRUE(CentUpdUtils::MatchVariationWithParentLoadDefs(loadDef, 4, own, at1, 4, sol));
  EXPECT_TRUE(CentUpdUtils::MatchVariationWithParentLoadDefs(loadDef, 4, target, at2, 9, sol));
  EXPECT_FALSE(CentUpdUtils::MatchVariationWithParentLoadDefs(loadDef, 4, target, at1, 9, sol));
  EXPECT_FALSE(CentUpdUtils::MatchVariationWithParentLoadDefs(loadDef, 4, target, at2, 8, sol));

  VariableValues nowhere;
  Value l3(90);
  l3.SetValueText(L"3", 90);
  nowhere.SetVariableValue(len, l3);
  EXPECT_FALSE(CentUpdUtils::MatchVariationWithParentLoadDefs(loadDef, 4, target, nowhere, 9, sol));

  // A point answering fewer versions than parents is walked over the common part only.
  second.SetDropOneParentVersion(true);
  EXPECT_FALSE(CentUpdUtils::MatchVariationWithParentLoadDefs(loadDef, 4, target, at2, 9, sol));
  EXPECT_SOFT_ASSERT("versionIDs.size()==parentLoadDefs.size()");
}
