#include "orvex/values/ValueTextGenerator.h"

#include "RepTest.h"
#include "ValueTestDoubles.h"
#include "orvex/values/Function.h"
#include "orvex/values/VariableNameSpace.h"

using testvalues::Parser;
using testvalues::Quantity;

namespace {

AString Regenerate(const Value& v) {
  DefaultValueTextGeneratorStrategy s;
  return ValueTextGenerator(v, s).GetNewValueText();
}

// Records the strategy calls in order.
class TracingStrategy : public DefaultValueTextGeneratorStrategy {
public:
  bool FunctionValueToString(const Function& f, const std::vector<AString>& args, AString& out) override {
    trace.push_back(L"fn " + f.GetName());
    return DefaultValueTextGeneratorStrategy::FunctionValueToString(f, args, out);
  }
  void DoVariablesReduceDimension(const AString& y, const AString& x) override {
    trace.push_back(L"reduce " + y + L"|" + x);
  }
  void OnRoot(const ValueBase&) override { trace.push_back(L"root"); }
  std::vector<AString> trace;
};

}  // namespace

TEST(ValueTextGenerator, CanonicalTextsParseBack) {
  Parser p;
  p.AddQuantity(L"S11");
  p.AddQuantity(L"S21", val::kComplexParam);
  p.AddQuantity(L"V(out)");
  InstalledParserScope installed(&p);
  struct Case { const wchar_t* text; const wchar_t* canonical; };
  const Case cases[] = {
      {L"S11 + 2", L"S11+2"},
      {L"(a)*b", nullptr},
      {L"( S11 ) * s21", L"(S11)*S21"},
      {L"max(S11, Freq)", L"max(S11, Freq)"},
      {L"MAX( s11 ,freq )", L"MAX(S11, Freq)"},
      {L"1.5+ 2.5i", L"1.5+2.5i"},
      {L"-2^2", L"-2^2"},
      {L"2 ^ - 1", L"2^-1"},
      {L"1.5GHz * -S11", L"1.5GHz*-S11"},
      {L"db( V(out) )", L"db(V(out))"},
      {L"mean(S11*2)+max(S21)", L"mean(S11*2)+max(S21)"},
      {L"((1))", L"((1))"},
      {L"S11 - (-2)", L"S11-(-2)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(AString(c.text).ToUtf8());
    Value v(c.text, Units::kNoUnit);
    if (!c.canonical) {
      EXPECT_FALSE(v.IsValidText());
      continue;
    }
    ASSERT_TRUE(v.IsValidText());
    EXPECT_EQ(AString(c.canonical), Regenerate(v));
    EXPECT_EQ(AString(c.canonical), v.GetValueBase()->GetValueText());
    Value again(Regenerate(v), Units::kNoUnit);
    ASSERT_TRUE(again.IsValidText());
    EXPECT_EQ(Regenerate(v), Regenerate(again));
  }
}

// Writes every operator it is given in parentheses.
class BracketingStrategy : public DefaultValueTextGeneratorStrategy {
public:
  AString BinaryToString(wchar_t op, const AString& lhs, const AString& rhs) override {
    return L"[" + lhs + op + rhs + L"]";
  }
};

TEST(ValueTextGenerator, AChainIsWrittenOperatorByOperatorFromTheLeft) {
  struct Case { const wchar_t* text; const wchar_t* bracketed; };
  const Case cases[] = {
      {L"1+2-3+4", L"[[[1+2]-3]+4]"},
      {L"1*2/3-4/5*6", L"[[[1*2]/3]-[[4/5]*6]]"},
      {L"2^3^2-1", L"[[2^[3^2]]-1]"},
      {L"-(1+2)*3", L"[-([1+2])*3]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(AString(c.text).ToUtf8());
    Value v(c.text, Units::kNoUnit);
    ASSERT_TRUE(v.IsValidText());
    BracketingStrategy s;
    EXPECT_EQ(AString(c.bracketed), ValueTextGenerator(v, s).GetNewValueText());
    EXPECT_EQ(AString(c.text), Regenerate(v));
  }
}

TEST(ValueTextGenerator, RenamedLeavesGiveTheirNewText) {
  Parser p;
  Quantity* s11 = p.AddQuantity(L"S11");
  InstalledParserScope installed(&p);
  Value v(L"max(S11 * 2) + S11", Units::kNoUnit);
  ASSERT_TRUE(v.IsValidText());
  s11->SetName(L"Gain");
  EXPECT_EQ(AString(L"max(Gain*2)+Gain"), Regenerate(v));
  EXPECT_EQ(AString(L"max(S11 * 2) + S11"), v.GetValueText());  // the value keeps the text it was given
}

TEST(ValueTextGenerator, StrategyCallOrder) {
  Parser p;
  p.AddQuantity(L"S11");
  InstalledParserScope installed(&p);
  Value v(L"abs(max(S11, Freq))", Units::kNoUnit);
  ASSERT_TRUE(v.IsValidText());
  TracingStrategy s;
  EXPECT_EQ(AString(L"abs(max(S11, Freq))"), ValueTextGenerator(v, s).GetNewValueText());
  EXPECT_EQ((std::vector<AString>{L"reduce S11|Freq", L"fn max", L"fn abs", L"root"}), s.trace);

  TracingStrategy noX;
  ValueTextGenerator(Value(L"min(S11)", Units::kNoUnit), noX).GetNewValueText();
  EXPECT_EQ((std::vector<AString>{L"reduce S11|", L"fn min", L"root"}), noX.trace);
}

TEST(ValueTextGenerator, OutermostFunction) {
  Parser p;
  p.AddQuantity(L"S11");
  InstalledParserScope installed(&p);
  struct Case { const wchar_t* text; const wchar_t* fn; std::vector<AString> args; };
  const Case cases[] = {
      {L"max(S11)", L"max", {L"S11"}},
      {L"(max(S11, Freq))", L"max", {L"S11", L"Freq"}},
      {L"max(S11)+1", nullptr, {}},
      {L"abs(S11*2)", L"abs", {L"S11*2"}},
      {L"S11", nullptr, {}},
      {L"db(max(S11))", L"db", {L"max(S11)"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(AString(c.text).ToUtf8());
    Value v(c.text, Units::kNoUnit);
    ASSERT_TRUE(v.IsValidText());
    OuterMostFunctionDetectorStrategy s;
    ValueTextGenerator(v, s).GetNewValueText();
    if (!c.fn) {
      EXPECT_EQ(nullptr, s.GetOutermostFunction());
      continue;
    }
    ASSERT_NE(nullptr, s.GetOutermostFunction());
    EXPECT_EQ(AString(c.fn), s.GetOutermostFunction()->GetName());
    std::vector<AString> args;
    s.GetOutermostFunctionArguments(args);
    EXPECT_EQ(c.args, args);
  }
  OuterMostFunctionDetectorStrategy empty;
  EXPECT_EQ(AString(), ValueTextGenerator(Value(), empty).GetNewValueText());
  EXPECT_EQ(nullptr, empty.GetOutermostFunction());
}
