// A column of arc records (parameter type 3), kept as given: no unit conversion.
#pragma once

#include "postorvex/columns/ColumnBase.h"

class POSTORVEX_API ArcColumn : public Column {
public:
  static const ArcParam kInvalidValue;  // every field NaN
  // any field NaN.
  static bool IsInvalidValue(const ArcParam& v);

  explicit ArcColumn(Units::FullUnitType units = 90);
  ~ArcColumn() override;

  Column* CloneColumn() const override;
  bool Accept(Visitor& visitor) const override;
  size_t GetCount() const override { return m_values.size(); }
  void ClearValues() override { m_values.clear(); }
  void AppendInvalidValues(size_t n) override;
  bool AppendInput(const ColumnInput& value) override;
  bool IsInvalidAt(size_t i) const override { return IsInvalidValue(m_values[i]); }

  std::vector<ArcParam>& GetValues();
  const std::vector<ArcParam>& GetValues() const;
  void AddValue(const ArcParam& v);

protected:
  void AppendEntryOf(const Column& source, size_t row) override;
  AString EntryText(size_t i) const override;
  void WriteEntries(postorvex::columns::ValuesTextWriter& out) const override;
  bool ReadEntry(postorvex::columns::ValuesTextReader& in) override;
  bool SameEntry(size_t i, const Column& other, size_t j) const override;

private:
  std::vector<ArcParam> m_values;
};
