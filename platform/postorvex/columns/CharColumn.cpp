#include "postorvex/columns/CharColumn.h"

#include <limits>
#include <string>

#include "postorvex/columns/ColumnImpl.h"
#include "postorvex/columns/ValuesText.h"

using namespace postorvex::columns;

CharColumn::CharColumn(Units::FullUnitType units) : DigitalColumn(Pt(kPtChar), units) {}

CharColumn::~CharColumn() = default;

Column* CharColumn::CloneColumn() const {
  NoteRead();
  return new CharColumn(*this);
}

bool CharColumn::Accept(Visitor& visitor) const { return visitor.Visit(*this); }

void CharColumn::AppendInvalidValues(size_t n) { m_values.insert(m_values.end(), n, kInvalidValue); }

bool CharColumn::AppendInput(const ColumnInput& value) {
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
  if (invalid) {
    m_values.push_back(kInvalidValue);
    return true;
  }
  // 128 is the invalid byte itself, so it cannot be held as a value.
  const bool fits = d >= 0 && d <= 255 && d != 128;
  m_values.push_back(fits ? static_cast<char>(static_cast<unsigned char>(d)) : kInvalidValue);
  return fits;
}

double CharColumn::GetEntryAsDouble(size_t i) const {
  if (m_values[i] == kInvalidValue) return std::numeric_limits<double>::quiet_NaN();
  return static_cast<unsigned char>(m_values[i]);
}

std::vector<char>& CharColumn::GetValues() {
  NoteRead();
  return m_values;
}

const std::vector<char>& CharColumn::GetValues() const {
  NoteRead();
  return m_values;
}

void CharColumn::AppendEntryOf(const Column& source, size_t row) {
  m_values.push_back(static_cast<const CharColumn&>(source).m_values[row]);
}

AString CharColumn::EntryText(size_t i) const {
  return AString(std::to_wstring(static_cast<unsigned char>(m_values[i])));
}

void CharColumn::WriteEntries(ValuesTextWriter& out) const {
  for (char v : m_values) out.Int(static_cast<unsigned char>(v));
}

bool CharColumn::ReadEntry(ValuesTextReader& in) {
  int64_t v = 0;
  if (!in.Int(v, 0, 255)) return false;
  m_values.push_back(static_cast<char>(static_cast<unsigned char>(v)));
  return true;
}
