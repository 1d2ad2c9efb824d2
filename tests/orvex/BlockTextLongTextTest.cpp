// Long quoted texts (a column's values) through block files: the bulk paths of the reader and
// writer must give what the plain paths give, byte for byte and error for error.
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "RepTest.h"
#include "orvex/io/BlockFile.h"
#include "orvex/io/FileTokenStream.h"
#include "orvex/io/ShortestDouble.h"
#include "orvex/io/TokenStream.h"

using io::CBlock;
using io::CBlock_named_value;
using io::CBlock_value;

namespace {

// The same bytes read from a file (refilled 64 KiB at a time, long texts read ahead) and from
// memory (all at once): the same block, or the same error.
void ExpectFileReadsLikeText(const std::string& bytes) {
  reptest::TempDir dir;
  reptest::WriteFileBytes(dir.File("t.blk"), bytes);
  CBlock fromFile(L"Kept");
  AString fileError;
  const bool fileOk =
      io::ReadBlockFile(LongFileName(AString::FromUtf8(dir.File("t.blk"))), fromFile, &fileError) == io::kNoError;
  CBlock fromText(L"Kept");
  AString textError;
  io::CStringToken_istream in(bytes.data(), bytes.size());
  in >> fromText;
  if (!in.Fail() && !in.AtEndOfInput()) in.SetFail(L"text follows the end of block '" + fromText.GetName() + L"'");
  const bool textOk = !in.Fail();
  textError = in.ErrorText();
  ASSERT_EQ(textOk, fileOk) << fileError.ToUtf8() << " / " << textError.ToUtf8();
  if (textOk) {
    EXPECT_TRUE(fromFile == fromText);
  } else {
    EXPECT_EQ(textError.ToUtf8(), fileError.ToUtf8());
    EXPECT_EQ(L"Kept", fromFile.GetName()) << "a failed read keeps what was held";
  }
}

std::string Digits(size_t n) {
  std::string s;
  s.reserve(n);
  for (size_t i = 0; s.size() < n; ++i) s += std::to_string(i * 7919 % 100003) + (i % 5 ? " " : "\n");
  s.resize(n);
  return s;
}

// Reals as the writer makes them, separated by ", ", with `odd` in place of every 997th one.
std::string Reals(size_t n, const std::string& odd) {
  std::string s;
  for (size_t i = 0; i < n; ++i) {
    if (i) s += ", ";
    if (!odd.empty() && i % 997 == 500) {
      s += odd;
      continue;
    }
    char buf[64];
    const double v = std::sin(double(i)) * std::pow(10.0, double(i % 9) - 4);
    s.append(buf, io::ToCharsShortest(buf, buf + sizeof buf, v).ptr);
    if (s.find_first_of(".e", s.size() - 4) == std::string::npos) s += ".0";
  }
  return s;
}

}  // namespace

TEST(BlockTextLongText, FileReadsLikeMemoryAcrossRefills) {
  const size_t kLong = 200000;  // several refills
  struct Case {
    std::string text;
    const char* why;
  };
  const Case cases[] = {
      {"A {\n  V = \"" + Digits(kLong) + "\"\n  N = 3\n}\n", "plain ASCII with line ends inside"},
      {"A {\n  V = \"" + Digits(kLong) + "\\\"q\\\\\" W = \"x\"\n}\n", "escapes near the end"},
      {"A {\n  V = \"\\t" + Digits(kLong) + "\"\n}\n", "an escape at the start"},
      {"A {\n  V = \"" + Digits(65530) + "\\\"" + Digits(kLong) + "\"\n}\n", "an escaped quote at a refill"},
      {"A {\n  V = \"" + Digits(kLong) + "\xC3\xA4\"\n}\n", "a character past ASCII"},
      {"A {\n  V = \"" + Digits(kLong) + "\xC3\"\n}\n", "damaged UTF-8"},
      {"A {\n  V = \"" + Digits(kLong) + "\n}\n", "never closed"},
      {"A {\n  V = \"" + Digits(kLong) + "\\", "a backslash at the very end"},
      {"A {\n  V = \"" + Digits(kLong) + "\\q\"\n}\n", "an unknown escape"},
      {"A {\n  V = \"" + Digits(kLong) + "\"\n  W = \"" + Digits(kLong) + "\" }", "two in a row"},
      {"A {\n  V = \"" + Digits(kLong) + "\" X }\n", "damage after a long text names its line"},
      {"A {\n  F(\"" + Digits(kLong) + "\", 1)\n  L = [\"" + Digits(kLong) + "\"]\n}\n", "in a function and a list"},
      {"A {\n  V = \"" + Digits(kLong) + "\"\n}\nB { }\n", "text after the block"},
      {"A {\n  V = \"" + std::string(300, 'x') + "\"\n}\n", "just long enough"},
      {"A {\n  F(" + Reals(30000, "") + ")\n}\n", "a column of reals across refills"},
      {"A {\n  F(" + Reals(30000, "7") + ")\n}\n", "integers among them"},
      {"A {\n  F(" + Reals(30000, "+1.5") + ")\n}\n", "reals with a plus sign among them"},
      {"A {\n  F(" + Reals(30000, "\"t\"") + ", G(1.5, 2.5), k = 0.5)\n}\n", "texts and functions among them"},
      {"A {\n  F(" + Reals(30000, "1e400") + ")\n}\n", "a real out of range"},
      {"A {\n  F(" + Reals(30000, "2.5x") + ")\n}\n", "a malformed number"},
      {"A {\n  F(" + Reals(30000, "") + "\n}\n", "a column never closed"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    ExpectFileReadsLikeText(c.text);
  }
}

// What comes right after the closing quote, or right before it, is no part of the text: escapes
// and UTF-8 there, at every place of the quote within the reader's steps.
TEST(BlockTextLongText, BytesNextToTheClosingQuoteBelongToTheirOwnTokens) {
  for (size_t shift = 0; shift < 16; ++shift) {
    SCOPED_TRACE(shift);
    const std::string text = Digits(200000 + shift);
    ExpectFileReadsLikeText("A {\n  V = \"" + text + "\"W=\"\\\\\xC3\xA4\"\n}\n");
    ExpectFileReadsLikeText("A {\n  V = \"" + text + "\xC3\xA4\"W=\"x\"\n}\n");
    ExpectFileReadsLikeText("A {\n  V = \"" + text + "\\\\\"W=\"x\"\n}\n");
  }
}

TEST(BlockTextLongText, WriteReadWriteIsByteIdentical) {
  CBlock b(L"Top");
  b << CBlock_named_value(L"Ascii", CBlock_value::FromAscii(Digits(300000)));
  b << CBlock_named_value(L"Wide", CBlock_value(AString(L"\u00e4\"\\\n") + AString::FromUtf8(Digits(200000))));
  b << CBlock_named_value(L"Controls", CBlock_value::FromAscii(std::string("a\x01\x7F\"\\\t\r\nb") + Digits(100000)));
  reptest::TempDir dir;
  const LongFileName first(AString::FromUtf8(dir.File("1.blk")));
  const LongFileName second(AString::FromUtf8(dir.File("2.blk")));
  ASSERT_EQ(io::kNoError, io::WriteBlockFile(first, b));
  CBlock back;
  AString error;
  ASSERT_EQ(io::kNoError, io::ReadBlockFile(first, back, &error)) << error.ToUtf8();
  EXPECT_TRUE(back == b);
  ASSERT_EQ(io::kNoError, io::WriteBlockFile(second, back));
  const std::string bytes = reptest::ReadFileBytes(dir.File("1.blk"));
  EXPECT_EQ(bytes, reptest::ReadFileBytes(dir.File("2.blk")));
  // The file holds what the memory writer makes of the same block.
  EXPECT_EQ(io::BlockToText(b).ToUtf8(), bytes);
}

// Each ASCII byte at places of a long text: the file writer, which passes plain pieces through
// unescaped, writes what the writer of wide text makes, and the file reads back to the text.
TEST(BlockTextLongText, WritesEveryAsciiByteAsTheWideWriterDoes) {
  const size_t kLong = 70000;  // past one piece handed through
  reptest::TempDir dir;
  const LongFileName file(AString::FromUtf8(dir.File("b.blk")));
  for (size_t at : {size_t(0), size_t(15), size_t(200), size_t(16), size_t(63), size_t(64), size_t(65535), size_t(65536), kLong - 1}) {
    for (int c = 0; c < 128; ++c) {
      const bool special = c < 0x20 || c == '"' || c == '\\' || c == 0x7F || c == ' ' || c == '~';
      if (!special && at != 200) continue;  // every byte at one place, the telling ones everywhere
      std::string text = Digits(kLong);
      text[at] = static_cast<char>(c);
      CBlock b(L"T");
      b << CBlock_named_value(L"V", CBlock_value::FromAscii(std::string(text)));
      CBlock wide(L"T");
      wide << CBlock_named_value(L"V", CBlock_value(AString::FromUtf8(text)));
      ASSERT_EQ(io::kNoError, io::WriteBlockFile(file, b));
      ASSERT_EQ(io::BlockToText(wide).ToUtf8(), reptest::ReadFileBytes(dir.File("b.blk"))) << at << " " << c;
      CBlock back;
      ASSERT_EQ(io::kNoError, io::ReadBlockFile(file, back));
      ASSERT_TRUE(back == b) << at << " " << c;
    }
  }
}

// A text its maker knows to be plain is written as the same text checked byte by byte would be;
// one that is not (a maker's mistake) is caught in debug builds and still written escaped.
TEST(BlockValue, KnownPlainAsciiWritesAsCheckedAscii) {
  std::string plain = "base64:";
  const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  for (size_t i = 0; i < 70000; ++i) plain += kAlphabet[i * 7919 % 64];
  plain += "==";
  CBlock known(L"T"), checked(L"T");
  known << CBlock_named_value(L"V", CBlock_value::FromPlainAscii(io::BigString(plain.data(), plain.size())));
  checked << CBlock_named_value(L"V", CBlock_value::FromAscii(plain));
  EXPECT_EQ(io::BlockToText(checked).ToUtf8(), io::BlockToText(known).ToUtf8());
  EXPECT_TRUE(known == checked);
#ifndef NDEBUG
  const std::string quoted = "a\"b" + plain;
  CBlock wrong(L"T"), right(L"T");
  wrong << CBlock_named_value(L"V", CBlock_value::FromPlainAscii(io::BigString(quoted.data(), quoted.size())));
  EXPECT_SOFT_ASSERT("ascii7 && plain");
  right << CBlock_named_value(L"V", CBlock_value::FromAscii(quoted));
  EXPECT_EQ(io::BlockToText(right).ToUtf8(), io::BlockToText(wrong).ToUtf8());
#endif
}

TEST(BlockValue, AsciiTextIsTheSameValueAsItsWideText) {
  const CBlock_value ascii = CBlock_value::FromAscii("Values 1 2.5 nan");
  const CBlock_value wide(AString(L"Values 1 2.5 nan"));
  ASSERT_NE(nullptr, ascii.GetAscii());
  EXPECT_EQ(nullptr, wide.GetAscii());
  EXPECT_EQ(CBlock_value::kString, ascii.GetKind());
  EXPECT_TRUE(ascii == wide);
  EXPECT_TRUE(wide == ascii);
  EXPECT_FALSE(ascii == CBlock_value(AString(L"Values 1 2.5 na")));
  EXPECT_FALSE(ascii == CBlock_value::FromAscii("Values 1 2.5 nam"));
  EXPECT_EQ(wide.GetString(), ascii.GetString());
  AString queried;
  EXPECT_TRUE(ascii.Query(queried));
  EXPECT_EQ(wide.GetString(), queried);
  long notANumber = 7;
  EXPECT_FALSE(ascii.Query(notANumber));
  EXPECT_EQ(7, notANumber);

  CBlock_value copy = ascii;
  EXPECT_TRUE(copy == ascii);
  ASSERT_NE(nullptr, copy.GetAscii());
  CBlock_value moved = std::move(copy);
  EXPECT_TRUE(moved == wide);
  moved = CBlock_value(2.5);
  EXPECT_EQ(nullptr, moved.GetAscii());
  EXPECT_EQ(2.5, moved.GetReal());

  // Bytes past ASCII are UTF-8, held as wide text.
  const CBlock_value utf8 = CBlock_value::FromAscii("\xC3\xA4");
  EXPECT_EQ(nullptr, utf8.GetAscii());
  EXPECT_EQ(AString(L"\u00e4"), utf8.GetString());
}

// Whether an ASCII text needs escapes is known from the one pass that finds it ASCII: every byte
// at places in and around the steps of that pass, and in a text too short for them.
TEST(BlockValue, KnowsWhetherItsAsciiNeedsEscapes) {
  for (size_t size : {size_t(10), size_t(4096)}) {
    for (size_t at : {size_t(0), size_t(9), size_t(63), size_t(64), size_t(100), size_t(4032), size_t(4095)}) {
      if (at >= size) continue;
      for (int c = 0; c < 256; ++c) {
        std::string text(size, 'x');
        text[at] = static_cast<char>(c);
        const CBlock_value v = CBlock_value::FromAscii(text);
        if (c >= 0x80) {
          EXPECT_EQ(nullptr, v.GetAscii()) << size << " " << at << " " << c;
          EXPECT_FALSE(v.IsPlainAscii());
          continue;
        }
        ASSERT_NE(nullptr, v.GetAscii());
        const bool plain = c >= 0x20 && c < 0x7F && c != '"' && c != '\\';
        EXPECT_EQ(plain, v.IsPlainAscii()) << size << " " << at << " " << c;
        EXPECT_EQ(plain, CBlock_value(v).IsPlainAscii()) << "a copy knows it too";
      }
    }
  }
  EXPECT_FALSE(CBlock_value(AString(L"plain")).IsPlainAscii()) << "wide text is not kept as bytes";
}

// Texts of many megabytes have pages of their own; growing into them, copying, moving and
// swapping keep every byte.
TEST(BigString, KeepsItsBytesAcrossItsOwnPages) {
  io::BigString s;
  std::string expect;
  for (size_t i = 0; s.size() < (size_t(9) << 20); ++i) {
    const std::string piece = std::to_string(i * 7919) + ",";
    s += piece.c_str();
    expect += piece;
  }
  ASSERT_EQ(expect.size(), s.size());
  EXPECT_EQ(0, std::memcmp(expect.data(), s.data(), s.size()));
  io::BigString copy = s;
  EXPECT_TRUE(copy == s);
  io::BigString small = "small";
  small.swap(copy);
  EXPECT_EQ("small", std::string(copy.data(), copy.size()));
  EXPECT_TRUE(small == s);
  io::BigString moved = std::move(small);
  EXPECT_TRUE(moved == s);
  moved.resize(100);
  moved.shrink_to_fit();
  EXPECT_EQ(expect.substr(0, 100), std::string(moved.data(), moved.size()));
  const CBlock_value v = CBlock_value::FromAscii(std::move(s));
  ASSERT_NE(nullptr, v.GetAscii());
  EXPECT_EQ(expect.size(), v.GetAscii()->size());
  EXPECT_TRUE(v.IsPlainAscii());
}

TEST(ShortestDouble, WritesWhatTheLibraryWrites) {
  std::mt19937_64 rng(20261210);
  auto expectSame = [](double v) {
    char mine[64];
    char lib[64];
    const std::to_chars_result m = io::ToCharsShortest(mine, mine + sizeof mine, v);
    const std::to_chars_result l = std::to_chars(lib, lib + sizeof lib, v);
    ASSERT_EQ(std::string(lib, l.ptr), std::string(mine, m.ptr)) << v;
  };
  for (int i = 0; i < 200000; ++i) {
    const uint64_t bits = rng();
    double v;
    std::memcpy(&v, &bits, sizeof v);
    expectSame(v);
  }
  // Every binary exponent and its neighbours, decimal powers, short decimals, large integers.
  for (int e = -1074; e <= 1023; ++e) {
    const double p = std::ldexp(1.0, e);
    for (double v : {p, std::nextafter(p, 0.0), std::nextafter(p, HUGE_VAL), -p}) expectSame(v);
  }
  for (int e = -325; e <= 309; ++e) {
    const double p = std::pow(10.0, e);
    for (double v : {p, std::nextafter(p, 0.0), std::nextafter(p, HUGE_VAL)}) expectSame(v);
  }
  for (int i = 0; i < 20000; ++i)
    for (double v : {double(i), i / 10.0, i / 1000.0, i * 1e-7, i * 1e5, i * 1e17, 1.0 + 1e-4 * i}) expectSame(v);
  for (double v : {0.0, -0.0, 5e-324, 2.2250738585072014e-308, 1.7976931348623157e308, 9007199254740992.0,
                   9007199254740993.0, 1e23, std::numeric_limits<double>::infinity(),
                   -std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()})
    expectSame(v);
  // A short buffer answers as the library does.
  char small[4];
  const std::to_chars_result r = io::ToCharsShortest(small, small + sizeof small, 12345.5);
  EXPECT_EQ(std::errc::value_too_large, r.ec);
}
