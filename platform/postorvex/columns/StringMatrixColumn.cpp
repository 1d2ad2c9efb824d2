#include "postorvex/columns/StringMatrixColumn.h"

#include "postorvex/columns/ColumnImpl.h"

using namespace postorvex::columns;

const StringMatrixColumn::Matrix StringMatrixColumn::kInvalidValue;

StringMatrixColumn::StringMatrixColumn(Units::FullUnitType units) : MatrixColumnT(Pt(kPtStringMatrix), units) {}

StringMatrixColumn::~StringMatrixColumn() = default;
