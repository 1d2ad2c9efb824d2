#include "postorvex/connectivity/PostpValueKeyIndex.h"

#include <cmath>

namespace postp {

namespace {

// Wider than the relative tolerance of ValueKey::Matches, so no match falls outside it.
const double kWindow = 4e-12;

}  // namespace

void ValueKeyIndex::clear() {
  m_keys.clear();
  m_byReal.clear();
  m_nanRows.clear();
  m_byText.clear();
  m_indexed = 0;
  m_hint = 0;
}

void ValueKeyIndex::push_back(const ValueKey& key) { m_keys.push_back(key); }

void ValueKeyIndex::IndexPending() const {
  for (; m_indexed < m_keys.size(); ++m_indexed) {
    const ValueKey& key = m_keys[m_indexed];
    if (key.isText)
      m_byText.emplace(key.text, m_indexed);
    else if (std::isnan(key.si.real()))
      m_nanRows.push_back(m_indexed);
    else
      m_byReal.emplace(key.si.real(), m_indexed);
  }
}

int ValueKeyIndex::Find(const ValueKey& key) const {
  for (size_t row : {m_hint, m_hint - 1}) {
    if (row >= m_keys.size() || !m_keys[row].Matches(key)) continue;
    m_hint = row + 1;
    return static_cast<int>(row);
  }
  IndexPending();
  size_t best = m_keys.size();
  auto consider = [&](size_t row) {
    if (row < best && m_keys[row].Matches(key)) best = row;
  };
  if (key.isText) {
    auto range = m_byText.equal_range(key.text);
    for (auto it = range.first; it != range.second; ++it) consider(it->second);
  } else if (std::isnan(key.si.real())) {
    for (size_t row : m_nanRows) consider(row);
  } else {
    const double x = key.si.real();
    const double w = std::isinf(x) ? 0.0 : kWindow * std::fabs(x);
    for (auto it = m_byReal.lower_bound(x - w); it != m_byReal.end() && it->first <= x + w; ++it) consider(it->second);
  }
  if (best == m_keys.size()) return -1;
  m_hint = best + 1;
  return static_cast<int>(best);
}

}  // namespace postp
