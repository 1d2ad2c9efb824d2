#include "postorvex/quantities/SimValueParams.h"

#include "orvex/io/Block.h"
#include "postorvex/quantities/PostpQuantityUtils.h"

namespace {

const wchar_t kTextKey[] = L"QuantityText";
const wchar_t kStateFunc[] = L"ValueState";
const wchar_t kEnumKey[] = L"EnumTypeName";

}  // namespace

bool SimValueParams::SetEnumTypeName(const AString& name) {
  if (m_state.GetParameterType() != val::kEnumParam) return false;
  m_enumTypeName = name;
  return true;
}

bool SimValueParams::operator<(const SimValueParams& other) const {
  if (int c = m_text.CompareNoCase(other.m_text)) return c < 0;
  if (m_state < other.m_state) return true;
  if (other.m_state < m_state) return false;
  return m_enumTypeName.CompareNoCase(other.m_enumTypeName) < 0;
}

io::ReadError SimValueParams::DoDataExchange(io::CBlock& block, bool read) {
  if (!read) {
    block << io::CBlock_named_value(kTextKey, io::CBlock_value(m_text));
    io::CBlock_func state(kStateFunc);
    postp::WriteValueState(state, m_state);
    block << std::move(state);
    if (!m_enumTypeName.empty()) block << io::CBlock_named_value(kEnumKey, io::CBlock_value(m_enumTypeName));
    return io::kNoError;
  }
  const io::CBlock_named_value* text = block.FindNamedValue(kTextKey);
  const io::CBlock_func* stateFunc = block.FindFunc(kStateFunc);
  if (!text || !stateFunc) return io::kKeyMissing;
  SimValueParams readBack;
  if (!text->GetValue().Query(readBack.m_text)) return io::kConversionFailed;
  if (!postp::ReadValueState(*stateFunc, readBack.m_state)) return io::kConversionFailed;
  // Only enumerations carry a name; one written beside another kind is left out.
  const io::CBlock_named_value* name = block.FindNamedValue(kEnumKey);
  if (name && !name->GetValue().Query(readBack.m_enumTypeName)) return io::kConversionFailed;
  if (readBack.m_state.GetParameterType() != val::kEnumParam) readBack.m_enumTypeName.clear();
  *this = std::move(readBack);
  return io::kNoError;
}
