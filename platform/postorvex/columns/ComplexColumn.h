// A column of complex numbers (parameter type 2) in the column's unit.
#pragma once

#include "postorvex/columns/ColumnT.h"

class POSTORVEX_API ComplexColumn : public ColumnT<ComplexColumn, Column, AComplex<double>> {
public:
  static const AComplex<double> kInvalidValue;  // (NaN, NaN)
  // Either part NaN.
  static bool IsInvalidValue(const AComplex<double>& v);

  explicit ComplexColumn(Units::FullUnitType units = 90);
  ~ComplexColumn() override;

  void AppendInvalidValues(size_t n) override;
  // Doubles and digital inputs fit with a zero imaginary part.
  bool AppendInput(const ColumnInput& value) override;
  bool IsInvalidAt(size_t i) const override { return IsInvalidValue(m_values[i]); }

  // `v` is in the column's unit.
  void AddValue(const AComplex<double>& v);

protected:
  void AppendEntryOf(const Column& source, size_t row) override;
  AString EntryText(size_t i) const override;
  void WriteEntries(postorvex::columns::ValuesTextWriter& out) const override;
  bool ReadEntry(postorvex::columns::ValuesTextReader& in) override;
  bool SameEntry(size_t i, const Column& other, size_t j) const override;
};
