#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "RepTest.h"
#include "orvex/io/DoublesBase64.h"

namespace {

double FromBits(uint64_t bits) {
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}

uint64_t Bits(double d) {
  uint64_t bits;
  std::memcpy(&bits, &d, sizeof bits);
  return bits;
}

std::string Encode(const std::vector<double>& v) {
  std::string s;
  io::AppendDoublesBase64(s, v.data(), v.size());
  return s;
}

}  // namespace

// Every bit comes back, whatever the value, at every length (each length of padding).
TEST(DoublesBase64, RoundTripsEveryBit) {
  const double kSpecials[] = {
      0.0, -0.0, 1.0, -1.0, 0.1, 1.0 / 3.0,
      std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
      std::numeric_limits<double>::quiet_NaN(),
      FromBits(0x7FF0000000000001ull),  // signalling NaN, smallest payload
      FromBits(0xFFF8DEADBEEF0123ull),  // negative quiet NaN with a payload
      std::numeric_limits<double>::denorm_min(), -std::numeric_limits<double>::denorm_min(),
      FromBits(0x000FFFFFFFFFFFFFull),  // largest subnormal
      std::numeric_limits<double>::min(), std::numeric_limits<double>::max(), -std::numeric_limits<double>::max(),
      FromBits(0xFFFFFFFFFFFFFFFFull), FromBits(0x00000000000000FFull)};
  const size_t n = sizeof kSpecials / sizeof kSpecials[0];
  for (size_t count = 0; count <= n; ++count) {
    SCOPED_TRACE(count);
    const std::vector<double> values(kSpecials, kSpecials + count);
    const std::string text = Encode(values);
    EXPECT_EQ((count * 8 + 2) / 3 * 4, text.size());
    std::vector<double> back = {42.0};  // what the reader appends to stays
    AString error;
    ASSERT_TRUE(io::ReadDoublesBase64(text.data(), text.data() + text.size(), back, error)) << error.ToUtf8();
    ASSERT_EQ(count + 1, back.size());
    EXPECT_EQ(42.0, back[0]);
    for (size_t i = 0; i < count; ++i) EXPECT_EQ(Bits(values[i]), Bits(back[i + 1])) << i;
  }
  // Long enough for the bulk path, with every byte value in every position.
  std::vector<double> many;
  for (uint64_t i = 0; i < 5000; ++i) many.push_back(FromBits(i * 0x0101010101010101ull + (i << 56) + i * 7919));
  const std::string text = Encode(many);
  std::vector<double> back;
  AString error;
  ASSERT_TRUE(io::ReadDoublesBase64(text.data(), text.data() + text.size(), back, error));
  ASSERT_EQ(many.size(), back.size());
  for (size_t i = 0; i < many.size(); ++i) ASSERT_EQ(Bits(many[i]), Bits(back[i])) << i;
}

// The stored form is fixed: little-endian IEEE-754 bytes, the RFC 4648 alphabet, '=' padding.
TEST(DoublesBase64, WritesTheLittleEndianBytes) {
  EXPECT_EQ("AAAAAAAA8D8=", Encode({1.0}));
  EXPECT_EQ("AAAAAAAAAIAAAAAAAADw/w==", Encode({-0.0, -std::numeric_limits<double>::infinity()}));
  EXPECT_EQ("AQAAAAAAAAD///////////////////8P", Encode({FromBits(1), FromBits(~0ull), FromBits(0x0FFFFFFFFFFFFFFFull)}));
}

TEST(DoublesBase64, RejectsDamagedText) {
  struct Case {
    const char* why;
    std::string text;
    const wchar_t* error;
  };
  const Case cases[] = {
      {"cut inside a group", "AAAAAAAA8D8", L"base64 text of 11 characters is cut short: not whole groups of four"},
      {"cut at a group", "AAAAAAAA", L"base64 text holds 6 bytes, not a whole number of doubles"},
      {"one group", "AAAA", L"base64 text holds 3 bytes, not a whole number of doubles"},
      {"a character outside the alphabet", "AAAA*AAA8D8=", L"base64 text has a character outside its alphabet at 5"},
      {"padding inside", "AAAA=AAA8D8=", L"base64 text has a character outside its alphabet at 5"},
      {"a blank", "AAAAAAA 8D8=", L"base64 text has a character outside its alphabet at 8"},
      {"past ASCII", "AAAAAAAA\xC3\xA9" "8=", L"base64 text has a character outside its alphabet at 9"},
      {"a NUL", std::string(20, 'A') + '\0' + std::string(11, 'A'),
       L"base64 text has a character outside its alphabet at 21"},
      {"damage in the bulk", std::string(4000, 'A') + "-" + std::string(3999, 'A'),
       L"base64 text has a character outside its alphabet at 4001"},
      {"stray bits before one '='", "AAAAAAAA8D9=", L"base64 text ends in stray bits"},
      {"stray bits before two '='", "AAAAAAAAAIAAAAAAAADw/x==", L"base64 text ends in stray bits"},
      {"three '='", "AAAAAAAAAIAAAAAAAADw/===", L"base64 text has a character outside its alphabet at 22"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    std::vector<double> out = {1.5, 2.5};
    AString error;
    EXPECT_FALSE(io::ReadDoublesBase64(c.text.data(), c.text.data() + c.text.size(), out, error));
    EXPECT_EQ(AString(c.error), error);
    EXPECT_EQ((std::vector<double>{1.5, 2.5}), out);  // nothing half read is left behind
  }
}

// Every byte value at places of the bulk and of the tail: the alphabet reads, anything else is
// found where it stands, and what follows it does not hide it.
TEST(DoublesBase64, FindsEveryByteOutsideTheAlphabet) {
  const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  const size_t kChars = 4096;  // 3072 bytes, 384 doubles
  for (size_t at : {size_t(0), size_t(31), size_t(32), size_t(1234), size_t(4063), kChars - 1}) {
    for (int c = 0; c < 256; ++c) {
      if (c == '=' && at == kChars - 1) continue;  // padding there, not a stray character
      std::string text(kChars, 'A');
      text[at] = static_cast<char>(c);
      const bool inAlphabet = alphabet.find(static_cast<char>(c)) != std::string::npos;
      std::vector<double> out;
      AString error;
      const bool ok = io::ReadDoublesBase64(text.data(), text.data() + text.size(), out, error);
      if (inAlphabet) {
        ASSERT_TRUE(ok) << at << " " << c << " " << error.ToUtf8();
        ASSERT_EQ(kChars / 4 * 3 / 8, out.size());
        // The character's six bits land where it stands.
        const auto* bytes = reinterpret_cast<const unsigned char*>(out.data());
        const size_t bit = at * 6, byte = bit / 8;
        const unsigned pair = unsigned(bytes[byte]) << 8 | (byte + 1 < kChars / 4 * 3 ? bytes[byte + 1] : 0u);
        EXPECT_EQ(alphabet.find(static_cast<char>(c)), (pair >> (10 - bit % 8)) & 63) << at << " " << c;
      } else {
        ASSERT_FALSE(ok) << at << " " << c;
        EXPECT_EQ(AString::Format(L"base64 text has a character outside its alphabet at %u", at + 1), error)
            << at << " " << c;
        EXPECT_TRUE(out.empty());
      }
    }
  }
}

// Lengths around every way through the encoder and decoder: bulk, pairs of groups, single groups
// and padding, each next to the others.
TEST(DoublesBase64, RoundTripsAtEveryLengthAroundThePieces) {
  std::vector<double> values;
  for (uint64_t i = 0; i < 800; ++i) values.push_back(FromBits(i * 0x9E3779B97F4A7C15ull));
  for (size_t count : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 383, 384, 385, 511, 512, 513, 767, 768, 769, 800}) {
    SCOPED_TRACE(count);
    const std::vector<double> part(values.begin(), values.begin() + count);
    const std::string text = Encode(part);
    // Each character from the same three bytes as a plain encoding takes them.
    const auto* bytes = reinterpret_cast<const unsigned char*>(part.data());
    const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (size_t g = 0; g + 3 <= count * 8; g += 3) {
      const unsigned v = unsigned(bytes[g]) << 16 | unsigned(bytes[g + 1]) << 8 | bytes[g + 2];
      const std::string expect = {alphabet[v >> 18], alphabet[v >> 12 & 63], alphabet[v >> 6 & 63], alphabet[v & 63]};
      ASSERT_EQ(expect, text.substr(g / 3 * 4, 4)) << g;
    }
    std::vector<double> back;
    AString error;
    ASSERT_TRUE(io::ReadDoublesBase64(text.data(), text.data() + text.size(), back, error)) << error.ToUtf8();
    ASSERT_EQ(count, back.size());
    for (size_t i = 0; i < count; ++i) ASSERT_EQ(Bits(part[i]), Bits(back[i])) << i;
  }
}
