#include "postorvex/columns/EnumColumn.h"

EnumColumn::EnumColumn(Units::FullUnitType units) : DigitalColumnT(val::kEnumParam, units) {}

EnumColumn::~EnumColumn() = default;

bool EnumColumn::GetEnumName(AString& name) const {
  if (!m_hasEnumName) return false;
  name = m_enumName;
  return true;
}

void EnumColumn::InitializeEnumName(const AString& name) {
  m_enumName = name;
  m_hasEnumName = true;
}
