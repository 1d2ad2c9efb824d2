// A column of circle records (parameter type 4), kept as given: no unit conversion.
#pragma once

#include "postorvex/columns/RecordColumnT.h"

class POSTORVEX_API CircleColumn : public RecordColumnT<CircleColumn, CircleParam, &ColumnInput::circle> {
public:
  static const CircleParam kInvalidValue;  // every field NaN
  // any field NaN.
  static bool IsInvalidValue(const CircleParam& v);

  explicit CircleColumn(Units::FullUnitType units = 90);
  ~CircleColumn() override;
};
