#include "postorvex/columns/StringColumn.h"

#include "postorvex/columns/ColumnImpl.h"

using namespace postorvex::columns;

StringColumn::StringColumn(Units::FullUnitType units) : TextKindColumnT(Pt(kPtString), units) {}

StringColumn::~StringColumn() = default;
