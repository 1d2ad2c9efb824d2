#include "orvex/io/ShortestDouble.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace io {

namespace {

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
int FloorLog10Pow2(int q) { return static_cast<int>((int64_t(q) * 661971961083LL) >> 41); }
int FloorLog10ThreeQuartersPow2(int q) {
  return static_cast<int>((int64_t(q) * 661971961083LL - 274743187321LL) >> 41);
}
int FloorLog2Pow10(int e) { return static_cast<int>((int64_t(e) * 913124641741LL) >> 38); }

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

const char kTwoDigits[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

constexpr uint64_t kPowersOf10[20] = {1ULL,
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
                                      100000000000000000ULL,
                                      1000000000000000000ULL,
                                      10000000000000000000ULL};

int DigitCount(uint64_t v) {
  // log10 from log2 (1233 / 4096 is just above log10 2), then one correction.
  const int t = ((64 - __builtin_clzll(v | 1)) * 1233) >> 12;
  return t + (v >= kPowersOf10[t] ? 1 : 0);
}

// Exactly eight digits of v < 10^8 at p: four independent pairs.
void WriteEight(char* p, uint32_t v) {
  const uint32_t high = v / 10000;
  const uint32_t low = v % 10000;
  std::memcpy(p, kTwoDigits + 2 * (high / 100), 2);
  std::memcpy(p + 2, kTwoDigits + 2 * (high % 100), 2);
  std::memcpy(p + 4, kTwoDigits + 2 * (low / 100), 2);
  std::memcpy(p + 6, kTwoDigits + 2 * (low % 100), 2);
}

// The digits of v, ending just before `end`; answers where they start. Up to 7 bytes before
// that are written too.
char* WriteDigits(char* end, uint64_t v) {
  if (v >= 100000000) {
    uint64_t upper = v / 100000000;
    WriteEight(end - 8, static_cast<uint32_t>(v % 100000000));
    end -= 8;
    if (upper >= 100000000) {
      WriteEight(end - 8, static_cast<uint32_t>(upper % 100000000));
      end -= 8;
      upper /= 100000000;
    }
    v = upper;
  }
  WriteEight(end - 8, static_cast<uint32_t>(v));
  return end - DigitCount(v);
}

}  // namespace

std::to_chars_result ToCharsShortest(char* first, char* last, double v) {
  // Room for the longest form ("-2.2250738585072014e-308") and for the whole-block copies below.
  if (last - first < 64 || !std::isfinite(v)) return std::to_chars(first, last, v);
  uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  const uint64_t fraction = bits & ((uint64_t(1) << 52) - 1);
  const int biased = static_cast<int>((bits >> 52) & 0x7FF);
  // Zero and subnormals are rare in data: left to the library.
  if (biased == 0) return std::to_chars(first, last, v);
  const Decimal d = ToDecimal(fraction | (uint64_t(1) << 52), biased - 1075, fraction == 0 && biased > 1);
  // The digits in a block of zeros that is copied whole: fixed-size copies cost no call. The
  // trailing zeros come off as characters, cheaper than by division.
  char block[64];
  std::memset(block, '0', sizeof block);
  const char* const digits = WriteDigits(block + 24, d.digits);
  const char* end = block + 24;
  // Eight zeros at a time first: the digits of a short decimal end in many. The first digit is
  // no zero, so no step passes it.
  for (uint64_t eight; std::memcpy(&eight, end - 8, 8), eight == 0x3030303030303030ULL;) end -= 8;
  while (end[-1] == '0') --end;
  const int n = static_cast<int>(end - digits);
  const int exponent = d.exponent + static_cast<int>(block + 24 - end);
  const int sciExponent = exponent + n - 1;
  const int absSci = sciExponent < 0 ? -sciExponent : sciExponent;
  const int sciLength = n + (n > 1 ? 1 : 0) + 2 + (absSci >= 100 ? 3 : 2);
  int fixedLength;
  if (exponent >= 0)
    fixedLength = n + exponent;
  else if (sciExponent >= 0)
    fixedLength = n + 1;
  else
    fixedLength = n + 1 - sciExponent;
  char* p = first;
  if (bits >> 63) *p++ = '-';
  if (fixedLength <= sciLength) {
    if (exponent >= 0) {
      // Digits past the shortest ones of a large integer are the library's to choose.
      if (std::fabs(v) >= 9007199254740992.0) return std::to_chars(first, last, v);
      // Fixed is chosen only while it is no longer than the scientific form, so the zeros after
      // the digits (at most five) are in the block.
      std::memcpy(p, digits, 24);
      return {p + n + exponent, std::errc()};
    }
    if (sciExponent >= 0) {
      const int whole = sciExponent + 1;
      std::memcpy(p, digits, 24);
      p[whole] = '.';
      std::memcpy(p + whole + 1, digits + whole, 24);
      return {p + n + 1, std::errc()};
    }
    const int zeros = -sciExponent - 1;  // at most 3, or the scientific form would be shorter
    std::memset(p, '0', 8);
    p[1] = '.';
    std::memcpy(p + 2 + zeros, digits, 24);
    return {p + 2 + zeros + n, std::errc()};
  }
  // d.ddde[+-]xx
  p[0] = digits[0];
  if (n > 1) {
    p[1] = '.';
    std::memcpy(p + 2, digits + 1, 24);
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
  return {p + 2, std::errc()};
}

}  // namespace io
