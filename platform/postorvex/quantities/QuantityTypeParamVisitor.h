// Dispatch on the kind of a quantity type parameter.
#pragma once

#include "orvex/core/OrvexApi.h"

class BaseQuantityTypeParam;
class CompositeQuantityTypeParam;
class EnumQuantityTypeParam;
class QuantityTypeParam;

// Each operation falls back to the one of its parent kind: an enumeration is handled as a plain
// quantity, a plain or composite one as another kind, and VisitOther answers false. A visitor
// overrides only the kinds it treats.
class POSTORVEX_API QuantityTypeParamVisitor {
public:
  virtual ~QuantityTypeParamVisitor();                                  // 0
  virtual bool VisitComposite(const CompositeQuantityTypeParam& param);  // 1
  virtual bool VisitEnum(const EnumQuantityTypeParam& param);            // 2
  virtual bool VisitPlain(const QuantityTypeParam& param);               // 3
  virtual bool VisitOther(const BaseQuantityTypeParam& param);           // 4
};
