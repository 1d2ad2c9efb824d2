// A column of strings (parameter type 10): string quantities. The invalid entry is the empty text.
#pragma once

#include "postorvex/columns/ColumnBase.h"

class POSTORVEX_API StringColumn : public Column {
public:
  explicit StringColumn(Units::FullUnitType units = 90);
  ~StringColumn() override;

  Column* CloneColumn() const override;
  bool Accept(Visitor& visitor) const override;
  size_t GetCount() const override { return m_values.size(); }
  void ClearValues() override { m_values.clear(); }
  void AppendInvalidValues(size_t n) override;
  // Text and string inputs fit.
  bool AppendInput(const ColumnInput& value) override;
  bool IsInvalidAt(size_t i) const override { return m_values[i].empty(); }

  std::vector<AString>& GetValues();
  const std::vector<AString>& GetValues() const;
  void AppendText(const AString& text);

protected:
  void AppendEntryOf(const Column& source, size_t row) override;
  AString EntryText(size_t i) const override;
  void WriteEntries(postorvex::columns::ValuesTextWriter& out) const override;
  bool ReadEntry(postorvex::columns::ValuesTextReader& in) override;
  bool SameEntry(size_t i, const Column& other, size_t j) const override;

private:
  std::vector<AString> m_values;
};
