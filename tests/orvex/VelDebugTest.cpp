#include "orvex/core/VelDebug.h"

#include "RepTest.h"

namespace {

std::vector<AString> g_own;
void OwnSink(const AString& text) { g_own.push_back(text); }

}  // namespace

TEST(VelDebug, QuotedFormatsGiveTheirText) {
  VelDebug::SetDebugLevel(3);
  const long traceID = 12, solnID = 3, versID = 4, designID = 1;
  const AString key = L"Freq=1GHz, L=2mm";
  struct Case { AString written; const wchar_t* expected; };
  auto line = [](auto&&... printfArgs) {
    orvex::test::DebugLines().clear();
    VelDebug::Printf(printfArgs...);
    return orvex::test::DebugLines().empty() ? AString(L"<nothing>") : orvex::test::DebugLines().back();
  };
  const Case cases[] = {
      {line(1, L"CoreCentUpd: Products calling OnNewSolution for DesignID[%d], SolID[%d], VersID[%d], MajorVV[%s] \n",
            designID, solnID, versID, key),
       L"CoreCentUpd: Products calling OnNewSolution for DesignID[1], SolID[3], VersID[4], MajorVV[Freq=1GHz, L=2mm] \n"},
      {line(1, L"CoreCentUpd: Info from Product: for DesignID[%d], SolnID[%d], VersID[%d]...", designID, solnID, versID),
       L"CoreCentUpd: Info from Product: for DesignID[1], SolnID[3], VersID[4]..."},
      {line(3, L"CoreCentUpd: TraceData[%d] needs SolnID[%d], VersID[%d], instance [%s]\n", traceID, solnID, versID, key),
       L"CoreCentUpd: TraceData[12] needs SolnID[3], VersID[4], instance [Freq=1GHz, L=2mm]\n"},
      {line(1, L"CoreCentUpd: TraceData[%d] calling PopulateQuantityValues on instance SolnID[%d], VersID[%d], MajorVV [%s] \n",
            traceID, solnID, versID, AString()),
       L"CoreCentUpd: TraceData[12] calling PopulateQuantityValues on instance SolnID[3], VersID[4], MajorVV [] \n"},
      {line(1, L"CoreCentUpd: Products calling SetQuantityValues for SolnID[%d], VersID[%d], MajorVV[%s], MinorVVExclPrimary[%s]\n",
            solnID, versID, key, AString(L"T=1")),
       L"CoreCentUpd: Products calling SetQuantityValues for SolnID[3], VersID[4], MajorVV[Freq=1GHz, L=2mm], MinorVVExclPrimary[T=1]\n"},
      {line(1, L"CoreCentUpd: SetQuantityValuesWithInterpolationOrders called for SolnID[%d], VersID[%d], MajorVV[%s], MinorVVExclPrimary[%s]\n",
            solnID, versID, key, AString()),
       L"CoreCentUpd: SetQuantityValuesWithInterpolationOrders called for SolnID[3], VersID[4], MajorVV[Freq=1GHz, L=2mm], MinorVVExclPrimary[]\n"},
      {line(1, L"\"%d - %d\" ", 7L, size_t(20)), L"\"7 - 20\" "},
      {line(1, L"[%s]", L"Freq"), L"[Freq]"},
      {line(1, L"\n\tCoreCentUpd: From Product: No major variables\n"), L"\n\tCoreCentUpd: From Product: No major variables\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(AString(c.expected), c.written);
}

TEST(VelDebug, LevelDecidesWhatIsWritten) {
  // Level 0 is off, even for a line of level 0; level 3 also writes the level-1 lines.
  struct Case { int level; std::vector<AString> written; };
  const Case cases[] = {
      {0, {}},
      {1, {L"zero\n", L"one\n"}},
      {2, {L"zero\n", L"one\n"}},
      {3, {L"zero\n", L"one\n", L"three\n"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.level);
    orvex::test::DebugLines().clear();
    VelDebug::SetDebugLevel(c.level);
    VelDebug::Printf(0, L"zero\n");
    VelDebug::Printf(1, L"one\n");
    VelDebug::Printf(3, L"three\n");
    EXPECT_EQ(c.written, orvex::test::DebugLines());
    EXPECT_EQ(c.level, VelDebug::GetDebugLevel());
  }
}

TEST(VelDebug, ArgumentsAreFormattedOnlyWhenWritten) {
  // A mismatch at level 0 goes unseen: nothing is formatted.
  VelDebug::Printf(1, L"%d", AString(L"text"));
  EXPECT_NO_SOFT_ASSERT();
  VelDebug::SetDebugLevel(1);
  VelDebug::Printf(1, L"%d", AString(L"text"));
  EXPECT_SOFT_ASSERT("!\"format does not fit its argument\"");
}

TEST(VelDebug, CategoriesCanBeSwitchedOff) {
  VelDebug::SetDebugLevel(1);
  const char* kVisitor = "PopulateTraceDataVisitor";
  const wchar_t* kLine = L"PopulateTraceDataVisitor::PopulateMinorPrimarySPS2ConnectivityUsingRegularAlgo\n";
  VelDebug::CategoryPrintf(kVisitor, 1, kLine);
  VelDebug::DisableCategory(kVisitor);
  VelDebug::CategoryPrintf(kVisitor, 1, kLine);
  VelDebug::CategoryPrintf("Other", 1, L"other\n");
  VelDebug::EnableCategory(kVisitor);
  VelDebug::CategoryPrintf(kVisitor, 3, kLine);  // above the level
  EXPECT_EQ((std::vector<AString>{kLine, L"other\n"}), orvex::test::DebugLines());
}

TEST(VelDebug, SinkCanBeReplaced) {
  VelDebug::SetDebugLevel(1);
  g_own.clear();
  VelDebug::Sink capture = VelDebug::SetSink(&OwnSink);
  VelDebug::Printf(1, L"to the host\n");
  EXPECT_EQ(std::vector<AString>{L"to the host\n"}, g_own);
  EXPECT_TRUE(orvex::test::DebugLines().empty());
  EXPECT_EQ(&OwnSink, VelDebug::SetSink(capture));
  VelDebug::Printf(1, L"captured\n");
  EXPECT_EQ(std::vector<AString>{L"captured\n"}, orvex::test::DebugLines());
}
