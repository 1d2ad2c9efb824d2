// The output-variable manager as the host gets it from the loaded plug-in.
#include <memory>

#include "Gravik/IOutputVariableMgr.h"
#include "Gravik/IOutputVariableMgrForProducts.h"
#include "LoadedPluginFixture.h"
#include "RepTest.h"
#include "orvex/core/VelmorCommand.h"
#include "orvex/io/Block.h"
#include "postorvex/outputvars/OutputVariable.h"
#include "postorvex/outputvars/OutputVariableDefParams.h"
#include "postorvex/solution/DesignSolutionDefinition.h"
#include "refhost/ReferenceSolutionManager.h"

namespace {

class OutputVariablePluginTest : public reptest::LoadedPluginFixture {
protected:
  void SetUp() override {
    LoadedPluginFixture::SetUp();
    m_solutions.AddSolution(10, L"Run").AddQuantity(L"Gain", ValueState(1, 15, 1));
  }

  refhost::ReferenceSolutionManager m_solutions;
  const DesignSolutionDefinition m_dsd{100, 10, ReportTypeSolutionDefinition(1)};
};

}  // namespace

TEST_F(OutputVariablePluginTest, RefusedWithOneAssertionWhenTheDesktopSaysNo) {
  m_desktop.SetSupportsNewReporter(false);
  EXPECT_EQ(nullptr, Factory().CreateOutputVariableMgr(&m_solutions));
  EXPECT_SOFT_ASSERT(
      "!\"Product does'nt support new reporter rewrite and plots, so should'nt try and get an IOutputVariableMgr\"");
  EXPECT_NO_SOFT_ASSERT();
}

TEST_F(OutputVariablePluginTest, AWorkingManagerWhenTheDesktopSaysYes) {
  std::unique_ptr<IOutputVariableMgr> mgr(Factory().CreateOutputVariableMgr(&m_solutions));
  ASSERT_NE(nullptr, mgr);
  OutputVariableDefParams def(id::invalidID, L"Twice", L"Gain*2");
  EXPECT_TRUE(mgr->CheckOutputVariableDefinition(def, m_dsd));
  EXPECT_TRUE(mgr->ValidateOutputVariableExpression(def, m_dsd));
  {
    VelmorCommand cmd;
    ASSERT_TRUE(mgr->CreateOutputVariable(def, m_dsd, &cmd));
    cmd.EndDo();
    OutputVariable* made = mgr->FindOutputVariable(L"twice");
    ASSERT_NE(nullptr, made);
    long id = id::invalidID;
    ASSERT_NE(nullptr, mgr->GetIOutputVariableMgrForProducts());
    EXPECT_TRUE(mgr->GetIOutputVariableMgrForProducts()->GetOutputVariableID(id, L"TWICE"));
    EXPECT_EQ(made->GetID(), id);
    cmd.Undo();
    EXPECT_EQ(nullptr, mgr->FindOutputVariable(L"Twice"));
    cmd.Redo();
  }
  io::CBlock block(L"Project");
  mgr->DoDataExchange(block, false);

  std::unique_ptr<IOutputVariableMgr> reread(Factory().CreateOutputVariableMgr(&m_solutions));
  EXPECT_EQ(io::kNoError, reread->DoDataExchange(block, true));
  const OutputVariable* back = reread->FindOutputVariable(L"Twice");
  ASSERT_NE(nullptr, back);
  EXPECT_EQ(AString(L"Gain*2"), back->GetValueBaseText());
}
