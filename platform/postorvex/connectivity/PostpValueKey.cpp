#include "postorvex/connectivity/PostpValueKey.h"

#include <cmath>

#include "orvex/values/Units.h"
#include "orvex/values/Value.h"
#include "postorvex/columns/Column.h"

namespace postp {

bool IsNearlyEqualSI(double a, double b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  if (a == b) return true;
  if (std::isinf(a) || std::isinf(b)) return false;
  return std::fabs(a - b) <= 1e-12 * std::fmax(std::fabs(a), std::fabs(b));
}

ValueKey ValueKey::FromValue(const Value& value) {
  ValueKey key;
  const val::ParameterType type = value.GetParameterType();
  if (type == val::kTextParam || type == val::kStringParam) {
    key.isText = true;
    key.text = value.GetStringValue();
    return key;
  }
  key.si = value.GetSIComplexValue();
  return key;
}

ValueKey ValueKey::FromColumnRow(const Column& column, size_t row) {
  ValueKey key;
  const Units::FullUnitType units = column.GetUnits();
  if (const DoubleColumn* d = column.GetDoubleColumn()) {
    key.si = AComplex<double>(Units::ConvertToSI(d->GetValues()[row], units), 0.0);
    return key;
  }
  if (const ComplexColumn* c = column.GetComplexColumn()) {
    const AComplex<double>& v = c->GetValues()[row];
    key.si = AComplex<double>(Units::ConvertToSI(v.real(), units), Units::ConvertToSI(v.imag(), units));
    return key;
  }
  if (const IntColumn* i = column.GetIntColumn()) {
    key.si = AComplex<double>(i->IsInvalidAt(row) ? NAN : static_cast<double>(i->GetValues()[row]), 0.0);
    return key;
  }
  if (const EnumColumn* e = column.GetEnumColumn()) {
    key.si = AComplex<double>(e->IsInvalidAt(row) ? NAN : static_cast<double>(e->GetValues()[row]), 0.0);
    return key;
  }
  if (const CharColumn* ch = column.GetCharColumn()) {
    key.si = AComplex<double>(ch->IsInvalidAt(row) ? NAN : static_cast<double>(ch->GetValues()[row]), 0.0);
    return key;
  }
  key.isText = true;
  if (const TextColumn* t = column.GetTextColumn()) {
    key.text = t->GetValues()[row];
    return key;
  }
  if (const StringColumn* s = column.GetStringColumn()) {
    key.text = s->GetValues()[row];
    return key;
  }
  key.text = column.GetSingleValueText(row);
  return key;
}

bool ValueKey::Matches(const ValueKey& other) const {
  if (isText != other.isText) return false;
  if (isText) return text == other.text;
  return IsNearlyEqualSI(si.real(), other.si.real()) && IsNearlyEqualSI(si.imag(), other.si.imag());
}

}  // namespace postp
