// Functions of the expression language: a process-wide table looked up without case.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"
#include "orvex/values/AComplex.h"
#include "orvex/values/ValueCodes.h"

class Function;
class Value;
class ValueBase;

struct ORVEX_API FunctionEnvironment {
  int reserved = 0;
};

class ORVEX_API FunctionContext {
public:
  FunctionContext();
  void ResetErrors() { m_errors.clear(); }
  void AddError(const AString& e) { m_errors.push_back(e); }
  bool HasErrors() const { return !m_errors.empty(); }
  const std::vector<AString>& GetErrors() const { return m_errors; }

private:
  std::vector<AString> m_errors;
};

class ORVEX_API IAuxiliaryFunction {
public:
  virtual ~IAuxiliaryFunction();
  virtual void OnBegin() = 0;
  virtual void OnPoint(int index) = 0;
  virtual void OnEnd() = 0;
};

// What a function reads. A ranged function reads y from GetYValues (GetComplexYValues when
// argument 0 is a complex dataset, type 11) and x from GetXValues.
class ORVEX_API IFunctionArguments {
public:
  virtual ~IFunctionArguments();
  virtual AString GetFunctionName() const = 0;                                           // 1
  virtual const FunctionEnvironment& GetEnvironment() const = 0;                         // 2
  virtual const std::pair<double, double>& GetRange() const = 0;                         // 3
  virtual int GetNumExtraArguments() const = 0;                                          // 4
  virtual const ValueBase* GetArgument(int index) const = 0;                             // 5
  virtual const std::vector<double>& GetXValues(int index) const = 0;                    // 6
  virtual const std::vector<double>& GetYValues(int index) const = 0;                    // 7
  virtual const std::vector<AComplex<double>>& GetComplexYValues(int index) const = 0;   // 8
  // Raises "!\"Please implement IFunctionArguments::GetOutermostFunctionAppliedToYValues()\"".
  virtual const Function* GetOutermostFunctionAppliedToYValues() const;                  // 9
};

// Where a function writes: slot 1 for a double result, slot 2 for a complex one.
class ORVEX_API IFunctionResult {
public:
  virtual ~IFunctionResult();
  virtual double& GetDoubleResult() = 0;                                     // 1
  virtual AComplex<double>& GetComplexResult() = 0;                          // 2
  virtual std::vector<double>& GetDoubleVectorResult() = 0;                  // 3
  virtual std::vector<AComplex<double>>& GetComplexVectorResult() = 0;       // 4
  virtual IAuxiliaryFunction* GetAuxiliaryFunction() = 0;                    // 5
  virtual bool OptionalResult6(const void* p, int a, int b) = 0;             // 6
  virtual bool OptionalResult7(const void* p, int a, int b) = 0;
  virtual bool OptionalResult8(const void* p, int a, int b) = 0;
  virtual bool OptionalResult9(const void* p, int a, int b) = 0;
  virtual bool OptionalResult10(const void* p, int a, int b) = 0;
  virtual bool OptionalResult11(const void* p, int a, int b) = 0;
  virtual bool OptionalResult12(const void* p, int a, int b) = 0;
  virtual bool OptionalResult13(const void* p, int a, int b) = 0;            // 13
};

class ORVEX_API Function {
public:
  // The evaluator's direct path for one-argument functions of numbers; null entries are unsupported
  // argument kinds (rr: real to real, rc: real to complex, cr: complex to real, cc: complex to complex).
  struct ScalarKernels {
    double (*rr)(double);
    AComplex<double> (*rc)(double);
    double (*cr)(const AComplex<double>&);
    AComplex<double> (*cc)(const AComplex<double>&);
  };

  Function(const AString& name, int numArgs, bool ranged, bool reducesDimension, bool preservesUnits);
  virtual ~Function();

  const AString& GetName() const { return m_name; }
  bool IsRanged() const { return m_ranged; }
  bool ReducesDimension() const { return m_reduces; }
  int GetNumArgs() const { return m_numArgs; }
  // The result keeps the argument's units (abs, real, max...).
  bool PreservesUnits() const { return m_preservesUnits; }

  // 0 when the arguments are not accepted.
  virtual val::ParameterType GetResultType(const std::vector<val::ParameterType>& args) const;
  // A non-ranged function reads argument 0 (a number in SI, unit 90); a ranged one its value vectors.
  virtual bool CalculateFunction(IFunctionArguments* args, IFunctionResult* result, FunctionContext& ctx) const = 0;
  // Every ranged function takes datasets (11, 12); others take numbers.
  virtual bool AcceptsArgumentType(val::ParameterType t) const;
  virtual const ScalarKernels* GetScalarKernels() const;
  // How a ranged result scales with the unit of the y values: 1, or 2 for a variance.
  virtual int GetRangedResultUnitPower() const;

  // Applies a non-ranged one-argument function to a number; `out` keeps `in`'s units when the
  // function preserves units, else 90. False for ranged functions and values that are no number.
  bool EvaluateScalar(const Value& in, Value& out) const;

  // Looked up without case; later registrations shadow earlier ones of the same name.
  static const Function* Find(const AString& name);
  // For tests and hosts; removed by the test reset.
  static void Register(std::unique_ptr<Function> f);

private:
  AString m_name;
  int m_numArgs;
  bool m_ranged;
  bool m_reduces;
  bool m_preservesUnits;
};

namespace val {
ORVEX_API bool DoesFunctionReduceDimension(const Function* f);
}  // namespace val
