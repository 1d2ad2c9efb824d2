// A column of signed 32-bit integers (parameter type 13).
#pragma once

#include "orvex/values/ConstantValues.h"
#include "postorvex/columns/DigitalColumn.h"

class POSTORVEX_API IntColumn : public DigitalColumn {
public:
  static constexpr int32_t kInvalidValue = IntValue::kInvalidValue;

  explicit IntColumn(Units::FullUnitType units = 90);
  ~IntColumn() override;

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

protected:
  void AppendEntryOf(const Column& source, size_t row) override;
  AString EntryText(size_t i) const override;
  void WriteEntries(postorvex::columns::ValuesTextWriter& out) const override;
  bool ReadEntry(postorvex::columns::ValuesTextReader& in) override;

private:
  std::vector<int32_t> m_values;
};
