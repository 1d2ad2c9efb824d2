// A column of arc records (parameter type 3), kept as given: no unit conversion.
#pragma once

#include "postorvex/columns/RecordColumnT.h"

class POSTORVEX_API ArcColumn : public RecordColumnT<ArcColumn, ArcParam, &ColumnInput::arc> {
public:
  static const ArcParam kInvalidValue;  // every field NaN
  // any field NaN.
  static bool IsInvalidValue(const ArcParam& v);

  explicit ArcColumn(Units::FullUnitType units = 90);
  ~ArcColumn() override;
};
