#include "orvex/io/ShortestDouble.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>

namespace {

std::string Shortest(double v, bool* whole = nullptr) {
  char buf[io::kShortestRoom];
  bool w = false;
  const char* const end = io::WriteShortest(buf, v, w);
  if (whole) *whole = w;
  return std::string(static_cast<const char*>(buf), end);
}

std::string Library(double v) {
  char buf[64];
  return std::string(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
}

double FromBits(uint64_t bits) {
  double v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

TEST(ShortestDouble, WritesEachLayout) {
  struct Case {
    double value;
    const char* text;
    bool whole;
  };
  const Case cases[] = {
      {1.0, "1", true},
      {-2.5, "-2.5", false},
      {100.0, "100", true},
      {123456.0, "123456", true},
      {1e15, "1e+15", false},  // shorter than its sixteen digits
      {0.1, "0.1", false},
      {0.30000000000000004, "0.30000000000000004", false},  // seventeen digits
      {123.456, "123.456", false},
      {1234567890123.4568, "1234567890123.4568", false},  // point after thirteen digits
      {1234567890123456.8, "1234567890123456.8", false},  // point after sixteen: past the first register
      {123456789012345.67, "123456789012345.67", false},
      {999999999999999.9, "999999999999999.9", false},       // fifteen digits
      {0.0012345678901234567, "0.0012345678901234567", false},  // zeros, then seventeen digits
      {0.09999999999999999, "0.09999999999999999", false},
      {1.2345678901234567e200, "1.2345678901234567e+200", false},
      {0.001, "0.001", false},
      {0.000123, "0.000123", false},
      {1e-05, "1e-05", false},  // no longer in the fixed form
      {-1.5e-07, "-1.5e-07", false},
      {1e21, "1e+21", false},
      {1.2345678901234568e+17, "123456789012345680", true},  // fixed while no longer
      {6.02214076e+23, "6.02214076e+23", false},
      {9007199254740991.0, "9007199254740991", true},  // the largest integer of sixteen digits
      {9007199254740993.0, "9007199254740992", true},  // past 2^53 the library's digits
      {1e23, "1e+23", false},
      {1.7976931348623157e308, "1.7976931348623157e+308", false},
      {2.2250738585072014e-308, "2.2250738585072014e-308", false},  // smallest normal
      {5e-324, "5e-324", false},                                     // smallest subnormal
      {0.0, "0", true},
      {-0.0, "-0", true},
      {0.5, "0.5", false},   // a power of two whose interval is narrower below
      {1024.0, "1024", true},
      {std::ldexp(1.0, -20), "9.5367431640625e-07", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    bool whole = !c.whole;
    EXPECT_EQ(c.text, Shortest(c.value, &whole));
    EXPECT_EQ(c.whole, whole);
    EXPECT_EQ(Library(c.value), Shortest(c.value));
  }
}

// Doubles with a binary exponent near zero and few significant bits put the value or the ends
// of its interval exactly on, or a hair from, a decimal boundary or a half: the cases where the
// quick decision hands over to the exact one. Any bit pattern covers the rest.
TEST(ShortestDouble, AgreesWithTheLibrary) {
  std::mt19937_64 rng(20261211);
  for (int i = 0; i < 200000; ++i) {
    const uint64_t any = rng();
    uint64_t nearOne = (any & 0x800FFFFFFFFFFFFFull) | (uint64_t(1023 - 60 + rng() % 121) << 52);
    nearOne &= ~((uint64_t(1) << (rng() % 52)) - 1);
    for (double v : {FromBits(any), FromBits(nearOne)}) {
      const std::string lib = Library(v);
      ASSERT_EQ(lib, Shortest(v)) << lib;
    }
  }
  // The largest double below each power of two, and the power: the interval changes width there.
  for (int e = -1022; e <= 1023; ++e) {
    const double p = std::ldexp(1.0, e);
    for (double v : {p, std::nextafter(p, 0.0), p * 1.5}) ASSERT_EQ(Library(v), Shortest(v)) << Library(v);
  }
}

TEST(ShortestDouble, TextWithoutPointOrExponentIsWhole) {
  for (double v : {HUGE_VAL, -HUGE_VAL, std::nan("")}) {
    bool whole = false;
    EXPECT_EQ(Library(v), Shortest(v, &whole));
    EXPECT_TRUE(whole);
  }
  bool whole = true;
  Shortest(1e300, &whole);
  EXPECT_FALSE(whole);
  Shortest(1e16, &whole);  // past 2^53, left to the library: "1e+16"
  EXPECT_FALSE(whole);
}

}  // namespace
