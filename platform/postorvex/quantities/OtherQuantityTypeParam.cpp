#include "postorvex/quantities/OtherQuantityTypeParam.h"

#include "postorvex/quantities/QuantityTypeParamVisitor.h"

OtherQuantityTypeParam::~OtherQuantityTypeParam() = default;

bool OtherQuantityTypeParam::Accept(QuantityTypeParamVisitor& visitor) const { return visitor.VisitOther(*this); }

BaseQuantityTypeParam* OtherQuantityTypeParam::Clone() const { return new OtherQuantityTypeParam(*this); }
