#include "postorvex/columns/TextColumn.h"

#include "postorvex/columns/ColumnImpl.h"

using namespace postorvex::columns;

TextColumn::TextColumn(Units::FullUnitType units) : TextKindColumnT(Pt(kPtText), units) {}

TextColumn::~TextColumn() = default;
