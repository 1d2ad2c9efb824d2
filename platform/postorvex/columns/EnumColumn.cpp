#include "postorvex/columns/EnumColumn.h"

#include <limits>
#include <string>

#include "postorvex/columns/ColumnImpl.h"
#include "postorvex/columns/ValuesText.h"

using namespace postorvex::columns;

EnumColumn::EnumColumn(Units::FullUnitType units) : DigitalColumn(Pt(kPtEnum), units) {}

EnumColumn::~EnumColumn() = default;

Column* EnumColumn::CloneColumn() const {
  NoteRead();
  return new EnumColumn(*this);
}

bool EnumColumn::Accept(Visitor& visitor) const { return visitor.Visit(*this); }

void EnumColumn::AppendInvalidValues(size_t n) { m_values.insert(m_values.end(), n, kInvalidValue); }

bool EnumColumn::AppendInput(const ColumnInput& value) {
  int64_t d = 0;
  bool invalid = false;
  if (static_cast<int>(value.type) == kPtNone) {
    m_values.push_back(kInvalidValue);
    return true;
  }
  if (!DigitalInput(value, d, invalid)) {
    ReportKindDoesNotFit();
    m_values.push_back(kInvalidValue);
    return false;
  }
  m_values.push_back(invalid ? kInvalidValue : static_cast<int32_t>(d));
  return true;
}

double EnumColumn::GetEntryAsDouble(size_t i) const {
  return m_values[i] == kInvalidValue ? std::numeric_limits<double>::quiet_NaN() : m_values[i];
}

std::vector<int32_t>& EnumColumn::GetValues() {
  NoteRead();
  return m_values;
}

const std::vector<int32_t>& EnumColumn::GetValues() const {
  NoteRead();
  return m_values;
}

void EnumColumn::AppendEntryOf(const Column& source, size_t row) {
  m_values.push_back(static_cast<const EnumColumn&>(source).m_values[row]);
}

AString EnumColumn::EntryText(size_t i) const { return AString(std::to_wstring(m_values[i])); }

bool EnumColumn::GetEnumName(AString& name) const {
  if (!m_hasEnumName) return false;
  name = m_enumName;
  return true;
}

void EnumColumn::InitializeEnumName(const AString& name) {
  m_enumName = name;
  m_hasEnumName = true;
}

void EnumColumn::WriteEntries(ValuesTextWriter& out) const {
  for (int32_t v : m_values) out.Int(v);
}

bool EnumColumn::ReadEntry(ValuesTextReader& in) {
  int64_t v = 0;
  if (!in.Int(v, INT32_MIN, INT32_MAX)) return false;
  m_values.push_back(static_cast<int32_t>(v));
  return true;
}
