#include "tracedata/CommonTraceData.h"

#include "reports/GravikUtils.h"
#include "RepTest.h"
#include "reports/ReportManager.h"
#include "StoredTraceFixture.h"
#include "orvex/core/Ids.h"
#include "orvex/io/NamedValue.h"

namespace {

using reptest::DoubleColumnOf;
using reptest::SameColumn;

class CommonTraceDataTest : public reptest::StoredTraceFixture {
protected:
  std::unique_ptr<rep::CommonTraceData> MakeHeader() {
    auto header = std::make_unique<rep::CommonTraceData>(Mgr(), m_traceID);
    header->SetTraceName(L"Stored");
    header->GetCurveData().SetCurveInfo(0, 2, L"a=1");
    header->GetCurveData().SetCurveInfo(1, 3, L"a=2");
    header->SetPrimarySweepColumn(DoubleColumnOf({1, 2, 1, 2, 3}).release());
    header->SetPrimarySweepName(L"Freq");
    header->SetTraceTypeToEnforce(true, 6);
    return header;
  }

  io::CBlock Written(rep::CommonTraceData& header) {
    io::CBlock block(L"Header");
    EXPECT_EQ(0, header.DoDataExchange(block, false));
    return block;
  }

  static std::string Curves(const rep::CommonTraceData& header) {
    std::string out;
    const TraceCurveData& curves = header.GetCurveData();
    for (unsigned i = 0; i < curves.GetNumCurves(); ++i)
      out += std::to_string(curves.GetNumPointsInCurve(i)) + "@" + std::to_string(curves.GetCurveStartIndex(i)) + " " +
             curves.GetCurveName(i).ToUtf8() + ";";
    return out;
  }
};

}  // namespace

TEST_F(CommonTraceDataTest, HeaderRoundTrip) {
  std::unique_ptr<rep::CommonTraceData> header = MakeHeader();
  io::CBlock block = Written(*header);
  rep::CommonTraceData read(Mgr(), id::invalidID);
  EXPECT_EQ(0, read.DoDataExchange(block, true));
  EXPECT_EQ(m_traceID, read.GetTraceDefID());
  EXPECT_EQ(L"Stored", read.GetTraceName());
  EXPECT_EQ("2@0 a=1;3@2 a=2;", Curves(read));
  EXPECT_TRUE(SameColumn(header->GetPrimarySweepColumn(), read.GetPrimarySweepColumn()));
  EXPECT_EQ(L"Freq", read.GetPrimarySweepName());
  unsigned type = 0;
  EXPECT_TRUE(read.GetTraceTypeToEnforce(type));
  EXPECT_EQ(6u, type);
  EXPECT_EQ(1, read.GetVersionIDOfData());
  EXPECT_EQ(1, read.GetCurrentSolutionContextVersionID());
}

TEST_F(CommonTraceDataTest, EmptyNameIsNotWrittenAndTheDefinitionNameAnswers) {
  std::unique_ptr<rep::CommonTraceData> header = MakeHeader();
  header->SetTraceName(AString());
  io::CBlock block = Written(*header);
  EXPECT_EQ(nullptr, block.FindNamedValue(L"TraceName"));
  rep::CommonTraceData read(Mgr(), id::invalidID);
  EXPECT_EQ(0, read.DoDataExchange(block, true));
  EXPECT_EQ(L"S11", read.GetTraceName());
  Trace().SetName(L"Renamed");
  EXPECT_EQ(L"Renamed", read.GetTraceName());
}

TEST_F(CommonTraceDataTest, WithoutPrimarySweepNoSubBlockAndNoError) {
  std::unique_ptr<rep::CommonTraceData> header = MakeHeader();
  header->SetPrimarySweepColumn(nullptr);
  io::CBlock block = Written(*header);
  EXPECT_EQ(nullptr, block.FindBlock(L"PrimarySweepInfo"));
  rep::CommonTraceData read(Mgr(), id::invalidID);
  EXPECT_EQ(0, read.DoDataExchange(block, true));
  EXPECT_EQ(nullptr, read.GetPrimarySweepColumn());
  EXPECT_EQ(AString(), read.GetPrimarySweepName());
  EXPECT_EQ("2@0 a=1;3@2 a=2;", Curves(read));
}

TEST_F(CommonTraceDataTest, DamagedHeadersReadAsMinusOne) {
  std::unique_ptr<rep::CommonTraceData> header = MakeHeader();
  const io::CBlock good = Written(*header);
  auto without = [&good](const wchar_t* name) {
    io::CBlock out(good.GetName());
    for (size_t i = 0; i < good.GetNumItems(); ++i) {
      if (good.GetItemName(i) == name) continue;
      if (const io::CBlock* b = good.GetBlock(i)) out << *b;
      if (const io::CBlock_named_value* v = good.GetNamedValue(i)) out << *v;
    }
    return out;
  };
  io::CBlock noName = without(L"PrimarySweepInfo");
  {
    io::CBlock info(L"PrimarySweepInfo");
    rep::WriteColumnToBlock(info, header->GetPrimarySweepColumn(), L"PrimarySweepCol");
    noName << info;
  }
  io::CBlock noColumn = without(L"PrimarySweepInfo");
  {
    io::CBlock info(L"PrimarySweepInfo");
    info << io::NamedValue(L"PrimarySweepName", AString(L"Freq"));
    noColumn << info;
  }
  io::CBlock damagedColumn = without(L"PrimarySweepInfo");
  {
    io::CBlock info(L"PrimarySweepInfo");
    info << io::NamedValue(L"PrimarySweepName", AString(L"Freq"));
    io::CBlock column(L"PrimarySweepCol");
    column << io::CBlock_named_value(L"ColumnType", io::CBlock_value(1));  // no count, no values
    damagedColumn << (info << column);
  }
  io::CBlock shortSweep = without(L"PrimarySweepInfo");
  {
    io::CBlock info(L"PrimarySweepInfo");
    info << io::NamedValue(L"PrimarySweepName", AString(L"Freq"));
    rep::WriteColumnToBlock(info, DoubleColumnOf({1, 2, 3}).get(), L"PrimarySweepCol");
    shortSweep << info;
  }
  struct Case {
    const char* why;
    io::CBlock block;
    std::string curves;
    bool hasColumn;
    const char* assertion;
  };
  Case cases[] = {
      {"primary sweep without name", noName, "2@0 a=1;3@2 a=2;", true, "!\"Primary block exists, but no name?!\""},
      {"primary sweep without column", noColumn, "2@0 a=1;3@2 a=2;", false, nullptr},
      {"primary sweep column that cannot be made", damagedColumn, "2@0 a=1;3@2 a=2;", false, "col"},
      {"curves beyond the primary sweep", shortSweep, "2@0 a=1;", true, nullptr},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.why);
    rep::CommonTraceData read(Mgr(), id::invalidID);
    EXPECT_EQ(io::kMissingBlock, read.DoDataExchange(c.block, true));
    EXPECT_EQ(c.curves, Curves(read));
    EXPECT_EQ(c.hasColumn, read.GetPrimarySweepColumn() != nullptr);
    unsigned type = 0;
    EXPECT_TRUE(read.GetTraceTypeToEnforce(type)) << "reading goes on to the end";
    if (c.assertion) {
      EXPECT_SOFT_ASSERT(c.assertion);
    }
    EXPECT_NO_SOFT_ASSERT();
  }

  // Without curves reading stops at once: what follows is not read.
  io::CBlock noCurves = without(L"CurvesInfo");
  rep::CommonTraceData read(Mgr(), id::invalidID);
  read.SetTraceTypeToEnforce(false, 2);
  EXPECT_EQ(io::kMissingBlock, read.DoDataExchange(noCurves, true));
  unsigned type = 0;
  EXPECT_FALSE(read.GetTraceTypeToEnforce(type));
  EXPECT_EQ(2u, type);

  // Without a primary sweep the curves are still checked against each other, whatever ends them.
  io::CBlock overlapping(L"Header");
  {
    io::CBlock curves(L"CurvesInfo");
    io::CBlock_func first(L"0"), second(L"1"), misnumbered(L"5");
    first << AString(L"a") << 2u << 0u;
    second << AString(L"b") << 3u << 1u;
    misnumbered << AString(L"c") << 1u << 5u;
    curves << first << second << misnumbered;
    overlapping << io::NamedValue(L"TraceDefID", m_traceID) << curves;
  }
  rep::CommonTraceData overlaps(Mgr(), id::invalidID);
  EXPECT_EQ(io::kMissingBlock, overlaps.DoDataExchange(overlapping, true));
  EXPECT_EQ("2@0 a;", Curves(overlaps));

  // A missing type keeps the one held.
  io::CBlock noType = without(L"TraceTypeToEnforce");
  rep::CommonTraceData keeps(Mgr(), id::invalidID);
  keeps.SetTraceTypeToEnforce(false, 9);
  EXPECT_EQ(0, keeps.DoDataExchange(noType, true));
  EXPECT_TRUE(keeps.GetTraceTypeToEnforce(type));
  EXPECT_EQ(9u, type);
}

TEST_F(CommonTraceDataTest, CopyFromIsDeepAndExact) {
  std::unique_ptr<rep::CommonTraceData> source = MakeHeader();
  source->SetTraceName(AString());
  rep::CommonTraceData copy(Mgr(), 1234);
  copy.SetTraceName(L"old");
  copy.CopyFrom(*source);
  EXPECT_EQ(m_traceID, copy.GetTraceDefID());
  EXPECT_EQ(L"S11", copy.GetTraceName()) << "an empty name is copied as empty";
  EXPECT_EQ(Curves(*source), Curves(copy));
  EXPECT_NE(source->GetPrimarySweepColumn(), copy.GetPrimarySweepColumn());
  EXPECT_TRUE(SameColumn(source->GetPrimarySweepColumn(), copy.GetPrimarySweepColumn()));
  unsigned type = 0;
  EXPECT_TRUE(copy.GetTraceTypeToEnforce(type));
  EXPECT_EQ(6u, type);
  source.reset();
  EXPECT_EQ(5u, copy.GetPrimarySweepColumn()->GetCount());

  copy.CopyFrom(copy);
  EXPECT_EQ(5u, copy.GetPrimarySweepColumn()->GetCount());

  rep::ReportManager other(&m_owner, true);
  rep::CommonTraceData foreign(other, 77);
  copy.CopyFrom(foreign);
  EXPECT_SOFT_ASSERT("&m_mgr==&(from.m_mgr)");
  EXPECT_EQ(77, copy.GetTraceDefID()) << "the copy goes on";
  EXPECT_EQ(nullptr, copy.GetPrimarySweepColumn());
}
