#include "postorvex/columns/DigitalColumn.h"

DigitalColumn::~DigitalColumn() = default;

bool DigitalColumn::GetRealEntrySI(size_t i, double& out) const {
  out = GetEntryAsDouble(i);
  return true;
}

bool DigitalColumn::SameEntry(size_t i, const Column& other, size_t j) const {
  return GetEntryAsDouble(i) == static_cast<const DigitalColumn&>(other).GetEntryAsDouble(j);
}
