// The row keys of a sweep cache, indexed: finding a key costs a logarithm, not a scan of rows.
#pragma once

#include <cstddef>
#include <map>
#include <vector>

#include "orvex/core/AString.h"
#include "postorvex/util/PostpValueKey.h"

class SweepRowKeys {
public:
  size_t size() const { return m_keys.size(); }
  bool empty() const { return m_keys.empty(); }
  const postp::ValueKey& operator[](size_t row) const { return m_keys[row]; }
  void clear();
  void push_back(const postp::ValueKey& key);
  // The first row whose key matches (postp::ValueKey::Matches); -1 when none.
  int Find(const postp::ValueKey& key) const;

private:
  std::vector<postp::ValueKey> m_keys;
  std::multimap<double, size_t> m_byReal;   // numeric keys whose real part is not NaN
  std::vector<size_t> m_nanRows;            // numeric keys whose real part is NaN
  std::multimap<AString, size_t> m_byText;  // text keys
  mutable size_t m_hint = 0;  // the row after the last match: pushes and checks come in order
};
