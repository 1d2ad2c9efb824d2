// The digital column kinds (integer, character, enumeration), one template over the entry type:
// each entry stands for a whole number, and the kind `Derived` names its kInvalidValue.
#pragma once

#include "postorvex/columns/ColumnT.h"
#include "postorvex/columns/DigitalColumn.h"

template <class Derived, class T>
class POSTORVEX_API DigitalColumnT : public ColumnT<Derived, DigitalColumn, T> {
  typedef ColumnT<Derived, DigitalColumn, T> Base;

public:
  void AppendInvalidValues(size_t n) override { m_values.insert(m_values.end(), n, Derived::kInvalidValue); }
  // Integer, character and enumeration inputs fit when the entry type holds their number and it
  // is not the kind's invalid marker: a character takes 0 to 255 but not 128.
  bool AppendInput(const ColumnInput& value) override;
  bool IsInvalidAt(size_t i) const override { return m_values[i] == Derived::kInvalidValue; }
  double GetEntryAsDouble(size_t i) const override;

protected:
  DigitalColumnT(val::ParameterType type, Units::FullUnitType units) : Base(type, units) {}

  AString EntryText(size_t i) const override;
  void WriteEntries(postorvex::columns::ValuesTextWriter& out) const override;
  bool ReadEntry(postorvex::columns::ValuesTextReader& in) override;

  using Base::m_values;
};

// The operations defined out of line are instantiated once, in DigitalColumnT.cpp, for the
// three digital kinds.
