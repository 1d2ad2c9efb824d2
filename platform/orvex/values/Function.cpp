#include "orvex/values/Function.h"

#include <cmath>
#include <limits>

#include "orvex/core/Assert.h"
#include "orvex/core/TestHooks.h"
#include "orvex/values/ConstantValues.h"
#include "orvex/values/Dataset.h"
#include "orvex/values/FunctionCall.h"
#include "orvex/values/Statistics.h"
#include "orvex/values/Value.h"

namespace {

using C = AComplex<double>;
const double kNaN = std::numeric_limits<double>::quiet_NaN();

const std::complex<double>& Std(const C& c) { return c; }

// ---- kernels of the built-in functions of numbers
double Identity(double x) { return x; }
double Zero(double) { return 0.0; }
double Abs(double x) { return std::fabs(x); }
double AbsC(const C& c) { return std::abs(Std(c)); }
double RealC(const C& c) { return c.real(); }
double ImagC(const C& c) { return c.imag(); }
C ConjR(double x) { return C(x, 0.0); }
C ConjC(const C& c) { return std::conj(Std(c)); }
double Ang(double x) { return std::atan2(0.0, x); }
double AngC(const C& c) { return std::arg(Std(c)); }
double Db(double x) { return 20.0 * std::log10(std::fabs(x)); }
double DbC(const C& c) { return 20.0 * std::log10(std::abs(Std(c))); }
double DbPower(double x) { return 10.0 * std::log10(std::fabs(x)); }
double DbPowerC(const C& c) { return 10.0 * std::log10(std::abs(Std(c))); }
double Sqrt(double x) { return std::sqrt(x); }
C SqrtR(double x) { return std::sqrt(std::complex<double>(x, 0.0)); }
C SqrtC(const C& c) { return std::sqrt(Std(c)); }
double Exp(double x) { return std::exp(x); }
C ExpC(const C& c) { return std::exp(Std(c)); }
double Ln(double x) { return std::log(x); }
C LnR(double x) { return std::log(std::complex<double>(x, 0.0)); }
C LnC(const C& c) { return std::log(Std(c)); }
double Log10(double x) { return std::log10(x); }
C Log10R(double x) { return std::log10(std::complex<double>(x, 0.0)); }
C Log10C(const C& c) { return std::log10(Std(c)); }
double Sin(double x) { return std::sin(x); }
C SinC(const C& c) { return std::sin(Std(c)); }
double Cos(double x) { return std::cos(x); }
C CosC(const C& c) { return std::cos(Std(c)); }
double Tan(double x) { return std::tan(x); }
C TanC(const C& c) { return std::tan(Std(c)); }
double Asin(double x) { return std::asin(x); }
C AsinC(const C& c) { return std::asin(Std(c)); }
double Acos(double x) { return std::acos(x); }
C AcosC(const C& c) { return std::acos(Std(c)); }
double Atan(double x) { return std::atan(x); }
C AtanC(const C& c) { return std::atan(Std(c)); }
double Sinh(double x) { return std::sinh(x); }
C SinhC(const C& c) { return std::sinh(Std(c)); }
double Cosh(double x) { return std::cosh(x); }
C CoshC(const C& c) { return std::cosh(Std(c)); }
double Tanh(double x) { return std::tanh(x); }
C TanhC(const C& c) { return std::tanh(Std(c)); }
double Floor(double x) { return std::floor(x); }
double Ceil(double x) { return std::ceil(x); }
double Round(double x) { return std::round(x); }
double Sign(double x) { return std::isnan(x) ? x : (x > 0) - (x < 0); }

val::ParameterType ElementType(val::ParameterType t) {
  if (t == val::kDoubleMatrixParam || val::IsDigitalType(t)) return val::kDoubleParam;
  if (t == val::kComplexMatrixParam) return val::kComplexParam;
  return t;
}

bool IsMatrix(val::ParameterType t) { return t == val::kDoubleMatrixParam || t == val::kComplexMatrixParam; }

// A one-argument function of a real or complex number, computed by its kernels.
class UnaryMathFunction : public Function {
public:
  UnaryMathFunction(const wchar_t* name, ScalarKernels k, bool preservesUnits)
      : Function(name, 1, false, false, preservesUnits), m_k(k) {}

  val::ParameterType GetResultType(const std::vector<val::ParameterType>& args) const override {
    if (args.size() != 1) return val::kNoParam;
    val::ParameterType t = ElementType(args[0]);
    val::ParameterType r = val::kNoParam;
    if (t == val::kDoubleParam) r = m_k.rr ? val::kDoubleParam : (m_k.rc ? val::kComplexParam : val::kNoParam);
    if (t == val::kComplexParam) r = m_k.cr ? val::kDoubleParam : (m_k.cc ? val::kComplexParam : val::kNoParam);
    if (r != val::kNoParam && IsMatrix(args[0]))
      r = r == val::kDoubleParam ? val::kDoubleMatrixParam : val::kComplexMatrixParam;
    return r;
  }

  bool CalculateFunction(IFunctionArguments* args, IFunctionResult* result, FunctionContext&) const override {
    const ValueBase* arg = args ? args->GetArgument(0) : nullptr;
    if (!arg || !result) return false;
    if (ElementType(arg->GetParameterType()) == val::kComplexParam) {
      C c = arg->GetComplexValue();
      if (m_k.cr) {
        result->GetDoubleResult() = m_k.cr(c);
        return true;
      }
      if (!m_k.cc) return false;
      result->GetComplexResult() = m_k.cc(c);
      return true;
    }
    double x = arg->GetValue();
    if (m_k.rr) {
      result->GetDoubleResult() = m_k.rr(x);
      return true;
    }
    if (!m_k.rc) return false;
    result->GetComplexResult() = m_k.rc(x);
    return true;
  }

  bool AcceptsArgumentType(val::ParameterType t) const override {
    val::ParameterType e = ElementType(t);
    return (e == val::kDoubleParam && (m_k.rr || m_k.rc)) || (e == val::kComplexParam && (m_k.cr || m_k.cc));
  }

  const ScalarKernels* GetScalarKernels() const override { return &m_k; }

private:
  ScalarKernels m_k;
};

// The statistics over the y values of a dataset; complex datasets by their magnitudes.
class StatisticFunction : public Function {
public:
  StatisticFunction(const wchar_t* name, val::Statistic s, bool preservesUnits)
      : Function(name, 1, true, true, preservesUnits), m_stat(s) {}

  val::ParameterType GetResultType(const std::vector<val::ParameterType>& args) const override {
    return args.size() == 1 && AcceptsArgumentType(args[0]) ? val::kDoubleParam : val::kNoParam;
  }

  bool CalculateFunction(IFunctionArguments* args, IFunctionResult* result, FunctionContext&) const override {
    if (!args || !result) return false;
    const ValueBase* arg = args->GetArgument(0);
    double out = kNaN;
    bool ok = false;
    if (arg && arg->GetParameterType() == val::kComplexDatasetParam) {
      const std::vector<C>& cy = args->GetComplexYValues(0);
      std::vector<double> mags(cy.size());
      for (size_t i = 0; i < cy.size(); ++i) mags[i] = std::abs(Std(cy[i]));
      ok = val::ComputeStatistic(m_stat, mags.data(), mags.size(), out);
    } else {
      const std::vector<double>& y = args->GetYValues(0);
      ok = val::ComputeStatistic(m_stat, y.data(), y.size(), out);
    }
    if (ok) result->GetDoubleResult() = out;
    return ok;
  }

  int GetRangedResultUnitPower() const override { return m_stat == val::Statistic::kVariance ? 2 : 1; }

private:
  val::Statistic m_stat;
};

// The difference quotient from the current point to the next one (the previous at the last).
class DerivFunction : public Function {
public:
  DerivFunction() : Function(L"deriv", 1, true, false, false) {}

  val::ParameterType GetResultType(const std::vector<val::ParameterType>& args) const override {
    if (args.size() != 1) return val::kNoParam;
    if (args[0] == val::kDoubleDatasetParam) return val::kDoubleParam;
    return args[0] == val::kComplexDatasetParam ? val::kComplexParam : val::kNoParam;
  }

  bool CalculateFunction(IFunctionArguments* args, IFunctionResult* result, FunctionContext&) const override {
    if (!args || !result) return false;
    auto* ds = dynamic_cast<const AbstractDatasetValueBase*>(args->GetArgument(0));
    if (!ds) return false;
    const int i = ds->GetIndexInsideDataset();
    const std::vector<double>& x = args->GetXValues(0);
    const size_t n = x.size();
    if (n < 2 || i < 0 || static_cast<size_t>(i) >= n) return false;
    const size_t a = static_cast<size_t>(i);
    const size_t b = a + 1 < n ? a + 1 : a - 1;
    const double dx = x[b] - x[a];
    if (ds->GetParameterType() == val::kComplexDatasetParam) {
      const std::vector<C>& y = args->GetComplexYValues(0);
      if (y.size() != n) return false;
      result->GetComplexResult() = C((Std(y[b]) - Std(y[a])) / dx);
      return true;
    }
    const std::vector<double>& y = args->GetYValues(0);
    if (y.size() != n) return false;
    result->GetDoubleResult() = (y[b] - y[a]) / dx;
    return true;
  }
};

// table(name, x): only names a design dataset.
class TableFunction : public Function {
public:
  TableFunction() : Function(L"table", 2, false, false, false) {}
  val::ParameterType GetResultType(const std::vector<val::ParameterType>&) const override { return val::kDoubleParam; }
  bool CalculateFunction(IFunctionArguments*, IFunctionResult* result, FunctionContext&) const override {
    if (result) result->GetDoubleResult() = kNaN;
    return true;
  }
};

struct FunctionTable {
  std::vector<std::unique_ptr<Function>> builtIn;
  std::vector<std::unique_ptr<Function>> registered;  // dropped by the test reset

  FunctionTable() {
    using K = Function::ScalarKernels;
    auto add = [this](const wchar_t* name, K k, bool preserves) {
      builtIn.emplace_back(new UnaryMathFunction(name, k, preserves));
    };
    add(L"abs", K{Abs, nullptr, AbsC, nullptr}, true);
    add(L"mag", K{Abs, nullptr, AbsC, nullptr}, true);
    add(L"real", K{Identity, nullptr, RealC, nullptr}, true);
    add(L"imag", K{Zero, nullptr, ImagC, nullptr}, true);
    add(L"conj", K{nullptr, ConjR, nullptr, ConjC}, true);
    add(L"ang", K{Ang, nullptr, AngC, nullptr}, false);
    add(L"db", K{Db, nullptr, DbC, nullptr}, false);
    add(L"db_power", K{DbPower, nullptr, DbPowerC, nullptr}, false);
    add(L"sqrt", K{Sqrt, SqrtR, nullptr, SqrtC}, false);
    add(L"exp", K{Exp, nullptr, nullptr, ExpC}, false);
    add(L"ln", K{Ln, LnR, nullptr, LnC}, false);
    add(L"log", K{Ln, LnR, nullptr, LnC}, false);
    add(L"log10", K{Log10, Log10R, nullptr, Log10C}, false);
    add(L"sin", K{Sin, nullptr, nullptr, SinC}, false);
    add(L"cos", K{Cos, nullptr, nullptr, CosC}, false);
    add(L"tan", K{Tan, nullptr, nullptr, TanC}, false);
    add(L"asin", K{Asin, nullptr, nullptr, AsinC}, false);
    add(L"acos", K{Acos, nullptr, nullptr, AcosC}, false);
    add(L"atan", K{Atan, nullptr, nullptr, AtanC}, false);
    add(L"sinh", K{Sinh, nullptr, nullptr, SinhC}, false);
    add(L"cosh", K{Cosh, nullptr, nullptr, CoshC}, false);
    add(L"tanh", K{Tanh, nullptr, nullptr, TanhC}, false);
    add(L"floor", K{Floor, nullptr, nullptr, nullptr}, false);
    add(L"ceil", K{Ceil, nullptr, nullptr, nullptr}, false);
    add(L"round", K{Round, nullptr, nullptr, nullptr}, false);
    add(L"sign", K{Sign, nullptr, nullptr, nullptr}, false);
    using S = val::Statistic;
    auto stat = [this](const wchar_t* name, S s, bool preserves) {
      builtIn.emplace_back(new StatisticFunction(name, s, preserves));
    };
    stat(L"max", S::kMax, true);
    stat(L"min", S::kMin, true);
    stat(L"mean", S::kMean, true);
    stat(L"median", S::kMedian, true);
    stat(L"peak_to_peak", S::kPeakToPeak, true);
    stat(L"stddev", S::kStdDev, false);
    stat(L"variance", S::kVariance, false);
    stat(L"sum", S::kSum, false);
    stat(L"rms", S::kRms, false);
    builtIn.emplace_back(new DerivFunction);
    builtIn.emplace_back(new TableFunction);
  }
};

FunctionTable& Table() {
  static FunctionTable* t = new FunctionTable;  // outlives every static tree that calls one
  return *t;
}

void ResetFunctions() { Table().registered.clear(); }

const bool s_registered = orvex::test::RegisterGlobalState({"functions", &ResetFunctions, nullptr});

}  // namespace

FunctionContext::FunctionContext() = default;

IAuxiliaryFunction::~IAuxiliaryFunction() = default;

IFunctionArguments::~IFunctionArguments() = default;

const Function* IFunctionArguments::GetOutermostFunctionAppliedToYValues() const {
  ORVEX_ASSERT(!"Please implement IFunctionArguments::GetOutermostFunctionAppliedToYValues()");
  return nullptr;
}

IFunctionResult::~IFunctionResult() = default;

Function::Function(const AString& name, int numArgs, bool ranged, bool reducesDimension, bool preservesUnits)
    : m_name(name), m_numArgs(numArgs), m_ranged(ranged), m_reduces(reducesDimension),
      m_preservesUnits(preservesUnits) {}

Function::~Function() = default;

val::ParameterType Function::GetResultType(const std::vector<val::ParameterType>& args) const {
  if (static_cast<int>(args.size()) != m_numArgs) return val::kNoParam;
  if (m_ranged) return args[0] == val::kComplexDatasetParam ? val::kComplexParam : val::kDoubleParam;
  for (val::ParameterType t : args)
    if (ElementType(t) == val::kComplexParam) return val::kComplexParam;
  return val::kDoubleParam;
}

bool Function::AcceptsArgumentType(val::ParameterType t) const {
  if (m_ranged) return val::IsDatasetType(t);
  val::ParameterType e = ElementType(t);
  return e == val::kDoubleParam || e == val::kComplexParam;
}

const Function::ScalarKernels* Function::GetScalarKernels() const { return nullptr; }

int Function::GetRangedResultUnitPower() const { return 1; }

bool Function::EvaluateScalar(const Value& in, Value& out) const {
  if (m_ranged || m_numArgs != 1) return false;
  val::ParameterType t = ElementType(in.GetParameterType());
  if (t != val::kDoubleParam && t != val::kComplexParam) return false;
  if (!AcceptsArgumentType(t)) return false;
  const bool complexIn = t == val::kComplexParam;
  FloatValue realArg(complexIn ? 0.0 : in.GetSIValue(), Units::kNoUnit);
  ComplexValue complexArg(complexIn ? in.GetSIComplexValue() : C(), Units::kNoUnit);
  val::ParameterType rt = GetResultType({t});
  if (rt == val::kNoParam) return false;
  orvex::values::FunctionCall call(this, complexIn ? static_cast<const ValueBase*>(&complexArg) : &realArg);
  C r = call.Run(rt == val::kComplexParam);
  const Units::FullUnitType u = m_preservesUnits ? in.GetUnits() : Units::kNoUnit;
  if (rt == val::kComplexParam)
    out = Value(C(Units::ConvertFromSI(r.real(), u), Units::ConvertFromSI(r.imag(), u)), u);
  else
    out = Value(Units::ConvertFromSI(r.real(), u), u);
  return true;
}

const Function* Function::Find(const AString& name) {
  FunctionTable& t = Table();
  for (auto it = t.registered.rbegin(); it != t.registered.rend(); ++it)
    if ((*it)->GetName().CompareNoCase(name) == 0) return it->get();
  for (auto& f : t.builtIn)
    if (f->GetName().CompareNoCase(name) == 0) return f.get();
  return nullptr;
}

void Function::Register(std::unique_ptr<Function> f) {
  if (f) Table().registered.push_back(std::move(f));
}

namespace val {

bool DoesFunctionReduceDimension(const Function* f) { return f && f->IsRanged() && f->ReducesDimension(); }

}  // namespace val
