#include "orvex/values/ContextVariable.h"

#include <cmath>

#include "RepTest.h"
#include "ValueTestDoubles.h"
#include "orvex/values/IVariableNameSpaceSetupper.h"
#include "orvex/values/VariableNameSpace.h"
#include "orvex/values/VariableValuesContext.h"

using testvalues::Parser;
using testvalues::Quantity;

namespace {

ContextVariable MakeVariable(const wchar_t* name, const wchar_t* text, Units::FullUnitType units = Units::kNoUnit) {
  ContextVariable v(name);
  v.SetValueBaseText(text, ValueState(1, Units::GetUnitType(units), 1, units));
  return v;
}

class OneVariableSetupper : public IVariableNameSpaceSetupper {
public:
  explicit OneVariableSetupper(Variable* v) : m_v(v) {}
  void SetupForTextRegeneration(VariableNameSpace& ns) override { ns.AddVariable(m_v); }
  void Setup(VariableNameSpace& ns) override { ns.AddVariable(m_v); }

private:
  Variable* m_v;
};

}  // namespace

TEST(ContextVariable, ActivationIsCountedAndEvaluatesInItsUnits) {
  Parser p;
  Quantity* s11 = p.AddQuantity(L"S11", val::kDoubleParam, Units::kMHz);
  p.SetNumber(s11, AComplex<double>(1500.0, 0.0));
  ContextVariable ov = MakeVariable(L"OV1", L"S11*2", Units::kGHz);
  EXPECT_EQ(val::kDoubleParam, ov.GetParameterType());
  EXPECT_EQ(Units::kGHz, ov.GetUnits());
  EXPECT_EQ(AString(L"OV1"), ov.GetValueText());

  EXPECT_TRUE(std::isnan(ov.GetValue()));
  EXPECT_SOFT_ASSERT("IsActive()");
  ASSERT_TRUE(ov.Activate(&p, nullptr));
  EXPECT_EQ(nullptr, Value::GetValueParser());  // installed only while the text was parsed
  EXPECT_TRUE(ov.Activate(nullptr, nullptr));
  EXPECT_EQ(2, ov.GetActivationCount());
  {
    InstalledParserScope installed(&p);
    EXPECT_EQ(3.0, ov.GetValue());
  }
  ov.Deactivate();
  EXPECT_TRUE(ov.IsActive());
  ov.Deactivate();
  EXPECT_FALSE(ov.IsActive());
  EXPECT_EQ(0u, s11->RefCount());
  ov.Deactivate();
  EXPECT_SOFT_ASSERT("IsActive()");

  ContextVariable broken = MakeVariable(L"OV2", L"S11+nobody");
  EXPECT_FALSE(broken.Activate(&p, nullptr));
  EXPECT_FALSE(broken.IsActive());
}

TEST(ContextVariable, ActivationUsesTheSetuppersNameSpace) {
  Parser p;
  Variable a(L"a", Units::kNoUnit);
  OneVariableSetupper setupper(&a);
  ContextVariable ov = MakeVariable(L"OV", L"A*2");
  EXPECT_FALSE(ov.Activate(&p, nullptr));
  ASSERT_TRUE(ov.Activate(&p, &setupper));
  EXPECT_EQ(nullptr, VariableNameSpace::GetCurrent());
  VariableValueContext at(&a, Value(4.0, Units::kNoUnit));
  EXPECT_EQ(8.0, ov.GetValue());
  ov.Deactivate();
}

TEST(ContextVariable, ACycleEndsWithAnAssertion) {
  Parser p;
  ContextVariable ov1 = MakeVariable(L"OV1", L"OV2+1");
  ContextVariable ov2 = MakeVariable(L"OV2", L"OV1*2");
  p.AddOutputVariable(&ov1);
  p.AddOutputVariable(&ov2);
  ASSERT_TRUE(ov1.Activate(&p, nullptr));
  ASSERT_TRUE(ov2.Activate(&p, nullptr));
  EXPECT_TRUE(std::isnan(ov1.GetValue()));
  EXPECT_SOFT_ASSERT("!\"output variable cycle\"");
  EXPECT_FALSE(ov1.OKtoDelete());
  ov1.Deactivate();
  ov2.Deactivate();
  EXPECT_TRUE(ov1.OKtoDelete());
  EXPECT_TRUE(ov2.OKtoDelete());
}

TEST(ContextVariable, QuantitiesInsideOutputVariablesAreListed) {
  Parser p;
  p.AddQuantity(L"S11");
  p.AddQuantity(L"S21");
  ContextVariable ov1 = MakeVariable(L"OV1", L"S21*2");
  ContextVariable a = MakeVariable(L"A", L"B+S11");
  ContextVariable b = MakeVariable(L"B", L"A");
  for (ContextVariable* v : {&ov1, &a, &b}) p.AddOutputVariable(v);
  InstalledParserScope installed(&p);
  {
    Value v(L"S11+OV1", Units::kNoUnit);
    ASSERT_TRUE(v.IsValidText());
    EXPECT_FALSE(ov1.OKtoDelete());
    ReferencedPostprocessingQuantityMsg m;
    v.ReceiveMsg(m);
    std::vector<AString> names;
    m.GetSimValueQuantities(names);
    EXPECT_EQ((std::vector<AString>{L"S11", L"S21"}), names);
    std::vector<ContextVariable*> ovs;
    m.GetOutputVariables(ovs);
    EXPECT_EQ(std::vector<ContextVariable*>{&ov1}, ovs);
  }
  EXPECT_TRUE(ov1.OKtoDelete());
  {
    Value v(L"A", Units::kNoUnit);
    ReferencedPostprocessingQuantityMsg m;
    v.ReceiveMsg(m);  // A and B refer to each other: the walk still ends
    std::vector<ContextVariable*> ovs;
    m.GetOutputVariables(ovs);
    EXPECT_EQ((std::vector<ContextVariable*>{&a, &b}), ovs);
    std::vector<AString> names;
    m.GetSimValueQuantities(names);
    EXPECT_EQ(std::vector<AString>{L"S11"}, names);
  }
}

TEST(ContextVariable, OtherMessagesGoThroughOnlyWhenAsked) {
  Parser p;
  Variable x(L"x", Units::kNoUnit);
  VariableNameSpace ns(1, 1, 0);
  ns.AddVariable(&x);
  const long id = DatasetServer::GetDesignDatasetServer()->AddDataset(L"Loss");
  ContextVariable ov = MakeVariable(L"OV", L"table(Loss, Freq)+x");
  p.AddOutputVariable(&ov);
  InstalledParserScope installed(&p);
  Value v(L"OV*2", Units::kNoUnit);
  ASSERT_TRUE(v.IsValidText());

  ReferencedDatasetMap refs;
  v.GetReferencedDatasets(refs, false);
  EXPECT_TRUE(refs.empty());
  v.GetReferencedDatasets(refs, true);
  EXPECT_EQ((ReferencedDatasetMap{{DatasetServer::GetDesignDatasetServer(), {id}}}), refs);

  ReferencedVariablesMsg stop(false);
  v.ReceiveMsg(stop);
  std::vector<Variable*> vars;
  stop.GetVariables(vars);
  EXPECT_TRUE(vars.empty());
  ReferencedVariablesMsg through(true);
  v.ReceiveMsg(through);
  through.GetVariables(vars);
  EXPECT_EQ((std::vector<Variable*>{Value::GetIntrinsicVariable(L"Freq"), &x}), vars);
}

TEST(ContextVariable, CopiesCarryNoHoldersNorActivation) {
  Parser p;
  ContextVariable ov = MakeVariable(L"OV", L"1+1");
  ASSERT_TRUE(ov.Activate(&p, nullptr));
  p.AddOutputVariable(&ov);
  InstalledParserScope installed(&p);
  Value holder(L"OV", Units::kNoUnit);
  ContextVariable copy(ov);
  EXPECT_EQ(AString(L"1+1"), copy.GetValueBaseText());
  EXPECT_EQ(ov.GetValueState(), copy.GetValueState());
  EXPECT_TRUE(copy.OKtoDelete());
  EXPECT_FALSE(copy.IsActive());
  ContextVariable assigned(L"other");
  assigned = ov;
  EXPECT_EQ(AString(L"OV"), assigned.GetName());
  EXPECT_EQ(2.0, holder.GetValue());
  holder.Clear();
  ov.Deactivate();
}
