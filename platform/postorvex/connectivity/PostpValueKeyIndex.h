// A list of value keys with an index: finding a key costs a logarithm, not a scan. The row keys
// of sweep caches and the children of connectivity nodes.
#pragma once

#include <cstddef>
#include <map>
#include <vector>

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"
#include "postorvex/connectivity/PostpValueKey.h"

namespace postp {

class POSTORVEX_API ValueKeyIndex {
public:
  size_t size() const { return m_keys.size(); }
  bool empty() const { return m_keys.empty(); }
  const ValueKey& operator[](size_t row) const { return m_keys[row]; }
  void clear();
  void push_back(const ValueKey& key);
  // The first entry whose key matches (ValueKey::Matches); -1 when none.
  int Find(const ValueKey& key) const;

private:
  std::vector<ValueKey> m_keys;
  std::multimap<double, size_t> m_byReal;   // numeric keys whose real part is not NaN
  std::vector<size_t> m_nanRows;            // numeric keys whose real part is NaN
  std::multimap<AString, size_t> m_byText;  // text keys
  mutable size_t m_hint = 0;  // the entry after the last match: pushes and checks come in order
};

}  // namespace postp
