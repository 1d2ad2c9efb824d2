// A column of AComplex<double> matrices in the column's unit (parameter type 17).
#pragma once

#include "postorvex/columns/MatrixColumnT.h"

class POSTORVEX_API ComplexMatrixColumn : public MatrixColumnT<ComplexMatrixColumn, AComplex<double>> {
public:
  static const Matrix kInvalidValue;  // no elements

  explicit ComplexMatrixColumn(Units::FullUnitType units = 90);
  ~ComplexMatrixColumn() override;
};
