#include "postorvex/columns/EnumColumn.h"

#include "postorvex/columns/ColumnImpl.h"

using namespace postorvex::columns;

EnumColumn::EnumColumn(Units::FullUnitType units) : DigitalColumnT(Pt(kPtEnum), units) {}

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
