#include "orvex/core/AString.h"

#include "RepTest.h"

TEST(AString, CompareNoCaseFoldsFixedTable) {
  struct Case { const wchar_t* a; const wchar_t* b; int sign; };
  const Case cases[] = {
      {L"VOUT", L"vout", 0}, {L"\u00C4", L"\u00E4", 0}, {L"\u00D7", L"\u00F7", -1},
      {L"a", L"b", -1},      {L"B", L"a", 1},          {L"abc", L"ABCD", -1},
      {L"\u0394", L"\u03B4", 0}, {L"\u0416", L"\u0436", 0}, {L"", L"", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(AString(c.a).ToUtf8() + " vs " + AString(c.b).ToUtf8());
    int r = AString(c.a).CompareNoCase(c.b);
    EXPECT_EQ(c.sign, (r > 0) - (r < 0));
  }
  EXPECT_TRUE(AString::NoCaseLess()(L"alpha", L"BETA"));
  EXPECT_FALSE(AString::NoCaseLess()(L"Alpha", L"alpha"));
}

TEST(AString, Utf8RoundTripKeepsEverything) {
  const AString s(std::wstring(L"a\0b\u00e9\u4e2d\U0001F600\"\n", 8));
  EXPECT_EQ(s, AString::FromUtf8(s.ToUtf8()));
  EXPECT_EQ(AString(L"a\uFFFDb"), AString::FromUtf8("a\xFF" "b"));
  EXPECT_EQ(AString(L"\uFFFD\uFFFD"), AString::FromUtf8("\xE4\xB8"));  // each byte of a cut sequence
}

TEST(AString, TokenizeKeepsEmptyPieces) {
  struct Case { const wchar_t* text; const wchar_t* delims; std::vector<AString> pieces; };
  const Case cases[] = {
      {L"[GHz]", L"[", {L"", L"GHz]"}}, {L"1,,3", L",", {L"1", L"", L"3"}},
      {L"abc", L",", {L"abc"}},         {L"", L",", {L""}},
      {L"a,", L",", {L"a", L""}},       {L"a b\tc", L" \t", {L"a", L"b", L"c"}},
  };
  for (const Case& c : cases) EXPECT_EQ(c.pieces, AString(c.text).TokenizeString(c.delims, false));
  EXPECT_EQ(std::vector<AString>({L"1", L"3"}), AString(L"1,,3").TokenizeString(L",", true));
}

TEST(AString, IsNumber) {
  struct Case { const wchar_t* text; bool ok; long value; };
  const Case cases[] = {{L"12", true, 12}, {L"-3", true, -3}, {L"+4", true, 4}, {L"1a", false, 0},
                        {L"", false, 0},   {L" 1", false, 0}, {L"-", false, 0},
                        {L"99999999999999999999", false, 0}};
  for (const Case& c : cases) {
    long v = 0;
    EXPECT_EQ(c.ok, AString(c.text).IsNumber(10, &v)) << AString(c.text).ToUtf8();
    if (c.ok) {
      EXPECT_EQ(c.value, v);
    }
  }
}

TEST(AString, TrimUsesWhitespace) {
  EXPECT_EQ(AString(L"a b"), AString(L" \t a b\r\n").Trimmed());
  EXPECT_EQ(AString(), AString(L"   ").Trimmed());
}

TEST(AString, FormatTakesEachArgumentByItsType) {
  long traceID = 12;
  EXPECT_EQ(AString(L"CoreCentUpd: TraceData[12] needs SolnID[3], VersID[4], instance [a=1]\n"),
            AString::Format(L"CoreCentUpd: TraceData[%d] needs SolnID[%d], VersID[%d], instance [%s]\n",
                            traceID, 3, 4L, AString(L"a=1")));
  EXPECT_EQ(AString(L"Y Component 2"), AString::Format(L"Y Component %d", 2u));
  EXPECT_EQ(AString(L"Freq=1GHz"), AString::Format(L"%s=%s", L"Freq", AString(L"1GHz")));
  EXPECT_EQ(AString(L"100% 1.50"), AString::Format(L"100%% %.2f", 1.5));
  EXPECT_EQ(AString(L"7"), AString::Format(L"%s", 7));
  EXPECT_SOFT_ASSERT("!\"format does not fit its argument\"");
}
