// A column of double matrices in the column's unit (parameter type 16).
#pragma once

#include "postorvex/columns/MatrixColumnT.h"

class POSTORVEX_API DoubleMatrixColumn : public MatrixColumnT<DoubleMatrixColumn, double> {
public:
  static const Matrix kInvalidValue;  // no elements

  explicit DoubleMatrixColumn(Units::FullUnitType units = 90);
  ~DoubleMatrixColumn() override;
};
