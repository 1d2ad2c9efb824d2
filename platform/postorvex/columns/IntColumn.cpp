#include "postorvex/columns/IntColumn.h"

#include "postorvex/columns/ColumnImpl.h"

using namespace postorvex::columns;

IntColumn::IntColumn(Units::FullUnitType units) : DigitalColumnT(Pt(kPtInt), units) {}

IntColumn::~IntColumn() = default;
