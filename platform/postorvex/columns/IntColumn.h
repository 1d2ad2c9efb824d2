// A column of signed 32-bit integers (parameter type 13).
#pragma once

#include "orvex/values/ConstantValues.h"
#include "postorvex/columns/DigitalColumnT.h"

class POSTORVEX_API IntColumn : public DigitalColumnT<IntColumn, int32_t> {
public:
  static constexpr int32_t kInvalidValue = IntValue::kInvalidValue;

  explicit IntColumn(Units::FullUnitType units = 90);
  ~IntColumn() override;
};
