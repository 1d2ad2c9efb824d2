#include "orvex/io/ShortestDouble.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace io {

namespace {

// Texts left to the library.
char* LibraryText(char* first, double v, bool& whole) {
  char* const end = std::to_chars(first, first + kShortestRoom, v).ptr;
  whole = std::find_if(first, end, [](char ch) { return ch == '.' || ch == 'e'; }) == end;
  return end;
}

#if defined(__SSE2__)

using u128 = unsigned __int128;

struct Pow10 {
  uint64_t hi;
  uint64_t lo;
};

// g(m) = floor(10^m * 2^(127 - floor(log2 10^m))) + 1, an overestimate of 10^m scaled into
// [2^127, 2^128), for m in [kMinPow, kMaxPow]. The rows are made exactly at build time by
// gen/ShortestDoublePow10Gen.cpp.
constexpr int kMinPow = -292;
constexpr int kMaxPow = 324;
constexpr Pow10 kPow10[kMaxPow - kMinPow + 1] = {
#include "ShortestDoublePow10.inc"
};

// floor(q log10 2), floor(q log10 2 + log10 3/4) and floor(e log2 10), exact for |q|, |e| < 1200.
constexpr int FloorLog10Pow2(int q) { return static_cast<int>((int64_t(q) * 661971961083LL) >> 41); }
int FloorLog10ThreeQuartersPow2(int q) {
  return static_cast<int>((int64_t(q) * 661971961083LL - 274743187321LL) >> 41);
}
constexpr int FloorLog2Pow10(int e) { return static_cast<int>((int64_t(e) * 913124641741LL) >> 38); }

// For each biased exponent of a normal double (q = biased - 1075): k = floor(q log10 2), the
// power g(-k), and beta + 1 where beta = q + floor(log2 10^-k), 0 to 3.
struct ExponentRow {
  Pow10 g;
  int16_t k;
  uint8_t shift;
};
struct ExponentRows {
  ExponentRow rows[2047];
};
constexpr ExponentRows MakeExponentRows() {
  ExponentRows t{};
  for (int biased = 1; biased < 2047; ++biased) {
    const int q = biased - 1075;
    const int k = FloorLog10Pow2(q);
    t.rows[biased] = {kPow10[-k - kMinPow], static_cast<int16_t>(k), static_cast<uint8_t>(q + FloorLog2Pow10(-k) + 1)};
  }
  return t;
}
constexpr ExponentRows kExponentRows = MakeExponentRows();

// g * cp / 2^128 rounded to odd: its floor, with the last bit set when something was cut off.
// g exceeds the true power by less than one unit, which leaves a cut of at most 1 (of 2^64) where
// the exact product is whole: such a cut does not count.
uint64_t RoundToOdd(const Pow10& g, uint64_t cp) {
  const u128 x = u128(g.lo) * cp;
  const u128 y = u128(g.hi) * cp;
  const u128 z = (y & ~uint64_t(0)) + (x >> 64);
  const uint64_t whole = static_cast<uint64_t>(y >> 64) + static_cast<uint64_t>(z >> 64);
  const uint64_t cut = static_cast<uint64_t>(z);
  return whole | (cut > 1 ? 1 : 0);
}

constexpr uint64_t kPowersOf10[18] = {1ULL,
                                      10ULL,
                                      100ULL,
                                      1000ULL,
                                      10000ULL,
                                      100000ULL,
                                      1000000ULL,
                                      10000000ULL,
                                      100000000ULL,
                                      1000000000ULL,
                                      10000000000ULL,
                                      100000000000ULL,
                                      1000000000000ULL,
                                      10000000000000ULL,
                                      100000000000000ULL,
                                      1000000000000000ULL,
                                      10000000000000000ULL,
                                      100000000000000000ULL};

struct Decimal {
  uint64_t digits;
  int exponent;  // the value is digits * 10^exponent
};

// The shortest decimal in the rounding interval of c * 2^q, the closest one when several are
// (ties to an even last digit); the bounds belong to the interval when c is even. The method
// reads the interval's ends and the value scaled by 10^-k, each rounded to odd, where 10^k is
// about the interval's width: only the decimals of 10^(k+1) and of 10^k around the value are
// then candidates.
Decimal ToDecimal(uint64_t c, int q, bool lowerCloser) {
  const uint64_t out = c & 1;
  const uint64_t cb = c << 2;
  const uint64_t cbr = cb + 2;
  uint64_t cbl;
  int k;
  if (lowerCloser) {
    cbl = cb - 1;
    k = FloorLog10ThreeQuartersPow2(q);
  } else {
    cbl = cb - 2;
    k = FloorLog10Pow2(q);
  }
  const int h = q + FloorLog2Pow10(-k) + 1;
  const Pow10& g = kPow10[-k - kMinPow];
  const uint64_t vbl = RoundToOdd(g, cbl << h);
  const uint64_t vb = RoundToOdd(g, cb << h);
  const uint64_t vbr = RoundToOdd(g, cbr << h);
  const uint64_t lower = vbl + out;
  const uint64_t upper = vbr - out;
  const uint64_t s = vb >> 2;
  // Every candidate is worked out and the answer picked without branches: which one wins depends
  // on the value's last bits, which no branch predictor foresees.
  const uint64_t sp = s / 10;
  const bool upInside = lower <= 40 * sp;
  const bool wpInside = 40 * sp + 40 <= upper;
  const bool shorter = (s >= 10) & (upInside != wpInside);
  const bool uInside = lower <= 4 * s;
  const bool wInside = 4 * s + 4 <= upper;
  const uint64_t mid = 4 * s + 2;
  const bool up = (vb > mid) | ((vb == mid) & ((s & 1) != 0));
  const uint64_t closest = s + static_cast<uint64_t>(uInside != wInside ? wInside : up);
  return {shorter ? sp + static_cast<uint64_t>(wpInside) : closest, k + static_cast<int>(shorter)};
}

// Seventeen digits at most: scaled to exactly seventeen, with the exponent of the first.
struct Scaled {
  uint64_t digits;  // in [10^16, 10^17)
  int exponent;     // the value is digits * 10^(exponent - 16)
};

int DigitCount(uint64_t v) {
  // log10 from log2 (1233 / 4096 is just above log10 2), then one correction.
  const int t = ((64 - __builtin_clzll(v | 1)) * 1233) >> 12;
  return t + (v >= kPowersOf10[t] ? 1 : 0);
}

Scaled Seventeen(Decimal d) {
  const int length = DigitCount(d.digits);
  return {d.digits * kPowersOf10[17 - length], d.exponent + length - 1};
}

// The same decimal for the usual case, an interval as wide on both sides, from one product:
// the value w = c 2^q 10^-k with 64 bits after the point, beside the interval's half width h,
// 1/2 <= h < 5. The one multiple of 10 within h of w, if any, is the answer; else w rounded to
// the nearest whole number. Both computed quantities are within a unit of their last bit of the
// truth, so where w lies within two such units of a bound or of a half, the exact method decides:
// false then.
bool ToDecimalSymmetric(uint64_t c, int biased, Scaled& out) {
  // k, the shift and the power straight from the exponent bits: one load, where working them out
  // would hold up everything that follows.
  const ExponentRow& row = kExponentRows.rows[biased];
  const int k = row.k;
  const Pow10& g = row.g;
  const uint64_t cs = c << row.shift;
  const u128 w = u128(g.hi) * cs + ((u128(g.lo) * cs) >> 64);  // w * 2^64
  const uint64_t whole = static_cast<uint64_t>(w >> 64);
  const uint64_t frac = static_cast<uint64_t>(w);
  const uint64_t half = g.hi >> (5 - row.shift);  // h * 2^60
  const uint64_t tens = whole / 10;
  const uint64_t below = ((whole - 10 * tens) << 60) | (frac >> 4);  // w - 10 tens, * 2^60
  const uint64_t above = (uint64_t(10) << 60) - below;
  const bool nearBound = below - half + 2 <= 4 || above - half + 2 <= 4;
  const bool nearHalf = frac - (uint64_t(1) << 63) + 2 <= 4;
  if (__builtin_expect(nearBound | nearHalf, 0)) return false;
  // Picked without branches: which case holds depends on the value's last bits.
  const uint64_t highIn = above < half;
  const uint64_t shorter = (below < half) | highIn;
  const uint64_t rounded = whole + (frac >> 63);
  const uint64_t mask = uint64_t(0) - shorter;
  // w is at least c >= 2^52 and below 2^53 * 10: the answer has 15 to 17 digits.
  const uint64_t digits = rounded ^ ((rounded ^ (tens + highIn)) & mask);
  const uint64_t fewer = (digits < kPowersOf10[16]) + (digits < kPowersOf10[15]);
  out = {digits * kPowersOf10[fewer], k + static_cast<int>(shorter) + 16 - static_cast<int>(fewer)};
  return true;
}

const char kTwoDigits[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// The sixteen digits of hi * 10^8 + lo (each below 10^8), one per byte, valued 0 to 9, the
// first in the lowest byte. Each step splits every lane in two halves by a multiplication: ten
// thousands, hundreds, tens, all sixteen digits at once.
__m128i SixteenDigits(uint32_t hi, uint32_t lo) {
  const __m128i eights = _mm_set_epi64x(lo, hi);
  // x / 10^4 = x * 3518437209 >> 45 for x < 10^8.
  const __m128i q4 = _mm_srli_epi64(_mm_mul_epu32(eights, _mm_set1_epi64x(3518437209)), 45);
  const __m128i r4 = _mm_sub_epi64(eights, _mm_mul_epu32(q4, _mm_set1_epi64x(10000)));
  const __m128i fours = _mm_or_si128(q4, _mm_slli_epi64(r4, 32));
  // y / 100 = (y * 5243 >> 16) >> 3 for y < 10^4.
  const __m128i q2 = _mm_srli_epi16(_mm_mulhi_epu16(fours, _mm_set1_epi32(5243)), 3);
  const __m128i r2 = _mm_sub_epi16(fours, _mm_mullo_epi16(q2, _mm_set1_epi32(100)));
  const __m128i twos = _mm_or_si128(q2, _mm_slli_epi32(r2, 16));
  // w / 10 = w * 6554 >> 16 for w < 100.
  const __m128i q1 = _mm_mulhi_epu16(twos, _mm_set1_epi16(6554));
  const __m128i r1 = _mm_sub_epi16(twos, _mm_mullo_epi16(q1, _mm_set1_epi16(10)));
  return _mm_or_si128(q1, _mm_slli_epi16(r1, 8));
}

// The text by the exact method alone, or by the one-product decision where it can (every rarer
// case then goes on by a tail call, which leaves the usual one without a stack frame).
template <bool kExact>
char* Write(char* first, double v, bool& whole) {
  uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  const uint64_t fraction = bits & ((uint64_t(1) << 52) - 1);
  const int biased = static_cast<int>((bits >> 52) & 0x7FF);
  // Zero and subnormals are rare in data, inf and nan rarer: left to the library.
  if (biased == 0 || biased == 0x7FF) return LibraryText(first, v, whole);
  const uint64_t c = fraction | (uint64_t(1) << 52);
  // Scaled to seventeen digits, the first digit stands at one place whatever the count; the
  // digits after the first are in one register, written with whole-register stores.
  const bool lowerCloser = fraction == 0 && biased > 1;
  Scaled d;
  if (kExact)
    d = Seventeen(ToDecimal(c, biased - 1075, lowerCloser));
  else if (lowerCloser || !ToDecimalSymmetric(c, biased, d))
    return Write<true>(first, v, whole);
  const uint64_t scaled = d.digits;
  const uint64_t upper = scaled / 100000000;
  const char lead = static_cast<char>('0' + upper / 100000000);
  const __m128i raw = SixteenDigits(static_cast<uint32_t>(upper % 100000000), static_cast<uint32_t>(scaled % 100000000));
  const __m128i rest = _mm_add_epi8(raw, _mm_set1_epi8('0'));
  // Digits that are 0 at the end are not written.
  const unsigned zeroMask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(raw, _mm_setzero_si128())));
  const unsigned kept = ~zeroMask & 0xFFFF;
  const int n = kept == 0 ? 1 : 1 + (32 - __builtin_clz(kept));
  const int sciExponent = d.exponent;
  const int exponent = sciExponent - n + 1;  // of the last digit
  const int absSci = sciExponent < 0 ? -sciExponent : sciExponent;
  const int sciLength = n + (n > 1 ? 1 : 0) + 2 + (absSci >= 100 ? 3 : 2);
  int fixedLength;
  if (exponent >= 0)
    fixedLength = n + exponent;
  else if (sciExponent >= 0)
    fixedLength = n + 1;
  else
    fixedLength = n + 1 - sciExponent;
  // The sign without a branch: data mixes both signs at random.
  *first = '-';
  char* p = first + (bits >> 63);
  if (fixedLength <= sciLength) {
    if (exponent >= 0) {
      // Digits past the shortest ones of a large integer are the library's to choose.
      if (std::fabs(v) >= 9007199254740992.0) return LibraryText(first, v, whole);
      // Fewer than seventeen characters: the zeros after the digits are among the seventeen.
      p[0] = lead;
      _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 1), rest);
      whole = true;
      return p + n + exponent;
    }
    whole = false;
    if (sciExponent >= 0) {
      // The point after the first sciExponent + 1 digits (1 to 16): before it the digits as they
      // stand, after it each digit one place on. Picked byte by byte in the register, not moved through memory.
      const __m128i at = _mm_set1_epi8(static_cast<char>(sciExponent + 1));
      const __m128i place = _mm_setr_epi8(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
      const __m128i before = _mm_cmpgt_epi8(at, place);
      const __m128i point = _mm_cmpeq_epi8(at, place);
      const __m128i moved = _mm_or_si128(_mm_slli_si128(rest, 1), _mm_cvtsi32_si128(static_cast<unsigned char>(lead)));
      const __m128i text = _mm_or_si128(
          _mm_or_si128(_mm_and_si128(before, rest), _mm_andnot_si128(_mm_or_si128(before, point), moved)),
          _mm_and_si128(point, _mm_set1_epi8('.')));
      p[0] = lead;
      _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 1), text);
      p[17] = static_cast<char>(_mm_extract_epi16(rest, 7) >> 8);
      return p + n + 1;
    }
    const int zeros = -sciExponent - 1;  // at most 3, or the scientific form would be shorter
    std::memcpy(p, "0.000000", 8);
    p[2 + zeros] = lead;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 3 + zeros), rest);
    return p + 2 + zeros + n;
  }
  // d.ddde[+-]xx
  whole = false;
  p[0] = lead;
  if (n > 1) {
    p[1] = '.';
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 2), rest);
    p += n + 1;
  } else {
    p += 1;
  }
  *p++ = 'e';
  *p++ = sciExponent < 0 ? '-' : '+';
  if (absSci >= 100) {
    *p++ = static_cast<char>('0' + absSci / 100);
    std::memcpy(p, kTwoDigits + 2 * (absSci % 100), 2);
  } else {
    std::memcpy(p, kTwoDigits + 2 * absSci, 2);
  }
  return p + 2;
}

#endif

}  // namespace

std::to_chars_result ToCharsShortest(char* first, char* last, double v) {
  if (last - first < kShortestRoom) return std::to_chars(first, last, v);
  bool whole;
  return {WriteShortest(first, v, whole), std::errc()};
}

char* WriteShortest(char* first, double v, bool& whole) {
#if defined(__SSE2__)
  return Write<false>(first, v, whole);
#else
  return LibraryText(first, v, whole);
#endif
}

}  // namespace io
