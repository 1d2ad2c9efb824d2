// A column of 8-bit characters (parameter type 14): flags and interpolation orders.
#pragma once

#include "orvex/values/ConstantValues.h"
#include "postorvex/columns/DigitalColumnT.h"

class POSTORVEX_API CharColumn : public DigitalColumnT<CharColumn, char> {
public:
  // Byte 0x80: 128 is never a valid entry.
  static constexpr char kInvalidValue = CharValue::kInvalidValue;

  explicit CharColumn(Units::FullUnitType units = 90);
  ~CharColumn() override;
};
