#include "postorvex/columns/IntColumn.h"

IntColumn::IntColumn(Units::FullUnitType units) : DigitalColumnT(val::kIntParam, units) {}

IntColumn::~IntColumn() = default;
