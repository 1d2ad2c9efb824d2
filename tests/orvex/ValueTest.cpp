#include "orvex/values/Value.h"

#include <cmath>
#include <limits>

#include "RepTest.h"
#include "orvex/io/Block.h"
#include "orvex/io/BlockFile.h"
#include "orvex/values/ConstantValues.h"
#include "orvex/values/Variable.h"
#include "orvex/values/VariableNameSpace.h"
#include "orvex/values/VariableValuesContext.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();
const double kPi = 3.14159265358979323846;

bool SameDouble(double a, double b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  if (a == b) return true;
  return std::fabs(a - b) <= 1e-14 * std::max(std::fabs(a), std::fabs(b));
}

}  // namespace

TEST(Value, ParsesAndEvaluatesExpressions) {
  struct Case { const wchar_t* text; val::ParameterType type; double re; double im; };
  const Case cases[] = {
      {L"1+2*3", 1, 7, 0},
      {L"-2^2", 1, -4, 0},
      {L"2^3^2", 1, 512, 0},
      {L"(1+2)*3", 1, 9, 0},
      {L" 3 * ( 2 + 1 ) ", 1, 9, 0},
      {L"1.5GHz/1GHz", 1, 1.5, 0},
      {L"1.5+ 2.5i", 2, 1.5, 2.5},
      {L"1.5- 2.5i", 2, 1.5, -2.5},
      {L"1.5-2.5i", 2, 1.5, -2.5},
      {L"-2.5i", 2, 0, -2.5},
      {L"1e3j", 2, 0, 1000},
      {L"abs(3+4i)", 1, 5, 0},
      {L"dB(10)", 1, 20, 0},
      {L"db_power(10)", 1, 10, 0},
      {L"1e-3", 1, 0.001, 0},
      {L".5", 1, 0.5, 0},
      {L"NaN", 1, kNaN, 0},
      {L"-inf", 1, -kInf, 0},
      {L"INF", 1, kInf, 0},
      {L"--2", 1, 2, 0},
      {L"2^-1", 1, 0.5, 0},
      {L"1/0", 1, kInf, 0},
      {L"0/0", 1, kNaN, 0},
      {L"2*pi", 1, 2 * kPi, 0},
      {L"e", 1, 2.71828182845904523536, 0},
      {L"(1+2i)*(3-4i)", 2, 11, 2},
      {L"(1+2i)/(1-1i)", 2, -0.5, 1.5},
      {L"(1+2i)^2", 2, -3, 4},
      {L"conj(1+2i)", 2, 1, -2},
      {L"real(3+4i)+imag(3+4i)", 1, 7, 0},
      {L"ang(1i)", 1, kPi / 2, 0},
      {L"sqrt(-4)", 2, 0, 2},
      {L"sqrt(16)", 1, 4, 0},
      {L"(-8)^(1/3)", 2, 1, 1.7320508075688772},
      {L"(-8)^2", 1, 64, 0},
      {L"(-8)^-1", 1, -0.125, 0},
      {L"2^0.5", 1, 1.4142135623730951, 0},
      {L"1e-310", 1, 1e-310, 0},
      {L"4.9e-324", 1, 4.9e-324, 0},
      {L"1.7976931348623157e308", 1, 1.7976931348623157e308, 0},
      {L"exp(1i*pi)", 2, -1, 1.2246467991473532e-16},
      {L"MAG(-3)", 1, 3, 0},
      {L"sin(0)+cos(0)", 1, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(AString(c.text).ToUtf8());
    Value v(Units::kNoUnit);
    ASSERT_TRUE(v.SetValueText(c.text, Units::kNoUnit));
    EXPECT_TRUE(v.IsValidText());
    EXPECT_EQ(c.type, v.GetParameterType());
    EXPECT_EQ(AString(c.text), v.GetValueText());
    AComplex<double> z = v.GetComplexValue();
    EXPECT_TRUE(SameDouble(c.re, z.real())) << z.real();
    EXPECT_TRUE(SameDouble(c.im, z.imag())) << z.imag();
    EXPECT_TRUE(SameDouble(c.re, v.GetValue())) << v.GetValue();
  }
}

TEST(Value, RefusesBadExpressions) {
  const wchar_t* cases[] = {
      L"1e",      L"-",         L"abc",  L"2pi",     L"",      L"  ",     L"1.5 GHz", L"2 3",
      L"(2",      L"2)",        L"1,2",  L"1+*2",    L"abs()", L"abs(1,2)", L"max(3)", L"PI",
      L"E",       L"1abc",      L"2#3",  L"abs(3",   L"()",    L"1..2",   L"floor(1i)", L"S(1,1)",
      L"1e400",   L"1e400i",    L"2e-324", L"1e-999", L"-1e309", L"1+1.8e308GHz",
  };
  for (const wchar_t* text : cases) {
    SCOPED_TRACE(AString(text).ToUtf8());
    Value v(Units::kNoUnit);
    EXPECT_FALSE(v.SetValueText(text, Units::kNoUnit));
    EXPECT_FALSE(v.IsValidText());
    EXPECT_EQ(val::kNoParam, v.GetParameterType());
    EXPECT_TRUE(std::isnan(v.GetValue()));
    EXPECT_EQ(AString(text), v.GetValueText());
    EXPECT_EQ(nullptr, v.GetValueBase());
  }
}

TEST(Value, NumbersOutOfRangeAreRefusedAsTheBlockTextRefusesThem) {
  struct Case { std::string number; bool valid; };
  const Case cases[] = {{"1" + std::string(399, '0'), false}, {"1" + std::string(399, '0') + ".5", false},
                        {"1e400", false}, {"1e-999", false}, {"2e-324", false},
                        {"1e-310", true}, {"4.9e-324", true}, {"1e308", true}, {"0e-999", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.number);
    io::CBlock b(L"B");
    const bool blockReads = io::BlockFromText(AString::FromUtf8("B {\n  R = " + c.number + "\n}\n"), b, nullptr);
    EXPECT_EQ(c.valid, blockReads);
    EXPECT_EQ(c.valid, Value(AString::FromUtf8(c.number), Units::kNoUnit).IsValidText());
  }
  // A number's own text never rounds out of range.
  for (double d : {1.7976931348623157e308, -1.7976931348623157e308, 4.9e-324}) {
    SCOPED_TRACE(d);
    Value v(d, Units::kNoUnit);
    Value back(v.GetValueText(), Units::kNoUnit);
    ASSERT_TRUE(back.IsValidText()) << v.GetValueText().ToUtf8();
    EXPECT_EQ(d, back.GetValue());
  }
}

TEST(Value, IntegerPowersOfComplexNumbersAreExact) {
  struct Case { const wchar_t* text; double re; double im; };
  const Case cases[] = {
      {L"(1+2i)^2", -3, 4},        {L"1i^2", -1, 0},  {L"1i^3", 0, -1},      {L"(1+1i)^64", 4294967296.0, 0},
      {L"(1+2i)^-2", -0.12, -0.16}, {L"(2+0i)^-1", 0.5, 0}, {L"(1+2i)^0", 1, 0}, {L"(3-1i)^1", 3, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(AString(c.text).ToUtf8());
    Value v(c.text, Units::kNoUnit);
    ASSERT_EQ(val::kComplexParam, v.GetParameterType());
    AComplex<double> z = v.GetComplexValue();
    EXPECT_EQ(c.re, z.real());
    EXPECT_EQ(c.im, z.imag());
  }
}

TEST(Value, PowerAndSqrtTypesAreFixedWhenParsed) {
  Variable x(L"x", Units::kNoUnit);
  VariableNameSpace ns(1, 1, 0);
  ns.AddVariable(&x);
  VariableValueContext at(&x, Value(3.0, Units::kNoUnit));
  struct Case { const wchar_t* text; val::ParameterType type; double re; double im; };
  const Case cases[] = {
      // A negative value met at run time gives NaN in a real-typed expression.
      {L"sqrt(x-4)", 1, kNaN, 0},
      {L"(x-4)^0.5", 1, kNaN, 0},
      {L"(x-4)^2", 1, 1, 0},
      {L"x^0.5", 1, 1.7320508075688772, 0},
      // A negative constant base is outside the real domain unless the exponent is a constant integer.
      {L"(-8)^(x/9)", 2, 1, 1.7320508075688772},
      {L"(-1)^x", 2, -1, 0},
      {L"(x-4)^(1i)", 2, 0.04321391826377226, 0},
      {L"sqrt(-x)", 1, kNaN, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(AString(c.text).ToUtf8());
    Value v(c.text, Units::kNoUnit);
    ASSERT_TRUE(v.IsValidText());
    EXPECT_EQ(c.type, v.GetParameterType());
    AComplex<double> z = v.GetComplexValue();
    EXPECT_TRUE(SameDouble(c.re, z.real())) << z.real();
    EXPECT_TRUE(SameDouble(c.im, z.imag())) << z.imag();
  }
}

TEST(Value, LongChainsAreFlatAndDeepNestingIsRefused) {
  struct Case { const char* why; std::wstring text; double value; };
  std::wstring sum = L"1", product = L"2", mixed = L"0";
  for (int i = 1; i < 10000; ++i) {
    sum += L"+1";
    product += i % 2 ? L"*0.5" : L"*2";
    mixed += i % 2 ? L"+3*2/2" : L"-1*2";
  }
  const Case cases[] = {{"sum", sum, 10000}, {"product", product, 1}, {"mixed", mixed, 5002}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    auto* v = new Value(AString(c.text), Units::kNoUnit);
    ASSERT_TRUE(v->IsValidText());
    EXPECT_EQ(10000, v->GetValueBase()->GetNumChildren()) << "one node for the whole chain";
    EXPECT_EQ(c.value, v->GetValue());
    Value copy(*v);
    delete v;
    EXPECT_EQ(c.value, copy.GetValue());
    EXPECT_EQ(AString(c.text), copy.GetValueBase()->GetValueText());
  }
  for (int depth : {100, 1000}) {
    SCOPED_TRACE(depth);
    std::wstring parens = std::wstring(depth, L'(') + L"1+1" + std::wstring(depth, L')');
    std::wstring calls, closes;
    for (int i = 0; i < depth; ++i) calls += L"abs(", closes += L")";
    EXPECT_EQ(depth < 400, Value(AString(parens), Units::kNoUnit).IsValidText());
    EXPECT_EQ(depth < 400, Value(AString(calls + L"2" + closes), Units::kNoUnit).IsValidText());
    EXPECT_EQ(depth < 400, Value(AString(std::wstring(depth, L'-') + L"1"), Units::kNoUnit).IsValidText());
  }
}

TEST(Value, FailedParseDropsThePreviousExpression) {
  Value v(L"1+2", Units::kNoUnit);
  ASSERT_EQ(3.0, v.GetValue());
  EXPECT_FALSE(v.SetValueText(L"1+", Units::kNoUnit));
  EXPECT_FALSE(v.IsValidText());
  EXPECT_TRUE(std::isnan(v.GetValue()));
  EXPECT_TRUE(v.SetValueText(L"4", Units::kNoUnit));
  EXPECT_EQ(4.0, v.GetValue());
}

TEST(Value, FoldsSignsAndComplexPartsIntoOneLiteral) {
  struct Case { const wchar_t* text; bool literal; };
  const Case cases[] = {{L"-2", true},   {L"1.5+ 2.5i", true}, {L"1.5- 2.5i", true}, {L"-inf", true},
                        {L"-2^2", false}, {L"1+2", false},      {L"(2)", false},      {L"1.5GHz+2.5i", false},
                        {L"2i+3", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(AString(c.text).ToUtf8());
    Value v(c.text, Units::kNoUnit);
    ASSERT_TRUE(v.IsValidText());
    const ValueBase* root = v.GetValueBase();
    bool literal = dynamic_cast<const FloatValue*>(root) || dynamic_cast<const ComplexValue*>(root);
    EXPECT_EQ(c.literal, literal);
  }
}

TEST(Value, BareNumberTakesTheGivenUnits) {
  struct Case { const wchar_t* text; Units::FullUnitType units; double value; double si; };
  const Case cases[] = {
      {L"1.5", Units::kNs, 1.5, 1.5e-9},
      {L"1.5us", Units::kNs, 1500, 1.5e-6},
      {L"-1.5", Units::kNs, -1.5, -1.5e-9},
      {L"1.5GHz", Units::kNoUnit, 1.5, 1.5e9},
      {L"1.5", Units::kNoUnit, 1.5, 1.5},
      {L"1.5*2", Units::kNs, 3e9, 3},  // inside an expression a bare number is plain
      {L"10ns", Units::kUs, 0.01, 1e-8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(AString(c.text).ToUtf8());
    Value v(c.units);
    ASSERT_TRUE(v.SetValueText(c.text, c.units));
    EXPECT_DOUBLE_EQ(c.value, v.GetValue());
    EXPECT_DOUBLE_EQ(c.si, v.GetSIValue());
  }
  Value exact(Units::kNs);
  ASSERT_TRUE(exact.SetValueText(L"1.5us", Units::kNs));
  EXPECT_EQ(1500.0, exact.GetValue());
}

TEST(Value, NaturalUnitsFollowTheExpression) {
  Variable freq(L"Freq", Units::kGHz);
  VariableNameSpace ns(1, 1, 0);
  ns.AddVariable(&freq);
  struct Case { const wchar_t* text; Units::FullUnitType units; };
  const Case cases[] = {
      {L"Freq", Units::kGHz},      {L"freq", Units::kGHz},     {L"2*Freq", Units::kGHz},
      {L"Freq*2", Units::kGHz},    {L"Freq/2", Units::kGHz},   {L"Freq*Freq", Units::kNoUnit},
      {L"-Freq", Units::kGHz},     {L"(Freq)", Units::kGHz},   {L"abs(Freq)", Units::kGHz},
      {L"db(Freq)", Units::kNoUnit}, {L"Freq+1", Units::kNoUnit}, {L"Freq+1GHz", Units::kGHz},
      {L"Freq-Freq", Units::kGHz}, {L"Freq^2", Units::kNoUnit}, {L"1.5GHz", Units::kGHz},
      {L"2/Freq", Units::kNoUnit}, {L"1.5", Units::kNoUnit},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(AString(c.text).ToUtf8());
    Value v(c.text, Units::kNoUnit);
    ASSERT_TRUE(v.IsValidText());
    EXPECT_EQ(c.units, v.GetUnits());
  }
  Value given(L"Freq*2", Units::kMHz);
  EXPECT_EQ(Units::kMHz, given.GetUnits());
  Value state(L"Freq*2", Units::kNoUnit);
  EXPECT_EQ(ValueState(1, Units::kFrequency, 1, Units::kGHz), state.GetValueState());
}

TEST(Value, EvaluatesAtTheCurrentValuesInItsUnits) {
  Variable freq(L"Freq", Units::kGHz);
  VariableNameSpace ns(1, 1, 0);
  ns.AddVariable(&freq);
  Value twice(L"2*Freq", Units::kNoUnit);
  Value inMHz(L"Freq", Units::kMHz);
  VariableValues at1;
  at1.SetVariableValue(&freq, Value(1.5, Units::kGHz));
  VariableValuesContext outer(at1);
  EXPECT_EQ(3.0, twice.GetValue());
  EXPECT_EQ(3e9, twice.GetSIValue());
  EXPECT_EQ(1500.0, inMHz.GetValue());
  {
    VariableValues at2;
    at2.SetVariableValue(&freq, Value(L"500MHz", Units::kNoUnit));
    VariableValuesContext inner(at2);
    EXPECT_EQ(1.0, twice.GetValue());
  }
  EXPECT_EQ(3.0, twice.GetValue());
}

TEST(Value, MadeFromNumbers) {
  Value v(1.5, Units::kGHz);
  EXPECT_EQ(AString(L"1.5GHz"), v.GetValueText());
  EXPECT_EQ(1.5, v.GetValue());
  EXPECT_EQ(1.5e9, v.GetSIValue());
  EXPECT_EQ(val::kDoubleParam, v.GetParameterType());
  EXPECT_TRUE(v.IsValidText());
  EXPECT_FALSE(v.IsParsedFromText());
  EXPECT_TRUE(Value(v.GetValueText(), Units::kNoUnit).IsEqual(v));

  Value c(AComplex<double>(1.5, -2.5), Units::kNoUnit);
  EXPECT_EQ(AString(L"1.5-2.5i"), c.GetValueText());
  EXPECT_EQ(val::kComplexParam, c.GetParameterType());

  Value n(Units::kNs);
  n = 2.5;
  EXPECT_EQ(val::kDoubleParam, n.GetParameterType());
  EXPECT_TRUE(n.IsValidText());
  EXPECT_EQ(Units::kNs, n.GetUnits());
  EXPECT_EQ(2.5, n.GetValue());
  EXPECT_EQ(AString(L"2.5ns"), n.GetValueText());
}

TEST(Value, EmptyValue) {
  Value v(Units::kNoUnit);
  EXPECT_EQ(val::kNoParam, v.GetParameterType());
  EXPECT_EQ(AString(), v.GetValueText());
  EXPECT_FALSE(v.IsValidText());
  EXPECT_TRUE(std::isnan(v.GetValue()));
  EXPECT_TRUE(std::isnan(v.GetComplexValue().imag()));
  EXPECT_EQ(ValueState(0, 15, 1, 90), v.GetValueState());
  EXPECT_TRUE(v.IsConstant());
  Msg m(msgtype::kReferencedVariables);
  v.ReceiveMsg(m);  // ignored without a root
}

TEST(Value, StringAndDigitalLeaves) {
  Value s(Units::kNoUnit);
  ASSERT_TRUE(s.SetStringValueText(L"a, b"));
  EXPECT_EQ(val::kStringParam, s.GetParameterType());
  EXPECT_EQ(AString(L"a, b"), s.GetStringValue());
  EXPECT_TRUE(std::isnan(s.GetValue()));

  Value i(Units::kNoUnit);
  i.SetValueBase(new IntValue(7));
  EXPECT_EQ(val::kIntParam, i.GetParameterType());
  EXPECT_EQ(7, i.GetIntValue());
  EXPECT_EQ(7.0, i.GetValue());
  i.SetValueBase(new IntValue(IntValue::kInvalidValue));
  EXPECT_TRUE(std::isnan(i.GetValue()));

  Value c(Units::kNoUnit);
  c.SetValueBase(new CharValue(static_cast<char>(200)));
  EXPECT_EQ(200.0, c.GetValue());
  EXPECT_EQ(static_cast<char>(200), c.GetCharValue());
  c.SetValueBase(new CharValue(CharValue::kInvalidValue));
  EXPECT_TRUE(std::isnan(c.GetValue()));
  EXPECT_EQ(IntValue::kInvalidValue, c.GetIntValue());

  Value e(Units::kNoUnit);
  e.SetValueBase(new EnumValue(3, L"Mode"));
  EXPECT_EQ(val::kEnumParam, e.GetParameterType());
  EXPECT_EQ(3, e.GetEnumValue());
}

TEST(Value, ConstancyAndEquality) {
  Variable x(L"x", Units::kNoUnit);
  VariableNameSpace ns(1, 1, 0);
  ns.AddVariable(&x);
  EXPECT_TRUE(Value(L"2*pi", Units::kNoUnit).IsConstant());
  EXPECT_TRUE(Value(L"1+2i", Units::kNoUnit).IsConstant());
  EXPECT_FALSE(Value(L"2*x", Units::kNoUnit).IsConstant());
  EXPECT_FALSE(Value(L"Freq", Units::kNoUnit).IsConstant());
  EXPECT_TRUE(Value(L"2x", Units::kNoUnit).IsConstant());  // invalid

  EXPECT_TRUE(Value(L"1GHz", Units::kNoUnit).IsEqual(Value(L"1e9", Units::kNoUnit)));
  EXPECT_FALSE(Value(L"1", Units::kNoUnit).IsEqual(Value(L"1+0i", Units::kNoUnit)));
  EXPECT_FALSE(Value(L"1", Units::kNoUnit).IsEqual(Value(L"1.0000000000000002", Units::kNoUnit)));
  EXPECT_TRUE(Value(L"2-1", Units::kNoUnit).IsEqual(Value(1.0, Units::kNoUnit)));
}

TEST(Value, CopiesShareTheRoot) {
  auto* a = new Value(L"1+2*3", Units::kNoUnit);
  auto* node = dynamic_cast<const SharedValueBase*>(a->GetValueBase());
  ASSERT_NE(nullptr, node);
  Value b(*a);
  Value c;
  c = *a;
  EXPECT_EQ(a->GetValueBase(), b.GetValueBase());
  EXPECT_EQ(3u, node->GetRefCount());
  delete a;
  EXPECT_EQ(2u, node->GetRefCount());
  Value& alias = c;
  c = alias;  // assigning a value to itself keeps its root
  EXPECT_EQ(7.0, c.GetValue());
  c = Value(L"5", Units::kNoUnit);
  EXPECT_EQ(1u, node->GetRefCount());
  EXPECT_EQ(7.0, b.GetValue());
  EXPECT_EQ(AString(L"1+2*3"), b.GetValueText());
}
