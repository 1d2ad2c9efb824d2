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
  void reserve(size_t n) { m_keys.reserve(n); }
  // The first entry whose key matches (ValueKey::Matches); -1 when none.
  int Find(const ValueKey& key) const;

private:
  // Entries join the index on the first search after them: a file's rows are read in bulk, and
  // many are never searched.
  void IndexPending() const;

  std::vector<ValueKey> m_keys;
  mutable std::multimap<double, size_t> m_byReal;   // numeric keys whose real part is not NaN
  mutable std::vector<size_t> m_nanRows;            // numeric keys whose real part is NaN
  mutable std::multimap<AString, size_t> m_byText;  // text keys
  mutable size_t m_indexed = 0;                     // entries before it are in the index
  mutable size_t m_hint = 0;  // the entry after the last match: pushes and checks come in order
};

}  // namespace postp
