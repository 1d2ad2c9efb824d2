// Small columns for the trace-data tests, and a comparison of columns by their block form.
#pragma once

#include <memory>
#include <vector>

#include "orvex/io/Block.h"
#include "postorvex/columns/Column.h"
#include "postorvex/columns/DigitalColumn.h"
#include "postorvex/columns/IntColumn.h"

namespace reptest {

inline std::unique_ptr<Column> DoubleColumnOf(const std::vector<double>& values, Units::FullUnitType units = 90) {
  std::unique_ptr<Column> column(Column::CreateColumn(static_cast<val::ParameterType>(1), units));
  column->GetDoubleColumn()->AppendValues(values);
  return column;
}

inline std::unique_ptr<Column> TextColumnOf(const std::vector<AString>& texts) {
  std::unique_ptr<Column> column(Column::CreateColumn(static_cast<val::ParameterType>(9), 90));
  for (const AString& t : texts) column->GetTextColumn()->AppendText(t);
  return column;
}

// An integer column that shows itself to visitors only as a digital column, as a digital kind
// that the converter does not know would.
class UnknownDigitalColumn : public IntColumn {
public:
  bool Accept(Visitor& visitor) const override { return visitor.Visit(static_cast<const DigitalColumn&>(*this)); }
};

// Same kind, unit, values and enumeration name: their block forms are equal. Both null counts too.
inline bool SameColumn(const Column* a, const Column* b) {
  if (!a || !b) return a == b;
  io::CBlock x(L"c"), y(L"c");
  a->WriteColumn(x);
  b->WriteColumn(y);
  return x == y;
}

}  // namespace reptest
