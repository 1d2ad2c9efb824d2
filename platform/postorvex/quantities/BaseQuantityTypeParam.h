// What a solution says about one quantity's type: the base of plain, enumeration, composite and
// other type parameters.
#pragma once

#include "orvex/core/OrvexApi.h"

class QuantityTypeParamVisitor;

class POSTORVEX_API BaseQuantityTypeParam {
public:
  virtual ~BaseQuantityTypeParam();
  // Calls the visitor's operation for this kind and answers what it answers.
  virtual bool Accept(QuantityTypeParamVisitor& visitor) const = 0;
  // A deep copy owned by the caller.
  virtual BaseQuantityTypeParam* Clone() const = 0;
};
