#include "orvex/io/BlockValue.h"

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "orvex/core/Assert.h"
#include "orvex/io/BlockTextFormat.h"
#include "orvex/io/ReadError.h"
#include "orvex/io/TokenStream.h"

namespace io {

CBlock_value::CBlock_value(const AString& v) : m_kind(kString) { m_v.s = CSharedText::Make(AString(v)); }
CBlock_value::CBlock_value(AString&& v) : m_kind(kString) { m_v.s = CSharedText::Make(std::move(v)); }
CBlock_value::CBlock_value(const wchar_t* v) : m_kind(kString) { m_v.s = CSharedText::Make(AString(v)); }

CBlock_value::CBlock_value(const CBlock_value& o)
    : CStreamio_object(o), m_kind(o.m_kind), m_ascii(o.m_ascii), m_v(o.m_v) {
  if (m_kind != kString) return;
  if (m_ascii)
    m_v.a = new AsciiText{o.m_v.a->bytes, nullptr, o.m_v.a->plain};
  else
    CSharedText::Retain(m_v.s);
}

namespace {

void Widen(const BigString& ascii, AString& out) {
  out.resize(ascii.size());
  wchar_t* w = &out[0];
  for (char c : ascii) *w++ = static_cast<wchar_t>(c);
}

}  // namespace

CBlock_value CBlock_value::FromAscii(BigString&& ascii) {
  const char* const b = ascii.data();
  const char* const e = b + ascii.size();
  bool plain = false;
  if (!detail::IsAsciiBytes(b, e, plain)) return CBlock_value(AString::FromUtf8(std::string(b, e)));
  CBlock_value v;
  v.m_kind = kString;
  v.m_ascii = true;
  v.m_v.a = new AsciiText{std::move(ascii), nullptr, plain};
  return v;
}

CBlock_value CBlock_value::FromPlainAscii(BigString&& ascii) {
#ifndef NDEBUG
  bool plain = false;
  const bool ascii7 = detail::IsAsciiBytes(ascii.data(), ascii.data() + ascii.size(), plain);
  ORVEX_ASSERT(ascii7 && plain);
  if (!ascii7 || !plain) return FromAscii(std::move(ascii));
#endif
  CBlock_value v;
  v.m_kind = kString;
  v.m_ascii = true;
  v.m_v.a = new AsciiText{std::move(ascii), nullptr, true};
  return v;
}

CBlock_value CBlock_value::FromAscii(const std::string& ascii) { return FromAscii(BigString(ascii.data(), ascii.size())); }

CBlock_value& CBlock_value::operator=(const CBlock_value& o) {
  if (this == &o) return *this;
  CBlock_value copy(o);
  return *this = std::move(copy);
}

void CBlock_value::DeleteString() {
  if (m_ascii) {
    delete m_v.a->wide;
    delete m_v.a;
  } else {
    CSharedText::Release(m_v.s);
  }
  m_kind = kInt;
  m_ascii = false;
  m_v.i = 0;
}

const AString& CBlock_value::GetString() const {
  static const AString kEmpty;
  if (m_kind != kString) return kEmpty;
  if (!m_ascii) return CSharedText::TextOf(m_v.s);
  if (!m_v.a->wide) {
    m_v.a->wide = new AString;
    Widen(m_v.a->bytes, *m_v.a->wide);
  }
  return *m_v.a->wide;
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
  if (m_ascii)
    Widen(m_v.a->bytes, out);
  else
    out = CSharedText::TextOf(m_v.s);
  return true;
}

bool CBlock_value::operator==(const CBlock_value& o) const {
  if (m_kind != o.m_kind) return false;
  switch (m_kind) {
    case kInt: return m_v.i == o.m_v.i;
    case kReal: return m_v.d == o.m_v.d || (std::isnan(m_v.d) && std::isnan(o.m_v.d));
    case kString:
      if (m_ascii && o.m_ascii) return m_v.a->bytes == o.m_v.a->bytes;
      if (m_ascii || o.m_ascii) return SameText(m_ascii ? *this : o, m_ascii ? o : *this);
      return CSharedText::TextOf(m_v.s) == CSharedText::TextOf(o.m_v.s);
    case kBool: return m_v.b == o.m_v.b;
  }
  return false;
}

bool CBlock_value::SameText(const CBlock_value& ascii, const CBlock_value& wide) {
  const BigString& a = ascii.m_v.a->bytes;
  const AString& w = CSharedText::TextOf(wide.m_v.s);
  if (a.size() != w.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (static_cast<wchar_t>(a[i]) != w[i]) return false;
  return true;
}

void CBlock_value::Write(CAbstract_ostream& out) const { out.WriteValue(*this); }

void CBlock_value::Read(CAbstract_istream& in) {
  CToken t;
  CBlock_value v;
  if (!in.ReadToken(t) || !t.ToValue(v)) throw ReadErrorException{kConversionFailed};
  *this = std::move(v);
}

void CBlock_named_value::Write(CAbstract_ostream& out) const { out.WriteNamedValue(*this); }

void CBlock_named_value::Read(CAbstract_istream& in) {
  CToken key;
  CToken eq;
  if (!in.ReadToken(key) || (key.GetKind() != CToken::kWord && key.GetKind() != CToken::kString))
    throw ReadErrorException{kConversionFailed};
  if (!in.ReadToken(eq) || !eq.IsPunct(L'=')) throw ReadErrorException{kConversionFailed};
  CBlock_value v;
  v.Read(in);
  m_key = CSharedText(key.Text());
  m_value = std::move(v);
}

}  // namespace io
