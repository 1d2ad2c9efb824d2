#include "orvex/io/BlockVec.h"

#include "orvex/core/Assert.h"
#include "orvex/io/BlockValue.h"

namespace io {

CBlock_vec& CBlock_vec::operator<<(unsigned int v) {
  m_items.push_back(CToken::FromValue(CBlock_value(v)));
  return *this;
}

CBlock_vec& CBlock_vec::operator<<(const AString& v) {
  m_items.emplace_back(CToken::kString, v);
  return *this;
}

CBlock_vec& CBlock_vec::operator<<(const CToken& t) { return *this << CToken(t); }

CBlock_vec& CBlock_vec::operator<<(CToken&& t) {
  if (t.GetKind() == CToken::kString) {
    m_items.push_back(std::move(t));
    return *this;
  }
  // Kept in the writer's form, so that what is held is exactly what a write and a read give.
  CBlock_value v;
  const bool isValue = t.ToValue(v);
  ORVEX_ASSERT(isValue);
  if (!isValue) return *this;
  m_items.push_back(CToken::FromValue(v));
  return *this;
}

const CToken& CBlock_vec::GetItem(size_t i) const {
  static const CToken kEnd;
  ORVEX_ASSERT(i<GetCount());
  return i < m_items.size() ? m_items[i] : kEnd;
}

}  // namespace io
