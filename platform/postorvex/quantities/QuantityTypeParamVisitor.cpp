#include "postorvex/quantities/QuantityTypeParamVisitor.h"

#include "postorvex/quantities/CompositeQuantityTypeParam.h"
#include "postorvex/quantities/EnumQuantityTypeParam.h"

QuantityTypeParamVisitor::~QuantityTypeParamVisitor() = default;

bool QuantityTypeParamVisitor::VisitComposite(const CompositeQuantityTypeParam& param) {
  return VisitOther(static_cast<const BaseQuantityTypeParam&>(param));
}

bool QuantityTypeParamVisitor::VisitEnum(const EnumQuantityTypeParam& param) {
  return VisitPlain(static_cast<const QuantityTypeParam&>(param));
}

bool QuantityTypeParamVisitor::VisitPlain(const QuantityTypeParam& param) {
  return VisitOther(static_cast<const BaseQuantityTypeParam&>(param));
}

bool QuantityTypeParamVisitor::VisitOther(const BaseQuantityTypeParam&) { return false; }
