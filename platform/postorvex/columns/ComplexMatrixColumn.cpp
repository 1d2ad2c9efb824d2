#include "postorvex/columns/ComplexMatrixColumn.h"

#include "postorvex/columns/ColumnImpl.h"

using namespace postorvex::columns;

const ComplexMatrixColumn::Matrix ComplexMatrixColumn::kInvalidValue;

ComplexMatrixColumn::ComplexMatrixColumn(Units::FullUnitType units) : MatrixColumnT(Pt(kPtComplexMatrix), units) {}

ComplexMatrixColumn::~ComplexMatrixColumn() = default;
