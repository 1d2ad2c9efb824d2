// The report manager's slots for reports with data, export, counts and passes over every report,
// reached through the interface of the loaded plug-in as the host reaches them.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Gravik/IBaseTraceDefinition.h"
#include "Gravik/IOutputVariableMgr.h"
#include "Gravik/IPointsetDefinition.h"
#include "Gravik/IReportDefinition.h"
#include "Gravik/IReportDefinitionCmdInfo.h"
#include "Gravik/IReportManager.h"
#include "Gravik/ISimValueCache.h"
#include "Gravik/ITraceComponentDefinition.h"
#include "Gravik/ITraceDefinition.h"
#include "LoadedPluginFixture.h"
#include "RepTest.h"
#include "orvex/core/VelmorCommand.h"
#include "orvex/core/VelmorCommandInfo.h"
#include "orvex/io/Block.h"
#include "orvex/io/LongFileName.h"
#include "orvex/values/VariableValues.h"
#include "postorvex/solution/DesignSolutionDefinition.h"
#include "postorvex/sweeps/SubsweepDefParamsContainer.h"
#include "postorvex/sweeps/SweepBase.h"
#include "postorvex/traceinfo/ExtTraceInfo.h"
#include "postorvex/variation/VariableValuesDefParams.h"
#include "refhost/ReferenceReportManagerOwner.h"
#include "refhost/ReferenceSolutionManager.h"

namespace {

class ReportManagerSlotsPluginTest : public reptest::LoadedPluginFixture {
protected:
  void SetUp() override {
    LoadedPluginFixture::SetUp();
    refhost::ReferenceSolution& solution = m_solutions.AddSolution(10, L"Run");
    solution.AddSupportedReportType(1);
    solution.AddSweep(solution.AddVariable(L"Freq", Value(1.0, 113), false), {1, 2, 3});
    m_length = solution.AddVariable(L"L", Value(1.0, 142), true);
    solution.AddQuantity(L"S11", ValueState(2, 15, 1));
    solution.AddQuantity(L"S22", ValueState(2, 15, 1));
    m_solutions.SetDesignOfInstance(1, 100);
    m_solutions.SetDesignOfInstance(2, 200);
    m_owner.SetDesignInstanceID(1);
    m_owner.SetSolutionManager(&m_solutions);
  }

  static std::vector<long> Ids(const rep::IReportManager& mgr) {
    std::vector<long> ids;
    mgr.GetReportIDs(ids);
    return ids;
  }
  static std::vector<long> TraceIds(const rep::IReportManager& mgr, long reportID) {
    std::vector<long> ids;
    mgr.GetReportDefinition(reportID)->GetTraceIDs(ids);
    return ids;
  }

  refhost::ReferenceSolutionManager m_solutions;
  refhost::ReferenceReportManagerOwner m_owner;
  Variable* m_length = nullptr;
  const DesignSolutionDefinition m_dsd{100, 10, ReportTypeSolutionDefinition(1)};
  reptest::TempDir m_dir;
};

TEST_F(ReportManagerSlotsPluginTest, EverySlotAnswersAsItsOperation) {
  // Expressions are parsed against the project's cache and output variables.
  std::unique_ptr<ISimValueCache> cache(Factory().CreateSimValueCache(&m_solutions));
  std::unique_ptr<IOutputVariableMgr> outputVariables(Factory().CreateOutputVariableMgr(&m_solutions));
  m_owner.SetSimValueCache(cache.get());
  m_owner.SetOutputVariableMgr(outputVariables.get());
  std::unique_ptr<rep::IReportManager> mgr = Factory().CreateReportManager(&m_owner);
  ASSERT_NE(nullptr, mgr);
  const std::string csv = m_dir.File("lab.csv");
  reptest::WriteFileBytes(csv, "Freq [GHz],Cold,Hot\n1,-0.5,-0.7\n2,-0.9,-1.6\n");
  std::unique_ptr<rep::IReportDefinition> created = mgr->CreateReportDefinition({}, L"Measured");
  const long measured = mgr->AddReportDefinition(*created, nullptr);
  ASSERT_TRUE(mgr->ImportTracesFromFile(measured, AString::FromUtf8(csv), nullptr, 1));
  ASSERT_EQ(2u, TraceIds(*mgr, measured).size());

  // 41 and 42
  io::CBlock block(L"Clip");
  EXPECT_TRUE(mgr->WriteReportsWithData(block, {measured}));
  std::unique_ptr<rep::IReportManager> other = Factory().CreateReportManager(&m_owner);
  other->ReadReportsWithData(block, nullptr, nullptr);
  ASSERT_EQ(1u, Ids(*other).size());
  EXPECT_EQ(AString(L"Measured"), other->GetReportDefinition(Ids(*other)[0])->GetReportName());
  EXPECT_EQ(2u, TraceIds(*other, Ids(*other)[0]).size());

  // 46 and 47
  const std::string formats = m_dir.File("formats.txt"), texts = m_dir.File("texts.txt");
  EXPECT_TRUE(mgr->ExportReport(measured, AString::FromUtf8(formats), {}, {PlotExportDefs::kRealImag}));
  EXPECT_TRUE(mgr->ExportReport(measured, AString::FromUtf8(texts), {}, L"a", L"b", L"c"));
  EXPECT_FALSE(reptest::ReadFileBytes(formats).empty());
  EXPECT_EQ(reptest::ReadFileBytes(formats), reptest::ReadFileBytes(texts));

  // 48 and 49
  std::vector<Variable*> out;
  EXPECT_EQ(1, mgr->CountSolutionEntries(out, m_dsd));
  VariableValues none;
  EXPECT_EQ(0, mgr->CountSolutionEntriesForVariableValues(out, m_dsd, none));
  VariableValues byLength;
  byLength.SetVariableValue(m_length, Value(1.0, 142));
  EXPECT_EQ(1, mgr->CountSolutionEntriesForVariableValues(out, m_dsd, byLength));
  EXPECT_EQ(std::vector<Variable*>({m_length, m_length}), out);

  // 53
  SubsweepDefParamsContainer subsweeps;
  subsweeps.PushBackAndOwn(m_solutions.FindSolution(10)
                               ->GetSweepOfVariable(L"Freq", SimValueContext(), 1)
                               ->CreateDefaultSubsweepDefParams());
  std::unique_ptr<rep::IPointsetDefinition> pointset =
      mgr->CreatePointsetDefinition(subsweeps, std::vector<VariableValuesDefParams>());
  EXPECT_TRUE(mgr->ValidatePointsetDefinition(*pointset, m_dsd));
  EXPECT_FALSE(mgr->ValidatePointsetDefinition(*pointset, DesignSolutionDefinition(100, 11, m_dsd.GetReportTypeSolutionDefinition())));

  // 54
  EXPECT_TRUE(mgr->IsSimValueContextValidForReportType(10, ReportTypeSolutionDefinition(1)));
  EXPECT_FALSE(mgr->IsSimValueContextValidForReportType(10, ReportTypeSolutionDefinition(2)));

  // 52: a computed trace follows the design instance.
  std::unique_ptr<rep::IBaseTraceDefinition> trace =
      mgr->CreateTraceDefinition(L"Reflection", {L"Freq", L"S11"}, m_dsd, *pointset, ExtTraceInfo());
  std::unique_ptr<rep::IReportDefinition> computed = mgr->CreateReportDefinition({trace.get()}, L"Computed");
  const long computedID = mgr->AddReportDefinition(*computed, nullptr);
  const long traceID = TraceIds(*mgr, computedID).at(0);
  m_owner.SetDesignInstanceID(2);
  mgr->SetDesignInstanceID(2);
  auto* bound = dynamic_cast<rep::ITraceDefinition*>(mgr->GetTraceDefinition(traceID));
  ASSERT_NE(nullptr, bound);
  EXPECT_EQ(200, bound->GetDesignSolutionDefinition().GetDesignID());
  m_owner.SetDesignInstanceID(1);
  mgr->SetDesignInstanceID(1);

  // 55
  VelmorCommand cmd;
  mgr->HandleCommandForImportedTraces(&cmd);

  // 56 and 57
  const std::map<AString, AString, AString::NoCaseLess> renames{{L"S11", L"S22"}};
  IPostprocessingExpressionHelper* helper = mgr->GetIPostprocessingExpressionHelper();
  ASSERT_NE(nullptr, helper);
  AString renamed;
  EXPECT_TRUE(helper->GenerateNewValueText(renamed, L"S11*2", renames, m_dsd));
  EXPECT_EQ(AString(L"S22*2"), renamed);
  EXPECT_TRUE(mgr->UpdateTraceExpressions(renames, &cmd));
  auto* info = dynamic_cast<rep::IReportDefinitionCmdInfo*>(
      m_owner.GetContextedInfoFromCmd(&cmd, m_owner.GetCmdInfoSourceForReports()));
  ASSERT_NE(nullptr, info);
  EXPECT_TRUE(info->AreTracesUpdated());
  cmd.EndDo();
}

}  // namespace
