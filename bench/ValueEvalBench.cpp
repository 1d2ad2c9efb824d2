// Evaluation of parsed expressions at many points, and parsing itself.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "BaselineRatioReporter.h"
#include "BenchMain.h"
#include "orvex/values/Value.h"
#include "orvex/values/Variable.h"
#include "orvex/values/VariableNameSpace.h"
#include "orvex/values/VariableValuesContext.h"

namespace {

// A column-like source: the variable's value is the entry at the current row.
class RowSource : public IVariableValueSource {
public:
  explicit RowSource(const std::vector<double>& v) : m_values(v) {}
  bool GetCurrentValue(Value& out) const override {
    out = Value(m_values[m_row], Units::kNoUnit);
    return true;
  }
  bool GetCurrentComplexSI(AComplex<double>& out) const override {
    out = AComplex<double>(m_values[m_row], 0.0);
    return true;
  }
  size_t m_row = 0;

private:
  const std::vector<double>& m_values;
};

void BM_EvaluateLinkedVariable(benchmark::State& state) {
  Variable x(L"x", Units::kNoUnit);
  VariableNameSpace ns(1, 1, 0);
  ns.AddVariable(&x);
  Value v(L"2*x+sin(x)*x^2-abs(x)/(1+x)", Units::kNoUnit);
  std::vector<double> values(4096);
  for (size_t i = 0; i < values.size(); ++i) values[i] = 0.001 * static_cast<double>(i);
  RowSource source(values);
  VariableValueContext link(&x, &source);
  double sum = 0;
  for (auto _ : state) {
    for (size_t i = 0; i < values.size(); ++i) {
      source.m_row = i;
      sum += v.GetValue();
    }
  }
  benchmark::DoNotOptimize(sum);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(values.size()));
}
BENCHMARK(BM_EvaluateLinkedVariable);

// The same expression compiled: what evaluating it can cost at best.
void BM_CompiledBaseline(benchmark::State& state) {
  std::vector<double> values(4096);
  for (size_t i = 0; i < values.size(); ++i) values[i] = 0.001 * static_cast<double>(i);
  double sum = 0;
  for (auto _ : state) {
    for (const double x : values) sum += 2 * x + std::sin(x) * std::pow(x, 2.0) - std::fabs(x) / (1 + x);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(values.size()));
}
BENCHMARK(BM_CompiledBaseline);

void BM_EvaluateUnderPushedContexts(benchmark::State& state) {
  Variable x(L"x", Units::kGHz);
  VariableNameSpace ns(1, 1, 0);
  ns.AddVariable(&x);
  Value v(L"2*x+1GHz", Units::kNoUnit);
  std::vector<Value> points;
  for (int i = 0; i < 1024; ++i) points.emplace_back(0.001 * i, Units::kGHz);
  double sum = 0;
  for (auto _ : state) {
    for (const Value& p : points) {
      VariableValueContext at(&x, p);
      sum += v.GetValue();
    }
  }
  benchmark::DoNotOptimize(sum);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(points.size()));
}
BENCHMARK(BM_EvaluateUnderPushedContexts);

void BM_Parse(benchmark::State& state) {
  Variable x(L"x", Units::kNoUnit);
  VariableNameSpace ns(1, 1, 0);
  ns.AddVariable(&x);
  const AString text = L"2*x+sin(x)*x^2-abs(1.5GHz/x)/(1+2.5i)";
  for (auto _ : state) {
    Value v(text, Units::kNoUnit);
    benchmark::DoNotOptimize(v.GetValueBase());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_Parse);

}  // namespace

int main(int argc, char** argv) {
  BaselineRatioReporter reporter("BM_EvaluateLinkedVariable", "BM_CompiledBaseline",
                                 "a parsed expression evaluates in %.2f times the same expression compiled\n");
  return RunBenchmarks(argc, argv, reporter);
}
