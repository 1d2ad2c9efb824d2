#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <string>

#include "RepTest.h"
#include "orvex/io/BlockFile.h"
#include "orvex/io/FileTokenStream.h"
#include "orvex/io/TokenStream.h"

using io::CBlock;
using io::CBlock_func;
using io::CBlock_named_value;
using io::CBlock_value;
using io::CBlock_vec;

namespace {

std::string WriteUtf8(const CBlock& b) {
  io::CStringToken_ostream out;
  out << b;
  return out.Utf8();
}

// Reads text that must hold one block; fails the test with the reader's message otherwise.
CBlock ReadOk(const std::string& utf8) {
  CBlock b;
  AString error;
  EXPECT_TRUE(io::BlockFromText(AString::FromUtf8(utf8), b, &error)) << error.ToUtf8();
  return b;
}

uint64_t Bits(double d) {
  uint64_t u;
  std::memcpy(&u, &d, sizeof u);
  return u;
}

AString Awkward() {
  static const wchar_t kText[] = L"a\0\"b\\\n\r\t\x01\x7f \u00e9\u4e2d\U0001F600}{#";
  return AString(kText, sizeof kText / sizeof kText[0] - 1);
}

// Every item kind, three levels deep, with awkward names and values.
CBlock RichTree() {
  CBlock top(L"Project");
  top << CBlock_named_value(L"Version", 3) << CBlock_named_value(L"", L"empty key");
  CBlock level1(L"with space");
  level1 << CBlock_named_value(L"quote\"key", Awkward())
         << CBlock_named_value(L"NaN", std::numeric_limits<double>::quiet_NaN())
         << CBlock_named_value(L"NegZero", -0.0) << CBlock_named_value(L"Tiny", 1e-308)
         << CBlock_named_value(L"true", false);
  CBlock level2(L"{braces}");
  CBlock_func f(L"Curves Info");
  f << 1u << L"x" << CBlock_named_value(L"k e y", 2.5) << (CBlock_func(L"Nested") << -7 << (CBlock_func(L"") << L""));
  level2 << f << (CBlock_vec(L"SurfNames") << AString(L"a,b") << AString(L"]") << 5u) << CBlock_vec(L"EmptyVec")
         << CBlock_func(L"NoArgs");
  CBlock level3(L"");
  level3 << CBlock_named_value(L"Deep", LONG_MIN);
  level2 << std::move(level3);
  level1 << std::move(level2);
  top << std::move(level1) << CBlock(L"EmptyBlock");
  CBlock_func values(L"Values");
  values.reserve(100000);
  for (int i = 0; i < 100000; ++i) values << (i * 0.37 - 5000.0) / 3.0;
  top << std::move(values);
  return top;
}

}  // namespace

TEST(BlockText, RoundTripThroughAFileKeepsEverything) {
  reptest::TempDir dir;
  const LongFileName file(AString::FromUtf8(dir.File("tree \u00e9.blk")));
  const CBlock tree = RichTree();
  ASSERT_EQ(0, io::WriteBlockFile(file, tree));
  CBlock read(L"Stale");
  read << CBlock_named_value(L"Old", 1);
  AString error;
  ASSERT_EQ(0, io::ReadBlockFile(file, read, &error)) << error.ToUtf8();
  EXPECT_TRUE(read == tree);

  const CBlock* level1 = read.FindBlock(L"with space");
  ASSERT_NE(nullptr, level1);
  AString awkward;
  EXPECT_TRUE(level1->FindNamedValue(L"quote\"key")->GetValue().Query(awkward));
  EXPECT_EQ(Awkward(), awkward);
  double negZero = 1;
  EXPECT_TRUE(level1->FindNamedValue(L"NegZero")->GetValue().Query(negZero));
  EXPECT_TRUE(std::signbit(negZero));
  EXPECT_EQ(100000u, read.FindFunc(L"Values")->GetNumArgs());

  // A second write of what was read gives the same bytes.
  EXPECT_EQ(reptest::ReadFileBytes(file.ToNarrow()), WriteUtf8(read));
}

TEST(BlockText, EveryValueKindRoundTripsExactly) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const CBlock_value values[] = {
      CBlock_value(0), CBlock_value(-12), CBlock_value(LONG_MAX), CBlock_value(LONG_MIN), CBlock_value(UINT_MAX),
      CBlock_value(0.0), CBlock_value(-0.0), CBlock_value(1.0), CBlock_value(-1.5), CBlock_value(0.1),
      CBlock_value(1.0 / 3.0), CBlock_value(1e16), CBlock_value(123456789012345678.0), CBlock_value(1e-308),
      CBlock_value(std::numeric_limits<double>::denorm_min()), CBlock_value(std::numeric_limits<double>::max()),
      CBlock_value(-std::numeric_limits<double>::min()), CBlock_value(inf), CBlock_value(-inf), CBlock_value(nan),
      CBlock_value(true), CBlock_value(false), CBlock_value(L""), CBlock_value(L"plain"), CBlock_value(Awkward()),
      CBlock_value(AString(1, wchar_t(0xD800))), CBlock_value(AString(1, wchar_t(0x110000))),
      CBlock_value(AString(1, wchar_t(-1))), CBlock_value(L"true"), CBlock_value(L"12"), CBlock_value(L"# not a comment"),
  };
  for (const CBlock_value& v : values) {
    CBlock b(L"B");
    b << CBlock_named_value(L"K", v) << (CBlock_func(L"F") << v << CBlock_named_value(L"N", v))
      << (CBlock_vec(L"V") << io::CToken::FromValue(v));
    const std::string text = WriteUtf8(b);
    SCOPED_TRACE(text);
    const CBlock read = ReadOk(text);
    ASSERT_EQ(3u, read.GetNumItems());
    const CBlock_value& back = read.FindNamedValue(L"K")->GetValue();
    EXPECT_EQ(v, back);
    EXPECT_EQ(v, *read.FindFunc(L"F")->GetUnnamedValue(0));
    EXPECT_EQ(v, read.FindFunc(L"F")->GetNamedValue(1)->GetValue());
    CBlock_value item;
    EXPECT_TRUE(read.FindVec(L"V")->GetItem(0).ToValue(item));
    EXPECT_EQ(v, item);
    if (v.GetKind() == CBlock_value::kReal && !std::isnan(v.GetReal())) {
      EXPECT_EQ(Bits(v.GetReal()), Bits(back.GetReal()));
    }
    EXPECT_EQ(text, WriteUtf8(read));
  }
}

TEST(BlockText, WritesTheDocumentedForm) {
  CBlock b(L"Report");
  b << CBlock_named_value(L"ID", 7) << CBlock_named_value(L"Scale", 2.0) << CBlock_named_value(L"Big", 1e300)
    << CBlock_named_value(L"Name", L"S(1,1)") << CBlock_named_value(L"Shown", true)
    << (CBlock(L"Trace 1") << (CBlock_func(L"CurvesInfo") << L"dB" << 1u << CBlock_named_value(L"Kind", 2)))
    << (CBlock_vec(L"SurfNames") << AString(L"a") << 3u);
  EXPECT_EQ(
      "Report {\n"
      "  ID = 7\n"
      "  Scale = 2.0\n"
      "  Big = 1e+300\n"
      "  Name = \"S(1,1)\"\n"
      "  Shown = true\n"
      "  \"Trace 1\" {\n"
      "    CurvesInfo(\"dB\", 1, Kind = 2)\n"
      "  }\n"
      "  SurfNames = [\"a\", 3]\n"
      "}\n",
      WriteUtf8(b));
}

// Plain arguments are written in runs of their own; the text must not change with them.
TEST(BlockText, FunctionArgumentsOfEveryKindInOneList) {
  CBlock b(L"B");
  CBlock_func f(L"F");
  f << 1.5 << 2L << true << -0.0 << 1e21 << L"a\"b" << 3.0 << CBlock_named_value(L"k", 0.25)
    << (CBlock_func(L"G") << 4.0 << false) << std::numeric_limits<double>::quiet_NaN() << -7L;
  b << std::move(f) << CBlock_func(L"Empty");
  EXPECT_EQ(
      "B {\n"
      "  F(1.5, 2, true, -0.0, 1e+21, \"a\\\"b\", 3.0, k = 0.25, G(4.0, false), nan, -7)\n"
      "  Empty()\n"
      "}\n",
      WriteUtf8(b));
  EXPECT_TRUE(ReadOk(WriteUtf8(b)) == b);
}

// A column's reals are gathered apart from the other plain arguments while read: every mix of
// them with other arguments must come back in its order.
TEST(BlockText, FunctionArgumentsKeepTheirOrderAroundRunsOfReals) {
  const char* const functions[] = {
      "F(1.5, 2.5, 3.5)",
      "F(1, 2.5, 3.5, 4, 5.5, 6.5)",
      "F(1.5, 2.5, k = 1, 3.5, 4.5)",
      "F(1.5, G(2.5, 3.5, H(4.5, 5.5), 6.5), 7.5, 8.5)",
      "F(\"a\", 1.5, 2.5, \"b\", 3.5, true, 4.5)",
      "F(1.5, nan, 2.5, -inf, 3.5, 1e+300, -0.0)",
      "F(G(1.5, 2.5), H(), 3.5, k = 4.5, 5.5, 6.5)",
      "F(k = 1.5, 2.5, 3.5)",
  };
  for (const char* f : functions) {
    const std::string text = std::string("B {\n  ") + f + "\n  After = 1.5\n}\n";
    SCOPED_TRACE(text);
    const CBlock read = ReadOk(text);
    EXPECT_EQ(text, WriteUtf8(read));
    EXPECT_EQ(1.5, read.FindNamedValue(L"After")->GetValue().GetReal());
  }
}

// Bytes given by address are read where they stand, up to their last byte and never past it
// (the memory sanitizer sees an overrun); bytes given as a string are the stream's own.
TEST(BlockText, ReadsTheCallersBytesInPlace) {
  struct Case {
    const char* text;
    const char* error;  // null: the text reads
  };
  const Case cases[] = {
      {"A { F(1.5, 2.5) K = 12 }", nullptr},
      {"A { K = 12", "line 1: block 'A' opened on line 1 is not closed"},
      {"A { F(1.5, 2.5", "line 1: function 'F' opened on line 1 is not closed"},
      {"A { F(1.5, 2.", "line 1: function 'F' opened on line 1 is not closed"},
      {"A { K = \"open", "line 1: text in quotes never closed"},
      {"A { K = -", "line 1: a value was expected, found '-'"},
      {"A { Name", "line 1: '{', '(' or '=' was expected after 'Name', found the end of the text"},
      {"A { }  ", nullptr},
      {"", "line 1: no block found"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const size_t n = std::strlen(c.text);
    std::unique_ptr<char[]> exact(new char[n]);  // no terminator after the text
    std::memcpy(exact.get(), c.text, n);
    io::CStringToken_istream inPlace(exact.get(), n);
    io::CStringToken_istream owning{std::string(c.text)};  // its argument is gone when it reads
    CBlock fromPlace;
    CBlock fromOwn;
    AString placeError;
    AString ownError;
    const bool placeOk = io::ReadSingleBlock(inPlace, fromPlace, &placeError);
    const bool ownOk = io::ReadSingleBlock(owning, fromOwn, &ownError);
    EXPECT_EQ(c.error == nullptr, placeOk);
    EXPECT_EQ(placeOk, ownOk);
    EXPECT_EQ(c.error ? c.error : "", placeError.ToUtf8());
    EXPECT_EQ(placeError, ownError);
    EXPECT_TRUE(fromPlace == fromOwn);
  }
}

namespace {

// Hands its text to the reader a few bytes a call: every token then meets the end of the buffer,
// where the reader leaves it to the lexer's general way.
class TrickleStream : public io::CAbstract_istream {
public:
  TrickleStream(std::string text, size_t step) : m_text(std::move(text)), m_step(step) {}

protected:
  size_t ReadBytes(char* dst, size_t max) override {
    const size_t n = std::min({max, m_step, m_text.size() - m_at});
    std::memcpy(dst, m_text.data() + m_at, n);
    m_at += n;
    return n;
  }

private:
  std::string m_text;
  size_t m_step;
  size_t m_at = 0;
};

}  // namespace

// The reader takes the common tokens straight from its buffer; wherever the buffer ends it reads
// the same tree, or fails with the same message.
TEST(BlockText, ReadsTheSameWhereverTheBufferEnds) {
  const std::string quoted255(255, 'q');
  const std::string quoted256(256, 'q');
  const std::string wide(200, '\xC3');  // damaged UTF-8: a lead byte without its follower
  std::string names = "Names {\n";
  for (int n = 1; n <= 24; ++n)
    names += "  " + std::string(size_t(n), char('a' + n)) + " = " + std::to_string(n * 37) + "\n  S" + std::to_string(n) +
             " = \"" + std::string(size_t(n), 'x') + "\"\n  F" + std::to_string(n) + "(" + std::to_string(n) + ".5)\n";
  names += "}\n";
  const std::string texts[] = {
      "Top {\n  Name = \"Plot\"\n  ID = 11\n  Neg = -42\n  Big = 123456789012345678\n  Bigger = -1234567890123456789\n"
      "  Sign = +7\n  Zero = -0\n  Flag = true\n  Sub {\n    Ctx(3, 0, 2, 0, 1.0, 1.0, 0.0, -0.5)\n    Empty()\n  }\n"
      "  V = [1, \"a\", 2.5]\n  R = 1.5e3\n  S = -.5\n  T = 1.\n}\n",
      names,
      "Top {\n  A = \"" + quoted255 + "\"\n  B = \"" + quoted256 + "\"\n  C = \"" + quoted256 + "q\"\n}\n",
      "Top {\n  A = \"caf\xC3\xA9\"\n  B = \"" + wide + "\"\n  C = \"two\nlines\"\n  D = \"tab\\there\"\n  E = \"\"\n}\n",
      "Top{A=1\tB=2\r\nC=3 # note\n\"quoted name\" { }\x0b D = 4\f}",
      "Top {\n  N = 99999999999999999999\n}\n",
      "Top {\n  N = 12abc\n}\n",
      "Top {\n  N = 1.2.3\n}\n",
      "Top {\n  N = 1e400\n}\n",
      "Top {\n  S = \"bad \\q\"\n}\n",
      "Top {\n  K = @\n}\n",
      "Top {\n  K = \"never closed\n}\n",
      "Top {\n  F(1, 2\n}\n",
      "Top {\n  Key 5\n}\n",
      "Top {\n  K = 1\n",
      "Top",
      "\xEF\xBB\xBFTop {\n  K = 1\n}\n",
  };
  for (const std::string& text : texts) {
    SCOPED_TRACE(text);
    io::CStringToken_istream inPlace(text.data(), text.size());
    CBlock fromPlace;
    AString placeError;
    const bool placeOk = io::ReadSingleBlock(inPlace, fromPlace, &placeError);
    for (size_t step : {1, 2, 3, 5, 7, 11, 64}) {
      SCOPED_TRACE(step);
      TrickleStream trickle(text, step);
      CBlock fromTrickle;
      AString trickleError;
      EXPECT_EQ(placeOk, io::ReadSingleBlock(trickle, fromTrickle, &trickleError));
      EXPECT_EQ(placeError.ToUtf8(), trickleError.ToUtf8());
      EXPECT_TRUE(fromPlace == fromTrickle);
      EXPECT_EQ(WriteUtf8(fromPlace), WriteUtf8(fromTrickle));
    }
  }
}

// Editors put a byte-order mark before the text of a project or clipboard they saved; only there
// is it no part of the text.
TEST(BlockText, ReadsPastALeadingByteOrderMark) {
  struct Case {
    std::string text;
    const char* error;  // null: reads as the text without its mark
  };
  const std::string mark = "\xEF\xBB\xBF";
  const Case cases[] = {
      {mark + "Top {\n  K = 1\n}\n", nullptr},
      {mark + "# saved by hand\nTop { K = 1 }", nullptr},
      {mark + "\"Top\" { K = 1 }", nullptr},
      {mark, "line 1: no block found"},
      {" " + mark + "Top { K = 1 }", "line 1: a block name was expected, found '\xEF\xBB\xBF'"},
      {"\xEF\xBBTop { K = 1 }", "line 1: a block name was expected, found '\xEF\xBF\xBD'"},  // half a mark
      {"Top { K = 1 }\n" + mark, "line 2: text follows the end of block 'Top'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    reptest::TempDir dir;
    reptest::WriteFileBytes(dir.File("t.blk"), c.text);
    CBlock fromFile, fromText, fromPlace;
    AString fileError, textError, placeError;
    const bool fileOk =
        io::ReadBlockFile(LongFileName(AString::FromUtf8(dir.File("t.blk"))), fromFile, &fileError) == io::kNoError;
    const bool textOk = io::BlockFromText(AString::FromUtf8(c.text), fromText, &textError);
    io::CStringToken_istream inPlace(c.text.data(), c.text.size());
    const bool placeOk = io::ReadSingleBlock(inPlace, fromPlace, &placeError);
    EXPECT_EQ(c.error ? c.error : "", fileError.ToUtf8());
    EXPECT_EQ(c.error ? c.error : "", textError.ToUtf8());
    EXPECT_EQ(c.error ? c.error : "", placeError.ToUtf8());
    EXPECT_EQ(c.error == nullptr, fileOk && textOk && placeOk);
    if (c.error) continue;
    const CBlock want = ReadOk(c.text.substr(mark.size()));
    EXPECT_TRUE(want == fromFile);
    EXPECT_TRUE(want == fromText);
    EXPECT_TRUE(want == fromPlace);
  }
  // Tokens read one by one start past the mark too.
  io::CStringToken_istream tokens(mark + "Top { }");
  EXPECT_TRUE(tokens.IsNextToken(L"Top"));
}

// Trees read one after the other take memory that earlier trees gave back; trees alive at once
// never share it.
TEST(BlockText, TreesReadInTurnKeepTheirOwnValues) {
  auto columnTree = [](double offset) {
    CBlock top(L"T");
    CBlock_func f(L"Values");
    for (int i = 0; i < 150000; ++i) f << offset + i * 0.25;
    top << std::move(f);
    return top;
  };
  const CBlock a = columnTree(1.0);
  const CBlock b = columnTree(-7.0);
  const std::string textA = WriteUtf8(a);
  const std::string textB = WriteUtf8(b);
  {
    const CBlock first = ReadOk(textA);
    EXPECT_TRUE(first == a);
  }
  const CBlock second = ReadOk(textB);
  const CBlock third = ReadOk(textA);
  EXPECT_TRUE(second == b);
  EXPECT_TRUE(third == a);
}

TEST(BlockText, ReaderTakesFreeLayoutCommentsAndCrlf) {
  const CBlock b = ReadOk(
      "# saved by hand\r\n"
      "Top{A=1 B = -2.5e3\r\n"
      "  F( 1 ,\"x\" , K=inf, G(), -nan ) # trailing comment\n"
      "  V=[ ] \"quoted name\" { } C = +4 D = -inf E = .5 }  \n\n# end\n");
  EXPECT_EQ(AString(L"Top"), b.GetName());
  ASSERT_EQ(8u, b.GetNumItems());
  double d = 0;
  EXPECT_TRUE(b.FindNamedValue(L"B")->GetValue().Query(d));
  EXPECT_EQ(-2500.0, d);
  const CBlock_func* f = b.FindFunc(L"F");
  ASSERT_EQ(5u, f->GetNumArgs());
  EXPECT_TRUE(std::isinf(f->GetNamedValue(2)->GetValue().GetReal()));
  EXPECT_EQ(0u, f->GetFunc(3)->GetNumArgs());
  EXPECT_TRUE(std::isnan(f->GetUnnamedValue(4)->GetReal()));
  EXPECT_EQ(0u, b.FindVec(L"V")->GetCount());
  EXPECT_NE(nullptr, b.FindBlock(L"quoted name"));
  EXPECT_EQ(CBlock_value(4), b.FindNamedValue(L"C")->GetValue());
  EXPECT_EQ(CBlock_value(-std::numeric_limits<double>::infinity()), b.FindNamedValue(L"D")->GetValue());
  EXPECT_EQ(CBlock_value(0.5), b.FindNamedValue(L"E")->GetValue());
}

TEST(BlockText, RejectsDamagedInputWithItsLine) {
  struct Case {
    const char* text;
    const char* error;
  };
  const Case cases[] = {
      {"", "line 1: no block found"},
      {"  # only a comment\n", "line 2: no block found"},
      {"A {\n", "line 2: block 'A' opened on line 1 is not closed"},
      {"A {\n  B {\n  }\n", "line 4: block 'A' opened on line 1 is not closed"},
      {"A {\n  Key =\n}\n", "line 3: a value was expected, found '}'"},
      {"A {\n  N = 99999999999999999999\n}\n", "line 2: integer out of range: 99999999999999999999"},
      {"A {\n  R = 1e400\n}\n", "line 2: number out of range: 1e400"},
      {"A {\n  R = 1.2.3\n}\n", "line 2: malformed number '1.2.3'"},
      {"A {\n  R = 12abc\n}\n", "line 2: malformed number '12abc'"},
      {"A {\n  S = \"never closed\n}\n", "line 2: text in quotes never closed"},
      {"A {\n  S = \"bad \\q escape\"\n}\n", "line 2: unknown escape '\\q' in quoted text"},
      {"A {\n  S = \"\\u{110000000}\"\n}\n", "line 2: malformed \\u{...} escape in quoted text"},
      {"A {\n  S = \"\\u{}\"\n}\n", "line 2: malformed \\u{...} escape in quoted text"},
      {"A {\n  W = maybe\n}\n", "line 2: a value was expected, found 'maybe'"},
      {"A {\n  F(1, 2\n}\n", "line 3: ',' or ')' was expected in function 'F', found '}'"},
      {"A {\n  F(1,\n", "line 3: function 'F' opened on line 2 is not closed"},
      {"A {\n  F(1,)\n}\n", "line 2: a value was expected, found ')'"},
      {"A {\n  F(x)\n}\n", "line 2: a value was expected, found 'x'"},
      {"A {\n  V = [1, 2\n}\n", "line 3: ',' or ']' was expected in list 'V', found '}'"},
      {"A {\n  V = [1,\n", "line 3: list 'V' opened on line 2 is not closed"},
      {"A {\n  Key 5\n}\n", "line 2: '{', '(' or '=' was expected after 'Key', found the number 5"},
      {"A {\n  = 5\n}\n", "line 2: an item name or '}' was expected, found '='"},
      {"A {\n  12 = 5\n}\n", "line 2: an item name or '}' was expected, found the number 12"},
      {"A {\n  K = @\n}\n", "line 2: a value was expected, found '@'"},
      {"A\n", "line 2: '{' was expected after block name 'A', found the end of the text"},
      {"{ }\n", "line 1: a block name was expected, found '{'"},
      {"A { }\nB { }\n", "line 2: text follows the end of block 'A'"},
      {"A { } }\n", "line 1: text follows the end of block 'A'"},
      {"A { K = \"\xE4\xB8\" X }", "line 1: '{', '(' or '=' was expected after 'X', found '}'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    CBlock b(L"Kept");
    b << CBlock_named_value(L"Old", 1);
    const CBlock before = b;
    AString error;
    EXPECT_FALSE(io::BlockFromText(AString::FromUtf8(c.text), b, &error));
    EXPECT_EQ(std::string(c.error), error.ToUtf8());
    EXPECT_TRUE(b == before) << "a failed read keeps what was held";
  }
}

TEST(BlockText, StreamReadOfDamagedTextFailsWithoutThrowing) {
  io::CStringToken_istream in(L"A {\n  K = ]\n}\n");
  CBlock b(L"Old");
  b << CBlock_named_value(L"Old", 1);
  EXPECT_NO_THROW(in >> b);
  EXPECT_TRUE(in.Fail());
  EXPECT_EQ(0u, b.GetNumItems()) << "the block is left empty";
  EXPECT_EQ(2, in.ErrorLine());
  EXPECT_EQ(AString(L"line 2: a value was expected, found ']'"), in.ErrorText());
  CBlock other(L"Other");
  other << CBlock_named_value(L"Stays", 1);
  in >> other;
  EXPECT_EQ(1u, other.GetNumItems()) << "a failed stream reads nothing";
}

TEST(BlockText, ErrorTextsEscapeControlBytesOfTheInput) {
  struct Case {
    std::string text;
    const char* error;
  };
  const Case cases[] = {
      {std::string("\"a\\u{0}b\" x"), "line 1: '{' was expected after block name 'a\\x00b', found 'x'"},
      {std::string("A {\n  K = \"\x01\x1f\x7f\\u{0}\"\n  \"t\tx\" 5\n}\n"),
       "line 3: '{', '(' or '=' was expected after 't\\x09x', found the number 5"},
      {std::string("A {\n  K = 1\0\n}\n", 14), "line 2: an item name or '}' was expected, found '\\x00'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.error);
    CBlock b(L"Kept");
    AString error;
    EXPECT_FALSE(io::BlockFromText(AString::FromUtf8(c.text), b, &error));
    EXPECT_EQ(std::string(c.error), error.ToUtf8());
  }
}

TEST(BlockText, NestingIsBoundedNotFatal) {
  for (int depth : {150, 5000}) {
    SCOPED_TRACE(depth);
    std::string blocks;
    std::string funcs = "A { F";
    for (int i = 0; i < depth; ++i) blocks += "B {\n";
    for (int i = 0; i < depth; ++i) blocks += "}\n";
    for (int i = 0; i < depth; ++i) funcs += "(G";
    funcs += "(1";
    for (int i = 0; i <= depth; ++i) funcs += ")";
    funcs += " }";
    CBlock b;
    AString error;
    EXPECT_EQ(depth < 200, io::BlockFromText(AString::FromUtf8(blocks), b, &error)) << error.ToUtf8();
    EXPECT_EQ(depth < 200, io::BlockFromText(AString::FromUtf8(funcs), b, &error)) << error.ToUtf8();
    if (depth >= 200) {
      EXPECT_NE(std::string::npos, error.ToUtf8().find("nested too deep"));
    }
  }
}

TEST(BlockText, FileErrors) {
  reptest::TempDir dir;
  CBlock b(L"Kept");
  AString error;
  EXPECT_EQ(2, io::ReadBlockFile(LongFileName(AString::FromUtf8(dir.File("missing.blk"))), b, &error));
  EXPECT_NE(std::string::npos, error.ToUtf8().find("cannot be opened"));
  EXPECT_EQ(AString(L"Kept"), b.GetName());

  reptest::WriteFileBytes(dir.File("bad.blk"), "A {\n  K = 1\n");
  EXPECT_EQ(1, io::ReadBlockFile(LongFileName(AString::FromUtf8(dir.File("bad.blk"))), b, &error));
  EXPECT_EQ(std::string("line 3: block 'A' opened on line 1 is not closed"), error.ToUtf8());
  EXPECT_EQ(AString(L"Kept"), b.GetName());

  EXPECT_EQ(io::kWriteFailed, io::WriteBlockFile(LongFileName(AString::FromUtf8(dir.File("no/such/dir.blk"))), b));
}

TEST(BlockText, TextHelpersRoundTrip) {
  const CBlock tree = RichTree();
  const AString text = io::BlockToText(tree);
  CBlock back;
  EXPECT_TRUE(io::BlockFromText(text, back, nullptr));
  EXPECT_TRUE(back == tree);
}
