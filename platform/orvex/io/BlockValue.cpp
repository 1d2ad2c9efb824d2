#include "orvex/io/BlockValue.h"

#include <climits>
#include <cmath>

#include "orvex/io/ReadError.h"
#include "orvex/io/TokenStream.h"

namespace io {

CBlock_value::CBlock_value(const AString& v) : m_kind(kString) { m_v.s = new AString(v); }
CBlock_value::CBlock_value(AString&& v) : m_kind(kString) { m_v.s = new AString(std::move(v)); }
CBlock_value::CBlock_value(const wchar_t* v) : m_kind(kString) { m_v.s = new AString(v); }

CBlock_value::CBlock_value(const CBlock_value& o) : CStreamio_object(o), m_kind(o.m_kind), m_v(o.m_v) {
  if (m_kind == kString) m_v.s = new AString(*o.m_v.s);
}

CBlock_value& CBlock_value::operator=(const CBlock_value& o) {
  if (this == &o) return *this;
  CBlock_value copy(o);
  return *this = std::move(copy);
}

void CBlock_value::DeleteString() {
  delete m_v.s;
  m_kind = kInt;
  m_v.i = 0;
}

const AString& CBlock_value::GetString() const {
  static const AString kEmpty;
  return m_kind == kString ? *m_v.s : kEmpty;
}

bool CBlock_value::Query(long& out) const {
  if (m_kind != kInt) return false;
  out = m_v.i;
  return true;
}

bool CBlock_value::Query(int& out) const {
  if (m_kind != kInt || m_v.i < INT_MIN || m_v.i > INT_MAX) return false;
  out = static_cast<int>(m_v.i);
  return true;
}

bool CBlock_value::Query(unsigned int& out) const {
  if (m_kind != kInt || m_v.i < 0 || static_cast<unsigned long>(m_v.i) > UINT_MAX) return false;
  out = static_cast<unsigned int>(m_v.i);
  return true;
}

bool CBlock_value::Query(double& out) const {
  if (m_kind == kReal) {
    out = m_v.d;
    return true;
  }
  if (m_kind != kInt) return false;
  out = static_cast<double>(m_v.i);
  return true;
}

bool CBlock_value::Query(bool& out) const {
  if (m_kind == kBool) {
    out = m_v.b;
    return true;
  }
  if (m_kind != kInt || (m_v.i != 0 && m_v.i != 1)) return false;
  out = m_v.i == 1;
  return true;
}

bool CBlock_value::Query(AString& out) const {
  if (m_kind != kString) return false;
  out = *m_v.s;
  return true;
}

bool CBlock_value::operator==(const CBlock_value& o) const {
  if (m_kind != o.m_kind) return false;
  switch (m_kind) {
    case kInt: return m_v.i == o.m_v.i;
    case kReal: return m_v.d == o.m_v.d || (std::isnan(m_v.d) && std::isnan(o.m_v.d));
    case kString: return *m_v.s == *o.m_v.s;
    case kBool: return m_v.b == o.m_v.b;
  }
  return false;
}

void CBlock_value::Write(CAbstract_ostream& out) const { out.WriteValue(*this); }

void CBlock_value::Read(CAbstract_istream& in) {
  CToken t;
  CBlock_value v;
  if (!in.ReadToken(t) || !t.ToValue(v)) throw ReadErrorException{kConversionFailed};
  *this = std::move(v);
}

CBlock_named_value::~CBlock_named_value() = default;

void CBlock_named_value::Write(CAbstract_ostream& out) const { out.WriteNamedValue(*this); }

void CBlock_named_value::Read(CAbstract_istream& in) {
  CToken key;
  CToken eq;
  if (!in.ReadToken(key) || (key.GetKind() != CToken::kWord && key.GetKind() != CToken::kString))
    throw ReadErrorException{kConversionFailed};
  if (!in.ReadToken(eq) || !eq.IsPunct(L'=')) throw ReadErrorException{kConversionFailed};
  CBlock_value v;
  v.Read(in);
  m_key = key.Text();
  m_value = std::move(v);
}

}  // namespace io
