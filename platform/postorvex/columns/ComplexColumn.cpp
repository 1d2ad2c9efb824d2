#include "postorvex/columns/ComplexColumn.h"

#include <cmath>
#include <limits>

#include "postorvex/columns/ColumnImpl.h"
#include "postorvex/columns/ValuesText.h"

using namespace postorvex::columns;

const AComplex<double> ComplexColumn::kInvalidValue(std::numeric_limits<double>::quiet_NaN(),
                                                    std::numeric_limits<double>::quiet_NaN());

bool ComplexColumn::IsInvalidValue(const AComplex<double>& v) { return std::isnan(v.Real()) || std::isnan(v.Imag()); }

ComplexColumn::ComplexColumn(Units::FullUnitType units) : ColumnT(val::kComplexParam, units) {}

ComplexColumn::~ComplexColumn() = default;

void ComplexColumn::AppendInvalidValues(size_t n) { m_values.insert(m_values.end(), n, kInvalidValue); }

bool ComplexColumn::AppendInput(const ColumnInput& value) {
  const int type = static_cast<int>(value.type);
  const Units::FullUnitType to = GetUnits();
  if (type == val::kNoParam) {
    m_values.push_back(kInvalidValue);
    return true;
  }
  if (type == val::kComplexParam) {
    m_values.emplace_back(ConvertUnits(value.complex.Real(), value.units, to),
                          ConvertUnits(value.complex.Imag(), value.units, to));
    return true;
  }
  if (type == val::kDoubleParam) {
    m_values.emplace_back(ConvertUnits(value.number, value.units, to), 0.0);
    return true;
  }
  int64_t d = 0;
  bool invalid = false;
  if (!DigitalInput(value, d, invalid)) {
    ReportKindDoesNotFit();
    m_values.push_back(kInvalidValue);
    return false;
  }
  m_values.push_back(invalid ? kInvalidValue : AComplex<double>(static_cast<double>(d), 0.0));
  return true;
}

void ComplexColumn::AddValue(const AComplex<double>& v) { m_values.push_back(v); }

void ComplexColumn::AppendEntryOf(const Column& source, size_t row) {
  const AComplex<double>& v = static_cast<const ComplexColumn&>(source).m_values[row];
  m_values.emplace_back(ConvertUnits(v.Real(), source.GetUnits(), GetUnits()),
                        ConvertUnits(v.Imag(), source.GetUnits(), GetUnits()));
}

AString ComplexColumn::EntryText(size_t i) const { return ComplexText(m_values[i]); }

bool ComplexColumn::SameEntry(size_t i, const Column& other, size_t j) const {
  const double sa = UnitScaleToSI(GetUnits());
  const double sb = UnitScaleToSI(other.GetUnits());
  const std::complex<double> a = m_values[i] * sa;
  const std::complex<double> b = static_cast<const ComplexColumn&>(other).m_values[j] * sb;
  if (a == b) return true;
  return std::abs(a - b) <= 1e-12 * std::fmax(std::abs(a), std::abs(b));
}

void ComplexColumn::WriteEntries(ValuesTextWriter& out) const {
  for (const AComplex<double>& v : m_values) {
    out.Double(v.Real());
    out.Double(v.Imag());
  }
}

bool ComplexColumn::ReadEntry(ValuesTextReader& in) {
  double re = 0, im = 0;
  if (!in.Double(re) || !in.Double(im)) return false;
  m_values.emplace_back(re, im);
  return true;
}
