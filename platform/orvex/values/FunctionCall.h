// Hands a function its argument and value vectors and takes its result (internal).
#pragma once

#include <limits>
#include <utility>
#include <vector>

#include "orvex/values/Function.h"

namespace orvex {
namespace values {

// Every operation a function may call answers something usable.
class FunctionCall : public IFunctionArguments, public IFunctionResult, public IAuxiliaryFunction {
public:
  FunctionCall(const Function* f, const ValueBase* arg) : m_fn(f), m_arg(arg) {}

  AString GetFunctionName() const override { return m_fn->GetName(); }
  const FunctionEnvironment& GetEnvironment() const override { return m_env; }
  const std::pair<double, double>& GetRange() const override { return m_range; }
  int GetNumExtraArguments() const override { return 0; }
  const ValueBase* GetArgument(int index) const override { return index == 0 ? m_arg : nullptr; }
  const std::vector<double>& GetXValues(int) const override { return m_x ? *m_x : m_emptyD; }
  const std::vector<double>& GetYValues(int) const override { return m_y ? *m_y : m_emptyD; }
  const std::vector<AComplex<double>>& GetComplexYValues(int) const override { return m_cy ? *m_cy : m_emptyC; }
  const Function* GetOutermostFunctionAppliedToYValues() const override { return nullptr; }

  double& GetDoubleResult() override { return m_double; }
  AComplex<double>& GetComplexResult() override { return m_complex; }
  std::vector<double>& GetDoubleVectorResult() override { return m_vecD; }
  std::vector<AComplex<double>>& GetComplexVectorResult() override { return m_vecC; }
  IAuxiliaryFunction* GetAuxiliaryFunction() override { return this; }
  bool OptionalResult6(const void*, int, int) override { return false; }
  bool OptionalResult7(const void*, int, int) override { return false; }
  bool OptionalResult8(const void*, int, int) override { return false; }
  bool OptionalResult9(const void*, int, int) override { return false; }
  bool OptionalResult10(const void*, int, int) override { return false; }
  bool OptionalResult11(const void*, int, int) override { return false; }
  bool OptionalResult12(const void*, int, int) override { return false; }
  bool OptionalResult13(const void*, int, int) override { return false; }

  static AComplex<double> NaNs() {
    const double n = std::numeric_limits<double>::quiet_NaN();
    return AComplex<double>(n, n);
  }

  void OnBegin() override {}
  void OnPoint(int) override {}
  void OnEnd() override {}

  void SetVectors(const std::vector<double>* x, const std::vector<double>* y, const std::vector<AComplex<double>>* cy) {
    m_x = x;
    m_y = y;
    m_cy = cy;
  }
  // NaN when the function fails.
  AComplex<double> Run(bool complexResult) {
    FunctionContext ctx;
    ctx.ResetErrors();
    if (!m_fn->CalculateFunction(this, this, ctx)) return NaNs();
    return complexResult ? m_complex : AComplex<double>(m_double, 0.0);
  }

private:
  const Function* m_fn;
  const ValueBase* m_arg;
  const std::vector<double>* m_x = nullptr;
  const std::vector<double>* m_y = nullptr;
  const std::vector<AComplex<double>>* m_cy = nullptr;
  double m_double = NaNs().real();
  AComplex<double> m_complex = NaNs();
  std::vector<double> m_vecD;
  std::vector<AComplex<double>> m_vecC;
  FunctionEnvironment m_env;
  std::pair<double, double> m_range{0.0, 0.0};
  std::vector<double> m_emptyD;
  std::vector<AComplex<double>> m_emptyC;
};

}  // namespace values
}  // namespace orvex
