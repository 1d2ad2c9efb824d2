#include <cmath>
#include <limits>
#include <memory>

#include "RepTest.h"
#include "ValueTestDoubles.h"
#include "orvex/core/TestHooks.h"
#include "orvex/values/ExpressionParser.h"
#include "orvex/values/Function.h"
#include "orvex/values/IValueParser.h"
#include "orvex/values/ReferencedMessages.h"
#include "orvex/values/ValueUtil.h"
#include "orvex/values/Value.h"
#include "orvex/values/VariableNameSpace.h"
#include "orvex/values/VariableValuesContext.h"

using testvalues::Parser;
using testvalues::Quantity;

namespace {

using C = AComplex<double>;

bool Same(const C& a, const C& b) {
  auto same = [](double x, double y) {
    if (std::isnan(x) || std::isnan(y)) return std::isnan(x) && std::isnan(y);
    return x == y || std::fabs(x - y) <= 1e-14 * std::max(std::fabs(x), std::fabs(y));
  };
  return same(a.real(), b.real()) && same(a.imag(), b.imag());
}

class Recorder : public IReceiver {
public:
  void ReceiveMsg(Msg&) override { ++count; }
  int count = 0;
};

}  // namespace

TEST(ValueParser, InstallAndRestore) {
  Parser a, b;
  EXPECT_EQ(nullptr, Value::SetValueParser(&a));
  EXPECT_EQ(&a, Value::GetValueParser());
  {
    InstalledParserScope outer(&b);
    EXPECT_EQ(&b, Value::GetValueParser());
    {
      InstalledParserScope inner(nullptr);
      EXPECT_EQ(nullptr, Value::GetValueParser());
    }
    EXPECT_EQ(&b, Value::GetValueParser());
  }
  EXPECT_EQ(&a, Value::SetValueParser(nullptr));
}

TEST(ValueParser, ScopeNoticesANestedInstallLeftBehind) {
  Parser a, b;
  {
    InstalledParserScope scope(&a);
    Value::SetValueParser(&b);
  }
  EXPECT_SOFT_ASSERT("out==m_mine");
  EXPECT_EQ(nullptr, Value::GetValueParser());
}

TEST(ValueParser, TheTestEnvironmentReportsGlobalScopesLeftOpen) {
  Parser a;
  Variable x(L"x", Units::kNoUnit);
  Value::SetValueParser(&a);
  auto ns = std::make_unique<VariableNameSpace>(1, 1, 0);
  VariableValues vv;
  vv.SetVariableValue(&x, Value(1.0, Units::kNoUnit));
  auto context = std::make_unique<VariableValuesContext>(vv);
  const std::string left = orvex::test::CheckGlobalsLeftOpen();
  EXPECT_NE(std::string::npos, left.find("[value parser]")) << left;
  EXPECT_NE(std::string::npos, left.find("[name spaces]")) << left;
  EXPECT_NE(std::string::npos, left.find("variable x keeps 1 current value")) << left;
  EXPECT_EQ(nullptr, Value::GetValueParser());
  EXPECT_EQ(nullptr, VariableNameSpace::GetCurrent());
  context.reset();
  ns.reset();  // already dropped from the stack: nothing to report
  EXPECT_EQ(std::string(), orvex::test::CheckGlobalsLeftOpen());
}

TEST(Expression, NamesResolveThroughTheInstalledParser) {
  Parser p;
  Quantity* s11 = p.AddQuantity(L"S11", val::kComplexParam);
  Quantity* s21 = p.AddQuantity(L"S21", val::kDoubleParam, Units::kGHz);
  Quantity* bigE = p.AddQuantity(L"E");
  Quantity* vout = p.AddQuantity(L"V(out)");
  p.SetNumber(s11, C(0.5, -0.5));
  p.SetNumber(s21, C(2.0, 0.0));
  p.SetNumber(bigE, C(7.0, 0.0));
  p.SetNumber(vout, C(3.0, 0.0));
  InstalledParserScope installed(&p);
  struct Case { const wchar_t* text; val::ParameterType type; C value; Units::FullUnitType units; };
  const Case cases[] = {
      {L"S11*2", 2, C(1, -1), 90},
      {L"s11", 2, C(0.5, -0.5), 90},
      {L"S21", 1, C(2, 0), Units::kGHz},
      {L"S21+1GHz", 1, C(3, 0), Units::kGHz},
      {L"S21/1GHz", 1, C(2, 0), 90},
      {L"E", 1, C(7, 0), 90},  // a quantity, not the constant e
      {L"e*0+E", 1, C(7, 0), 90},
      {L"V(out)*2", 1, C(6, 0), 90},
      {L"v(OUT)", 1, C(3, 0), 90},
      {L"mag(S11)^2", 1, C(0.5, 0), 90},
      {L"real(S11)-imag(S11)", 1, C(1, 0), 90},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(AString(c.text).ToUtf8());
    Value v(c.text, Units::kNoUnit);
    ASSERT_TRUE(v.IsValidText());
    EXPECT_EQ(c.type, v.GetParameterType());
    EXPECT_EQ(c.units, v.GetUnits());
    EXPECT_TRUE(Same(c.value, v.GetComplexValue())) << v.GetComplexValue();
  }
  const int before = p.Lookups();
  EXPECT_FALSE(Value(L"S12", Units::kNoUnit).IsValidText());
  EXPECT_EQ(before + 1, p.Lookups());
}

TEST(Expression, EvaluationAsksTheParserInstalledAtThatMoment) {
  Parser parsing, providing;
  Quantity* s11 = parsing.AddQuantity(L"S11");
  parsing.SetNumber(s11, C(1.0, 0.0));
  providing.SetNumber(s11, C(5.0, 0.0));
  Value v(Units::kNoUnit);
  {
    InstalledParserScope installed(&parsing);
    ASSERT_TRUE(v.SetValueText(L"S11+1", Units::kNoUnit));
    EXPECT_EQ(2.0, v.GetValue());
  }
  EXPECT_TRUE(std::isnan(v.GetValue()));
  InstalledParserScope installed(&providing);
  EXPECT_EQ(6.0, v.GetValue());
  v.Clear();
}

TEST(Expression, NameSpaceVariablesComeBeforeTheParser) {
  Parser p;
  p.AddQuantity(L"S11");
  p.AddQuantity(L"Freq");
  Variable local(L"s11", Units::kNoUnit);
  VariableNameSpace ns(1, 1, 0);
  ns.AddVariable(&local);
  InstalledParserScope installed(&p);
  EXPECT_EQ(&local, Value(L"S11", Units::kNoUnit).GetValueBase());
  EXPECT_EQ(Value::GetIntrinsicVariable(L"Freq"), Value(L"Freq", Units::kNoUnit).GetValueBase());
  EXPECT_EQ(0, p.Lookups());
  VariableNameSpace closed(0, 0, 0);
  EXPECT_NE(Value::GetIntrinsicVariable(L"Freq"), Value(L"Freq", Units::kNoUnit).GetValueBase());
  EXPECT_EQ(1, p.Lookups());
}

TEST(Expression, NodesAndLeavesCountTheirHolders) {
  Parser p;
  Quantity* s11 = p.AddQuantity(L"S11");
  InstalledParserScope installed(&p);
  {
    Value a(L"S11*S11+1", Units::kNoUnit);
    EXPECT_EQ(2u, s11->RefCount());  // one node holds it twice
    Value b(a);
    EXPECT_EQ(2u, s11->RefCount());
    Value c(L"S11", Units::kNoUnit);
    EXPECT_TRUE(s11->HasRef(&c));
    EXPECT_EQ(3u, s11->RefCount());
    Value failed(L"S11*S11+", Units::kNoUnit);
    EXPECT_EQ(3u, s11->RefCount());
  }
  EXPECT_EQ(0u, s11->RefCount());
}

TEST(ReceiverMgr, IsAMultisetAndComplainsWhenDestroyedInUse) {
  Recorder r1, r2;
  auto mgr = std::make_unique<ReceiverMgr>();
  mgr->AddReceiver(&r1);
  mgr->AddReceiver(&r1);
  mgr->AddReceiver(&r2);
  EXPECT_EQ(3u, mgr->Count());
  mgr->RemoveReceiver(&r1);
  EXPECT_TRUE(mgr->HasReceiver(&r1));
  mgr->RemoveReceiver(&r1);
  EXPECT_FALSE(mgr->HasReceiver(&r1));
  mgr->RemoveReceiver(&r1);
  EXPECT_SOFT_ASSERT("!\"RemoveReceiver of a receiver not held\"");
  Msg m(42);
  mgr->ReceiveMsg(m);
  EXPECT_EQ(1, r2.count);
  mgr.reset();
  ASSERT_EQ(1u, orvex::test::Asserts().Count());
  EXPECT_EQ("ReceiverMgr", orvex::test::Asserts().Records()[0].file);
  EXPECT_SOFT_ASSERT("!\"value destroyed while still referenced\"");
}

// Each distinct holder hears a message once, in the order of its earliest occurrence still held.
TEST(ReceiverMgr, DeliversInTheOrderOfTheEarliestOccurrenceHeld) {
  std::vector<int> heard;
  struct Numbered : IReceiver {
    Numbered(std::vector<int>& log, int n) : log(log), n(n) {}
    void ReceiveMsg(Msg&) override { log.push_back(n); }
    std::vector<int>& log;
    int n;
  };
  Numbered a(heard, 1), b(heard, 2), c(heard, 3);
  ReceiverMgr mgr;
  for (IReceiver* r : std::vector<IReceiver*>{&a, &b, &a, &c, &b}) mgr.AddReceiver(r);
  Msg m(1);
  mgr.ReceiveMsg(m);
  EXPECT_EQ((std::vector<int>{1, 2, 3}), heard);
  mgr.RemoveReceiver(&a);  // a's earliest goes: its other one sits after b
  heard.clear();
  mgr.ReceiveMsg(m);
  EXPECT_EQ((std::vector<int>{2, 1, 3}), heard);
  for (IReceiver* r : std::vector<IReceiver*>{&a, &b, &c, &b}) mgr.RemoveReceiver(r);
  EXPECT_TRUE(mgr.IsEmpty());
  EXPECT_FALSE(mgr.HasReceiver(&b));
}

TEST(Expression, MessagesVisitEachLeafOnce) {
  Parser p;
  Quantity* s11 = p.AddQuantity(L"S11");
  p.AddQuantity(L"S21");
  Variable x(L"x", Units::kNoUnit);
  VariableNameSpace ns(1, 1, 0);
  ns.AddVariable(&x);
  InstalledParserScope installed(&p);
  Value v(L"S21*x+S11*(S21+x)+Freq+max(S11)", Units::kNoUnit);
  ASSERT_TRUE(v.IsValidText());

  ReferencedPostprocessingQuantityMsg q;
  v.ReceiveMsg(q);
  std::vector<AString> names;
  q.GetSimValueQuantities(names);
  EXPECT_EQ((std::vector<AString>{L"S21", L"S11"}), names);
  std::vector<long> datasets;
  q.GetSimDatasetValues(datasets);
  EXPECT_EQ(std::vector<long>{1}, datasets);

  ReferencedVariablesMsg rv(false);
  v.ReceiveMsg(rv);
  std::vector<Variable*> vars;
  rv.GetVariables(vars);
  EXPECT_EQ((std::vector<Variable*>{&x, Value::GetIntrinsicVariable(L"Freq")}), vars);

  // A leaf hands a pass-on message to its holders, once each however often they hold it.
  Recorder r;
  s11->AddRef(&r);
  s11->AddRef(&r);
  Msg quiet(7);
  s11->ReceiveMsg(quiet);
  EXPECT_EQ(0, r.count);
  Msg loud(7, true);
  s11->ReceiveMsg(loud);
  EXPECT_EQ(1, r.count);
  s11->Release(&r);
  s11->Release(&r);
}

TEST(ExpressionParser, ValidatesAgainstListedParsers) {
  Parser p, q, installedOnly;
  p.AddQuantity(L"S11");
  q.AddQuantity(L"S21", val::kComplexParam);
  q.AddQuantity(L"T", val::kStringParam);
  installedOnly.AddQuantity(L"U");
  p.SetReportedState(L"Z", ValueState(2, 15, 1));
  p.AddQuantity(L"Z");  // the leaf says double; the parser's state says complex
  InstalledParserScope installed(&installedOnly);
  struct Case { const wchar_t* text; int valid; val::ParameterType type; };
  const Case cases[] = {
      {L"S11+S21", 1, 2}, {L"S11*2", 1, 1},   {L"Z*2", 1, 2},      {L"U", 0, 0},      {L"nothing", 0, 0},
      {L"max(S11)", 1, 1}, {L"max(S21, Freq)", 1, 1}, {L"T", 1, 10}, {L"T+1", 0, 0}, {L"max(S11, S21)", 0, 0},
  };
  const std::vector<IValueParser*> parsers{&p, &q};
  for (const Case& c : cases) {
    SCOPED_TRACE(AString(c.text).ToUtf8());
    Value out(L"42", Units::kGHz);
    EXPECT_EQ(c.valid, ExpressionParser::ValidateExpression(out, c.text, parsers));
    if (!c.valid) {
      EXPECT_EQ(AString(L"42"), out.GetValueText());  // untouched
      continue;
    }
    EXPECT_EQ(AString(c.text), out.GetValueText());
    EXPECT_EQ(c.type, out.GetParameterType());
    EXPECT_EQ(Units::kGHz, out.GetUnits());
  }
  // Ranged arguments get the parsers' dummy datasets; a missing x is typed (1, 15, 1).
  ASSERT_EQ(2u, p.DummyRequests().size());
  EXPECT_EQ(ValueState(1, 15, 1, 90), p.DummyRequests()[0].first);
  EXPECT_EQ(ValueState(1, 15, 1), p.DummyRequests()[0].second);
  EXPECT_EQ(ValueState(2, 15, 1, 90), p.DummyRequests()[1].first);
  EXPECT_EQ(ValueState(1, Units::kFrequency, 1, Units::kHz), p.DummyRequests()[1].second);
  EXPECT_EQ(0u, p.NumDatasets());
}

TEST(Expression, RangedFunctionsReadTheDatasetOfTheCurrentPoint) {
  Parser p;
  Quantity* s11 = p.AddQuantity(L"S11", val::kDoubleParam, Units::kMV);
  p.AddQuantity(L"S21", val::kComplexParam);
  InstalledParserScope installed(&p);
  Value mx(L"max(S11)", Units::kNoUnit);
  Value mean(L"MEAN(s11)*2", Units::kNoUnit);
  Value mn(L"min(S11, Freq)", Units::kNoUnit);
  Value slope(L"deriv(S11, Freq)", Units::kNoUnit);
  Value var(L"variance(S11)", Units::kNoUnit);
  Value cmax(L"max(S21)", Units::kNoUnit);
  Value shared(L"peak_to_peak(S11*2)", Units::kNoUnit);
  for (const Value* v : {&mx, &mean, &mn, &slope, &var, &cmax, &shared}) ASSERT_TRUE(v->IsValidText());
  ASSERT_EQ(4u, p.NumDatasets());  // S11, (S11, Freq), S21, S11*2
  EXPECT_EQ(AString(L"S11, Freq"), p.Dataset(1)->GetValueText());
  EXPECT_EQ(AString(L"S11*2"), p.Dataset(3)->GetValueText());
  EXPECT_EQ(Units::kMV, mx.GetUnits());
  EXPECT_EQ(Units::kNoUnit, var.GetUnits());

  EXPECT_TRUE(std::isnan(mx.GetValue()));  // no dataset for the current point

  Dataset<double, double> d;  // y in the y expression's unit (mV)
  d.AddPoint(1e9, 3);
  d.AddPoint(2e9, 5);
  d.AddPoint(4e9, 6);
  Dataset<double, AComplex<double>> cd;
  cd.AddPoint(1, C(3, 4));
  cd.AddPoint(2, C(0, 1));
  for (size_t i = 0; i < 4; ++i) p.Dataset(i)->SetCurrent(i == 2 ? static_cast<AbstractDataset*>(&cd) : &d, 1);
  EXPECT_EQ(6.0, mx.GetValue());
  EXPECT_DOUBLE_EQ(0.006, mx.GetSIValue());
  EXPECT_EQ(Units::kMV, mean.GetUnits());
  EXPECT_DOUBLE_EQ(2 * 14.0 / 3, mean.GetValue());
  EXPECT_EQ(3.0, mn.GetValue());
  EXPECT_DOUBLE_EQ(0.5e-9 * 1e-3, slope.GetValue());
  p.Dataset(1)->SetCurrent(&d, 2);
  EXPECT_DOUBLE_EQ(0.5e-9 * 1e-3, slope.GetValue());  // the last point looks back
  p.Dataset(1)->SetCurrent(&d, 0);
  EXPECT_DOUBLE_EQ(2e-9 * 1e-3, slope.GetValue());
  EXPECT_DOUBLE_EQ(7.0 / 3 * 1e-6, var.GetValue());  // scaled twice by the unit
  EXPECT_EQ(5.0, cmax.GetValue());
  EXPECT_EQ(3.0, shared.GetValue());
  (void)s11;
}

TEST(Expression, RangedArgumentsAreChecked) {
  Parser p;
  p.AddQuantity(L"S11");
  p.AddQuantity(L"S21");
  p.AddQuantity(L"Label", val::kStringParam);
  const wchar_t* bad[] = {L"max(S11, S21)", L"max()", L"max(S11, Freq, 1)", L"max(Label)", L"max(S11",
                          L"abs(max(S11)+)"};
  {
    InstalledParserScope installed(&p);
    for (const wchar_t* text : bad) {
      SCOPED_TRACE(AString(text).ToUtf8());
      EXPECT_FALSE(Value(text, Units::kNoUnit).IsValidText());
    }
  }
  EXPECT_FALSE(Value(L"max(1)", Units::kNoUnit).IsValidText());  // no parser to make a dataset
}

TEST(Expression, TableNamesADesignDataset) {
  DatasetServer* server = DatasetServer::GetDesignDatasetServer();
  const long id = server->AddDataset(L"Loss");
  Value v(L"table(loss, Freq)*2", Units::kNoUnit);
  ASSERT_TRUE(v.IsValidText());
  EXPECT_TRUE(std::isnan(v.GetValue()));
  EXPECT_FALSE(v.IsConstant());
  ReferencedDatasetMap refs;
  v.GetReferencedDatasets(refs, false);
  EXPECT_EQ((ReferencedDatasetMap{{server, {id}}}), refs);
  EXPECT_FALSE(Value(L"table(Gain, Freq)", Units::kNoUnit).IsValidText());
  EXPECT_FALSE(Value(L"table(1, Freq)", Units::kNoUnit).IsValidText());
}

TEST(ExpressionParser, AlienLabels) {
  DatasetServer::GetDesignDatasetServer()->AddDataset(L"Loss");
  Parser p;
  p.AddQuantity(L"S11");
  p.AddQuantity(L"V(out)");
  Variable x(L"x", Units::kNoUnit);
  VariableNameSpace ns(1, 1, 0);
  ns.AddVariable(&x);
  struct Case { const wchar_t* text; std::vector<AString> labels; };
  const Case cases[] = {
      {L"a", {L"a"}},
      {L"a+b", {L"a", L"b"}},
      {L"S11", {}},
      {L"1abc", {L"abc"}},
      {L"a*A+a", {L"a"}},
      {L"Freq*X+pi", {}},
      {L"max(q)", {L"q"}},
      {L"V(out)+V(in)", {L"V(in)"}},
      {L"2*(y+", {L"y"}},
      {L"nan+inf+1GHz+2i", {}},
      {L"E", {L"E"}},
      {L"table(Loss, x)+table(Gain, x)", {L"Gain"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(AString(c.text).ToUtf8());
    std::vector<AString> labels{L"kept"};
    EXPECT_EQ(static_cast<int>(c.labels.size()), ExpressionParser::GetAlienLabels(c.text, {&p}, labels));
    std::vector<AString> expected{L"kept"};
    expected.insert(expected.end(), c.labels.begin(), c.labels.end());
    EXPECT_EQ(expected, labels);
  }
}

namespace {

// A function known only to its test, computed through the generic call path.
class Twice : public Function {
public:
  Twice() : Function(L"twice", 1, false, false, true) {}
  bool CalculateFunction(IFunctionArguments* args, IFunctionResult* result, FunctionContext&) const override {
    const ValueBase* a = args->GetArgument(0);
    if (a->GetParameterType() == val::kComplexParam)
      result->GetComplexResult() = AComplex<double>(2.0 * a->GetComplexValue());
    else
      result->GetDoubleResult() = 2 * a->GetValue();
    return true;
  }
};

}  // namespace

TEST(Function, RegisteredFunctionsJoinTheLanguage) {
  Function::Register(std::make_unique<Twice>());
  Value v(L"TWICE(3GHz)+1GHz", Units::kNoUnit);
  ASSERT_TRUE(v.IsValidText());
  EXPECT_EQ(Units::kGHz, v.GetUnits());
  EXPECT_EQ(7.0, v.GetValue());
  Value c(L"twice(1+2i)", Units::kNoUnit);
  EXPECT_EQ(val::kComplexParam, c.GetParameterType());
  EXPECT_TRUE(Same(C(2, 4), c.GetComplexValue()));
}

TEST(Function, RegistrationsEndWithTheTest) {
  EXPECT_EQ(nullptr, Function::Find(L"twice"));
  EXPECT_FALSE(Value(L"twice(1)", Units::kNoUnit).IsValidText());
}

TEST(Function, TableAndScalarEvaluation) {
  struct Case { const wchar_t* name; bool ranged; bool reduces; };
  const Case cases[] = {{L"max", true, true},   {L"Median", true, true}, {L"deriv", true, false},
                        {L"abs", false, false}, {L"DB", false, false},   {L"rms", true, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(AString(c.name).ToUtf8());
    const Function* f = Function::Find(c.name);
    ASSERT_NE(nullptr, f);
    EXPECT_EQ(c.ranged, f->IsRanged());
    EXPECT_EQ(c.ranged && c.reduces, val::DoesFunctionReduceDimension(f));
    EXPECT_EQ(c.ranged, f->AcceptsArgumentType(val::kDoubleDatasetParam));
    EXPECT_EQ(c.ranged, f->AcceptsArgumentType(val::kComplexDatasetParam));
  }
  EXPECT_FALSE(val::DoesFunctionReduceDimension(nullptr));

  Value out;
  ASSERT_TRUE(Function::Find(L"abs")->EvaluateScalar(Value(-3.0, Units::kGHz), out));
  EXPECT_EQ(3.0, out.GetValue());
  EXPECT_EQ(Units::kGHz, out.GetUnits());
  ASSERT_TRUE(Function::Find(L"db")->EvaluateScalar(Value(C(0, 10), Units::kNoUnit), out));
  EXPECT_DOUBLE_EQ(20.0, out.GetValue());
  ASSERT_TRUE(Function::Find(L"conj")->EvaluateScalar(Value(C(1, 2), Units::kNoUnit), out));
  EXPECT_TRUE(Same(C(1, -2), out.GetComplexValue()));
  EXPECT_FALSE(Function::Find(L"max")->EvaluateScalar(Value(1.0, Units::kNoUnit), out));
  Value text(Units::kNoUnit);
  text.SetStringValueText(L"x");
  EXPECT_FALSE(Function::Find(L"abs")->EvaluateScalar(text, out));
}

TEST(ValueUtil, UnaryNonRangedCallsOfALeaf) {
  Parser p;
  Quantity* s11 = p.AddQuantity(L"S11");
  DatasetServer::GetDesignDatasetServer()->AddDataset(L"Loss");
  InstalledParserScope installed(&p);
  struct Case { const wchar_t* text; const wchar_t* fn; const ValueBase* arg; };
  const Case cases[] = {
      {L"db(S11)", L"db", s11},
      {L"abs(Freq)", L"abs", Value::GetIntrinsicVariable(L"Freq")},
      {L"S11", nullptr, nullptr},
      {L"db(S11*2)", nullptr, nullptr},
      {L"max(S11)", nullptr, nullptr},
      {L"abs(2)", nullptr, nullptr},
      {L"abs(pi)", nullptr, nullptr},
      {L"(db(S11))", nullptr, nullptr},
      {L"table(Loss, Freq)", nullptr, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(AString(c.text).ToUtf8());
    Value v(c.text, Units::kNoUnit);
    ASSERT_TRUE(v.IsValidText());
    const Function* fn = nullptr;
    const ValueBase* arg = nullptr;
    EXPECT_EQ(c.fn != nullptr, ValueUtil::GetUnaryNonRangedFunctionAndValueBase(v, fn, arg));
    if (!c.fn) continue;
    ASSERT_NE(nullptr, fn);
    EXPECT_EQ(AString(c.fn), fn->GetName());
    EXPECT_EQ(c.arg, arg);
  }
}

TEST(Expression, ADatasetKeepsItsCompoundYAliveAfterTheValueGoes) {
  Parser p;
  Quantity* s11 = p.AddQuantity(L"S11");
  InstalledParserScope installed(&p);
  {
    Value v(L"max(S11*2)+max(S11*2)", Units::kNoUnit);
    ASSERT_TRUE(v.IsValidText());
    ASSERT_EQ(1u, p.NumDatasets());  // the second call finds the first dataset by its y text
    EXPECT_FALSE(p.Dataset(0)->OKtoDelete());
    EXPECT_EQ(1u, s11->RefCount());  // only the y node, shared by both calls
  }
  EXPECT_TRUE(p.Dataset(0)->OKtoDelete());
  EXPECT_EQ(1u, s11->RefCount());
  EXPECT_EQ(AString(L"S11*2"), p.Dataset(0)->GetYExpression()->GetValueText());
}
