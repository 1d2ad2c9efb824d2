#include "postorvex/columns/StringColumn.h"

StringColumn::StringColumn(Units::FullUnitType units) : TextKindColumnT(val::kStringParam, units) {}

StringColumn::~StringColumn() = default;
