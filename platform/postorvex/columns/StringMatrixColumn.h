// A column of AString matrices (parameter type 18).
#pragma once

#include "postorvex/columns/MatrixColumnT.h"

class POSTORVEX_API StringMatrixColumn : public MatrixColumnT<StringMatrixColumn, AString> {
public:
  static const Matrix kInvalidValue;  // no elements

  explicit StringMatrixColumn(Units::FullUnitType units = 90);
  ~StringMatrixColumn() override;
};
