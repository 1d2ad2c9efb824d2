// Questions about the shape of a parsed value that bulk evaluation asks.
#pragma once

#include "orvex/core/OrvexApi.h"

class Function;
class Value;
class ValueBase;

class ORVEX_API ValueUtil {
public:
  // True when the root is a call of a one-argument function that is not ranged and whose argument
  // is a leaf that is no constant (a quantity or a variable); gives both. A bare leaf answers false.
  static bool GetUnaryNonRangedFunctionAndValueBase(const Value& v, const Function*& fn, const ValueBase*& arg);
};
