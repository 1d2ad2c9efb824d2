#include "postorvex/columns/DoubleMatrixColumn.h"

const DoubleMatrixColumn::Matrix DoubleMatrixColumn::kInvalidValue;

DoubleMatrixColumn::DoubleMatrixColumn(Units::FullUnitType units) : MatrixColumnT(val::kDoubleMatrixParam, units) {}

DoubleMatrixColumn::~DoubleMatrixColumn() = default;
