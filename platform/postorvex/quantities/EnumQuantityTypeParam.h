// The type parameter of an enumeration quantity: a value state and the enumeration type's name.
#pragma once

#include "orvex/core/AString.h"
#include "postorvex/quantities/QuantityTypeParam.h"

// Derives from QuantityTypeParam: callers that take any plain parameter take enumerations too.
class POSTORVEX_API EnumQuantityTypeParam : public QuantityTypeParam {
public:
  EnumQuantityTypeParam(const ValueState& state, const AString& enumTypeName)
      : QuantityTypeParam(state), m_enumTypeName(enumTypeName) {}
  ~EnumQuantityTypeParam() override;

  const AString& GetEnumTypeName() const { return m_enumTypeName; }

  bool Accept(QuantityTypeParamVisitor& visitor) const override;  // VisitEnum
  BaseQuantityTypeParam* Clone() const override;

private:
  AString m_enumTypeName;
};
