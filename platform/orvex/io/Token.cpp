#include "orvex/io/Token.h"

#include <string>

#include "orvex/io/BlockTextFormat.h"
#include "orvex/io/BlockValue.h"

namespace io {

CToken CToken::FromValue(const CBlock_value& v) {
  switch (v.GetKind()) {
    case CBlock_value::kString:
      return CToken(kString, v.GetString());
    case CBlock_value::kBool:
      return CToken(kWord, v.GetBool() ? L"true" : L"false");
    default:
      break;
  }
  std::string text;
  detail::AppendValue(text, v);
  AString wide;
  detail::AppendUtf8Decoded(wide, text.data(), text.data() + text.size());
  // inf and nan are written as words but hold reals.
  return CToken(v.GetKind() == CBlock_value::kInt ? kInt : kReal, std::move(wide));
}

bool CToken::ToValue(CBlock_value& out) const {
  switch (m_kind) {
    case kString:
      out = CBlock_value(m_text);
      return true;
    case kWord:
      return detail::ValueFromWord(m_text, out);
    case kInt:
    case kReal: {
      std::string narrow;
      narrow.reserve(m_text.size());
      for (wchar_t c : m_text) {
        if (static_cast<unsigned long>(c) > 0x7F) return false;
        narrow.push_back(static_cast<char>(c));
      }
      const char* b = narrow.data();
      const char* e = b + narrow.size();
      if (m_kind == kInt) {
        long v = 0;
        if (!detail::ParseLong(b, e, v)) return false;
        out = CBlock_value(v);
        return true;
      }
      double d = 0;
      if (!detail::ParseReal(b, e, d)) return false;
      out = CBlock_value(d);
      return true;
    }
    default:
      return false;
  }
}

template <class T>
bool CToken::QueryAs(T& out) const {
  CBlock_value v;
  return ToValue(v) && v.Query(out);
}

bool CToken::Query(long& out) const { return QueryAs(out); }
bool CToken::Query(int& out) const { return QueryAs(out); }
bool CToken::Query(unsigned int& out) const { return QueryAs(out); }
bool CToken::Query(double& out) const { return QueryAs(out); }
bool CToken::Query(bool& out) const { return QueryAs(out); }
bool CToken::Query(AString& out) const { return QueryAs(out); }

}  // namespace io
