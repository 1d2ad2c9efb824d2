#include "orvex/io/BlockFunc.h"

#include <algorithm>
#include <iterator>

#include "orvex/core/Assert.h"

namespace io {

CBlock_func::CBlock_func(const AString& name) : m_name(name) {}

CBlock_func::CBlock_func(const CBlock_func& o)
    : m_name(o.m_name), m_kinds(o.m_kinds), m_values(o.m_values) {
  m_named.reserve(o.m_named.size());
  for (const auto& nv : o.m_named) m_named.push_back(std::make_unique<CBlock_named_value>(*nv));
  m_funcs.reserve(o.m_funcs.size());
  for (const auto& f : o.m_funcs) m_funcs.push_back(std::make_unique<CBlock_func>(*f));
}

CBlock_func::CBlock_func(CBlock_func&& o) noexcept = default;

CBlock_func& CBlock_func::operator=(const CBlock_func& o) {
  if (this == &o) return *this;
  CBlock_func copy(o);
  return *this = std::move(copy);
}

CBlock_func& CBlock_func::operator=(CBlock_func&& o) noexcept = default;
CBlock_func::~CBlock_func() = default;

CBlock_func& CBlock_func::operator<<(const CBlock_value& v) {
  m_kinds.push_back(kUnnamedValue);
  m_values.push_back(v);
  return *this;
}

CBlock_func& CBlock_func::operator<<(CBlock_value&& v) {
  m_kinds.push_back(kUnnamedValue);
  m_values.push_back(std::move(v));
  return *this;
}

CBlock_func& CBlock_func::operator<<(const CBlock_named_value& nv) {
  m_kinds.push_back(kNamedValue);
  m_values.emplace_back(static_cast<long>(m_named.size()));
  m_named.push_back(std::make_unique<CBlock_named_value>(nv));
  return *this;
}

CBlock_func& CBlock_func::operator<<(const CBlock_func& f) {
  return *this << CBlock_func(f);
}

CBlock_func& CBlock_func::operator<<(CBlock_func&& f) {
  ORVEX_ASSERT(&f != this);
  if (&f == this) return *this;
  m_kinds.push_back(kFunc);
  m_values.emplace_back(static_cast<long>(m_funcs.size()));
  m_funcs.push_back(std::make_unique<CBlock_func>(std::move(f)));
  return *this;
}

void CBlock_func::reserve(size_t n) {
  m_kinds.reserve(n);
  m_values.reserve(n);
}

void CBlock_func::AppendValues(CBlock_value* b, CBlock_value* e) {
  m_kinds.insert(m_kinds.end(), static_cast<size_t>(e - b), kUnnamedValue);
  m_values.insert(m_values.end(), std::make_move_iterator(b), std::make_move_iterator(e));
}

void CBlock_func::AppendReals(const double* b, const double* e) {
  const size_t n = static_cast<size_t>(e - b);
  m_kinds.insert(m_kinds.end(), n, kUnnamedValue);
  if (m_values.size() + n > m_values.capacity()) m_values.reserve(std::max(m_values.size() + n, 2 * m_values.size()));
  for (const double* p = b; p != e; ++p) m_values.emplace_back(*p);
}

void CBlock_func::Clear() {
  m_kinds.clear();
  m_values.clear();
  m_named.clear();
  m_funcs.clear();
}

CBlock_func::ArgKind CBlock_func::GetArgKind(size_t i) const {
  ORVEX_ASSERT(i<GetNumArgs());
  return i < m_kinds.size() ? static_cast<ArgKind>(m_kinds[i]) : kUnnamedValue;
}

const CBlock_value* CBlock_func::GetUnnamedValue(size_t argIndex) const {
  if (argIndex >= m_kinds.size() || m_kinds[argIndex] != kUnnamedValue) return nullptr;
  return &m_values[argIndex];
}

const CBlock_value* CBlock_func::GetUnnamedRun(size_t argIndex, size_t& count) const {
  size_t end = argIndex;
  while (end < m_kinds.size() && m_kinds[end] == kUnnamedValue) ++end;
  count = end > argIndex ? end - argIndex : 0;
  return count ? &m_values[argIndex] : nullptr;
}

const CBlock_named_value* CBlock_func::GetNamedValue(size_t argIndex) const {
  if (argIndex >= m_kinds.size() || m_kinds[argIndex] != kNamedValue) return nullptr;
  return m_named[static_cast<size_t>(m_values[argIndex].GetInt())].get();
}

const CBlock_func* CBlock_func::GetFunc(size_t argIndex) const {
  if (argIndex >= m_kinds.size() || m_kinds[argIndex] != kFunc) return nullptr;
  return m_funcs[static_cast<size_t>(m_values[argIndex].GetInt())].get();
}

bool CBlock_func::QueryUnamedValues(AString& out, size_t& cursor) const {
  for (size_t i = cursor; i < m_kinds.size(); ++i) {
    if (m_kinds[i] != kUnnamedValue) continue;
    if (!m_values[i].Query(out)) return false;
    cursor = i + 1;
    return true;
  }
  return false;
}

const CBlock_func* CBlock_func::FindFunc(const AString& name) const {
  // m_funcs is in argument order.
  for (const auto& f : m_funcs)
    if (f->GetName() == name) return f.get();
  return nullptr;
}

const CBlock_named_value* CBlock_func::FindNamedValue(const AString& key) const {
  for (const auto& nv : m_named)
    if (nv->GetKey() == key) return nv.get();
  return nullptr;
}

std::vector<const CBlock_named_value*> CBlock_func::GetNamedValues() const {
  std::vector<const CBlock_named_value*> out;
  out.reserve(m_named.size());
  for (const auto& nv : m_named) out.push_back(nv.get());
  return out;
}

bool CBlock_func::operator==(const CBlock_func& o) const {
  if (GetName() != o.GetName() || m_kinds != o.m_kinds) return false;
  for (size_t i = 0; i < m_kinds.size(); ++i) {
    switch (m_kinds[i]) {
      case kUnnamedValue:
        if (m_values[i] != o.m_values[i]) return false;
        break;
      case kNamedValue:
        if (*GetNamedValue(i) != *o.GetNamedValue(i)) return false;
        break;
      case kFunc:
        if (*GetFunc(i) != *o.GetFunc(i)) return false;
        break;
    }
  }
  return true;
}

}  // namespace io
