// Pieces of the block text form shared by the readers and writers (internal to the library).
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <cstdint>
#include <string>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "orvex/core/AString.h"
#include "orvex/io/BlockValue.h"
#include "orvex/io/ShortestDouble.h"
#include "orvex/io/Token.h"

namespace io {
namespace detail {

constexpr bool IsNameStart(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
constexpr bool IsNameChar(unsigned char c) { return IsNameStart(c) || (c >= '0' && c <= '9'); }
constexpr bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
// What may continue a number token.
constexpr bool IsNumberChar(unsigned char c) { return IsNameChar(c) || c == '.' || c == '+' || c == '-'; }

// Quoted texts longer than this that need no decoding are kept as bytes until asked for.
constexpr size_t kLongText = 256;

// Past the name characters at p: sixteen bytes at a time, as a loop that stops at a name's end
// costs a mispredicted branch per name, and a block file is mostly names.
inline const char* NameEnd(const char* p, const char* e) {
#if defined(__SSE2__)
  for (; e - p >= 16; p += 16) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    // Bytes past ASCII are negative here, so in no range.
    const __m128i lower = _mm_or_si128(x, _mm_set1_epi8(0x20));
    const __m128i letter = _mm_and_si128(_mm_cmpgt_epi8(lower, _mm_set1_epi8('a' - 1)), _mm_cmplt_epi8(lower, _mm_set1_epi8('z' + 1)));
    const __m128i digit = _mm_and_si128(_mm_cmpgt_epi8(x, _mm_set1_epi8('0' - 1)), _mm_cmplt_epi8(x, _mm_set1_epi8('9' + 1)));
    const __m128i name = _mm_or_si128(_mm_or_si128(letter, digit), _mm_cmpeq_epi8(x, _mm_set1_epi8('_')));
    const unsigned other = ~static_cast<unsigned>(_mm_movemask_epi8(name)) & 0xFFFFu;
    if (other) return p + __builtin_ctz(other);
  }
#endif
  while (p != e && IsNameChar(static_cast<unsigned char>(*p))) ++p;
  return p;
}

// Past the spaces at p: indentation, the most common bytes of a block file, a word at a time.
inline const char* SkipSpaces(const char* p, const char* e) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  for (; e - p >= 8; p += 8) {
    uint64_t w;
    std::memcpy(&w, p, 8);
    w ^= 0x2020202020202020ull;
    if (w) return p + (__builtin_ctzll(w) >> 3);
  }
#endif
  while (p != e && *p == ' ') ++p;
  return p;
}

// A real as writers make them ([-]digits with a point or an exponent, in range) at the start of
// [b, e), followed there by a character that cannot continue a number: its end, with its value
// in d; else null, and the text is left to the general way.
const char* ScanWrittenReal(const char* b, const char* e, double& d);

// Room for `extra` more characters, growing geometrically: a reservation per append would
// otherwise make a series of appends quadratic.
template <class Str>
void ReserveMore(Str& s, size_t extra) {
  const size_t need = s.size() + extra;
  if (need > s.capacity()) s.reserve(std::max(need, 2 * s.capacity()));
}

// No byte of [b, e) is past ASCII.
bool IsAsciiBytes(const char* b, const char* e);

// A key or name that can be written without quotes: [A-Za-z_][A-Za-z0-9_]*.
bool IsBareName(const AString& name);
void AppendName(std::string& out, const AString& name);
// "text" with \\ \" \n \r \t escaped, \u{H} for other control characters, DEL and code points
// that UTF-8 cannot carry; everything else as UTF-8.
void AppendQuoted(std::string& out, const AString& text);
// What AppendQuoted writes between the quotes, for a range of the text: wide characters, or
// ASCII characters held as bytes.
void AppendQuotedBody(std::string& out, const wchar_t* b, const wchar_t* e);
void AppendQuotedBody(std::string& out, const char* b, const char* e);
// No byte of [b, e) needs an escape inside quotes.
bool IsPlainQuotedBody(const char* b, const char* e);
// Both of the above in one pass: whether [b, e) is ASCII, and then whether it is plain.
bool IsAsciiBytes(const char* b, const char* e, bool& plain);

// A string value quoted, a piece at a time with `flush()` after each: a long text (a column's
// values) then never sits whole in a stream's buffer.
template <class Flush>
void AppendQuotedInPieces(std::string& out, const CBlock_value& v, Flush flush) {
  constexpr size_t kPiece = size_t(1) << 16;
  out.push_back('"');
  if (const BigString* ascii = v.GetAscii()) {
    const char* const b = ascii->data();
    for (size_t at = 0, n = ascii->size(); at < n; at += kPiece) {
      AppendQuotedBody(out, b + at, b + std::min(n, at + kPiece));
      flush();
    }
  } else {
    const AString& text = v.GetString();
    const wchar_t* const b = text.data();
    for (size_t at = 0, n = text.size(); at < n; at += kPiece) {
      AppendQuotedBody(out, b + at, b + std::min(n, at + kPiece));
      flush();
    }
  }
  out.push_back('"');
}
// Shortest text that reads back to the same bits; always with '.' or an exponent; inf, -inf, nan.
void AppendReal(std::string& out, double d);
// The same text written at p, which must have room for kMaxRealChars: answers its end.
constexpr size_t kMaxRealChars = 72;
char* WriteNonFiniteReal(char* p, double d);
// Inline: the writers call it for each value of a column.
inline char* WriteReal(char* p, double d) {
  if (!std::isfinite(d)) return WriteNonFiniteReal(p, d);
  static_assert(kMaxRealChars >= kShortestRoom + 2, "room for the text and its \".0\"");
  bool whole;
  char* const e = WriteShortest(p, d, whole);
  if (!whole) return e;
  // An integral real must still read back as a real.
  std::memcpy(e, ".0", 2);
  return e + 2;
}
void AppendInt(std::string& out, long v);
void AppendValue(std::string& out, const CBlock_value& v);
// A value token as written; a token that holds no value is written as a quoted string.
void AppendToken(std::string& out, const CToken& t);

// Whole range [+-]?digits, fitting a long.
bool ParseLong(const char* b, const char* e, long& out);
// Whole range a finite real in range, or [+-]?inf, [+-]?nan.
bool ParseReal(const char* b, const char* e, double& out);
// As ParseReal, for text that ClassifyNumber has already found to be a real.
bool ParseCheckedReal(const char* b, const char* e, double& out);
// true, false, inf, nan.
bool ValueFromWord(const AString& word, CBlock_value& out);

// UTF-8 text appended as decoded by orvex::utf8::Decode.
void AppendUtf8Decoded(AString& out, const char* b, const char* e);

}  // namespace detail
}  // namespace io

namespace io {
namespace detail {

enum NumberClass { kMalformedNumber, kIntNumber, kRealNumber };
// What a run of number characters is, by its syntax alone (range is checked on conversion).
NumberClass ClassifyNumber(const char* b, const char* e);

}  // namespace detail
}  // namespace io
