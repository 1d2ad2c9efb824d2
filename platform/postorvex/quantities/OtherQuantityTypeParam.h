// A type parameter of none of the known kinds: what a newer solution might hand out. Callers
// meet it through QuantityTypeParamVisitor::VisitOther.
#pragma once

#include "postorvex/quantities/BaseQuantityTypeParam.h"

class POSTORVEX_API OtherQuantityTypeParam : public BaseQuantityTypeParam {
public:
  OtherQuantityTypeParam() = default;
  ~OtherQuantityTypeParam() override;

  bool Accept(QuantityTypeParamVisitor& visitor) const override;  // VisitOther
  BaseQuantityTypeParam* Clone() const override;
};
