// The parent kind of the digital columns (integer, character, enumeration): whole numbers
// without a unit.
#pragma once

#include "postorvex/columns/ColumnBase.h"

class POSTORVEX_API DigitalColumn : public Column {
public:
  ~DigitalColumn() override;
  // A character reads as unsigned (0 to 255); the kind's invalid marker gives NaN.
  virtual double GetEntryAsDouble(size_t i) const = 0;

protected:
  using Column::Column;
  bool GetRealEntrySI(size_t i, double& out) const override;
  bool SameEntry(size_t i, const Column& other, size_t j) const override;
};
