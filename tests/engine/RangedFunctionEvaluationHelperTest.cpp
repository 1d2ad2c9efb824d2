#include "quantities/RangedFunctionEvaluationHelper.h"

#include <limits>
#include <memory>
#include <vector>

#include "RepTest.h"
#include "orvex/values/Value.h"

namespace {

constexpr double kNoResult = std::numeric_limits<double>::max();

// Answers as told without writing a result; asks for what a test names.
class ProbeFunction : public Function {
public:
  ProbeFunction(bool answer, int askIndex) : Function(L"probe", 1, true, true, true), m_answer(answer), m_ask(askIndex) {}
  bool CalculateFunction(IFunctionArguments* args, IFunctionResult* result, FunctionContext&) const override {
    args->GetXValues(m_ask);
    args->GetYValues(m_ask);
    args->GetArgument(m_ask);
    result->GetAuxiliaryFunction()->OnBegin();
    return m_answer;
  }

private:
  bool m_answer;
  int m_ask;
};

}  // namespace

TEST(RangedFunctionEvaluationHelper, StatisticsOverHeldValues) {
  const std::vector<double> x{1, 2, 3, 4}, y{1e9 + 4, 1e9 + 7, 1e9 + 13, 1e9 + 16};
  struct Case {
    const wchar_t* function;
    double expected;
  };
  const Case cases[] = {{L"mean", 1e9 + 10}, {L"variance", 30}, {L"max", 1e9 + 16}, {L"min", 1e9 + 4}};
  for (const Case& c : cases) {
    SCOPED_TRACE(AString(c.function).ToUtf8());
    RangedFunctionEvaluationHelper helper(Function::Find(c.function), nullptr, &x, &y);
    EXPECT_EQ(AString(c.function), helper.GetFunctionName());
    Value result;
    ASSERT_TRUE(helper.Evaluate(result));
    EXPECT_EQ(c.expected, result.GetValue());
  }
}

TEST(RangedFunctionEvaluationHelper, FailuresLeaveTheLargestDouble) {
  const std::vector<double> empty, some{1, 2};
  Value result(5.0, Units::kNoUnit);
  RangedFunctionEvaluationHelper noValues(Function::Find(L"mean"), nullptr, &empty, &empty);
  EXPECT_FALSE(noValues.Evaluate(result));
  EXPECT_EQ(kNoResult, result.GetValue());

  result = 5.0;
  RangedFunctionEvaluationHelper noFunction(nullptr, nullptr, &some, &some);
  EXPECT_FALSE(noFunction.Evaluate(result));
  EXPECT_EQ(kNoResult, result.GetValue());
  EXPECT_EQ(AString(), noFunction.GetFunctionName());
  EXPECT_SOFT_ASSERT("m_funcToEval");

  ProbeFunction silent(true, 0);
  RangedFunctionEvaluationHelper writesNothing(&silent, nullptr, &some, &some);
  EXPECT_TRUE(writesNothing.Evaluate(result));
  EXPECT_EQ(kNoResult, result.GetValue());
}

TEST(RangedFunctionEvaluationHelper, MissingVectorsAndOtherIndicesAreChecked) {
  const std::vector<double> some{1, 2};
  ProbeFunction askFirst(false, 0);
  RangedFunctionEvaluationHelper noSecond(&askFirst, nullptr, &some, nullptr);
  Value result;
  EXPECT_FALSE(noSecond.Evaluate(result));
  EXPECT_SOFT_ASSERT("0");  // the shared empty vector stands for the second
  EXPECT_TRUE(noSecond.GetYValues(0).empty());
  EXPECT_SOFT_ASSERT("0");

  ProbeFunction askSecond(false, 1);
  RangedFunctionEvaluationHelper both(&askSecond, nullptr, &some, &some);
  EXPECT_FALSE(both.Evaluate(result));
  for (int i = 0; i < 3; ++i) EXPECT_SOFT_ASSERT("index == 0");

  // The faces with no use here answer fixed values.
  EXPECT_EQ(0, both.GetNumExtraArguments());
  EXPECT_EQ(0.0, both.GetRange().first);
  EXPECT_SOFT_ASSERT("0");
  EXPECT_TRUE(both.GetDoubleVectorResult().empty());
  EXPECT_SOFT_ASSERT("0");
  EXPECT_FALSE(both.OptionalResult13(nullptr, 0, 0));
  EXPECT_EQ(nullptr, both.GetOutermostFunctionAppliedToYValues());
  EXPECT_SOFT_ASSERT("!\"Please implement IFunctionArguments::GetOutermostFunctionAppliedToYValues()\"");
}
