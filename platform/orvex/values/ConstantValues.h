// The constant leaves of expressions: numbers, complex numbers, digital values and strings.
#pragma once

#include <climits>

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"
#include "orvex/values/SharedValueBase.h"

// A real number, stored in SI.
class ORVEX_API FloatValue : public SharedValueBase {
public:
  FloatValue(double si, Units::FullUnitType units);
  ~FloatValue() override;
  // Keeps the number as written in its unit, so reading it back in that unit is exact.
  static FloatValue* FromUnits(double numberInUnits, Units::FullUnitType units,
                               const AString& writtenToken = AString());

  double GetDouble() const { return m_si; }
  // The literal as the expression wrote it ("1.5GHz", "-2"), empty when made from a number.
  const AString& GetWrittenToken() const { return m_token; }

  double GetValue() const override { return m_inUnits; }
  AString GetValueText() const override;
  bool IsEqual(const ValueBase& other) const override;
  bool IsConstant() const override { return true; }
  Units::FullUnitType GetUnits() const override { return m_units; }
  val::ParameterType GetParameterType() const override { return val::kDoubleParam; }

private:
  double m_si;
  double m_inUnits;  // the same number in m_units
  Units::FullUnitType m_units;
  AString m_token;
};

// A complex number, stored in SI.
class ORVEX_API ComplexValue : public SharedValueBase {
public:
  ComplexValue(const AComplex<double>& si, Units::FullUnitType units);
  ~ComplexValue() override;
  static ComplexValue* FromUnits(const AComplex<double>& numberInUnits, Units::FullUnitType units,
                                 const AString& writtenToken = AString());

  const AComplex<double>& GetComplex() const { return m_si; }
  const AString& GetWrittenToken() const { return m_token; }

  double GetValue() const override { return m_inUnits.real(); }
  AComplex<double> GetComplexValue() const override { return m_inUnits; }
  AString GetValueText() const override;
  bool IsEqual(const ValueBase& other) const override;
  bool IsConstant() const override { return true; }
  Units::FullUnitType GetUnits() const override { return m_units; }
  val::ParameterType GetParameterType() const override { return val::kComplexParam; }

private:
  AComplex<double> m_si;
  AComplex<double> m_inUnits;
  Units::FullUnitType m_units;
  AString m_token;
};

class ORVEX_API IntValue : public SharedValueBase {
public:
  static constexpr int kInvalidValue = INT_MIN;

  explicit IntValue(int v);
  ~IntValue() override;

  double GetValue() const override;  // NaN for the invalid marker
  int GetIntValue() const override { return m_value; }
  AString GetValueText() const override;
  bool IsEqual(const ValueBase& other) const override;
  bool IsConstant() const override { return true; }
  val::ParameterType GetParameterType() const override { return val::kIntParam; }

private:
  int m_value;
};

class ORVEX_API CharValue : public SharedValueBase {
public:
  static constexpr char kInvalidValue = static_cast<char>(-128);

  explicit CharValue(char v);
  ~CharValue() override;

  double GetValue() const override;  // the byte as 0-255; NaN for the invalid marker
  char GetCharValue() const override { return m_value; }
  AString GetValueText() const override;
  bool IsEqual(const ValueBase& other) const override;
  bool IsConstant() const override { return true; }
  val::ParameterType GetParameterType() const override { return val::kCharParam; }

private:
  char m_value;
};

class ORVEX_API EnumValue : public SharedValueBase {
public:
  static constexpr int kInvalidValue = INT_MIN;

  EnumValue(int v, const AString& enumTypeName);
  ~EnumValue() override;

  const AString& GetEnumTypeName() const { return m_typeName; }
  double GetValue() const override;
  int GetEnumValue() const override { return m_value; }
  AString GetValueText() const override;
  bool IsEqual(const ValueBase& other) const override;
  bool IsConstant() const override { return true; }
  val::ParameterType GetParameterType() const override { return val::kEnumParam; }

private:
  int m_value;
  AString m_typeName;
};

class ORVEX_API StringValue : public SharedValueBase {
public:
  static const AString kInvalidValue;  // ""

  explicit StringValue(const AString& s);
  ~StringValue() override;

  AString GetStringValue() const override { return m_value; }
  AString GetValueText() const override { return m_value; }
  bool IsEqual(const ValueBase& other) const override;
  bool IsConstant() const override { return true; }
  val::ParameterType GetParameterType() const override { return val::kStringParam; }

private:
  AString m_value;
};
