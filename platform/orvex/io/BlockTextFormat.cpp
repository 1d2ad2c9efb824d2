#include "orvex/io/BlockTextFormat.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "orvex/core/Utf8.h"
#include "orvex/io/ShortestDouble.h"

namespace io {
namespace detail {

bool IsAsciiBytes(const char* p, const char* e) {
  uint64_t high = 0;
  for (; e - p >= 8; p += 8) {
    uint64_t w;
    std::memcpy(&w, p, 8);
    high |= w;
  }
  for (; p != e; ++p) high |= static_cast<unsigned char>(*p);
  return (high & 0x8080808080808080ull) == 0;
}

bool IsBareName(const AString& name) {
  if (name.empty()) return false;
  if (static_cast<unsigned long>(name[0]) > 0x7F || !IsNameStart(static_cast<unsigned char>(name[0]))) return false;
  for (wchar_t c : name)
    if (static_cast<unsigned long>(c) > 0x7F || !IsNameChar(static_cast<unsigned char>(c))) return false;
  return true;
}

void AppendName(std::string& out, const AString& name) {
  if (!IsBareName(name)) {
    AppendQuoted(out, name);
    return;
  }
  for (wchar_t c : name) out.push_back(static_cast<char>(c));
}

namespace {

// Written as it stands inside quotes.
bool IsPlainAscii(wchar_t c) {
  const uint32_t u = static_cast<uint32_t>(c);
  return u >= 0x20 && u < 0x7F && u != '\\' && u != '"';
}

void AppendHexEscape(std::string& out, uint32_t cp) {
  char buf[16];
  auto r = std::to_chars(buf, buf + sizeof buf, cp, 16);
  out += "\\u{";
  for (char* p = buf; p != r.ptr; ++p) out.push_back(*p >= 'a' && *p <= 'f' ? static_cast<char>(*p - 'a' + 'A') : *p);
  out.push_back('}');
}

// A character inside quotes that is not written as it stands.
void AppendEscaped(std::string& out, uint32_t cp) {
  switch (cp) {
    case '\\': out += "\\\\"; return;
    case '"': out += "\\\""; return;
    case '\n': out += "\\n"; return;
    case '\r': out += "\\r"; return;
    case '\t': out += "\\t"; return;
    default: break;
  }
  // Surrogates and values past U+10FFFF have no UTF-8 form; escaping keeps them exact.
  if (cp < 0x20 || cp == 0x7F || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
    AppendHexEscape(out, cp);
  else
    orvex::utf8::Append(out, cp);
}

}  // namespace

void AppendQuotedBody(std::string& out, const wchar_t* p, const wchar_t* e) {
  // Exact for ASCII text, the common case; a long text then grows the buffer once.
  ReserveMore(out, static_cast<size_t>(e - p) + 2);
  while (p != e) {
    const wchar_t* const run = p;
    while (p != e && IsPlainAscii(*p)) ++p;
    if (p != run) {
      const size_t old = out.size();
      out.resize(old + static_cast<size_t>(p - run));
      char* d = &out[old];
      for (const wchar_t* q = run; q != p; ++q) *d++ = static_cast<char>(*q);
    }
    if (p == e) break;
    AppendEscaped(out, static_cast<uint32_t>(*p++));
  }
}

void AppendQuoted(std::string& out, const AString& text) {
  out.push_back('"');
  AppendQuotedBody(out, text.data(), text.data() + text.size());
  out.push_back('"');
}

namespace {

// No byte of the eight needs an escape: none is a control character, DEL, '"', '\\' or past ASCII.
bool PlainWord(uint64_t w) {
  constexpr uint64_t kOnes = 0x0101010101010101ull;
  constexpr uint64_t kHigh = 0x8080808080808080ull;
  const auto hasZeroByte = [](uint64_t x) { return (x - kOnes) & ~x & kHigh; };
  // Exact for bytes below 0x80, which the last term makes sure of.
  const uint64_t below20 = (w - kOnes * 0x20) & ~w & kHigh;
  return (hasZeroByte(w ^ (kOnes * '"')) | hasZeroByte(w ^ (kOnes * '\\')) | hasZeroByte(w ^ (kOnes * 0x7F)) |
          below20 | (w & kHigh)) == 0;
}

#if defined(__SSE2__)
// The bytes of the sixteen at `at` that need an escape inside quotes: control characters, DEL,
// '"', '\\' and, compared signed, bytes past ASCII.
__m128i NeedsEscape(const char* at) {
  const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
  return _mm_or_si128(_mm_or_si128(_mm_cmplt_epi8(x, _mm_set1_epi8(0x20)), _mm_cmpeq_epi8(x, _mm_set1_epi8('"'))),
                      _mm_or_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8('\\')), _mm_cmpeq_epi8(x, _mm_set1_epi8(0x7F))));
}

// Sixty-four bytes at `at`: bit 0 when one needs an escape, bit 1 when one is past ASCII.
int ClassifySixtyFour(const char* at) {
  const __m128i escapes = _mm_or_si128(_mm_or_si128(NeedsEscape(at), NeedsEscape(at + 16)),
                                       _mm_or_si128(NeedsEscape(at + 32), NeedsEscape(at + 48)));
  const __m128i* const v = reinterpret_cast<const __m128i*>(at);
  const __m128i high = _mm_or_si128(_mm_or_si128(_mm_loadu_si128(v), _mm_loadu_si128(v + 1)),
                                    _mm_or_si128(_mm_loadu_si128(v + 2), _mm_loadu_si128(v + 3)));
  return (_mm_movemask_epi8(escapes) != 0 ? 1 : 0) | (_mm_movemask_epi8(high) != 0 ? 2 : 0);
}
#endif

}  // namespace

bool IsPlainQuotedBody(const char* p, const char* e) {
#if defined(__SSE2__)
  // Sixty-four bytes a step, the verdict once per step: a long text goes at the speed of memory.
  for (; e - p >= 64; p += 64)
    if (ClassifySixtyFour(p) != 0) return false;
#endif
  for (uint64_t w; e - p >= 8; p += 8) {
    std::memcpy(&w, p, 8);
    if (!PlainWord(w)) return false;
  }
  for (; p != e; ++p)
    if (!IsPlainAscii(static_cast<unsigned char>(*p))) return false;
  return true;
}

bool IsAsciiBytes(const char* p, const char* e, bool& plain) {
  plain = true;
#if defined(__SSE2__)
  for (; e - p >= 64; p += 64) {
    const int what = ClassifySixtyFour(p);
    if (what == 0) continue;
    plain = false;
    if (what & 2) return false;
    return IsAsciiBytes(p, e);
  }
#endif
  if (!IsAsciiBytes(p, e)) {
    plain = false;
    return false;
  }
  plain = IsPlainQuotedBody(p, e);
  return true;
}

void AppendQuotedBody(std::string& out, const char* p, const char* e) {
  ReserveMore(out, static_cast<size_t>(e - p) + 2);
  while (p != e) {
    const char* const run = p;
    for (uint64_t w; e - p >= 8 && (std::memcpy(&w, p, 8), PlainWord(w));) p += 8;
    while (p != e && IsPlainAscii(static_cast<unsigned char>(*p))) ++p;
    out.append(run, static_cast<size_t>(p - run));
    if (p == e) break;
    AppendEscaped(out, static_cast<unsigned char>(*p++));
  }
}

char* WriteNonFiniteReal(char* p, double d) {
  if (std::isnan(d)) {
    std::memcpy(p, "nan", 3);
    return p + 3;
  }
  if (d < 0) *p++ = '-';
  std::memcpy(p, "inf", 3);
  return p + 3;
}

void AppendReal(std::string& out, double d) {
  char buf[kMaxRealChars];
  out.append(buf, static_cast<size_t>(WriteReal(buf, d) - buf));
}

void AppendInt(std::string& out, long v) {
  char buf[32];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  out.append(buf, static_cast<size_t>(r.ptr - buf));
}

void AppendValue(std::string& out, const CBlock_value& v) {
  switch (v.GetKind()) {
    case CBlock_value::kInt: AppendInt(out, v.GetInt()); return;
    case CBlock_value::kReal: AppendReal(out, v.GetReal()); return;
    case CBlock_value::kString:
      AppendQuotedInPieces(out, v, [] {});
      return;
    case CBlock_value::kBool: out += v.GetBool() ? "true" : "false"; return;
  }
}

void AppendToken(std::string& out, const CToken& t) {
  CBlock_value v;
  if (t.ToValue(v))
    AppendValue(out, v);
  else
    AppendQuoted(out, t.Text());
}

const char* ScanWrittenReal(const char* b, const char* e, double& d) {
  if (b == e) return nullptr;
  const char* const mantissa = *b == '-' ? b + 1 : b;
  if (mantissa == e || !(IsDigit(static_cast<unsigned char>(*mantissa)) || *mantissa == '.')) return nullptr;
  const std::from_chars_result r = std::from_chars(b, e, d);
  if (r.ec != std::errc() || r.ptr == e || IsNumberChar(static_cast<unsigned char>(*r.ptr))) return nullptr;
  const char* q = mantissa;
  while (q != r.ptr && IsDigit(static_cast<unsigned char>(*q))) ++q;
  return q != r.ptr ? r.ptr : nullptr;  // digits alone are an integer
}

bool ParseLong(const char* b, const char* e, long& out) {
  if (b != e && *b == '+') ++b;
  if (b == e) return false;
  long v = 0;
  auto r = std::from_chars(b, e, v);
  if (r.ec != std::errc() || r.ptr != e) return false;
  out = v;
  return true;
}

namespace {

bool EqualsWord(const char* b, const char* e, const char* word) {
  const size_t n = std::strlen(word);
  return static_cast<size_t>(e - b) == n && std::memcmp(b, word, n) == 0;
}

}  // namespace

namespace {

// [+-]? then inf or nan; the sign is not part of `p`.
bool IsInfOrNan(const char* p, const char* e) { return EqualsWord(p, e, "inf") || EqualsWord(p, e, "nan"); }

// Plain decimal: digits, an optional fraction, an optional exponent; at least one digit.
// from_chars alone would also take "infinity" or hexadecimal forms.
bool IsDecimal(const char* p, const char* e, bool& isInt) {
  const char* q = p;
  size_t digits = 0;
  while (q != e && IsDigit(static_cast<unsigned char>(*q))) ++q, ++digits;
  isInt = q == e && digits > 0;
  if (q != e && *q == '.') {
    ++q;
    while (q != e && IsDigit(static_cast<unsigned char>(*q))) ++q, ++digits;
  }
  if (digits == 0) return false;
  if (q != e && (*q == 'e' || *q == 'E')) {
    ++q;
    if (q != e && (*q == '+' || *q == '-')) ++q;
    if (q == e || !IsDigit(static_cast<unsigned char>(*q))) return false;
    while (q != e && IsDigit(static_cast<unsigned char>(*q))) ++q;
  }
  return q == e;
}

}  // namespace

NumberClass ClassifyNumber(const char* b, const char* e) {
  const char* p = b;
  if (p != e && (*p == '+' || *p == '-')) ++p;
  // Unsigned inf and nan are words to the lexer, but a real token made from a value holds them.
  if (IsInfOrNan(p, e)) return kRealNumber;
  bool isInt = false;
  if (!IsDecimal(p, e, isInt)) return kMalformedNumber;
  return isInt ? kIntNumber : kRealNumber;
}

bool ParseReal(const char* b, const char* e, double& out) {
  return ClassifyNumber(b, e) != kMalformedNumber && ParseCheckedReal(b, e, out);
}

bool ParseCheckedReal(const char* b, const char* e, double& out) {
  bool negative = false;
  const char* p = b;
  if (p != e && (*p == '+' || *p == '-')) {
    negative = *p == '-';
    ++p;
  }
  if (p != e && (*p == 'i' || *p == 'n')) {
    if (EqualsWord(p, e, "inf")) {
      out = negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
      return true;
    }
    if (EqualsWord(p, e, "nan")) {
      out = std::numeric_limits<double>::quiet_NaN();
      return true;
    }
    return false;
  }
  double v = 0;
  auto r = std::from_chars(p, e, v);
  // Out of range either way (1e400, 1e-400) is damaged input: the writer never makes it.
  if (r.ec != std::errc() || r.ptr != e || !std::isfinite(v)) return false;
  out = negative ? -v : v;
  return true;
}

bool ValueFromWord(const AString& word, CBlock_value& out) {
  if (word == L"true") {
    out = CBlock_value(true);
  } else if (word == L"false") {
    out = CBlock_value(false);
  } else if (word == L"inf") {
    out = CBlock_value(std::numeric_limits<double>::infinity());
  } else if (word == L"nan") {
    out = CBlock_value(std::numeric_limits<double>::quiet_NaN());
  } else {
    return false;
  }
  return true;
}

void AppendUtf8Decoded(AString& out, const char* b, const char* e) {
  const auto* p = reinterpret_cast<const unsigned char*>(b);
  const auto* end = reinterpret_cast<const unsigned char*>(e);
  // Every byte gives at most one character: size for the most, write in place, cut to what came.
  const size_t old = out.size();
  ReserveMore(out, static_cast<size_t>(end - p));
  out.resize(old + static_cast<size_t>(end - p));
  wchar_t* const first = &out[0];
  wchar_t* w = first + old;
  while (p < end) {
    if (*p < 0x80) {
      *w++ = static_cast<wchar_t>(*p++);
      continue;
    }
    p += orvex::utf8::Decode(p, end, *w++);
  }
  out.resize(static_cast<size_t>(w - first));
}

}  // namespace detail
}  // namespace io
