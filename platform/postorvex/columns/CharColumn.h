// A column of 8-bit characters (parameter type 14): flags and interpolation orders.
#pragma once

#include "orvex/values/ConstantValues.h"
#include "postorvex/columns/DigitalColumn.h"

class POSTORVEX_API CharColumn : public DigitalColumn {
public:
  // Byte 0x80: 128 is never a valid entry.
  static constexpr char kInvalidValue = CharValue::kInvalidValue;

  explicit CharColumn(Units::FullUnitType units = 90);
  ~CharColumn() override;

  Column* CloneColumn() const override;
  bool Accept(Visitor& visitor) const override;
  size_t GetCount() const override { return m_values.size(); }
  void ClearValues() override { m_values.clear(); }
  void AppendInvalidValues(size_t n) override;
  // Integer and enumeration inputs fit when they lie in 0 to 255 and are not 128.
  bool AppendInput(const ColumnInput& value) override;
  bool IsInvalidAt(size_t i) const override { return m_values[i] == kInvalidValue; }
  double GetEntryAsDouble(size_t i) const override;

  std::vector<char>& GetValues();
  const std::vector<char>& GetValues() const;

protected:
  void AppendEntryOf(const Column& source, size_t row) override;
  AString EntryText(size_t i) const override;
  void WriteEntries(postorvex::columns::ValuesTextWriter& out) const override;
  bool ReadEntry(postorvex::columns::ValuesTextReader& in) override;

private:
  std::vector<char> m_values;
};
