#include "postorvex/quantities/EnumQuantityTypeParam.h"

#include "postorvex/quantities/QuantityTypeParamVisitor.h"

EnumQuantityTypeParam::~EnumQuantityTypeParam() = default;

bool EnumQuantityTypeParam::Accept(QuantityTypeParamVisitor& visitor) const { return visitor.VisitEnum(*this); }

BaseQuantityTypeParam* EnumQuantityTypeParam::Clone() const { return new EnumQuantityTypeParam(*this); }
