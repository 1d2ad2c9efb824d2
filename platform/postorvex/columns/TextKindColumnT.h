// The two text kinds, text (type 9) and string (type 10), which differ only in their type: the
// invalid entry is the empty text.
#pragma once

#include "postorvex/columns/ColumnT.h"

template <class Derived>
class POSTORVEX_API TextKindColumnT : public ColumnT<Derived, Column, AString> {
  typedef ColumnT<Derived, Column, AString> Base;

public:
  void AppendInvalidValues(size_t n) override { m_values.insert(m_values.end(), n, AString()); }
  // Text and string inputs fit.
  bool AppendInput(const ColumnInput& value) override;
  bool IsInvalidAt(size_t i) const override { return m_values[i].empty(); }

  void AppendText(const AString& text) { m_values.push_back(text); }

protected:
  TextKindColumnT(val::ParameterType type, Units::FullUnitType units) : Base(type, units) {}

  AString EntryText(size_t i) const override { return m_values[i]; }
  void WriteEntries(postorvex::columns::ValuesTextWriter& out) const override;
  bool ReadEntry(postorvex::columns::ValuesTextReader& in) override;
  bool SameEntry(size_t i, const Column& other, size_t j) const override {
    return m_values[i] == static_cast<const TextKindColumnT&>(other).m_values[j];
  }

  using Base::m_values;
};

// The operations defined out of line are instantiated once, in TextKindColumnT.cpp, for both kinds.
