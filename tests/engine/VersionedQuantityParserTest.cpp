#include "quantities/VersionedQuantityParser.h"

#include <memory>
#include <vector>

#include "QuantityHost.h"
#include "quantities/SimValue2.h"
#include "quantities/SimValueInfoServer.h"
#include "hostapi/IAlienTokenParser.h"
#include "orvex/core/Ids.h"
#include "orvex/values/Value.h"
#include "postorvex/outputvars/OutputVariable.h"
#include "quantities/OutputVariableMgr.h"

namespace {

struct ParserDeleter {
  void operator()(rep::VersionedQuantityParser* p) const { delete p->GetInterfaceQueriable(); }
};
using ParserPtr = std::unique_ptr<rep::VersionedQuantityParser, ParserDeleter>;

class ParserTest : public ::testing::Test {
protected:
  ParserTest() : m_info(&m_host) {
    reptest::QuantitySolution& s = m_host.AddQuantitySolution(10, L"Run1");
    s.AddQuantity(L"S11", ValueState(2, 15, 1));
    s.AddQuantity(L"Gain", ValueState(1, 12, 1, 200));
    s.AddQuantity(L"Mode", ValueState(9, 15, 1));
    s.AddQuantity(L"Twice", ValueState(1, 15, 1));  // also a user variable
    s.AddQuantity(L"Both", ValueState(1, 15, 1));
    s.AddOutputVariable(L"GainPlus", L"Gain+1");
    s.AddOutputVariable(L"Both", L"Gain*3");  // also a user variable and a quantity
    s.AddOutputVariable(L"Self", L"Self*2");
    s.AddOutputVariable(L"PingA", L"PingB+1");
    s.AddOutputVariable(L"PingB", L"PingA+1");
    s.AddOutputVariable(L"Broken", L"Gain+");
    s.AddQuantity(L"Echo", ValueState(1, 15, 1));
    s.AddOutputVariable(L"Echo", L"Echo*2");  // refers to itself, not to the quantity
    AddUserVariable(L"Twice", L"Gain*2");
    AddUserVariable(L"both", L"Gain*4");
  }

  // A variable from elsewhere, taken over by the manager under a new ID.
  OutputVariable* AddUserVariable(const AString& name, const AString& expression) {
    auto* variable = new OutputVariable(name);
    variable->SetValueBaseText(expression, ValueState(1, 15, 1));
    EXPECT_TRUE(m_user.ChangeOutputVariableID(variable));
    return variable;
  }

  ParserPtr MakeParser(long solutionID = 10) {
    IValueParser* p = rep::CreateVersionedQuantityParser(&m_host, &m_user, &m_info, Dsd(solutionID));
    return ParserPtr(p ? dynamic_cast<rep::VersionedQuantityParser*>(p) : nullptr);
  }
  static DesignSolutionDefinition Dsd(long solutionID) {
    return DesignSolutionDefinition(100, solutionID, ReportTypeSolutionDefinition(1));
  }
  reptest::QuantitySolution& Solution() { return *static_cast<reptest::QuantitySolution*>(m_host.GetSolution(10)); }

  reptest::QuantityHost m_host;
  rep::OutputVariableMgr m_user{&m_host};
  rep::SimValueInfoServer m_info;
};

}  // namespace

TEST_F(ParserTest, NamesResolveWithoutRegardToCase) {
  ParserPtr parser = MakeParser();
  ASSERT_TRUE(parser);
  struct Case {
    const wchar_t* a;
    const wchar_t* b;
  };
  const Case cases[] = {{L"S11", L"s11"}, {L"Twice", L"TWICE"}, {L"GainPlus", L"gainplus"}};
  for (const Case& c : cases) {
    ValueBase* first = parser->GetValueForName(c.a);
    ASSERT_NE(nullptr, first) << AString(c.a).ToUtf8();
    EXPECT_EQ(first, parser->GetValueForName(c.b)) << AString(c.b).ToUtf8();
  }
  EXPECT_EQ(parser->GetSimValueID(L"S11"), parser->GetSimValueID(L"s11"));
}

TEST_F(ParserTest, SolutionVariablesComeFirstThenUserVariablesThenQuantities) {
  ParserPtr parser = MakeParser();
  ValueBase* both = parser->GetValueForName(L"Both");
  auto* solutionVariable = dynamic_cast<OutputVariable*>(both);
  ASSERT_NE(nullptr, solutionVariable);
  EXPECT_EQ(AString(L"Gain*3"), solutionVariable->GetValueBaseText());
  EXPECT_TRUE(parser->IsSolutionOutputVariable(L"both"));

  EXPECT_EQ(m_user.FindOutputVariable(L"Twice"), parser->GetValueForName(L"Twice"));
  EXPECT_FALSE(parser->IsSolutionOutputVariable(*m_user.FindOutputVariable(L"Twice")));
  EXPECT_NE(nullptr, dynamic_cast<rep::SimValue2*>(parser->GetValueForName(L"Gain")));
}

TEST_F(ParserTest, UnknownNamesAreAskedAgainEveryTime) {
  ParserPtr parser = MakeParser();
  const int before = Solution().m_valueStateQuestions;
  EXPECT_EQ(nullptr, parser->GetValueForName(L"Nowhere"));
  EXPECT_EQ(nullptr, parser->GetValueForName(L"Nowhere"));
  EXPECT_EQ(ValueState(0, 15, 1), parser->GetValueState(L"Nowhere"));
  EXPECT_EQ(id::invalidID, parser->GetSimValueID(L"Nowhere"));
  EXPECT_EQ(before + 4, Solution().m_valueStateQuestions);
  // A known quantity is asked once.
  parser->GetSimValueID(L"Gain");
  parser->GetSimValueID(L"GAIN");
  EXPECT_EQ(before + 5, Solution().m_valueStateQuestions);
}

TEST_F(ParserTest, ValueStates) {
  ParserPtr parser = MakeParser();
  EXPECT_EQ(ValueState(1, 12, 1, 200), parser->GetValueState(L"gain"));
  EXPECT_EQ(ValueState(2, 15, 1), parser->GetValueState(L"S11"));
  // Output variables give the state of their expression.
  EXPECT_EQ(1, parser->GetValueState(L"GainPlus").GetParameterType());
  EXPECT_EQ(1, parser->GetValueState(L"Twice").GetParameterType());
  // A solution variable whose expression does not validate is no variable.
  EXPECT_EQ(nullptr, parser->GetValueForName(L"Broken"));
  EXPECT_FALSE(parser->IsSolutionOutputVariable(L"Broken"));
}

TEST_F(ParserTest, SelfReferringSolutionVariablesDoNotResolve) {
  ParserPtr parser = MakeParser();
  for (const wchar_t* name : {L"Self", L"PingA", L"PingB"}) {
    EXPECT_EQ(nullptr, parser->GetValueForName(name)) << AString(name).ToUtf8();
    EXPECT_FALSE(parser->IsSolutionOutputVariable(name));
    EXPECT_EQ(ValueState(0, 15, 1), parser->GetValueState(name));
  }
  InstalledParserScope installed(parser.get());
  Value v(90);
  EXPECT_FALSE(v.SetValueText(L"PingA*2", 90));

  // Inside its own expression the name is not taken for the quantity of that name either: the
  // variable would otherwise hold itself. Outside, the name is the quantity.
  EXPECT_FALSE(parser->IsSolutionOutputVariable(L"echo"));
  ValueBase* echo = parser->GetValueForName(L"Echo");
  ASSERT_NE(nullptr, dynamic_cast<rep::SimValue2*>(echo));
  EXPECT_EQ(ValueState(1, 15, 1), parser->GetValueState(L"ECHO"));
  EXPECT_TRUE(v.SetValueText(L"Echo*2", 90));
}

TEST_F(ParserTest, OneQuantityOneIDAcrossParsers) {
  ParserPtr first = MakeParser();
  m_host.AddQuantitySolution(11, L"Run2").AddQuantity(L"gain", ValueState(1, 12, 1, 200));
  ParserPtr second = MakeParser(11);
  const long id = first->GetSimValueID(L"Gain");
  ASSERT_NE(id::invalidID, id);
  EXPECT_EQ(id, second->GetSimValueID(L"gain"));
  EXPECT_NE(id, first->GetSimValueID(L"S11"));
  EXPECT_EQ(2u, m_info.GetNumIDs());

  std::vector<rep::SimValue2*> values;
  first->GetSimValues(values);
  ASSERT_EQ(2u, values.size());
  EXPECT_LT(values[0]->GetSimValueID(), values[1]->GetSimValueID());
}

TEST_F(ParserTest, DatasetsOnePerExpressionPair) {
  ParserPtr parser = MakeParser();
  ValueBase* gain = parser->GetValueForName(L"Gain");
  ValueBase* gainOtherCase = parser->GetValueForName(L"GAIN");
  Variable* freq = Value::GetIntrinsicVariable(L"Freq");
  ASSERT_NE(nullptr, freq);

  ValueBase* overFreq = parser->GetDatasetValue(gain, freq);
  ASSERT_NE(nullptr, dynamic_cast<DoubleSimDatasetValue*>(overFreq));
  EXPECT_EQ(overFreq, parser->GetDatasetValue(gainOtherCase, freq));
  ValueBase* alone = parser->GetDatasetValue(gain, nullptr);
  EXPECT_NE(overFreq, alone);
  EXPECT_NE(nullptr, dynamic_cast<ComplexSimDatasetValue*>(parser->GetDatasetValue(parser->GetValueForName(L"S11"), freq)));

  EXPECT_EQ(nullptr, parser->GetDatasetValue(parser->GetValueForName(L"Mode"), nullptr));
  EXPECT_SOFT_ASSERT("!\"Only double or complex for now\"");

  // An x that is no variable of the solution.
  Variable stranger(L"Stranger", 90);
  EXPECT_EQ(nullptr, parser->GetDatasetValue(gain, &stranger));

  const long id = dynamic_cast<AbstractDynamicDatasetValue*>(overFreq)->GetID();
  EXPECT_EQ(dynamic_cast<AbstractDynamicDatasetValue*>(overFreq), parser->FindDatasetByID(id));
  EXPECT_EQ(nullptr, parser->FindDatasetByID(999));

  // Validation gets the dummies, made for no expression.
  EXPECT_EQ(12, parser->GetDummyDatasetForValidation(ValueState(1, 15, 1), ValueState(1, 15, 1))->GetParameterType());
  EXPECT_EQ(11, parser->GetDummyDatasetForValidation(ValueState(2, 15, 1), ValueState(1, 15, 1))->GetParameterType());
  EXPECT_EQ(nullptr, parser->GetDummyDatasetForValidation(ValueState(9, 15, 1), ValueState(1, 15, 1)));
  EXPECT_SOFT_ASSERT("0");
}

TEST_F(ParserTest, ExpressionsParseThroughTheParser) {
  ParserPtr parser = MakeParser();
  InstalledParserScope installed(parser.get());
  Value v(90);
  ASSERT_TRUE(v.SetValueText(L"max(gain, Freq) + GainPlus", 90));
  EXPECT_EQ(1, v.GetParameterType());
  Value complex(90);
  ASSERT_TRUE(complex.SetValueText(L"S11*2", 90));
  EXPECT_EQ(2, complex.GetParameterType());
}

TEST_F(ParserTest, CreationAndFaces) {
  EXPECT_EQ(nullptr, MakeParser(99));
  ParserPtr parser = MakeParser();
  EXPECT_EQ(Dsd(10), parser->GetDesignSolutionDefinition());
  EXPECT_EQ(1, parser->GetVersionID());
  EXPECT_EQ(&m_info, parser->GetSimValueInfoCache());
  EXPECT_EQ(m_host.GetSolution(10), parser->GetSolutionObject());
  EXPECT_EQ(m_host.GetVariableNameSpaceSetupper(10), parser->GetVariableNameSpaceSetupper());

  IInterfaceQueriable* q = parser->GetInterfaceQueriable();
  EXPECT_EQ(static_cast<IValueParser*>(parser.get()), QueryInterfaceT<IValueParser>(q));
  EXPECT_EQ(q, QueryInterfaceT<IInterfaceQueriable>(q));
  EXPECT_EQ(m_host.GetAlienTokenParser(), QueryInterfaceT<IAlienTokenParser>(q));
  EXPECT_EQ(nullptr, q->QueryInterface(typeid(int)));
}

TEST_F(ParserTest, UserVariablesOfOneNameKeepTheLater) {
  OutputVariable* later = AddUserVariable(L"TWICE", L"Gain*5");
  ParserPtr parser = MakeParser();
  EXPECT_SOFT_ASSERT("outputVarsMap.find(currVarName) == outputVarsMap.end()");
  EXPECT_EQ(later, parser->GetValueForName(L"twice"));
}

TEST_F(ParserTest, ValuesMayOutliveTheirParser) {
  ParserPtr parser = MakeParser();
  auto value = std::make_unique<Value>(90);
  {
    InstalledParserScope installed(parser.get());
    ASSERT_TRUE(value->SetValueText(L"Gain*2 + max(Gain, Freq) + GainPlus", 90));
  }
  parser.reset();
  // The solution variable and the dataset were still held; the quantity leaves go quietly.
  EXPECT_SOFT_ASSERT("(*it).second->OKtoDelete()");
  EXPECT_SOFT_ASSERT("0");
  EXPECT_EQ(AString(L"Gain*2 + max(Gain, Freq) + GainPlus"), value->GetValueText());
  value.reset();  // frees the handed-over leaves; the sanitizer reports leaks and double frees
}

TEST_F(ParserTest, DeletedParserLeavesNothingBehind) {
  ParserPtr parser = MakeParser();
  {
    InstalledParserScope installed(parser.get());
    Value v(90);
    ASSERT_TRUE(v.SetValueText(L"max(Gain*2, Freq) + max(S11) + GainPlus + Both", 90));
  }
  parser.reset();  // everything unreferenced: no assertion, no leak
}
