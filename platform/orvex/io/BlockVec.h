// A vector item of the block tree: a name and a list of tokens (numbers or texts).
#pragma once

#include <vector>

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"
#include "orvex/io/SharedText.h"
#include "orvex/io/Token.h"

namespace io {

class ORVEX_API CBlock_vec {
public:
  explicit CBlock_vec(const AString& name = AString()) : m_name(name) {}
  explicit CBlock_vec(const CSharedText& name) : m_name(name) {}

  const AString& GetName() const { return m_name.Get(); }
  void SetName(const AString& name) { m_name = CSharedText(name); }

  void reserve(size_t n) { m_items.reserve(n); }
  CBlock_vec& operator<<(unsigned int v);
  CBlock_vec& operator<<(const AString& v);
  CBlock_vec& operator<<(const CToken& t);
  CBlock_vec& operator<<(CToken&& t);

  size_t GetCount() const { return m_items.size(); }
  // An end token (and a soft assertion) when out of range.
  const CToken& GetItem(size_t i) const;
  void Clear() { m_items.clear(); }

  bool operator==(const CBlock_vec& o) const { return GetName() == o.GetName() && m_items == o.m_items; }
  bool operator!=(const CBlock_vec& o) const { return !(*this == o); }

private:
  CSharedText m_name;
  std::vector<CToken> m_items;
};

}  // namespace io
