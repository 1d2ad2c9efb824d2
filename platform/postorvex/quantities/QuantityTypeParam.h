// The type parameter of a plain quantity: its value state.
#pragma once

#include "orvex/values/ValueState.h"
#include "postorvex/quantities/BaseQuantityTypeParam.h"

class POSTORVEX_API QuantityTypeParam : public BaseQuantityTypeParam {
public:
  explicit QuantityTypeParam(const ValueState& state) : m_state(state) {}
  ~QuantityTypeParam() override;

  const ValueState& GetValueState() const { return m_state; }

  bool Accept(QuantityTypeParamVisitor& visitor) const override;  // VisitPlain
  BaseQuantityTypeParam* Clone() const override;

private:
  ValueState m_state;
};
