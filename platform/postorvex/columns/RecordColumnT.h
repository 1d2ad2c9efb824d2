// The geometric record column kinds (arc, circle, region), one template over the record type:
// records are kept as given, with no unit conversion. The kind `Derived` names its kInvalidValue
// and IsInvalidValue; `Input` is the member of a ColumnInput that holds its record.
#pragma once

#include "postorvex/columns/ColumnT.h"

template <class Derived, class T, T ColumnInput::*Input>
class POSTORVEX_API RecordColumnT : public ColumnT<Derived, Column, T> {
  typedef ColumnT<Derived, Column, T> Base;

public:
  void AppendInvalidValues(size_t n) override { m_values.insert(m_values.end(), n, Derived::kInvalidValue); }
  // Only an input of the column's own type fits.
  bool AppendInput(const ColumnInput& value) override;
  bool IsInvalidAt(size_t i) const override { return Derived::IsInvalidValue(m_values[i]); }

  void AddValue(const T& v) { m_values.push_back(v); }

protected:
  RecordColumnT(val::ParameterType type, Units::FullUnitType units) : Base(type, units) {}

  AString EntryText(size_t i) const override;
  void WriteEntries(postorvex::columns::ValuesTextWriter& out) const override;
  bool ReadEntry(postorvex::columns::ValuesTextReader& in) override;
  bool SameEntry(size_t i, const Column& other, size_t j) const override;

  using Base::m_values;
};

// The operations defined out of line are instantiated once, in RecordColumnT.cpp, for the three
// record kinds.
