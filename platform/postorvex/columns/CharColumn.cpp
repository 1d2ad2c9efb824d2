#include "postorvex/columns/CharColumn.h"

CharColumn::CharColumn(Units::FullUnitType units) : DigitalColumnT(val::kCharParam, units) {}

CharColumn::~CharColumn() = default;
