// A column of enumeration values (parameter type 15): integers, and the enumeration's type name.
#pragma once

#include "orvex/values/ConstantValues.h"
#include "postorvex/columns/DigitalColumn.h"

class POSTORVEX_API EnumColumn : public DigitalColumn {
public:
  static constexpr int32_t kInvalidValue = EnumValue::kInvalidValue;

  explicit EnumColumn(Units::FullUnitType units = 90);
  ~EnumColumn() override;

  Column* CloneColumn() const override;
  bool Accept(Visitor& visitor) const override;
  size_t GetCount() const override { return m_values.size(); }
  void ClearValues() override { m_values.clear(); }
  void AppendInvalidValues(size_t n) override;
  bool AppendInput(const ColumnInput& value) override;
  bool IsInvalidAt(size_t i) const override { return m_values[i] == kInvalidValue; }
  double GetEntryAsDouble(size_t i) const override;

  std::vector<int32_t>& GetValues();
  const std::vector<int32_t>& GetValues() const;
  // False, and `name` untouched, while no name was ever given.
  bool GetEnumName(AString& name) const;
  void InitializeEnumName(const AString& name);

protected:
  void AppendEntryOf(const Column& source, size_t row) override;
  AString EntryText(size_t i) const override;
  void WriteEntries(postorvex::columns::ValuesTextWriter& out) const override;
  bool ReadEntry(postorvex::columns::ValuesTextReader& in) override;

private:
  std::vector<int32_t> m_values;
  AString m_enumName;
  bool m_hasEnumName = false;
};
