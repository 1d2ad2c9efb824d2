// Something that gives a variable its current value while linked to it (a column at its row).
#pragma once

#include "orvex/core/OrvexApi.h"
#include "orvex/values/AComplex.h"

class Value;

class ORVEX_API IVariableValueSource {
public:
  virtual ~IVariableValueSource();
  virtual bool GetCurrentValue(Value& out) const = 0;
  // The current value in SI; the default goes through GetCurrentValue. Sources read per point
  // override it to skip building a Value.
  virtual bool GetCurrentComplexSI(AComplex<double>& out) const;
};
