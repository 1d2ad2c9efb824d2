// What identifies a simulated quantity: its text, its value state and, for enumerations, the
// enumeration type's name.
#pragma once

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"
#include "orvex/io/ReadError.h"
#include "orvex/values/ValueState.h"

namespace io {
class CBlock;
}  // namespace io

class POSTORVEX_API SimValueParams {
public:
  SimValueParams() = default;
  SimValueParams(const ValueState& state, const AString& quantityText) : m_text(quantityText), m_state(state) {}

  const AString& GetQuantityText() const { return m_text; }
  void SetQuantityText(const AString& text) { m_text = text; }
  const ValueState& GetValueStateRef() const { return m_state; }
  // False, and nothing changed, when the parameter type is not an enumeration; an empty name is
  // stored like any other.
  bool SetEnumTypeName(const AString& name);
  const AString& GetEnumTypeName() const { return m_enumTypeName; }

  // Text without case, then the value state, then the enumeration type name without case: the
  // identity of a sim-value ID, so "Mag" and "mag" are one quantity.
  bool operator<(const SimValueParams& other) const;

  // "QuantityText", the function item "ValueState" and, when not empty, "EnumTypeName". Reading
  // answers 2 when the text or the state is missing, 1 when one of them does not convert; the
  // object is changed only when the read succeeds.
  io::ReadError DoDataExchange(io::CBlock& block, bool read);

private:
  AString m_text;
  ValueState m_state;
  AString m_enumTypeName;
};
