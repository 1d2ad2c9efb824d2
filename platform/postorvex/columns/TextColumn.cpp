#include "postorvex/columns/TextColumn.h"

#include "postorvex/columns/ColumnImpl.h"
#include "postorvex/columns/ValuesText.h"

using namespace postorvex::columns;

TextColumn::TextColumn(Units::FullUnitType units) : Column(Pt(kPtText), units) {}

TextColumn::~TextColumn() = default;

Column* TextColumn::CloneColumn() const {
  NoteRead();
  return new TextColumn(*this);
}

bool TextColumn::Accept(Visitor& visitor) const { return visitor.Visit(*this); }

void TextColumn::AppendInvalidValues(size_t n) { m_values.insert(m_values.end(), n, AString()); }

bool TextColumn::AppendInput(const ColumnInput& value) {
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

std::vector<AString>& TextColumn::GetValues() {
  NoteRead();
  return m_values;
}

const std::vector<AString>& TextColumn::GetValues() const {
  NoteRead();
  return m_values;
}

void TextColumn::AppendText(const AString& text) { m_values.push_back(text); }

void TextColumn::AppendEntryOf(const Column& source, size_t row) {
  m_values.push_back(static_cast<const TextColumn&>(source).m_values[row]);
}

AString TextColumn::EntryText(size_t i) const { return m_values[i]; }

bool TextColumn::SameEntry(size_t i, const Column& other, size_t j) const {
  return m_values[i] == static_cast<const TextColumn&>(other).m_values[j];
}

void TextColumn::WriteEntries(ValuesTextWriter& out) const {
  for (const AString& v : m_values) out.Text(v);
}

bool TextColumn::ReadEntry(ValuesTextReader& in) {
  AString v;
  if (!in.Text(v)) return false;
  m_values.push_back(std::move(v));
  return true;
}
