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
constexpr int kMinPow = -293;
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

// For each biased exponent of a normal double (q = biased - 1075), with k = floor(q log10 2):
// the power that scales the value to a tenth of c 2^q 10^-k, which gives its tens and the rest at
// once, with the shift of c that goes with it; k; and the interval's half width on the scale of
// the rest. The power is g(-k-1) / 16, rounded up: c then need not shift right.
struct ExponentRow {
  Pow10 g;
  uint64_t half;
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
    const int shift = q + FloorLog2Pow10(-k) + 1;  // 0 to 3
    const Pow10& g = kPow10[-k - kMinPow];
    const Pow10& tenth = kPow10[-k - 1 - kMinPow];
    const u128 scaled = ((u128(tenth.hi) << 64 | tenth.lo) >> 4) + 1;
    t.rows[biased] = {{static_cast<uint64_t>(scaled >> 64), static_cast<uint64_t>(scaled)}, g.hi >> (5 - shift),
                      static_cast<int16_t>(k), static_cast<uint8_t>(q + FloorLog2Pow10(-k - 1) + 5)};
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

// Seventeen digits, the last ones possibly 0: the first sixteen as a number, then the last.
struct Digits {
  uint64_t first16;  // in [10^15, 10^16)
  uint64_t last;     // 0 to 9
  int exponent;      // of the first digit
};

int DigitCount(uint64_t v) {
  // log10 from log2 (1233 / 4096 is just above log10 2), then one correction.
  const int t = ((64 - __builtin_clzll(v | 1)) * 1233) >> 12;
  return t + (v >= kPowersOf10[t] ? 1 : 0);
}

Digits Seventeen(Decimal d) {
  const int length = DigitCount(d.digits);
  const uint64_t scaled = d.digits * kPowersOf10[17 - length];
  return {scaled / 10, scaled % 10, d.exponent + length - 1};
}

// The same decimal for the usual case, an interval as wide on both sides, from one product:
// the value w = c 2^q 10^-k, as its tens and the rest, beside the interval's half width h,
// 1/2 <= h < 5. The one multiple of 10 within h of w, if any, is the answer; else w rounded to
// the nearest whole number. Where w lies too near a bound or a half for the product's precision
// to tell, the exact method decides: false then.
bool ToDecimalSymmetric(uint64_t c, int biased, Digits& out) {
  // k, the shift and the power straight from the exponent bits: one load, where working them out
  // would hold up everything that follows.
  const ExponentRow& row = kExponentRows.rows[biased];
  const int k = row.k;
  const Pow10& g = row.g;
  const uint64_t cs = c << row.shift;
  const u128 t = u128(g.hi) * cs + ((u128(g.lo) * cs) >> 64);  // w / 10 * 2^64
  const uint64_t tens = static_cast<uint64_t>(t >> 64);
  const uint64_t half = row.half;  // h * 2^60
  // The rest, 10 times the tenth's fraction, is within 8 units of its last bit of the truth: the
  // exact method decides where the value lies within 16 units of a bound or of a half.
  const uint64_t below = (static_cast<uint64_t>(t) >> 3) * 5;  // w - 10 tens, * 2^60
  const uint64_t above = (uint64_t(10) << 60) - below;
  const uint64_t last = below >> 60;
  const uint64_t frac = below << 4;  // of w, * 2^64
  const bool nearBound = below - half + 16 <= 32 || above - half + 16 <= 32;
  const bool nearHalf = frac - (uint64_t(1) << 63) + 256 <= 512;
  if (__builtin_expect(nearBound | nearHalf, 0)) return false;
  // Picked without branches: which case holds depends on the value's last bits. Either answer is
  // tens plus a carry, then one more digit or none: a shorter answer is the longer one with a
  // last digit 0.
  const uint64_t highIn = above < half;
  const uint64_t longer = uint64_t((below < half) | highIn) - 1;  // all ones when not shorter
  const uint64_t rounded = last + (frac >> 63);                  // 0 to 10
  const uint64_t ten = rounded == 10;
  const uint64_t x = tens + (((ten ^ highIn) & longer) ^ highIn);
  const uint64_t lastDigit = (rounded - 10 * ten) & longer;
  // w is at least c >= 2^52 and below 2^53 * 10: x has 15 or 16 digits.
  const uint64_t fifteen = uint64_t(0) - (x < kPowersOf10[15]);
  out = {x + ((9 * x + lastDigit) & fifteen), lastDigit & ~fifteen, k + 16 + static_cast<int>(fifteen)};
  return true;
}

// The exponent text ("e+15", "e-07", "e+308") of every exponent a double's first digit can have,
// padded to eight bytes so that one store writes it.
constexpr int kMinExponent = -330;
constexpr int kMaxExponent = 330;
struct ExponentText {
  char text[7];
  uint8_t length;
};
struct ExponentTexts {
  ExponentText rows[kMaxExponent - kMinExponent + 1];
};
constexpr ExponentTexts MakeExponentTexts() {
  ExponentTexts t{};
  for (int e = kMinExponent; e <= kMaxExponent; ++e) {
    ExponentText& r = t.rows[e - kMinExponent];
    const int a = e < 0 ? -e : e;
    int i = 0;
    r.text[i++] = 'e';
    r.text[i++] = e < 0 ? '-' : '+';
    if (a >= 100) r.text[i++] = static_cast<char>('0' + a / 100);
    r.text[i++] = static_cast<char>('0' + a / 10 % 10);
    r.text[i++] = static_cast<char>('0' + a % 10);
    r.length = static_cast<uint8_t>(i);
  }
  return t;
}
constexpr ExponentTexts kExponentTexts = MakeExponentTexts();

// Where the digits go in the first sixteen characters of a text with a point, by the exponent
// e of the first digit, -4 to 15: the digits kept in place (before the point, or all of them
// when "0." and zeros come first), the digits moved one place on (after the point), the point.
constexpr int kMinPointExponent = -4;
constexpr int kMaxPointExponent = 15;
struct alignas(16) PointRow {
  uint8_t keep[16];
  uint8_t move[16];
  uint8_t dot[16];
};
struct PointRows {
  PointRow rows[kMaxPointExponent - kMinPointExponent + 1];
};
constexpr PointRows MakePointRows() {
  PointRows t{};
  for (int e = kMinPointExponent; e <= kMaxPointExponent; ++e) {
    PointRow& r = t.rows[e - kMinPointExponent];
    for (int j = 0; j < 16; ++j) {
      r.keep[j] = e < 0 || j <= e ? 0xFF : 0;
      r.move[j] = e >= 0 && j >= e + 2 ? 0xFF : 0;
      r.dot[j] = e >= 0 && j == e + 1 ? '.' : 0;
    }
  }
  return t;
}
constexpr PointRows kPointRows = MakePointRows();

// The first sixteen characters of the text from the digits by a row.
__m128i PointText(const PointRow& row, __m128i digits) {
  const __m128i keep = _mm_and_si128(_mm_load_si128(reinterpret_cast<const __m128i*>(row.keep)), digits);
  const __m128i move = _mm_and_si128(_mm_load_si128(reinterpret_cast<const __m128i*>(row.move)), _mm_slli_si128(digits, 1));
  return _mm_or_si128(_mm_or_si128(keep, move), _mm_load_si128(reinterpret_cast<const __m128i*>(row.dot)));
}

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
char* WriteExact(char* first, double v, bool& whole);

template <bool kExact>
char* Write(char* first, double v, bool& whole) {
  uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  const uint64_t fraction = bits & ((uint64_t(1) << 52) - 1);
  const int biased = static_cast<int>((bits >> 52) & 0x7FF);
  const uint64_t c = fraction | (uint64_t(1) << 52);
  Digits d;
  if (kExact) {
    // Zero and subnormals are rare in data, inf and nan rarer: left to the library.
    if (biased == 0 || biased == 0x7FF) return LibraryText(first, v, whole);
    d = Seventeen(ToDecimal(c, biased - 1075, fraction == 0 && biased > 1));
  } else if (fraction == 0 || static_cast<unsigned>(biased - 1) >= 0x7FE || !ToDecimalSymmetric(c, biased, d)) {
    // Also powers of two, whose interval is narrower below.
    return WriteExact(first, v, whole);
  }
  // The seventeen digits stand at fixed places, one per byte, whatever their count: the text is
  // made from whole registers, and only where it ends depends on the count.
  const uint64_t upper = d.first16 / 100000000;
  const __m128i raw = SixteenDigits(static_cast<uint32_t>(upper), static_cast<uint32_t>(d.first16 - upper * 100000000));
  const __m128i digits = _mm_add_epi8(raw, _mm_set1_epi8('0'));
  const uint64_t last = d.last;
  const char lastChar = static_cast<char>('0' + last);
  // Digits that are 0 at the end are not written.
  const unsigned zeroMask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(raw, _mm_setzero_si128())));
  const unsigned kept = (~zeroMask & 0xFFFF) | (last != 0 ? 0x10000u : 0u);
  const int n = 32 - __builtin_clz(kept);
  const int e = d.exponent;
  // The sign without a branch: data mixes both signs at random.
  *first = '-';
  char* p = first + (bits >> 63);
  const int oneDigit = n == 1;
  if (static_cast<unsigned>(e + 4 - oneDigit) <= static_cast<unsigned>(n + 2 - oneDigit)) {
    // A point among the digits, or "0." and up to three zeros before them: the scientific form
    // would be longer. Both without a branch, as values either side of 1 come mixed in data.
    whole = false;
    const __m128i text = PointText(kPointRows.rows[e - kMinPointExponent], digits);
    // Masks rather than choices, which the compiler would make branches.
    const int small = e >> 31;  // all ones below 1
    const int digit15 = _mm_extract_epi16(digits, 7) >> 8;
    const int afterText = digit15 ^ ((digit15 ^ '.') & -(e == 15));
    std::memcpy(p, "0.000000", 8);
    char* const q = p + ((1 - e) & small);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(q), text);
    q[16] = static_cast<char>(afterText ^ ((afterText ^ lastChar) & small));
    q[17] = lastChar;
    return q + n + 1 + small;
  }
  if (e >= n - 1 && e + 1 <= n + (n > 1) + 4) {
    // Digits past the shortest ones of a large integer are the library's to choose.
    if (std::fabs(v) >= 9007199254740992.0) return LibraryText(first, v, whole);
    // Seventeen characters at most: the zeros after the digits are among the seventeen.
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), digits);
    p[16] = lastChar;
    whole = true;
    return p + e + 1;
  }
  // d.ddde[+-]xx; a single digit has no point, which the exponent then covers.
  whole = false;
  _mm_storeu_si128(reinterpret_cast<__m128i*>(p), PointText(kPointRows.rows[-kMinPointExponent], digits));
  p[16] = static_cast<char>(_mm_extract_epi16(digits, 7) >> 8);
  p[17] = lastChar;
  p += n + (n > 1);
  const ExponentText& x = kExponentTexts.rows[e - kMinExponent];
  std::memcpy(p, x.text, 8);
  return p + x.length;
}

// Out of line, which leaves the usual case fewer registers to save.
__attribute__((noinline)) char* WriteExact(char* first, double v, bool& whole) { return Write<true>(first, v, whole); }

#endif

}  // namespace

std::to_chars_result ToCharsShortest(char* first, char* last, double v) {
  if (last - first < kShortestRoom) return std::to_chars(first, last, v);
  bool whole;
#if defined(__SSE2__)
  return {Write<false>(first, v, whole), std::errc()};
#else
  return {LibraryText(first, v, whole), std::errc()};
#endif
}

char* WriteShortest(char* first, double v, bool& whole) {
#if defined(__SSE2__)
  return Write<false>(first, v, whole);
#else
  return LibraryText(first, v, whole);
#endif
}

}  // namespace io
