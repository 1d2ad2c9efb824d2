#include "postorvex/columns/StringColumn.h"

#include "postorvex/columns/ColumnImpl.h"
#include "postorvex/columns/ValuesText.h"

using namespace postorvex::columns;

StringColumn::StringColumn(Units::FullUnitType units) : Column(Pt(kPtString), units) {}

StringColumn::~StringColumn() = default;

Column* StringColumn::CloneColumn() const {
  NoteRead();
  return new StringColumn(*this);
}

bool StringColumn::Accept(Visitor& visitor) const { return visitor.Visit(*this); }

void StringColumn::AppendInvalidValues(size_t n) { m_values.insert(m_values.end(), n, AString()); }

bool StringColumn::AppendInput(const ColumnInput& value) {
  const int type = static_cast<int>(value.type);
  if (type == kPtText || type == kPtString) {
    m_values.push_back(value.text);
    return true;
  }
  m_values.emplace_back();
  if (type == kPtNone) return true;
  ReportKindDoesNotFit();
  return false;
}

std::vector<AString>& StringColumn::GetValues() {
  NoteRead();
  return m_values;
}

const std::vector<AString>& StringColumn::GetValues() const {
  NoteRead();
  return m_values;
}

void StringColumn::AppendText(const AString& text) { m_values.push_back(text); }

void StringColumn::AppendEntryOf(const Column& source, size_t row) {
  m_values.push_back(static_cast<const StringColumn&>(source).m_values[row]);
}

AString StringColumn::EntryText(size_t i) const { return m_values[i]; }

bool StringColumn::SameEntry(size_t i, const Column& other, size_t j) const {
  return m_values[i] == static_cast<const StringColumn&>(other).m_values[j];
}

void StringColumn::WriteEntries(ValuesTextWriter& out) const {
  for (const AString& v : m_values) out.Text(v);
}

bool StringColumn::ReadEntry(ValuesTextReader& in) {
  AString v;
  if (!in.Text(v)) return false;
  m_values.push_back(std::move(v));
  return true;
}
