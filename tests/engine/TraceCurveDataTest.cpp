#include "tracedata/TraceCurveData.h"

#include <limits>

#include "RepTest.h"
#include "orvex/io/Block.h"

namespace {

struct Curve {
  unsigned count;
  unsigned start;
  AString name;
  bool operator==(const Curve& o) const { return count == o.count && start == o.start && name == o.name; }
};

std::vector<Curve> CurvesOf(const TraceCurveData& data) {
  std::vector<Curve> out;
  for (unsigned i = 0; i < data.GetNumCurves(); ++i)
    out.push_back({data.GetNumPointsInCurve(i), data.GetCurveStartIndex(i), data.GetCurveName(i)});
  return out;
}

io::CBlock_func Item(const AString& name, const AString& key, unsigned count, unsigned start) {
  io::CBlock_func f(name);
  f << key << count << start;
  return f;
}

}  // namespace

TEST(TraceCurveData, CurvesTileTheColumnsInIndexOrder) {
  TraceCurveData data;
  data.SetCurveInfo(0, 5, L"a=1");
  data.SetCurveInfo(1, 3, L"a=2");
  data.SetCurveInfo(2, 4, L"a=3");
  EXPECT_EQ((std::vector<Curve>{{5, 0, L"a=1"}, {3, 5, L"a=2"}, {4, 8, L"a=3"}}), CurvesOf(data));
  EXPECT_EQ(12u, data.GetEndRow());

  // Setting a curve again drops the ones after it.
  data.SetCurveInfo(1, 7, L"b");
  EXPECT_EQ((std::vector<Curve>{{5, 0, L"a=1"}, {7, 5, L"b"}}), CurvesOf(data));
}

TEST(TraceCurveData, CurvesSkippedOverStartWhereTheCurveBeforeEnds) {
  TraceCurveData data;
  data.SetCurveInfo(0, 5, L"first");
  data.SetCurveInfo(3, 2, L"fourth");
  EXPECT_EQ((std::vector<Curve>{{5, 0, L"first"}, {0, 5, L""}, {0, 5, L""}, {2, 5, L"fourth"}}), CurvesOf(data));
  // Nothing overlaps curve 0, so the data fits exactly 7 rows.
  EXPECT_TRUE(data.KeepCurvesWithinRows(7));
  EXPECT_EQ(4u, data.GetNumCurves());
}

TEST(TraceCurveData, BlockRoundTrip) {
  TraceCurveData data;
  data.SetCurveInfo(0, 5, L"a=1, b=\"x\"");
  data.SetCurveInfo(1, 0, L"");
  data.SetCurveInfo(2, 4, L"a=3");
  io::CBlock block(L"CurvesInfo");
  EXPECT_EQ(0, data.DataExchange(block, false));
  ASSERT_EQ(3u, block.GetNumItems());
  for (size_t i = 0; i < 3; ++i) {
    ASSERT_NE(nullptr, block.GetFunc(i));
    EXPECT_EQ(std::to_wstring(i), block.GetItemName(i));
  }
  TraceCurveData read;
  EXPECT_EQ(0, read.DataExchange(block, true));
  EXPECT_EQ(CurvesOf(data), CurvesOf(read));

  TraceCurveData none;
  io::CBlock empty(L"CurvesInfo");
  EXPECT_EQ(0, none.DataExchange(empty, false));
  EXPECT_EQ(0u, empty.GetNumItems());
  EXPECT_EQ(0, none.DataExchange(empty, true));
  EXPECT_EQ(0u, none.GetNumCurves());
}

TEST(TraceCurveData, DamagedBlocksGiveReadErrorsAndKeepOnlyWhatTiles) {
  struct Case {
    const char* why;
    void (*fill)(io::CBlock&);
    std::vector<Curve> kept;
    const char* assertion = nullptr;
  };
  const Case cases[] = {
      {"second item named 2", [](io::CBlock& b) { b << Item(L"0", L"a", 5, 0) << Item(L"2", L"b", 3, 5); },
       {{5, 0, L"a"}}},
      {"item without a start is skipped, the next still carries its number",
       [](io::CBlock& b) {
         io::CBlock_func noStart(L"1");
         noStart << AString(L"b") << 3u;
         b << Item(L"0", L"a", 5, 0) << noStart << Item(L"2", L"c", 4, 5);
       },
       {{5, 0, L"a"}, {4, 5, L"c"}}},
      {"item that is no function", [](io::CBlock& b) { b << Item(L"0", L"a", 5, 0) << io::CBlock(L"1"); },
       {{5, 0, L"a"}}, "curveFunc"},
      {"count that is no number",
       [](io::CBlock& b) {
         io::CBlock_func bad(L"0");
         bad << AString(L"a") << AString(L"5") << 0u;
         b << bad;
       },
       {}},
      {"second curve overlaps the first", [](io::CBlock& b) { b << Item(L"0", L"a", 5, 0) << Item(L"1", L"b", 3, 2); },
       {{5, 0, L"a"}}},
      {"first curve does not start at row 0", [](io::CBlock& b) { b << Item(L"0", L"a", 5, 1); }, {}},
      {"overlapping curve before a misnumbered item",
       [](io::CBlock& b) { b << Item(L"0", L"a", 5, 0) << Item(L"1", L"b", 3, 2) << Item(L"7", L"c", 1, 8); },
       {{5, 0, L"a"}}},
      {"overlapping curve before an item that is no function",
       [](io::CBlock& b) { b << Item(L"0", L"a", 5, 0) << Item(L"1", L"b", 3, 2) << io::CBlock(L"2"); },
       {{5, 0, L"a"}}, "curveFunc"},
      {"counts that overflow 32 bits",
       [](io::CBlock& b) {
         b << Item(L"0", L"a", 0xFFFFFFFFu, 0) << Item(L"1", L"b", 2, 0xFFFFFFFFu) << Item(L"2", L"c", 1, 0);
       },
       {{0xFFFFFFFFu, 0, L"a"}, {2, 0xFFFFFFFFu, L"b"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    io::CBlock block(L"CurvesInfo");
    c.fill(block);
    TraceCurveData read;
    EXPECT_EQ(io::kMissingBlock, read.DataExchange(block, true));
    EXPECT_EQ(c.kept, CurvesOf(read));
    if (c.assertion) {
      EXPECT_SOFT_ASSERT(c.assertion);
    }
    EXPECT_NO_SOFT_ASSERT();
  }
}

TEST(TraceCurveData, ItemNamesCompareWithoutCase) {
  io::CBlock block(L"CurvesInfo");
  block << Item(L"0", L"a", 1, 0);
  TraceCurveData read;
  EXPECT_EQ(0, read.DataExchange(block, true));
  EXPECT_EQ(1u, read.GetNumCurves());
}

TEST(TraceCurveData, CurvesBeyondTheRowsAreDropped) {
  TraceCurveData data;
  data.SetCurveInfo(0, 5, L"a");
  data.SetCurveInfo(1, 3, L"b");
  EXPECT_TRUE(data.KeepCurvesWithinRows(8));
  EXPECT_FALSE(data.KeepCurvesWithinRows(7));
  EXPECT_EQ((std::vector<Curve>{{5, 0, L"a"}}), CurvesOf(data));
}

TEST(TraceCurveData, IndexOutOfRangeIsReportedAndNotRead) {
  TraceCurveData data;
  data.SetCurveInfo(0, 5, L"a");
  EXPECT_EQ(0u, data.GetNumPointsInCurve(1));
  EXPECT_SOFT_ASSERT("curveNum>=0 && curveNum<m_numPointsInCurve.size()");
  EXPECT_EQ(0u, data.GetCurveStartIndex(7));
  EXPECT_SOFT_ASSERT("curveIndex>=0 && curveIndex<m_numPointsInCurve.size()");
  EXPECT_EQ(AString(), data.GetCurveName(std::numeric_limits<unsigned>::max()));
  EXPECT_SOFT_ASSERT("curveIndex>=0 && curveIndex<m_numPointsInCurve.size()");
}
