#include <climits>
#include <vector>

#include "RepTest.h"
#include "orvex/io/NamedValue.h"
#include "orvex/io/NamedValueVectors.h"

using io::CBlock;
using io::CBlock_named_value;
using io::CBlock_value;
using io::NamedValue;

namespace {

template <class T>
void ExpectBlockRoundTrip(const T& value) {
  CBlock b(L"B");
  T v = value;
  b << NamedValue(L"Key", v);
  T back{};
  b >> NamedValue(L"Key", back);
  EXPECT_TRUE(b.Found());
  EXPECT_EQ(value, back);
}

}  // namespace

TEST(NamedValue, EveryTypeRoundTripsThroughABlock) {
  ExpectBlockRoundTrip<long>(LONG_MIN);
  ExpectBlockRoundTrip<AString>(AString(L"Expr \"x\"\n"));
  ExpectBlockRoundTrip<bool>(true);
  ExpectBlockRoundTrip<unsigned int>(UINT_MAX);
  ExpectBlockRoundTrip<double>(-0.125);
  ExpectBlockRoundTrip<int>(INT_MIN);

  CBlock b(L"B");
  b << NamedValue(L"A", 1L) << NamedValue(L"B", L"text") << NamedValue(L"C", 2.5);
  long a = 0;
  AString s;
  double c = 0;
  b >> NamedValue(L"A", a) >> NamedValue(L"B", s) >> NamedValue(L"C", c);
  EXPECT_EQ(1, a);
  EXPECT_EQ(AString(L"text"), s);
  EXPECT_EQ(2.5, c);
  EXPECT_EQ(CBlock_value::kString, b.FindNamedValue(L"B")->GetValue().GetKind());
}

TEST(NamedValue, FoundFlagTellsPresenceAndConversion) {
  CBlock b(L"B");
  b << CBlock_named_value(L"Text", L"abc") << CBlock_named_value(L"Big", long(INT_MAX) + 1);
  long l = 9;
  b >> NamedValue(L"Text", l);
  EXPECT_FALSE(b.Found()) << "\"abc\" does not convert to long although the key is present";
  EXPECT_EQ(9, l);
  int i = 3;
  b >> NamedValue(L"Big", i);
  EXPECT_FALSE(b.Found());
  EXPECT_EQ(3, i);
  b >> NamedValue(L"Missing", l);
  EXPECT_FALSE(b.Found());
  EXPECT_EQ(9, l) << "a missing key keeps the default";
  long big = 0;
  b >> NamedValue(L"Big", big);
  EXPECT_TRUE(b.Found());
  EXPECT_EQ(long(INT_MAX) + 1, big);

  // Write-only: nothing is stored, the flag is what the lookup left.
  const long constant = 5;
  b >> NamedValue(L"Big", constant);
  EXPECT_TRUE(b.Found());
  b >> NamedValue(L"Text", constant);
  EXPECT_TRUE(b.Found()) << "present, and a write-only read converts nothing";
}

TEST(NamedValue, WriteTakesTheValueWhenMade) {
  long v = 1;
  auto manip = NamedValue(L"Key", v);
  v = 2;
  CBlock b(L"B");
  b << manip;
  long back = 0;
  b >> NamedValue(L"Key", back);
  EXPECT_EQ(1, back);
  EXPECT_EQ(&v, manip.GetTarget());
  EXPECT_EQ(nullptr, NamedValue(L"Key", 3L).GetTarget());
}

TEST(NamedValue, StreamWriteAndRead) {
  io::CStringToken_ostream out;
  long id = 12;
  out << NamedValue(L"ReportID", id) << NamedValue(L"Name", L"S 11") << NamedValue(L"Ratio", 0.5);
  EXPECT_EQ("ReportID = 12\nName = \"S 11\"\nRatio = 0.5\n", out.Utf8());

  io::CStringToken_istream in(out.Text());
  long idBack = 0;
  AString name;
  double ratio = 0;
  in >> NamedValue(L"ReportID", idBack) >> NamedValue(L"Name", name) >> NamedValue(L"Ratio", ratio);
  EXPECT_FALSE(in.Fail());
  EXPECT_EQ(12, idBack);
  EXPECT_EQ(AString(L"S 11"), name);
  EXPECT_EQ(0.5, ratio);
}

TEST(NamedValue, FailedStreamReadLeavesTheStreamBeforeTheKey) {
  struct Case {
    const wchar_t* text;
    const wchar_t* firstWord;
    const char* why;
  };
  const Case cases[] = {
      {L"Other = 5", L"Other", "another key"},
      {L"Key 5", L"Key", "no '=' after the key"},
      {L"Key = \"abc\"", L"Key", "a value that does not convert"},
      {L"Key = 1.5", L"Key", "a real is no long"},
      {L"Key = }", L"Key", "no value: the value read throws"},
      {L"Key =", L"Key", "nothing after '='"},
      {L"Key = \"open", L"Key", "a damaged value token"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    io::CStringToken_istream in(c.text);
    long v = 7;
    in >> NamedValue(L"Key", v);
    EXPECT_TRUE(in.Fail());
    EXPECT_EQ(7, v);
    in.ClearFail();
    EXPECT_TRUE(in.IsNextToken(c.firstWord)) << "the stream is before the key again";
    if (AString(c.text).find(L'=') == AString::npos) continue;
    io::CToken key, eq;
    ASSERT_TRUE(in.ReadToken(key));
    ASSERT_TRUE(in.ReadToken(eq));
    EXPECT_TRUE(eq.IsPunct(L'=')) << "the '=' went back too";
  }

  // After ClearFail the same key reads, with a type that fits.
  io::CStringToken_istream in(L"Key = \"abc\" Next = 1");
  long l = 0;
  in >> NamedValue(L"Key", l);
  ASSERT_TRUE(in.Fail());
  in.ClearFail();
  AString s;
  long next = 0;
  in >> NamedValue(L"Key", s) >> NamedValue(L"Next", next);
  EXPECT_FALSE(in.Fail());
  EXPECT_EQ(AString(L"abc"), s);
  EXPECT_EQ(1, next);
}

TEST(NamedValue, WriteOnlyStreamReadComparesWithTheCapturedValue) {
  io::CStringToken_istream in(L"SimValueCacheVersionID = 1.0 SimValueCacheVersionID = 2.0");
  in >> NamedValue(L"SimValueCacheVersionID", 1.0);
  EXPECT_FALSE(in.Fail());
  in >> NamedValue(L"SimValueCacheVersionID", 1.0);
  EXPECT_TRUE(in.Fail());
  in.ClearFail();
  double v = 0;
  in >> NamedValue(L"SimValueCacheVersionID", v);
  EXPECT_EQ(2.0, v);
}

TEST(NamedValueVectors, RoundTripAndPartialConversion) {
  CBlock b(L"Trace");
  std::vector<unsigned> ids = {3, 0, 4000000000u};
  std::vector<AString> names = {L"a", L"", L"c, d"};
  EXPECT_EQ(0, io::DoDataExchange(b, false, L"SurfsInfo", ids, io::kReturnCode));
  EXPECT_EQ(0, io::DoDataExchange(b, false, L"SurfNames", names, io::kReturnCode));
  ASSERT_NE(nullptr, b.FindVec(L"SurfsInfo"));
  std::vector<unsigned> idsBack = {99};
  std::vector<AString> namesBack;
  EXPECT_EQ(0, io::DoDataExchange(b, true, L"SurfsInfo", idsBack, io::kReturnCode));
  EXPECT_EQ(0, io::DoDataExchange(b, true, L"SurfNames", namesBack, io::kReturnCode));
  EXPECT_EQ(ids, idsBack);
  EXPECT_EQ(names, namesBack);

  // The second of three items does not convert.
  CBlock mixed(L"Mixed");
  mixed << (io::CBlock_vec(L"V") << 1u << AString(L"two") << 3u);
  std::vector<unsigned> out = {7, 7, 7, 7};
  EXPECT_EQ(1, io::DoDataExchange(mixed, true, L"V", out, io::kReturnCode));
  EXPECT_EQ(std::vector<unsigned>({1, 3}), out);
  std::vector<AString> texts;
  EXPECT_EQ(1, io::DoDataExchange(mixed, true, L"V", texts, io::kReturnCode));
  EXPECT_EQ(std::vector<AString>({L"two"}), texts);
}

TEST(NamedValueVectors, AbsentKey) {
  CBlock b(L"B");
  b << CBlock_named_value(L"V", 1);  // a named value is no vector item
  std::vector<unsigned> kept = {5, 6};
  EXPECT_EQ(2, io::DoDataExchange(b, true, L"V", kept, io::kReturnCode));
  EXPECT_EQ(std::vector<unsigned>({5, 6}), kept);
  std::vector<AString> texts = {L"x"};
  try {
    io::DoDataExchange(b, true, L"V", texts, io::kThrowCode);
    ADD_FAILURE() << "request 1 throws";
  } catch (const io::ReadErrorException& e) {
    EXPECT_EQ(2, e.code);
  }
  EXPECT_EQ(std::vector<AString>({L"x"}), texts);
}
