// A named variable of expressions (a sweep or design variable) with a stack of current values.
#pragma once

#include <memory>
#include <vector>

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"
#include "orvex/values/IVariableValueSource.h"
#include "orvex/values/Value.h"
#include "orvex/values/ValueBase.h"

// Owned by its host; never deleted through holders. The current value is the top of a stack
// that contexts push and pop, so the innermost context wins.
class ORVEX_API Variable : public ValueBase {
public:
  Variable(const AString& name, Units::FullUnitType units, val::ParameterType type = val::kDoubleParam);
  ~Variable() override;

  const AString& GetName() const { return m_name; }
  bool IsDependent() const { return m_dependent; }
  void SetDependent(bool dependent) { m_dependent = dependent; }
  // A creation counter: a stable order between variables of one name.
  int GetSerial() const { return m_serial; }

  // False when no value is current.
  bool GetCurrentValue(Value& out) const;
  bool HasCurrentValue() const;
  // Answers a token that PopCurrentValue checks, so contexts restore exactly what they pushed.
  long PushCurrentValue(const Value& v) const;
  long PushCurrentSource(const IVariableValueSource* source) const;
  void PopCurrentValue(long token) const;
  size_t GetCurrentValueDepth() const { return m_stack.size(); }
  // Drops every current value (test reset).
  void ClearCurrentValues() const { m_stack.clear(); }

  // The current value in SI; NaN after "!\"variable has no current value\"" when there is none.
  double GetCurrentSI() const { return GetCurrentComplexSI().real(); }
  AComplex<double> GetCurrentComplexSI() const;

  // A dependent variable's defining expression, evaluated at the current values.
  void SetDefinition(const AString& text);
  const Value* GetDefinition() const { return m_definition.get(); }

  // Process-wide intrinsic variables: "Freq" (Hz), "Time" (s), "Phase" (deg). Found without case.
  static Variable* FindIntrinsic(const AString& name);
  // Shadows an intrinsic of the same name until the test reset.
  static Variable* RegisterIntrinsic(std::unique_ptr<Variable> v);
  // Constants with a fixed value, found with exact case: pi, e, c0, mu0, e0, boltz.
  static Variable* FindConstant(const AString& name);

  // ValueBase
  void DoReceiveMsg(Msg& m) override;
  double GetValue() const override;  // in the variable's units
  AComplex<double> GetComplexValue() const override;
  int GetIntValue() const override;
  char GetCharValue() const override;
  int GetEnumValue() const override;
  AString GetStringValue() const override;
  AString GetValueText() const override { return m_name; }
  bool IsEqual(const ValueBase& other) const override { return &other == this; }
  bool IsConstant() const override { return m_constant; }
  Units::FullUnitType GetUnits() const override { return m_units; }
  val::ParameterType GetParameterType() const override { return m_type; }

protected:
  // A constant: its value never changes and no context can hide it.
  Variable(const AString& name, Units::FullUnitType units, const AComplex<double>& constantSI);

private:
  struct Entry {
    long token;
    Value value;                           // pushed value, empty for a linked source
    const IVariableValueSource* source;    // not owned
    bool constant;                         // value is a constant: si holds it
    AComplex<double> si;
  };
  const Entry* Top() const { return m_stack.empty() ? nullptr : &m_stack.back(); }

  AString m_name;
  Units::FullUnitType m_units;
  val::ParameterType m_type;
  bool m_dependent = false;
  bool m_constant = false;
  AComplex<double> m_constantSI;
  int m_serial;
  mutable std::vector<Entry> m_stack;
  std::unique_ptr<Value> m_definition;
};
