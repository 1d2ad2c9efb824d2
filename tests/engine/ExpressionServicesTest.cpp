// The report manager's answers about expressions, and trace validation built on them.
#include <algorithm>
#include <memory>
#include <vector>

#include "EngineFixture.h"
#include "ForeignKinds.h"
#include "quantities/OutputVariableMgr.h"
#include "quantities/SimValueDataCache.h"
#include "orvex/core/MessageLog.h"
#include "orvex/values/Function.h"
#include "orvex/values/ValueState.h"
#include "postorvex/outputvars/OutputVariable.h"
#include "postorvex/outputvars/OutputVariableDefParams.h"
#include "postorvex/solution/SimValueContext.h"
#include "postorvex/sweeps/RegularSubsweepDefParams.h"
#include "postorvex/sweeps/SubsweepDefParamsContainer.h"

namespace {

using orvex::test::Messages;

// Solution 10 knows Gain (double), S11 (complex), Label (a text), the composite Field = {Re, Im}
// and the swept variable Freq, and defines SolVar = Gain*3; the user defines Twice = Gain*2 and Broken = "Gain+", which cannot
// be activated.
class ExpressionServicesTest : public reptest::EngineFixture {
protected:
  ExpressionServicesTest() : m_cache(&m_solutions), m_outputVariables(&m_solutions) {
    refhost::ReferenceSolution& s = *m_solutions.FindSolution(10);
    s.AddVariable(L"Freq", Value(1.0, 113), false);
    s.AddQuantity(L"Gain", ValueState(1, 15, 1));
    s.AddQuantity(L"S11", ValueState(2, 15, 1));
    s.AddQuantity(L"Label", ValueState(10, 15, 1));
    s.AddQuantity(L"Re", ValueState(1, 15, 1));
    s.AddQuantity(L"Im", ValueState(1, 15, 1));
    s.AddCompositeQuantity(L"Field", 2, {L"Re", L"Im"});
    s.AddOutputVariable(L"SolVar", L"Gain*3");
    s.SetDescribesQuantitiesByTypeParams(true);
    s.AddSweep(s.FindVariable(L"Freq"), {1, 2, 3});
    m_owner.SetSimValueCache(&m_cache);
    m_owner.SetOutputVariableMgr(&m_outputVariables);
    m_twice = Adopt(L"Twice", L"Gain*2");
    Adopt(L"Broken", L"Gain+");
    Messages().Clear();
  }

  OutputVariable* Adopt(const AString& name, const AString& expression) {
    auto* variable = new OutputVariable(name);
    variable->SetValueBaseText(expression, ValueState(1, 15, 1));
    m_outputVariables.ChangeOutputVariableID(variable);
    return variable;
  }

  static DesignSolutionDefinition Dsd(long solutionID = 10) {
    return DesignSolutionDefinition(100, solutionID, ReportTypeSolutionDefinition(1));
  }

  rep::SimValueDataCache m_cache;
  rep::OutputVariableMgr m_outputVariables;
  OutputVariable* m_twice = nullptr;
};

}  // namespace

TEST_F(ExpressionServicesTest, ATableOfExpressions) {
  struct Case {
    const wchar_t* expression;
    bool valid;
    int type;  // of the value state, when valid
    bool reduces;
    const wchar_t* outermost;  // function name, or null
  };
  const Case cases[] = {
      {L"Gain*2", true, 1, false, nullptr},
      {L"S11", true, 2, false, nullptr},
      {L"Gain+", false, 0, false, nullptr},
      {L"Field", true, 0, false, nullptr},  // a composite name: valid, type 0, never reducing
      {L"Twice+1", true, 1, false, nullptr},
      {L"SolVar*2", true, 1, false, nullptr},
      {L"Broken+1", false, 0, false, nullptr},  // parses, but its variable cannot be activated
      {L"Label", true, 10, false, nullptr},  // neither double nor complex: no function, no reduction
      {L"max(Gain, Freq)", true, 1, true, L"max"},
      {L"mean(max(S11))", true, 1, true, L"mean"},
      {L"mag(S11)", true, 1, false, L"mag"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(AString(c.expression).ToUtf8());
    ValueState state;
    EXPECT_EQ(c.valid, Mgr().GetExpressionValueState(state, c.expression, Dsd()));
    if (c.valid) {
      EXPECT_EQ(c.type, state.GetParameterType());
    }
    std::vector<AString> quantities;
    EXPECT_EQ(c.valid, Mgr().IsExpressionValid(c.expression, Dsd(), quantities));
    EXPECT_EQ(c.reduces, Mgr().DoesExpressionReduceDimension(c.expression, Dsd()));
    AString name, first;
    EXPECT_EQ(c.outermost != nullptr, Mgr().GetOutermostFunctionName(name, first, c.expression, Dsd()));
    if (c.outermost) {
      EXPECT_EQ(AString(c.outermost), name);
    }
  }
  EXPECT_TRUE(Messages().Delivered().empty());
}

TEST_F(ExpressionServicesTest, TheListWorkerFillsEveryOutputPerExpression) {
  rep::ReportManager::ExpressionFacts facts;
  Mgr().ValidateExpressions(facts, {L"S11+Twice", L"Field", L"Nothing", L"max(Gain, Freq)"}, Dsd());
  EXPECT_EQ((std::vector<bool>{true, true, false, true}), facts.valid);
  EXPECT_EQ((std::vector<AString>{L"S11", L"Gain"}), facts.simValueQuantities[0]);
  EXPECT_EQ(std::vector<AString>{L"Twice"}, facts.outputVariableNames[0]);
  EXPECT_EQ(std::vector<AString>{L"Gain*2"}, facts.outputVariableTexts[0]);
  EXPECT_EQ(std::vector<AString>{L"Field"}, facts.compositeQuantities[1]);
  EXPECT_EQ(0, facts.valueStates[1].GetParameterType());
  EXPECT_EQ(std::vector<AString>{L"Freq"}, facts.variableNames[3]);
  for (const auto* output : {&facts.simValueQuantities, &facts.variableNames, &facts.compositeQuantities})
    EXPECT_EQ(4u, output->size());
  EXPECT_EQ(4u, facts.datasets.size());

  // Without a parser for the solution every flag is false.
  Mgr().ValidateExpressions(facts, {L"Gain", L"S11"}, Dsd(99));
  EXPECT_EQ((std::vector<bool>{false, false}), facts.valid);
  EXPECT_EQ(ValueState(), facts.valueStates[0]);
}

TEST_F(ExpressionServicesTest, UnitTypeAndTheMessageOfSlotOne) {
  Units::UnitType unit = -5;
  m_solutions.FindSolution(10)->AddQuantity(L"Length", ValueState(1, 4, 1, Units::kMm));
  EXPECT_TRUE(Mgr().GetExpressionUnitType(unit, L"Length", Dsd()));
  EXPECT_EQ(4, unit);
  unit = -5;
  EXPECT_FALSE(Mgr().GetExpressionUnitType(unit, L"Length+", Dsd()));
  EXPECT_EQ(-5, unit);  // left alone

  EXPECT_TRUE(Mgr().ValidateExpressionWithMessage(L"Gain", Dsd()));
  EXPECT_TRUE(Messages().Posted().empty());
  EXPECT_FALSE(Mgr().ValidateExpressionWithMessage(L"Gain+", Dsd()));
  ASSERT_EQ(1u, Messages().Posted().size());
  const VelmorMessage& m = Messages().Posted()[0].message;
  EXPECT_EQ(1, m.GetSeverity());
  EXPECT_EQ(14, m.GetIntA());
  EXPECT_EQ(17002, m.GetMessageID());
  EXPECT_EQ(17002, m.GetSecondID());
  EXPECT_EQ(6, m.GetIntD());
  EXPECT_EQ(std::vector<AString>{L"Gain+"}, m.GetArgs());
}

TEST_F(ExpressionServicesTest, OutputVariablesAreActivatedAndListed) {
  std::vector<long> ids{77};
  EXPECT_TRUE(Mgr().ActivateOutputVariablesOfExpressions(ids, L"Twice*S11", Dsd()));
  EXPECT_EQ((std::vector<long>{77, m_twice->GetID()}), ids);
  ids.clear();
  EXPECT_FALSE(Mgr().ActivateOutputVariablesOfExpressions(ids, L"Broken", Dsd()));
  EXPECT_TRUE(ids.empty());

  std::vector<AString> quantities;
  EXPECT_TRUE(Mgr().CanActivateOutputVariables(quantities, L"Field", Dsd()));
  EXPECT_EQ(std::vector<AString>{L"Field"}, quantities);
  quantities.clear();
  EXPECT_TRUE(Mgr().CanActivateOutputVariables(quantities, L"Twice*S11", Dsd()));
  std::sort(quantities.begin(), quantities.end(), AString::NoCaseLess());
  EXPECT_EQ((std::vector<AString>{L"Gain", L"S11"}), quantities);
  EXPECT_FALSE(Mgr().CanActivateOutputVariables(quantities, L"Nothing", Dsd()));
  EXPECT_FALSE(Mgr().CanActivateOutputVariables(quantities, L"Broken", Dsd()));

  // Without a manager at slot 44 the names give no IDs.
  m_owner.SetOutputVariableMgr(nullptr);
  EXPECT_TRUE(Mgr().ActivateOutputVariablesOfExpressions(ids, L"Gain", Dsd()));
  EXPECT_TRUE(ids.empty());
}

TEST_F(ExpressionServicesTest, OutermostFunctionAndItsArguments) {
  const Function* fn = nullptr;
  AString first = L"untouched";
  EXPECT_TRUE(Mgr().GetOutermostFunction(fn, first, L"max(mag(S11), Freq)", Dsd()));
  EXPECT_EQ(Function::Find(L"max"), fn);
  EXPECT_EQ(AString(L"mag(S11)"), first);
  std::vector<AString> arguments;
  EXPECT_TRUE(Mgr().GetOutermostFunctionArguments(fn, arguments, L"max(mag(S11), Freq)", Dsd()));
  EXPECT_EQ((std::vector<AString>{L"mag(S11)", L"Freq"}), arguments);
  EXPECT_FALSE(Mgr().GetOutermostFunction(fn, first, L"max(S11)+1", Dsd()));
  EXPECT_FALSE(Mgr().GetOutermostFunction(fn, first, L"max(S11)", Dsd(99)));

  EXPECT_TRUE(Mgr().DoesExpressionReduceDimensionDeprecated(L"max(S11)", Dsd()));
  EXPECT_SOFT_ASSERT("!\"Please replace this call with DoesExpressionReduceDimension\"");
}

TEST_F(ExpressionServicesTest, RenamedTextsAndTraceValueStates) {
  m_solutions.FindSolution(10)->AddQuantity(L"Power", ValueState(1, 15, 1));
  AString text = L"unchanged";
  EXPECT_TRUE(Mgr().GenerateNewValueText(text, L"Gain*2+S11", {{L"gain", L"Power"}}, Dsd()));
  EXPECT_EQ(AString(L"Power*2+S11"), text);

  auto trace = MakeTrace({L"Gain", L"S11", L"Nothing"});
  const long reportID = AddReport(L"R", {trace.get()});
  std::vector<long> traceIDs;
  Report(reportID).GetTraceIDs(traceIDs);
  std::vector<ValueState> states;
  Mgr().GetTraceExpressionsValueStates(traceIDs[0], states);
  ASSERT_EQ(3u, states.size());
  EXPECT_EQ(1, states[0].GetParameterType());
  EXPECT_EQ(2, states[1].GetParameterType());
  EXPECT_EQ(ValueState(), states[2]);
  Mgr().GetTraceExpressionsValueStates(reportID, states);  // a report, not a trace
  EXPECT_SOFT_ASSERT("0");
}

TEST_F(ExpressionServicesTest, ValidationStopsAtTheFirstFailingCheck) {
  refhost::ReferenceSolution& s = *m_solutions.FindSolution(10);
  s.AddSupportedReportType(1);
  s.AddFittingContext(SimValueContext(), 1);
  struct Case {
    std::vector<AString> expressions;
    long solutionID;
    unsigned reportType;
    SimValueContext context;
    bool checkExpressions;
    bool valid;
    std::vector<AString> messages;  // arguments of the 17002 posted
    const char* why;
  };
  const Case cases[] = {
      {{L"Gain", L"S11"}, 10, 1, SimValueContext(), true, true, {}, "all fits"},
      {{}, 10, 1, SimValueContext(), true, true, {}, "no components"},
      {{L"Gain+", L"S11", L"Nothing"}, 10, 1, SimValueContext(), true, false, {L"Gain+", L"Nothing"},
       "invalid expressions, each posted in order"},
      {{L"Gain+"}, 10, 1, SimValueContext(), false, true, {}, "expressions not checked"},
      {{L"Gain"}, 99, 1, SimValueContext(), true, false, {L"Gain"}, "no parser: the expression step fails first"},
      {{L"Gain"}, 99, 1, SimValueContext(), false, false, {}, "the solution is gone"},
      {{L"Gain"}, 10, 7, SimValueContext(), false, false, {}, "report type not supported"},
      {{L"Gain"}, 10, 1, SimValueContext(1, 0, 0, 0, 0, 0, 0, 0), false, false, {}, "context does not fit"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    ReportTypeSolutionDefinition rtsd(c.reportType);
    rtsd.SetSimValueContext(c.context);
    SubsweepDefParamsContainer subsweeps;
    subsweeps.PushBackAndOwn(new RegularSubsweepDefParams(L"Freq", 1));
    rep::PointsetDefinition pointset(subsweeps, {});
    rep::TraceDefinition trace(Mgr(), L"T", c.expressions, DesignSolutionDefinition(100, c.solutionID, rtsd), pointset,
                               ExtTraceInfo(), 1, false, nullptr);
    Messages().Clear();
    EXPECT_EQ(c.valid, trace.ValidateDefinition(c.checkExpressions));
    std::vector<AString> posted;
    for (const auto& p : Messages().Posted()) {
      EXPECT_EQ(17002, p.message.GetMessageID());
      posted.push_back(p.message.GetArgs().at(0));
    }
    EXPECT_EQ(c.messages, posted);
    EXPECT_TRUE(Messages().Delivered().empty());
  }

  // A point set of another kind cannot be checked.
  reptest::ForeignPointset foreign;
  rep::TraceDefinition trace(Mgr(), L"T", {L"Gain"}, Dsd(), foreign, ExtTraceInfo(), 1, false, nullptr);
  EXPECT_FALSE(trace.ValidateDefinition(true));
  EXPECT_SOFT_ASSERT("pd");
}
