#include "quantities/RangedFunctionEvaluationHelper.h"

#include <limits>

#include "orvex/core/Assert.h"
#include "orvex/values/Function.h"
#include "orvex/values/IValueParser.h"
#include "orvex/values/Value.h"
#include "orvex/values/VariableNameSpace.h"

namespace {

constexpr double kNoResult = std::numeric_limits<double>::max();

// Shared answers of the faces that have no use here; made on first use, kept until unload.
const std::vector<double>& EmptyDoubles() {
  static const std::vector<double> empty;
  return empty;
}

const std::pair<double, double>& ZeroPair() {
  static const std::pair<double, double> zero(0.0, 0.0);
  return zero;
}

}  // namespace

RangedFunctionEvaluationHelper::RangedFunctionEvaluationHelper(const Function* funcToEval, const ValueBase* argument,
                                                               const std::vector<double>* firstValues,
                                                               const std::vector<double>* secondValues)
    : m_funcToEval(funcToEval), m_argument(argument), m_first(firstValues), m_second(secondValues),
      m_result(kNoResult) {}

RangedFunctionEvaluationHelper::~RangedFunctionEvaluationHelper() = default;

bool RangedFunctionEvaluationHelper::Evaluate(Value& result) {
  FunctionContext context;
  context.ResetErrors();
  const bool calculated = m_funcToEval && m_funcToEval->CalculateFunction(this, this, context);
  result = m_result;
  return calculated;
}

AString RangedFunctionEvaluationHelper::GetFunctionName() const {
  ORVEX_ASSERT(m_funcToEval);
  return m_funcToEval ? m_funcToEval->GetName() : AString();
}

const FunctionEnvironment& RangedFunctionEvaluationHelper::GetEnvironment() const {
  static const FunctionEnvironment environment{};
  return environment;
}

const std::pair<double, double>& RangedFunctionEvaluationHelper::GetRange() const {
  ORVEX_ASSERT(0);
  return ZeroPair();
}

const ValueBase* RangedFunctionEvaluationHelper::GetArgument(int index) const {
  ORVEX_ASSERT(index == 0);
  return m_argument;
}

const std::vector<double>& RangedFunctionEvaluationHelper::ValuesAt(const std::vector<double>* values,
                                                                    int index) const {
  if (!values) {
    ORVEX_ASSERT(0);
    return EmptyDoubles();
  }
  ORVEX_ASSERT(index == 0);
  return *values;
}

const std::vector<double>& RangedFunctionEvaluationHelper::GetXValues(int index) const {
  return ValuesAt(m_first, index);
}

const std::vector<double>& RangedFunctionEvaluationHelper::GetYValues(int index) const {
  return ValuesAt(m_second, index);
}

const std::vector<AComplex<double>>& RangedFunctionEvaluationHelper::GetComplexYValues(int) const {
  ORVEX_ASSERT(0);
  static const std::vector<AComplex<double>> empty;
  return empty;
}

AComplex<double>& RangedFunctionEvaluationHelper::GetComplexResult() {
  ORVEX_ASSERT(0);
  static AComplex<double> zero(0.0, 0.0);
  return zero;
}

std::vector<double>& RangedFunctionEvaluationHelper::GetDoubleVectorResult() {
  ORVEX_ASSERT(0);
  static std::vector<double> empty;
  empty.clear();  // shared: what a function put there before is not this call's
  return empty;
}

std::vector<AComplex<double>>& RangedFunctionEvaluationHelper::GetComplexVectorResult() {
  ORVEX_ASSERT(0);
  static std::vector<AComplex<double>> empty;
  empty.clear();
  return empty;
}

namespace {

// Constants and names that resolve without any quantity parser say nothing about dimension.
bool MustLookInto(const AString& text) {
  if (Value::GetConstantVariable(text)) return false;
  if (Value(text, Units::kNoUnit).IsConstant()) return false;
  VariableNameSpace names(1, 1, 0);
  InstalledParserScope noParser(nullptr);
  Value plain(Units::kNoUnit);
  return !plain.SetValueText(text, Units::kNoUnit);
}

bool ReducesOnItsOwn(const AString& text) {
  RangeFnDimReduceDetectorStrategy strategy;
  Value value(text, Units::kNoUnit);
  ValueTextGenerator(value, strategy).GetNewValueText();
  return strategy.GetResult();
}

}  // namespace

RangeFnDimReduceDetectorStrategy::RangeFnDimReduceDetectorStrategy() = default;
RangeFnDimReduceDetectorStrategy::~RangeFnDimReduceDetectorStrategy() = default;

bool RangeFnDimReduceDetectorStrategy::FunctionValueToString(const Function& f, const std::vector<AString>& argTexts,
                                                             AString& out) {
  bool answer = DefaultValueTextGeneratorStrategy::FunctionValueToString(f, argTexts, out);
  if (val::DoesFunctionReduceDimension(&f)) m_result = true;
  return answer;
}

void RangeFnDimReduceDetectorStrategy::DoVariablesReduceDimension(const AString& yText, const AString& xText) {
  bool lookY = MustLookInto(yText);
  bool lookX = MustLookInto(xText);
  if (!lookY && !lookX) return;
  if (lookY && lookX)
    m_result = ReducesOnItsOwn(yText) && ReducesOnItsOwn(xText);
  else
    m_result = ReducesOnItsOwn(lookY ? yText : xText);
}
