#include "postorvex/columns/StringMatrixColumn.h"

const StringMatrixColumn::Matrix StringMatrixColumn::kInvalidValue;

StringMatrixColumn::StringMatrixColumn(Units::FullUnitType units) : MatrixColumnT(val::kStringMatrixParam, units) {}

StringMatrixColumn::~StringMatrixColumn() = default;
