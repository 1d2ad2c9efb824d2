#include "postorvex/columns/CharColumn.h"

#include "postorvex/columns/ColumnImpl.h"

using namespace postorvex::columns;

CharColumn::CharColumn(Units::FullUnitType units) : DigitalColumnT(Pt(kPtChar), units) {}

CharColumn::~CharColumn() = default;
