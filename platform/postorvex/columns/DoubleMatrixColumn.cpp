#include "postorvex/columns/DoubleMatrixColumn.h"

#include "postorvex/columns/ColumnImpl.h"

using namespace postorvex::columns;

const DoubleMatrixColumn::Matrix DoubleMatrixColumn::kInvalidValue;

DoubleMatrixColumn::DoubleMatrixColumn(Units::FullUnitType units) : MatrixColumnT(Pt(kPtDoubleMatrix), units) {}

DoubleMatrixColumn::~DoubleMatrixColumn() = default;
