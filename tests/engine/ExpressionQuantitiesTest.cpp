#include <map>
#include <memory>
#include <set>
#include <vector>

#include "EngineFixture.h"
#include "reports/GravikUtils.h"
#include "quantities/OutputVariableMgr.h"
#include "quantities/RangedFunctionEvaluationHelper.h"
#include "quantities/SimValueDataCache.h"
#include "quantities/SimValueInfoServer.h"
#include "quantities/VersionedQuantityParser.h"
#include "orvex/core/Ids.h"
#include "orvex/core/IMessageManager.h"
#include "orvex/core/VelmorMessage.h"
#include "orvex/values/ContextVariable.h"
#include "orvex/values/IValueParser.h"
#include "orvex/values/VariableNameSpace.h"
#include "postorvex/outputvars/OutputVariable.h"
#include "postorvex/quantities/CompositeReferencedPostprocessingQuantityMsg.h"
#include "postorvex/quantities/SimValueParams.h"

namespace {

struct ParserDeleter {
  void operator()(rep::VersionedQuantityParser* p) const { delete p->GetInterfaceQueriable(); }
};
using ParserPtr = std::unique_ptr<rep::VersionedQuantityParser, ParserDeleter>;
using Names = std::vector<AString>;

// Solution 10 knows S11 and S21 (complex), Re and Im (double), the composite Field = {Re, Im}, a
// variable Freq and a variable Port that stands for the quantity Re; the user defines Twice = S21*2.
class ExpressionQuantitiesTest : public reptest::EngineFixture {
protected:
  ExpressionQuantitiesTest() : m_cache(&m_solutions) {
    refhost::ReferenceSolution& s = *m_solutions.FindSolution(10);
    s.AddSupportedReportType(1);
    s.AddVariable(L"Freq", Value(1.0, 113), false);
    s.AddVariable(L"Port", Value(1.0, Units::kNoUnit), false);
    s.SetVariableQuantity(L"Port", L"Re");
    s.AddQuantity(L"S11", ValueState(2, 15, 1));
    s.AddQuantity(L"S21", ValueState(2, 15, 1));
    s.AddQuantity(L"Re", ValueState(1, 15, 1));
    s.AddQuantity(L"Im", ValueState(1, 15, 1));
    s.AddCompositeQuantity(L"Field", 2, {L"Re", L"Im"});
    s.SetDescribesQuantitiesByTypeParams(true);
    s.AddSweep(s.FindVariable(L"Freq"), {1, 2, 3});
    auto* twice = new OutputVariable(L"Twice");
    twice->SetValueBaseText(L"S21*2", ValueState(2, 15, 1));
    m_user.ChangeOutputVariableID(twice);
    m_owner.SetSimValueCache(&m_cache);
    m_owner.SetOutputVariableMgr(&m_user);
  }

  static DesignSolutionDefinition Dsd() { return DesignSolutionDefinition(100, 10, ReportTypeSolutionDefinition(1)); }
  ParserPtr MakeParser() {
    IValueParser* p = rep::CreateVersionedQuantityParser(&m_solutions, &m_user, &m_cache.GetInfoServer(), Dsd());
    return ParserPtr(p ? dynamic_cast<rep::VersionedQuantityParser*>(p) : nullptr);
  }
  long ID(const AString& quantity) {
    SimValueParams params;
    return m_cache.GetInfoServer().GetSimValueID(params, quantity, Dsd(), 1);
  }
  static Names Sorted(Names n) {
    std::sort(n.begin(), n.end(), AString::NoCaseLess());
    return n;
  }

  rep::SimValueDataCache m_cache;
  rep::OutputVariableMgr m_user{&m_solutions};
};

TEST_F(ExpressionQuantitiesTest, RecordListsWhatEachExpressionUses) {
  ParserPtr parser = MakeParser();
  ASSERT_TRUE(parser);
  IValueParser* before = Value::GetValueParser();
  std::vector<bool> valid;
  std::unique_ptr<CompositeReferencedPostprocessingQuantityMsg> msg(
      rep::BuildReferencedQuantityMsg(valid, *parser, {L"dB(S11)", L"", L"Field", L"NoSuchThing+1", L"Twice+s11"}));
  EXPECT_EQ(before, Value::GetValueParser()) << "the previous parser is put back";
  ASSERT_TRUE(msg);
  EXPECT_EQ(std::vector<bool>({true, true, true, false, true}), valid);

  Names names;
  msg->GetSimValueQuantitiesForExpr(L"db(s11)", names);
  EXPECT_EQ(Names({L"S11"}), names) << "parts are found without regard to case";
  names.clear();
  msg->GetSimValueQuantitiesForExpr(L"Twice+s11", names);
  EXPECT_EQ(Names({L"S11", L"S21"}), Sorted(names)) << "quantities inside an output variable count";
  std::vector<ContextVariable*> variables;
  msg->GetOutputVariablesForExpr(L"Twice+s11", variables);
  ASSERT_EQ(1u, variables.size());
  EXPECT_EQ(AString(L"Twice"), variables[0]->GetName());
  names.clear();
  msg->GetCompositeQuantitiesForExpr(L"Field", names);
  EXPECT_EQ(Names({L"Field"}), names);
  names.clear();
  msg->GetSimValueQuantitiesForExpr(L"", names);
  EXPECT_TRUE(names.empty()) << "an empty expression references nothing";
  names.clear();
  msg->GetAllSimValueQuantities(names);
  EXPECT_EQ(2u, names.size()) << "S11 once however it is written";
}

TEST_F(ExpressionQuantitiesTest, ValidateExpressionsNeedsEveryExpressionValid) {
  ParserPtr parser = MakeParser();
  std::unique_ptr<CompositeReferencedPostprocessingQuantityMsg> ok(rep::ValidateExpressions(*parser, {L"S11", L"Field"}));
  EXPECT_TRUE(ok);
  int posted = 0;
  static int* s_posted;
  s_posted = &posted;
  MessageSink old = SetMessageSink([](const VelmorMessage&) { ++*s_posted; });
  EXPECT_FALSE(rep::ValidateExpressions(*parser, {L"S11", L"Nothing"}));
  SetMessageSink(old);
  EXPECT_EQ(0, posted) << "a rejected expression posts no user message";
}

TEST_F(ExpressionQuantitiesTest, LeafIDsCollapseAndCompositesGiveTheirLeaves) {
  ParserPtr parser = MakeParser();
  std::unique_ptr<CompositeReferencedPostprocessingQuantityMsg> msg(
      rep::ValidateExpressions(*parser, {L"mag(S11)", L"S11+S21", L"Field"}));
  ASSERT_TRUE(msg);
  std::set<long> ids;
  rep::CollectLeafQuantitySimValueIDs(ids, *msg, &m_cache.GetInfoServer(), Dsd(), 1);
  EXPECT_EQ(std::set<long>({ID(L"S11"), ID(L"S21"), ID(L"Re"), ID(L"Im")}), ids);
  EXPECT_EQ(0u, ids.count(id::invalidID)) << "the composite itself has no ID";

  ids.clear();
  rep::CollectLeafQuantitySimValueIDsForKey(ids, L"FIELD", *msg, &m_cache.GetInfoServer(), Dsd(), 1);
  EXPECT_EQ(std::set<long>({ID(L"Re"), ID(L"Im")}), ids);

  std::map<AString, long, AString::NoCaseLess> byName;
  rep::MapLeafQuantitiesToSimValueIDs(byName, *msg, &m_cache.GetInfoServer(), Dsd(), 1);
  EXPECT_EQ(4u, byName.size());
  EXPECT_EQ(ID(L"Re"), byName[L"re"]);
}

TEST_F(ExpressionQuantitiesTest, ValueStateAndRenamedText) {
  ValueState state;
  EXPECT_TRUE(rep::GetValueStateOfExpression(state, L"mag(S11)", Dsd(), &m_solutions, &m_user, &m_cache.GetInfoServer()));
  EXPECT_EQ(1, state.GetParameterType());
  EXPECT_FALSE(rep::GetValueStateOfExpression(state, L"S11+", Dsd(), &m_solutions, &m_user, &m_cache.GetInfoServer()));

  std::map<AString, AString, AString::NoCaseLess> renames{{L"s21", L"S12"}};
  AString text = L"unchanged";
  EXPECT_TRUE(rep::GenerateNewValueText(text, state, L"S11 + 1", renames, &m_solutions, &m_user,
                                        &m_cache.GetInfoServer(), Dsd()));
  EXPECT_EQ(AString(L"unchanged"), text) << "nothing renamed leaves the text";
  EXPECT_EQ(2, state.GetParameterType());
  EXPECT_TRUE(rep::GenerateNewValueTextOfExpression(text, L"mag(S21) + S11", renames, &m_solutions, &m_user,
                                                    &m_cache.GetInfoServer(), Dsd()));
  EXPECT_EQ(AString(L"mag(S12)+S11"), text);
  DesignSolutionDefinition unknown(100, 99, ReportTypeSolutionDefinition(1));
  EXPECT_FALSE(rep::GenerateNewValueTextOfExpression(text, L"S11", renames, &m_solutions, &m_user,
                                                     &m_cache.GetInfoServer(), unknown));
  EXPECT_SOFT_ASSERT("0");
}

TEST_F(ExpressionQuantitiesTest, TraceRecordAddsQuantitiesOfPlainVariables) {
  ParserPtr parser = MakeParser();
  auto trace = MakeTrace({L"Freq", L"Port", L"S11"});
  std::unique_ptr<AbstractQuantityInfo> with(rep::AddSimValueQuantitiesOfExpression(*parser, trace.get(), true));
  ASSERT_TRUE(with);
  Names names;
  with->GetSimValueQuantitiesForExpr(L"Port", names);
  EXPECT_EQ(Names({L"Re"}), names);
  names.clear();
  with->GetSimValueQuantitiesForExpr(L"Freq", names);
  EXPECT_TRUE(names.empty()) << "a variable that stands for no quantity adds none";

  std::unique_ptr<AbstractQuantityInfo> without(rep::AddSimValueQuantitiesOfExpression(*parser, trace.get(), false));
  names.clear();
  without->GetSimValueQuantitiesForExpr(L"Port", names);
  EXPECT_TRUE(names.empty());

  auto invalid = MakeTrace({L"S11", L"Nothing"});
  EXPECT_FALSE(rep::AddSimValueQuantitiesOfExpression(*parser, invalid.get(), true));
}

TEST_F(ExpressionQuantitiesTest, DimensionReduction) {
  ParserPtr parser = MakeParser();
  struct Case {
    const wchar_t* expression;
    bool reduces;
  } cases[] = {
      {L"max(S11)", true},
      {L"max(mag(S11))", true},
      {L"max(S11, Freq)", true},
      {L"mean(max(S11))", true},
      {L"mag(S11)", false},
      {L"S11+1", false},
      {L"Field", false},       // composite
      {L"Nothing(", false},    // does not parse
      {L"2", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.reduces, rep::ReportManager::DetectDimensionReducingFunction(*parser, c.expression))
        << AString(c.expression).ToUtf8();
}

TEST_F(ExpressionQuantitiesTest, DatasetArgumentsDecideTheFlagAfresh) {
  ParserPtr parser = MakeParser();
  VariableNameSpace names(1, 1, 0);
  parser->GetVariableNameSpaceSetupper()->Setup(names);
  InstalledParserScope installed(parser.get());
  RangeFnDimReduceDetectorStrategy strategy;
  strategy.DoVariablesReduceDimension(L"Freq", L"2");
  EXPECT_FALSE(strategy.GetResult()) << "nothing to look into";
  strategy.DoVariablesReduceDimension(L"max(S11)", L"");
  EXPECT_TRUE(strategy.GetResult());
  strategy.DoVariablesReduceDimension(L"Freq", L"S11");
  EXPECT_FALSE(strategy.GetResult()) << "only the second looked into: its answer replaces the earlier true";
  strategy.DoVariablesReduceDimension(L"max(S11)", L"S21");
  EXPECT_FALSE(strategy.GetResult()) << "both looked into: both must reduce";
  strategy.DoVariablesReduceDimension(L"max(S11)", L"min(S21)");
  EXPECT_TRUE(strategy.GetResult());
}

TEST_F(ExpressionQuantitiesTest, CompositeTestAndQuantityNamesOfNewSolution) {
  m_solutions.FindSolution(10)->AddOutputVariable(L"SolVar", L"Im*3");
  auto plain = MakeTrace({L"S11", L"Twice"});
  auto composite = MakeTrace({L"Field"});
  auto overSolution = MakeTrace({L"Freq", L"SolVar*2"});  // a variable that the solution defines
  long reportID = AddReport(L"R", {plain.get(), composite.get(), overSolution.get()});
  std::vector<long> traceIDs;
  Report(reportID).GetTraceIDs(traceIDs);
  ASSERT_EQ(3u, traceIDs.size());
  EXPECT_FALSE(Mgr().IsCompositeTrace(traceIDs[0]));
  EXPECT_TRUE(Mgr().IsCompositeTrace(traceIDs[1]));
  EXPECT_FALSE(Mgr().IsCompositeTrace(424242));
  EXPECT_SOFT_ASSERT("0");

  rep::TraceQuantityNames names;
  names[traceIDs[0]] = {L"stale"};
  Mgr().OnNewSolution(names);
  ASSERT_EQ(3u, names.size());
  EXPECT_EQ((std::set<AString, AString::NoCaseLess>{L"S11", L"S21", L"Twice"}), names[traceIDs[0]]);
  EXPECT_EQ((std::set<AString, AString::NoCaseLess>{L"Field"}), names[traceIDs[1]]);
  EXPECT_EQ((std::set<AString, AString::NoCaseLess>{L"Im", L"SolVar"}), names[traceIDs[2]]);
}

}  // namespace
