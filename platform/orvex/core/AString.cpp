#include "orvex/core/AString.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cwchar>
#include <cwctype>

#include "orvex/core/Assert.h"
#include "orvex/core/Utf8.h"

AString AString::FromUtf8(const std::string& in) {
  std::wstring out;
  out.reserve(in.size());
  const auto* p = reinterpret_cast<const unsigned char*>(in.data());
  const auto* e = p + in.size();
  while (p < e) {
    wchar_t c;
    p += orvex::utf8::Decode(p, e, c);
    out.push_back(c);
  }
  return AString(std::move(out));
}

std::string AString::ToUtf8() const {
  std::string out;
  out.reserve(size());
  for (wchar_t wc : *this) {
    uint32_t cp = static_cast<uint32_t>(wc);
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
    orvex::utf8::Append(out, cp);
  }
  return out;
}

int AString::Compare(const AString& other) const {
  int c = std::wstring::compare(other);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

wchar_t AString::FoldChar(wchar_t c) {
  if (c >= L'A' && c <= L'Z') return c + 0x20;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
  if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 0x20;  // Greek capitals
  if (c >= 0x410 && c <= 0x42F) return c + 0x20;                // Cyrillic basic capitals
  if (c >= 0x400 && c <= 0x40F) return c + 0x50;
  return c;
}

int AString::CompareNoCase(const AString& other) const {
  const size_t n = std::min(size(), other.size());
  const wchar_t* x = data();
  const wchar_t* y = other.data();
  for (size_t i = 0; i < n; ++i) {
    if (x[i] == y[i]) continue;  // most names differ in few places: fold only where they do
    wchar_t a = FoldChar(x[i]);
    wchar_t b = FoldChar(y[i]);
    if (a != b) return a < b ? -1 : 1;
  }
  if (size() == other.size()) return 0;
  return size() < other.size() ? -1 : 1;
}

AString AString::FoldedCase() const {
  AString out(*this);
  for (wchar_t& c : out) c = FoldChar(c);
  return out;
}

AString& AString::Trim() {
  size_t b = 0;
  while (b < size() && std::iswspace((*this)[b])) ++b;
  size_t e = size();
  while (e > b && std::iswspace((*this)[e - 1])) --e;
  assign(substr(b, e - b));
  return *this;
}

AString AString::Trimmed() const {
  AString copy(*this);
  return copy.Trim();
}

std::vector<AString> AString::TokenizeString(const AString& delimiters, bool skipEmpty) const {
  std::vector<AString> out;
  size_t start = 0;
  for (;;) {
    size_t pos = find_first_of(delimiters, start);
    AString piece(substr(start, pos == npos ? npos : pos - start));
    if (!(skipEmpty && piece.empty())) out.push_back(std::move(piece));
    if (pos == npos) break;
    start = pos + 1;
  }
  return out;
}

bool AString::IsNumber(int radix, long* value) const {
  if (empty() || radix < 2 || radix > 36) return false;
  size_t i = 0;
  bool neg = false;
  if ((*this)[0] == L'+' || (*this)[0] == L'-') {
    neg = (*this)[0] == L'-';
    i = 1;
  }
  if (i >= size()) return false;
  unsigned long long acc = 0;
  const unsigned long long limit = neg ? static_cast<unsigned long long>(LONG_MAX) + 1ULL : LONG_MAX;
  for (; i < size(); ++i) {
    wchar_t c = (*this)[i];
    int d = (c >= L'0' && c <= L'9')   ? c - L'0'
            : (c >= L'a' && c <= L'z') ? c - L'a' + 10
            : (c >= L'A' && c <= L'Z') ? c - L'A' + 10
                                       : 99;
    if (d >= radix) return false;
    acc = acc * radix + d;
    if (acc > limit) return false;
  }
  if (value) *value = neg ? static_cast<long>(0ULL - acc) : static_cast<long>(acc);
  return true;
}

namespace orvex {
namespace detail {

namespace {

void AppendNumber(std::wstring& out, const std::wstring& spec, wchar_t conv, const FormatArg& a) {
  wchar_t buf[512];
  std::wstring fmt = L"%" + spec;
  switch (conv) {
    case L'd':
    case L'i': {
      long long v = a.kind == FormatArg::kUnsigned ? static_cast<long long>(a.u) : a.i;
      fmt += L"lld";
      std::swprintf(buf, 512, fmt.c_str(), v);
      break;
    }
    case L'u':
    case L'x':
    case L'X':
    case L'o': {
      unsigned long long v = a.kind == FormatArg::kSigned ? static_cast<unsigned long long>(a.i) : a.u;
      fmt += L"ll";
      fmt.push_back(conv);
      std::swprintf(buf, 512, fmt.c_str(), v);
      break;
    }
    default: {
      double v = a.kind == FormatArg::kDouble     ? a.d
                 : a.kind == FormatArg::kUnsigned ? static_cast<double>(a.u)
                                                  : static_cast<double>(a.i);
      fmt.push_back(conv);
      std::swprintf(buf, 512, fmt.c_str(), v);
      break;
    }
  }
  out += buf;
}

bool Fits(wchar_t conv, FormatArg::Kind k) {
  switch (conv) {
    case L'd': case L'i': case L'u': case L'x': case L'X': case L'o':
      return k == FormatArg::kSigned || k == FormatArg::kUnsigned;
    case L'f': case L'F': case L'g': case L'G': case L'e': case L'E':
      return k == FormatArg::kDouble;
    case L's': case L'S':
      return k == FormatArg::kString;
    case L'c': case L'C':
      return k == FormatArg::kChar || k == FormatArg::kSigned || k == FormatArg::kUnsigned;
    case L'p':
      return k == FormatArg::kPointer;
    default:
      return false;
  }
}

}  // namespace

std::wstring FormatWide(const wchar_t* format, const std::vector<FormatArg>& args) {
  std::wstring out;
  if (!format) return out;
  size_t next = 0;
  for (const wchar_t* p = format; *p; ++p) {
    if (*p != L'%') {
      out.push_back(*p);
      continue;
    }
    ++p;
    if (*p == L'%') {
      out.push_back(L'%');
      continue;
    }
    std::wstring spec;
    while (*p && std::wcschr(L"-+ #0", *p)) spec.push_back(*p++);
    while (*p && (std::iswdigit(*p) || *p == L'.')) spec.push_back(*p++);
    // Length modifiers say nothing here: each argument carries its own type.
    while (*p && std::wcschr(L"hlLqjzt", *p)) ++p;
    if (*p == L'I') {
      ++p;
      while (*p && std::iswdigit(*p)) ++p;
    }
    if (!*p) break;
    wchar_t conv = *p;
    if (next >= args.size()) {
      ORVEX_ASSERT(!"format does not fit its argument");
      continue;
    }
    const FormatArg& a = args[next++];
    if (!Fits(conv, a.kind)) {
      ORVEX_ASSERT(!"format does not fit its argument");
    }
    if (a.kind == FormatArg::kString) {
      out += a.s;
    } else if (a.kind == FormatArg::kPointer) {
      wchar_t buf[64];
      std::swprintf(buf, 64, L"%p", a.p);
      out += buf;
    } else if (conv == L'c' || conv == L'C') {
      out.push_back(static_cast<wchar_t>(a.kind == FormatArg::kUnsigned ? a.u : a.i));
    } else if (conv == L's' || conv == L'S' || conv == L'p') {
      AppendNumber(out, L"", a.kind == FormatArg::kDouble ? L'g' : L'd', a);
    } else {
      AppendNumber(out, spec, conv, a);
    }
  }
  if (next != args.size()) ORVEX_ASSERT(!"format does not fit its argument");
  return out;
}

}  // namespace detail
}  // namespace orvex
