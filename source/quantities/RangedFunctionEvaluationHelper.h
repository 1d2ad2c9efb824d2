// Adapters between the engine and the core library's expression machinery.
#pragma once

#include <vector>

#include "orvex/core/AString.h"
#include "orvex/values/Function.h"
#include "orvex/values/ValueTextGenerator.h"

class Value;
class ValueBase;

// Runs one ranged function of the core library over values the engine already holds: it is the
// function's argument list and its result receiver at once.
class RangedFunctionEvaluationHelper : public IFunctionArguments, public IFunctionResult, public IAuxiliaryFunction {
public:
  // Nothing is owned; either value vector may be null.
  RangedFunctionEvaluationHelper(const Function* funcToEval, const ValueBase* argument,
                                 const std::vector<double>* firstValues, const std::vector<double>* secondValues);
  ~RangedFunctionEvaluationHelper() override;
  RangedFunctionEvaluationHelper(const RangedFunctionEvaluationHelper&) = delete;
  RangedFunctionEvaluationHelper& operator=(const RangedFunctionEvaluationHelper&) = delete;

  // The result is set also when the calculation fails: to what the function wrote, else the
  // largest double.
  bool Evaluate(Value& result);

  // IFunctionArguments
  AString GetFunctionName() const override;
  const FunctionEnvironment& GetEnvironment() const override;
  const std::pair<double, double>& GetRange() const override;
  int GetNumExtraArguments() const override { return 0; }
  const ValueBase* GetArgument(int index) const override;
  const std::vector<double>& GetXValues(int index) const override;
  const std::vector<double>& GetYValues(int index) const override;
  const std::vector<AComplex<double>>& GetComplexYValues(int index) const override;

  // IFunctionResult
  double& GetDoubleResult() override { return m_result; }
  AComplex<double>& GetComplexResult() override;
  std::vector<double>& GetDoubleVectorResult() override;
  std::vector<AComplex<double>>& GetComplexVectorResult() override;
  IAuxiliaryFunction* GetAuxiliaryFunction() override { return this; }
  bool OptionalResult6(const void*, int, int) override { return false; }
  bool OptionalResult7(const void*, int, int) override { return false; }
  bool OptionalResult8(const void*, int, int) override { return false; }
  bool OptionalResult9(const void*, int, int) override { return false; }
  bool OptionalResult10(const void*, int, int) override { return false; }
  bool OptionalResult11(const void*, int, int) override { return false; }
  bool OptionalResult12(const void*, int, int) override { return false; }
  bool OptionalResult13(const void*, int, int) override { return false; }

  // IAuxiliaryFunction
  void OnBegin() override {}
  void OnPoint(int) override {}
  void OnEnd() override {}

private:
  const std::vector<double>& ValuesAt(const std::vector<double>* values, int index) const;

  const Function* m_funcToEval;          // not owned
  const ValueBase* m_argument;           // handed out at index 0, not owned
  const std::vector<double>* m_first;    // may be null, not owned
  const std::vector<double>* m_second;   // may be null, not owned
  double m_result;                       // written by the function
};

// While the text generator walks an expression, notes whether any function in it reduces the
// dimension of its data.
class RangeFnDimReduceDetectorStrategy : public DefaultValueTextGeneratorStrategy {
public:
  RangeFnDimReduceDetectorStrategy();
  ~RangeFnDimReduceDetectorStrategy() override;

  // Once set, the flag stays: one reducing function anywhere is enough.
  bool FunctionValueToString(const Function& f, const std::vector<AString>& argTexts, AString& out) override;
  // The flag becomes what the texts that are not constants or plain variables say on their own.
  void DoVariablesReduceDimension(const AString& yText, const AString& xText) override;

  bool GetResult() const { return m_result; }

private:
  bool m_result = false;
};
