// A column of region records (parameter type 5), kept as given: no unit conversion.
#pragma once

#include "postorvex/columns/ColumnBase.h"

class POSTORVEX_API RegionColumn : public Column {
public:
  static const RegionParam kInvalidValue;  // one point of NaNs
  // no points, or a NaN coordinate.
  static bool IsInvalidValue(const RegionParam& v);

  explicit RegionColumn(Units::FullUnitType units = 90);
  ~RegionColumn() override;

  Column* CloneColumn() const override;
  bool Accept(Visitor& visitor) const override;
  size_t GetCount() const override { return m_values.size(); }
  void ClearValues() override { m_values.clear(); }
  void AppendInvalidValues(size_t n) override;
  bool AppendInput(const ColumnInput& value) override;
  bool IsInvalidAt(size_t i) const override { return IsInvalidValue(m_values[i]); }

  std::vector<RegionParam>& GetValues();
  const std::vector<RegionParam>& GetValues() const;
  void AddValue(const RegionParam& v);

protected:
  void AppendEntryOf(const Column& source, size_t row) override;
  AString EntryText(size_t i) const override;
  void WriteEntries(postorvex::columns::ValuesTextWriter& out) const override;
  bool ReadEntry(postorvex::columns::ValuesTextReader& in) override;
  bool SameEntry(size_t i, const Column& other, size_t j) const override;

private:
  std::vector<RegionParam> m_values;
};
