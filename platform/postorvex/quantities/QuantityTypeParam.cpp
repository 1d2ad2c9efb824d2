#include "postorvex/quantities/QuantityTypeParam.h"

#include "postorvex/quantities/QuantityTypeParamVisitor.h"

QuantityTypeParam::~QuantityTypeParam() = default;

bool QuantityTypeParam::Accept(QuantityTypeParamVisitor& visitor) const { return visitor.VisitPlain(*this); }

BaseQuantityTypeParam* QuantityTypeParam::Clone() const { return new QuantityTypeParam(*this); }
