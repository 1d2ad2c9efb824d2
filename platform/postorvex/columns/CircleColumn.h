// A column of circle records (parameter type 4), kept as given: no unit conversion.
#pragma once

#include "postorvex/columns/ColumnBase.h"

class POSTORVEX_API CircleColumn : public Column {
public:
  static const CircleParam kInvalidValue;  // every field NaN
  // any field NaN.
  static bool IsInvalidValue(const CircleParam& v);

  explicit CircleColumn(Units::FullUnitType units = 90);
  ~CircleColumn() override;

  Column* CloneColumn() const override;
  bool Accept(Visitor& visitor) const override;
  size_t GetCount() const override { return m_values.size(); }
  void ClearValues() override { m_values.clear(); }
  void AppendInvalidValues(size_t n) override;
  bool AppendInput(const ColumnInput& value) override;
  bool IsInvalidAt(size_t i) const override { return IsInvalidValue(m_values[i]); }

  std::vector<CircleParam>& GetValues();
  const std::vector<CircleParam>& GetValues() const;
  void AddValue(const CircleParam& v);

protected:
  void AppendEntryOf(const Column& source, size_t row) override;
  AString EntryText(size_t i) const override;
  void WriteEntries(postorvex::columns::ValuesTextWriter& out) const override;
  bool ReadEntry(postorvex::columns::ValuesTextReader& in) override;
  bool SameEntry(size_t i, const Column& other, size_t j) const override;

private:
  std::vector<CircleParam> m_values;
};
