// A column of enumeration values (parameter type 15): integers, and the enumeration's type name.
#pragma once

#include "orvex/values/ConstantValues.h"
#include "postorvex/columns/DigitalColumnT.h"

class POSTORVEX_API EnumColumn : public DigitalColumnT<EnumColumn, int32_t> {
public:
  static constexpr int32_t kInvalidValue = EnumValue::kInvalidValue;

  explicit EnumColumn(Units::FullUnitType units = 90);
  ~EnumColumn() override;

  // False, and `name` untouched, while no name was ever given.
  bool GetEnumName(AString& name) const;
  void InitializeEnumName(const AString& name);

private:
  AString m_enumName;
  bool m_hasEnumName = false;
};
