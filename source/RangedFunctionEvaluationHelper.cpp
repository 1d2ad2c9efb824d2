#include "RangedFunctionEvaluationHelper.h"

#include "orvex/values/Function.h"
#include "orvex/values/IValueParser.h"
#include "orvex/values/Value.h"
#include "orvex/values/VariableNameSpace.h"

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
