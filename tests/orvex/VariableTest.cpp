#include "orvex/values/Variable.h"

#include <cmath>
#include <limits>
#include <memory>

#include "RepTest.h"
#include "orvex/values/VariableNameSpace.h"
#include "orvex/values/VariableValues.h"
#include "orvex/values/VariableValuesContext.h"

namespace {

VariableValues One(const Variable* v, const Value& value) {
  VariableValues vv;
  vv.SetVariableValue(v, value);
  return vv;
}

Value Text(const wchar_t* text, Units::FullUnitType u = Units::kNoUnit) { return Value(text, u); }

}  // namespace

TEST(Variable, ContextsNestAndRestore) {
  Variable a(L"a", Units::kNoUnit);
  Variable b(L"b", Units::kGHz);
  Value out;
  EXPECT_FALSE(a.GetCurrentValue(out));
  {
    VariableValues v1 = One(&a, Text(L"1"));
    v1.SetVariableValue(&b, Text(L"2GHz"));
    VariableValuesContext c1(v1);
    EXPECT_EQ(1.0, a.GetValue());
    EXPECT_EQ(2.0, b.GetValue());
    EXPECT_EQ(2e9, b.GetCurrentSI());
    {
      NonNestableVariableValuesContext c2(One(&a, Text(L"5")));
      EXPECT_EQ(5.0, a.GetValue());
      EXPECT_EQ(2.0, b.GetValue());
      {
        VariableValueContext c3(&b, Text(L"300MHz"));
        EXPECT_EQ(0.3, b.GetValue());
        ASSERT_TRUE(b.GetCurrentValue(out));
        EXPECT_EQ(AString(L"300MHz"), out.GetValueText());
      }
      EXPECT_EQ(2.0, b.GetValue());
    }
    EXPECT_EQ(1.0, a.GetValue());
  }
  EXPECT_FALSE(a.HasCurrentValue());
  EXPECT_TRUE(std::isnan(a.GetValue()));
  EXPECT_SOFT_ASSERT("!\"variable has no current value\"");
}

TEST(Variable, ContextsRestoredOutOfOrderStillRestoreTheirOwn) {
  Variable a(L"a", Units::kNoUnit);
  auto outer = std::make_unique<VariableValuesContext>(One(&a, Text(L"1")));
  VariableValuesContext inner(One(&a, Text(L"2")));
  outer.reset();
  EXPECT_SOFT_ASSERT("!\"variable contexts restored out of order\"");
  EXPECT_EQ(2.0, a.GetValue());
}

TEST(Variable, ExpressionValuesEvaluateAtTheirOwnCurrentValues) {
  Variable a(L"a", Units::kNoUnit);
  Variable b(L"b", Units::kNoUnit);
  VariableNameSpace ns(1, 1, 0);
  ns.AddVariable(&a);
  ns.AddVariable(&b);
  b.SetDependent(true);
  b.SetDefinition(L"2*a");
  ASSERT_NE(nullptr, b.GetDefinition());
  VariableValuesContext ca(One(&a, Text(L"3")));
  EXPECT_EQ(6.0, b.GetDefinition()->GetValue());
  VariableValuesContext cb(One(&b, Text(L"a+1")));
  EXPECT_EQ(4.0, b.GetValue());
}

TEST(Variable, ConstantsAndIntrinsics) {
  Variable* pi = Value::GetConstantVariable(L"pi");
  ASSERT_NE(nullptr, pi);
  EXPECT_TRUE(pi->IsConstant());
  EXPECT_DOUBLE_EQ(3.14159265358979323846, pi->GetValue());
  EXPECT_EQ(nullptr, Value::GetConstantVariable(L"PI"));
  EXPECT_EQ(299792458.0, Value::GetConstantVariable(L"c0")->GetValue());

  Variable* freq = Value::GetIntrinsicVariable(L"freq");
  ASSERT_NE(nullptr, freq);
  EXPECT_EQ(AString(L"Freq"), freq->GetName());
  EXPECT_EQ(Units::kHz, freq->GetUnits());
  EXPECT_FALSE(freq->IsConstant());
  EXPECT_EQ(Units::kDeg, Value::GetIntrinsicVariable(L"Phase")->GetUnits());

  Variable* mine = Variable::RegisterIntrinsic(std::make_unique<Variable>(L"Freq", Units::kGHz));
  EXPECT_EQ(mine, Value::GetIntrinsicVariable(L"FREQ"));
  Value v(L"Freq", Units::kNoUnit);
  EXPECT_EQ(mine, v.GetValueBase());
}

TEST(Variable, IntrinsicShadowIsDroppedByTheReset) {
  EXPECT_EQ(Units::kHz, Value::GetIntrinsicVariable(L"Freq")->GetUnits());
}

TEST(VariableNameSpace, ResolutionOrder) {
  Variable myFreq(L"Freq", Units::kGHz);
  Variable e(L"E", Units::kNoUnit);
  Variable outerOnly(L"w", Units::kNoUnit);
  VariableNameSpace outer(1, 1, 0);
  outer.AddVariable(&outerOnly);
  VariableNameSpace inner(1, 1, 0);
  inner.AddVariable(&myFreq);
  inner.AddVariable(&e);
  struct Case { const wchar_t* text; const ValueBase* expected; };
  const Case cases[] = {
      {L"Freq", &myFreq},  // a solution variable shadows the intrinsic of its name
      {L" fReQ ", &myFreq},
      {L"E", &e},
      {L"e", &e},  // variables before constants, without case
      {L"pi", Value::GetConstantVariable(L"pi")},
      {L"w", &outerOnly},
      {L"Time", Value::GetIntrinsicVariable(L"Time")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(AString(c.text).ToUtf8());
    Value v(c.text, Units::kNoUnit);
    ASSERT_TRUE(v.IsValidText());
    EXPECT_EQ(c.expected, v.GetValueBase());
  }
  EXPECT_EQ(&myFreq, inner.ResolveVariable(L"FREQ"));
  EXPECT_EQ(&outerOnly, inner.ResolveVariable(L"W"));
  EXPECT_EQ(nullptr, outer.ResolveVariable(L"E"));
  EXPECT_EQ(Value::GetIntrinsicVariable(L"Freq"), outer.ResolveVariable(L"Freq"));
}

TEST(VariableNameSpace, SearchAndAppendFlags) {
  Variable a(L"a", Units::kNoUnit);
  VariableNameSpace outer(1, 1, 0);
  outer.AddVariable(&a);
  {
    VariableNameSpace closed(0, 0, 0);
    EXPECT_EQ(nullptr, closed.ResolveVariable(L"a"));
    EXPECT_EQ(nullptr, closed.ResolveVariable(L"Freq"));
    EXPECT_FALSE(Value(L"a", Units::kNoUnit).IsValidText());
    EXPECT_FALSE(Value(L"Freq", Units::kNoUnit).IsValidText());
    EXPECT_TRUE(Value(L"pi", Units::kNoUnit).IsValidText());
  }
  {
    VariableNameSpace appending(0, 1, 0);
    EXPECT_EQ(&a, appending.ResolveVariable(L"A"));
    EXPECT_NE(nullptr, appending.ResolveVariable(L"Freq"));  // the enclosing space searches them
  }
  EXPECT_EQ(&outer, VariableNameSpace::GetCurrent());
}

TEST(VariableNameSpace, OutOfOrderDestruction) {
  auto first = std::make_unique<VariableNameSpace>(1, 1, 0);
  Variable a(L"a", Units::kNoUnit);
  first->AddVariable(&a);
  VariableNameSpace second(1, 1, 0);
  first.reset();
  EXPECT_SOFT_ASSERT("!\"VariableNameSpace destroyed out of order\"");
  EXPECT_EQ(&second, VariableNameSpace::GetCurrent());
  EXPECT_EQ(nullptr, second.ResolveVariable(L"a"));
}

TEST(VariableValues, OrderAndLookup) {
  Variable b(L"B", Units::kNoUnit);
  Variable a(L"a", Units::kNoUnit);
  Variable a2(L"A", Units::kNoUnit);
  Variable a3(L"a", Units::kNoUnit);
  EXPECT_LT(VariableValues::CompareVariables(&a, &b), 0);
  EXPECT_LT(VariableValues::CompareVariables(&a2, &a), 0);  // exact name after no case
  EXPECT_LT(VariableValues::CompareVariables(&a, &a3), 0);  // then creation order
  VariableValues vv;
  vv.SetVariableValue(&b, Text(L"2"));
  vv.SetVariableValue(&a3, Text(L"3"));
  vv.SetVariableValue(&a, Text(L"1"));
  std::vector<const Variable*> order;
  for (const auto& kv : vv.GetVariableValueMap()) order.push_back(kv.first);
  EXPECT_EQ((std::vector<const Variable*>{&a, &a3, &b}), order);
  EXPECT_TRUE(vv.DoesVariableExist(L"b"));
  Value out;
  ASSERT_TRUE(vv.GetVariableValue(L"b", out));
  EXPECT_EQ(2.0, out.GetValue());
  EXPECT_TRUE(vv.RemoveVariableValue(L"B"));
  EXPECT_FALSE(vv.RemoveVariableValue(&b));
  EXPECT_EQ(2u, vv.size());

  VariableValues other;
  other.SetVariableValue(&a, Text(L"10"));
  other.SetVariableValue(&b, Text(L"20"));
  VariableValues kept = vv;
  kept.Merge(other, false);
  EXPECT_EQ(1.0, kept.GetVariableValue(&a)->GetValue());
  EXPECT_EQ(20.0, kept.GetVariableValue(&b)->GetValue());
  vv.Merge(other, true);
  EXPECT_EQ(10.0, vv.GetVariableValue(&a)->GetValue());
}

TEST(VariableValues, ComparisonIsOneTotalOrder) {
  Variable f(L"Freq", Units::kHz);
  Variable g(L"g", Units::kNoUnit);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case { Value a; Value b; int sign; const char* why; };
  const Case cases[] = {
      {Text(L"1GHz"), Text(L"1e9"), 0, "same SI value from two texts"},
      {Value(1.0, Units::kGHz), Text(L"1000MHz"), 0, "number and text"},
      {Text(L"1"), Text(L"1.0000000000000002"), -1, "one ulp apart"},
      {Value(nan, Units::kNoUnit), Text(L"nan"), 0, "NaN equals NaN"},
      {Text(L"nan"), Text(L"-inf"), -1, "NaN first"},
      {Text(L"1+1i"), Text(L"1+2i"), -1, "imaginary parts"},
      {Text(L"2"), Text(L"1+5i"), 1, "real part first"},
      {Text(L"1"), Text(L"1+0i"), 0, "real and complex of one number"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    VariableValues x = One(&f, c.a);
    VariableValues y = One(&f, c.b);
    EXPECT_EQ(c.sign, (VariableValues::Compare(x, y) > 0) - (VariableValues::Compare(x, y) < 0));
    EXPECT_EQ(c.sign == 0, x == y);
    EXPECT_EQ(c.sign < 0, x < y);
    EXPECT_EQ(c.sign > 0, y < x);
  }
  VariableValues fg = One(&f, Text(L"1"));
  fg.SetVariableValue(&g, Text(L"1"));
  EXPECT_TRUE(One(&f, Text(L"9")) < fg);  // fewer variables first
  EXPECT_FALSE(One(&g, Text(L"0")) == One(&f, Text(L"0")));
}

TEST(VariableValues, CopiesCurrentValuesOfTheInnermostContext) {
  Variable a(L"a", Units::kNoUnit);
  Variable b(L"b", Units::kNoUnit);
  Variable none(L"none", Units::kNoUnit);
  VariableValues outer = One(&a, Text(L"1"));
  outer.SetVariableValue(&b, Text(L"2"));
  VariableValuesContext c1(outer);
  VariableValuesContext c2(One(&a, Text(L"7")));
  VariableValues copy;
  copy.CopyVarValuesFrom({&a, &b, &none});
  EXPECT_EQ(2u, copy.size());
  EXPECT_EQ(7.0, copy.GetVariableValue(&a)->GetValue());
  EXPECT_EQ(2.0, copy.GetVariableValue(&b)->GetValue());
  EXPECT_FALSE(copy.HasVariable(&none));
}

TEST(VariableValues, VariationKeyRoundTrips) {
  Variable f(L"Freq", Units::kGHz);
  Variable n(L"n", Units::kNoUnit);
  Variable s(L"label", Units::kNoUnit, val::kStringParam);
  Variable w(L"w", Units::kMm);
  VariableNameSpace ns(1, 1, 0);
  for (Variable* v : {&f, &n, &s, &w}) ns.AddVariable(v);
  Value label(Units::kNoUnit);
  label.SetStringValueText(L" a, \"b\"=c\\ ");
  VariableValues vv = One(&f, Text(L"1.5GHz"));
  vv.SetVariableValue(&n, Value(0.1, Units::kNoUnit));
  vv.SetVariableValue(&s, label);
  vv.SetVariableValue(&w, Value(2.5, Units::kMm));

  const AString key = vv.GetVariationKey(true);
  EXPECT_EQ(AString(L"Freq=1.5GHz, label=\" a, \\\"b\\\"=c\\\\ \", n=0.10000000000000001, w=2.5mm"), key);
  VariableValues back;
  ASSERT_EQ(4, VariableValues::ResolveVariationKey(back, key, &ns, false));
  EXPECT_TRUE(back == vv);
  EXPECT_EQ(label.GetStringValue(), back.GetVariableValue(&s)->GetStringValue());
  EXPECT_EQ(0.1, back.GetVariableValue(&n)->GetValue());

  EXPECT_EQ(AString(L"Freq=1.5GHz, label=\" a, \\\"b\\\"=c\\\\ \", n=0.1, w=2.5mm"),
            vv.GetVariationKey("%-.15g", true, nullptr, nullptr, true));
  EXPECT_EQ(AString(L"Freq=1.5, label=\" a, \\\"b\\\"=c\\\\ \", n=0.1, w=2.5"),
            vv.GetVariationKey("%.15g", false, nullptr, nullptr, true));
  // Without units a number is read in its variable's units.
  VariableValues plain;
  ASSERT_EQ(4, VariableValues::ResolveVariationKey(plain, vv.GetVariationKey("%.17g", false, nullptr, nullptr, true),
                                                   &ns, false));
  EXPECT_TRUE(plain == vv);
  EXPECT_EQ(AString(), VariableValues().GetVariationKey(true));
}

TEST(VariableValues, BadKeysResolveToNothing) {
  Variable f(L"Freq", Units::kGHz);
  VariableNameSpace ns(1, 1, 0);
  ns.AddVariable(&f);
  const wchar_t* cases[] = {L"",           L"   ",          L"Freq",           L"Freq=1GHz, nobody=2",
                            L"Freq=1 2",   L"Freq=\"1",     L"=1",             L"Freq=\"1\" x",
                            L"Freq=1GHz, Time=abc"};
  for (const wchar_t* key : cases) {
    SCOPED_TRACE(AString(key).ToUtf8());
    VariableValues out = One(&f, Text(L"9"));
    EXPECT_EQ(0, VariableValues::ResolveVariationKey(out, key, &ns, false));
    EXPECT_TRUE(out.empty());
  }
  VariableValues intrinsic;
  EXPECT_EQ(2, VariableValues::ResolveVariationKey(intrinsic, L"time=2, Freq=\"3\"", &ns, true));
  EXPECT_EQ(3.0, intrinsic.GetVariableValue(&f)->GetValue());
  EXPECT_EQ(2.0, intrinsic.GetVariableValue(Value::GetIntrinsicVariable(L"Time"))->GetValue());
}

TEST(VariableValues, KeyMapsMustBeNull) {
  VariableValues::NameMap names;
  EXPECT_EQ(AString(), VariableValues().GetVariationKey(true, &names, nullptr));
  EXPECT_SOFT_ASSERT("!names&&!units");
}
