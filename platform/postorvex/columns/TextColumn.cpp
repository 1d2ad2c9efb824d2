#include "postorvex/columns/TextColumn.h"

TextColumn::TextColumn(Units::FullUnitType units) : TextKindColumnT(val::kTextParam, units) {}

TextColumn::~TextColumn() = default;
