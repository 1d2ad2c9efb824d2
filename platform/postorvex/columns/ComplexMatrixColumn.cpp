#include "postorvex/columns/ComplexMatrixColumn.h"

const ComplexMatrixColumn::Matrix ComplexMatrixColumn::kInvalidValue;

ComplexMatrixColumn::ComplexMatrixColumn(Units::FullUnitType units) : MatrixColumnT(val::kComplexMatrixParam, units) {}

ComplexMatrixColumn::~ComplexMatrixColumn() = default;
