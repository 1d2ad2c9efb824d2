#include "orvex/values/ConstantValues.h"

#include <cmath>
#include <limits>

#include "orvex/values/NumberText.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

AString WithUnitName(AString number, Units::FullUnitType units) {
  if (units != Units::kNoUnit) number += Units::GetUnitName(units);
  return number;
}

bool SameNumber(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

}  // namespace

FloatValue::FloatValue(double si, Units::FullUnitType units)
    : m_si(si), m_inUnits(Units::ConvertFromSI(si, units)), m_units(units) {}

FloatValue::~FloatValue() = default;

FloatValue* FloatValue::FromUnits(double numberInUnits, Units::FullUnitType units, const AString& writtenToken) {
  auto* v = new FloatValue(Units::ConvertToSI(numberInUnits, units), units);
  v->m_inUnits = numberInUnits;
  v->m_token = writtenToken;
  return v;
}

AString FloatValue::GetValueText() const {
  if (!m_token.empty()) return m_token;
  return WithUnitName(val::FormatDouble(m_inUnits), m_units);
}

bool FloatValue::IsEqual(const ValueBase& other) const {
  auto* o = dynamic_cast<const FloatValue*>(&other);
  return o && SameNumber(o->m_si, m_si);
}

ComplexValue::ComplexValue(const AComplex<double>& si, Units::FullUnitType units)
    : m_si(si),
      m_inUnits(Units::ConvertFromSI(si.real(), units), Units::ConvertFromSI(si.imag(), units)),
      m_units(units) {}

ComplexValue::~ComplexValue() = default;

ComplexValue* ComplexValue::FromUnits(const AComplex<double>& numberInUnits, Units::FullUnitType units,
                                      const AString& writtenToken) {
  AComplex<double> si(Units::ConvertToSI(numberInUnits.real(), units),
                      Units::ConvertToSI(numberInUnits.imag(), units));
  auto* v = new ComplexValue(si, units);
  v->m_inUnits = numberInUnits;
  v->m_token = writtenToken;
  return v;
}

AString ComplexValue::GetValueText() const {
  if (!m_token.empty()) return m_token;
  // A unit name after "re+imi" would not read back; the number is in the value's unit.
  return val::FormatComplex(m_inUnits);
}

bool ComplexValue::IsEqual(const ValueBase& other) const {
  auto* o = dynamic_cast<const ComplexValue*>(&other);
  return o && SameNumber(o->m_si.real(), m_si.real()) && SameNumber(o->m_si.imag(), m_si.imag());
}

IntValue::IntValue(int v) : m_value(v) {}
IntValue::~IntValue() = default;

double IntValue::GetValue() const { return m_value == kInvalidValue ? kNaN : m_value; }

AString IntValue::GetValueText() const {
  return m_value == kInvalidValue ? AString() : AString(std::to_wstring(m_value));
}

bool IntValue::IsEqual(const ValueBase& other) const {
  auto* o = dynamic_cast<const IntValue*>(&other);
  return o && o->m_value == m_value;
}

CharValue::CharValue(char v) : m_value(v) {}
CharValue::~CharValue() = default;

double CharValue::GetValue() const {
  return m_value == kInvalidValue ? kNaN : static_cast<double>(static_cast<unsigned char>(m_value));
}

AString CharValue::GetValueText() const {
  if (m_value == kInvalidValue) return AString();
  return AString(std::to_wstring(static_cast<unsigned char>(m_value)));
}

bool CharValue::IsEqual(const ValueBase& other) const {
  auto* o = dynamic_cast<const CharValue*>(&other);
  return o && o->m_value == m_value;
}

EnumValue::EnumValue(int v, const AString& enumTypeName) : m_value(v), m_typeName(enumTypeName) {}
EnumValue::~EnumValue() = default;

double EnumValue::GetValue() const { return m_value == kInvalidValue ? kNaN : m_value; }

AString EnumValue::GetValueText() const {
  return m_value == kInvalidValue ? AString() : AString(std::to_wstring(m_value));
}

bool EnumValue::IsEqual(const ValueBase& other) const {
  auto* o = dynamic_cast<const EnumValue*>(&other);
  return o && o->m_value == m_value && o->m_typeName == m_typeName;
}

const AString StringValue::kInvalidValue;

StringValue::StringValue(const AString& s) : m_value(s) {}
StringValue::~StringValue() = default;

bool StringValue::IsEqual(const ValueBase& other) const {
  auto* o = dynamic_cast<const StringValue*>(&other);
  return o && o->m_value == m_value;
}
