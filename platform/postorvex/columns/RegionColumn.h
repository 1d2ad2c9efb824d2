// A column of region records (parameter type 5), kept as given: no unit conversion.
#pragma once

#include "postorvex/columns/RecordColumnT.h"

class POSTORVEX_API RegionColumn : public RecordColumnT<RegionColumn, RegionParam, &ColumnInput::region> {
public:
  static const RegionParam kInvalidValue;  // one point of NaNs
  // no points, or a NaN coordinate.
  static bool IsInvalidValue(const RegionParam& v);

  explicit RegionColumn(Units::FullUnitType units = 90);
  ~RegionColumn() override;
};
