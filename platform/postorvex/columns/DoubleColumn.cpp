#include "postorvex/columns/DoubleColumn.h"

#include "postorvex/columns/ColumnImpl.h"
#include "postorvex/columns/ValuesText.h"

using namespace postorvex::columns;

DoubleColumn::DoubleColumn(Units::FullUnitType units) : ColumnT(val::kDoubleParam, units) {}

DoubleColumn::~DoubleColumn() = default;

void DoubleColumn::AppendInvalidValues(size_t n) { m_values.insert(m_values.end(), n, kInvalidValue); }

bool DoubleColumn::AppendInput(const ColumnInput& value) {
  const int type = static_cast<int>(value.type);
  if (type == val::kNoParam) {
    m_values.push_back(kInvalidValue);
    return true;
  }
  if (type == val::kDoubleParam) {
    m_values.push_back(ConvertUnits(value.number, value.units, GetUnits()));
    return true;
  }
  int64_t d = 0;
  bool invalid = false;
  if (!DigitalInput(value, d, invalid)) {
    ReportKindDoesNotFit();
    m_values.push_back(kInvalidValue);
    return false;
  }
  m_values.push_back(invalid ? kInvalidValue : static_cast<double>(d));
  return true;
}

void DoubleColumn::AddValue(double v, bool flag) {
  m_values.push_back(v);
  m_lastAddFlag = flag;
}

void DoubleColumn::AppendValues(const std::vector<double>& values) {
  m_values.insert(m_values.end(), values.begin(), values.end());
}

void DoubleColumn::GetMinAndMax(double& min, double& max) const {
  NoteRead();
  for (double v : m_values) {
    if (IsInvalidValue(v)) continue;
    if (v < min) min = v;
    if (v > max) max = v;
  }
}

void DoubleColumn::AppendEntryOf(const Column& source, size_t row) {
  m_values.push_back(ConvertUnits(static_cast<const DoubleColumn&>(source).m_values[row], source.GetUnits(), GetUnits()));
}

AString DoubleColumn::EntryText(size_t i) const { return NumberText(m_values[i]) + UnitName(GetUnits()); }

bool DoubleColumn::GetRealEntrySI(size_t i, double& out) const {
  out = m_values[i] * UnitScaleToSI(GetUnits());
  return true;
}

bool DoubleColumn::SameEntry(size_t i, const Column& other, size_t j) const {
  double a = 0, b = 0;
  GetRealEntrySI(i, a);
  static_cast<const DoubleColumn&>(other).GetRealEntrySI(j, b);
  return NearlyEqual(a, b);
}

void DoubleColumn::WriteEntries(ValuesTextWriter& out) const {
  for (double v : m_values) out.Double(v);
}

bool DoubleColumn::ReadEntry(ValuesTextReader& in) {
  double v = 0;
  if (!in.Double(v)) return false;
  m_values.push_back(v);
  return true;
}
