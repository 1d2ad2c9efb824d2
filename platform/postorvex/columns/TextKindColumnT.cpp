#include "postorvex/columns/TextKindColumnT.h"

#include "postorvex/columns/ColumnImpl.h"
#include "postorvex/columns/StringColumn.h"
#include "postorvex/columns/TextColumn.h"
#include "postorvex/columns/ValuesText.h"

using namespace postorvex::columns;

template <class Derived>
bool TextKindColumnT<Derived>::AppendInput(const ColumnInput& value) {
  const int type = static_cast<int>(value.type);
  if (type == val::kTextParam || type == val::kStringParam) {
    m_values.push_back(value.text);
    return true;
  }
  m_values.emplace_back();
  if (type == val::kNoParam) return true;
  ReportKindDoesNotFit();
  return false;
}

template <class Derived>
void TextKindColumnT<Derived>::WriteEntries(ValuesTextWriter& out) const {
  for (const AString& v : m_values) out.Text(v);
}

template <class Derived>
bool TextKindColumnT<Derived>::ReadEntry(ValuesTextReader& in) {
  AString v;
  if (!in.Text(v)) return false;
  m_values.push_back(std::move(v));
  return true;
}

template class TextKindColumnT<TextColumn>;
template class TextKindColumnT<StringColumn>;
