#include <cmath>
#include <functional>

#include "reports/ExtTraceInfoReadMemo.h"
#include "RepTest.h"
#include "orvex/io/BlockFile.h"

namespace {

io::CBlock InfoBlock(const char* items) {
  io::CBlock block;
  AString error;
  EXPECT_TRUE(io::BlockFromText(AString::FromUtf8(std::string("ExtendedTraceInfo {\n") + items + "}\n"), block, &error))
      << error.ToUtf8();
  return block;
}

const char* const kDefaults =
    "YAxis = 0\nOffsetTime = \"0\"\nOffsetTimeUnits = 90\nSweepValue = \"0\"\nSweepValueUnits = 90\n";

void ExpectSameValue(const Value& expected, const Value& actual) {
  EXPECT_EQ(expected.GetValueText(), actual.GetValueText());
  EXPECT_EQ(expected.GetUnits(), actual.GetUnits());
  EXPECT_EQ(expected.GetGivenUnits(), actual.GetGivenUnits());
  EXPECT_EQ(expected.IsParsedFromText(), actual.IsParsedFromText());
  EXPECT_EQ(expected.IsValidText(), actual.IsValidText());
  EXPECT_EQ(expected.GetParameterType(), actual.GetParameterType());
  const double e = expected.GetValue(), a = actual.GetValue();
  EXPECT_TRUE(e == a || (std::isnan(e) && std::isnan(a))) << e << " " << a;
}

void ExpectSameInfo(const ExtTraceInfo& expected, const ExtTraceInfo& actual) {
  EXPECT_EQ(expected.GetYAxis(), actual.GetYAxis());
  ExpectSameValue(expected.GetOffsetTime(), actual.GetOffsetTime());
  ExpectSameValue(expected.GetSweepValue(), actual.GetSweepValue());
}

// An info that a block's missing items would show through.
ExtTraceInfo StartedInfo() {
  ExtTraceInfo info;
  info.SetYAxis(rep::kYAxis2);
  info.SetSweepValue(Value(AString(L"5"), Units::kGHz));
  return info;
}

}  // namespace

// Whatever the memo held before, a read through it leaves the info and answers as a plain read.
TEST(ExtTraceInfoReadMemo, ReadsAsThePlainRead) {
  struct Case {
    const char* items;
    const char* why;
  };
  const Case cases[] = {
      {kDefaults, "the block nearly every trace carries"},
      {kDefaults, "the same again, from the memo"},
      {"YAxis = 2\nOffsetTime = \"2.5e-3\"\nOffsetTimeUnits = 104\nSweepValue = \"-1.5\"\nSweepValueUnits = 113\n",
       "other plain numbers"},
      {"YAxis = 0\nOffsetTime = \"2*pi\"\nOffsetTimeUnits = 90\nSweepValue = \"0\"\nSweepValueUnits = 90\n",
       "a name in a text"},
      {"YAxis = 0\nOffsetTime = \"e\"\nOffsetTimeUnits = 90\nSweepValue = \"1e\"\nSweepValueUnits = 90\n",
       "texts of number characters that are no numbers"},
      {"YAxis = 0\nOffsetTime = \"0\"\nOffsetTimeUnits = 90\n", "sweep value missing: the start shows"},
      {"YAxis = 0\nOffsetTime = \"0\"\nOffsetTimeUnits = 90\n", "the same partial block again"},
      {"YAxis = 7\nOffsetTime = \"0\"\nOffsetTimeUnits = 90\nSweepValue = \"0\"\nSweepValueUnits = 90\n",
       "an axis out of range"},
      {"YAxis = 0\nOffsetTime = \"0\"\nOffsetTimeUnits = 9999\nSweepValue = \"0\"\nSweepValueUnits = 90\n",
       "a unit no table knows"},
      {"YAxis = 0\nOffsetTime = \"1+\"\nOffsetTimeUnits = 90\nSweepValue = \"0\"\nSweepValueUnits = 90\n",
       "a text that does not parse"},
      {"YAxis = 0\nOffsetTime = 0.0\nOffsetTimeUnits = 90\nSweepValue = \"0\"\nSweepValueUnits = 90\n",
       "a number where a text is kept"},
      {"YAxis = 0\nOffsetTime = -0.0\nOffsetTimeUnits = 90\nSweepValue = \"0\"\nSweepValueUnits = 90\n",
       "a number equal to the one before, written otherwise"},
      {kDefaults, "back to the common block"},
  };
  rep::ExtTraceInfoReadMemo memo;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    for (const bool fresh : {true, false}) {
      const io::CBlock block = InfoBlock(c.items);
      ExtTraceInfo expected = fresh ? ExtTraceInfo() : StartedInfo();
      ExtTraceInfo actual = expected;
      const io::ReadError plain = expected.Read(block);
      block.ResetFound(false);
      EXPECT_EQ(plain, memo.Read(block, actual));
      EXPECT_TRUE(block.Found());
      ExpectSameInfo(expected, actual);
    }
  }
}

// A read is shared only where it cannot depend on the solution the trace belongs to, and a long
// run of one block still reads the same on every trace.
TEST(ExtTraceInfoReadMemo, SharesOnlyPlainNumbers) {
  rep::ExtTraceInfoReadMemo memo;
  const io::CBlock named =
      InfoBlock("YAxis = 0\nOffsetTime = \"2*pi\"\nOffsetTimeUnits = 90\nSweepValue = \"0\"\nSweepValueUnits = 90\n");
  ExtTraceInfo a, b;
  EXPECT_EQ(io::kNoError, memo.Read(named, a));
  EXPECT_EQ(io::kNoError, memo.Read(named, b));
  // A solution's own variable named pi would stand for it in that solution's traces.
  EXPECT_NE(a.GetOffsetTime().GetValueBase(), b.GetOffsetTime().GetValueBase());

  const io::CBlock plain = InfoBlock(kDefaults);
  std::vector<ExtTraceInfo> infos(100);
  for (ExtTraceInfo& info : infos) EXPECT_EQ(io::kNoError, memo.Read(plain, info));
  ExtTraceInfo expected;
  expected.Read(plain);
  for (const ExtTraceInfo& info : infos) ExpectSameInfo(expected, info);
  EXPECT_EQ(infos.front().GetOffsetTime().GetValueBase(), infos[1].GetOffsetTime().GetValueBase());
}

// A trace made with a copy of what the memo would hand out keeps it through the read; one changed
// since, in any part, is read as the plain read leaves it.
TEST(ExtTraceInfoReadMemo, InfoStartedAsTheCopyItWouldHandOut) {
  rep::ExtTraceInfoReadMemo memo;
  const io::CBlock plain = InfoBlock(kDefaults);
  EXPECT_EQ(nullptr, memo.Find(plain));
  ExtTraceInfo first;
  ASSERT_EQ(io::kNoError, memo.Read(plain, first));
  const ExtTraceInfo* kept = memo.Find(plain);
  ASSERT_NE(nullptr, kept);
  EXPECT_EQ(nullptr, memo.Find(InfoBlock("YAxis = 1\nOffsetTime = \"0\"\nOffsetTimeUnits = 90\nSweepValue = \"0\"\n"
                                         "SweepValueUnits = 90\n")));
  ExtTraceInfo expected;
  expected.Read(plain);

  struct Case {
    std::function<void(ExtTraceInfo&)> change;
    const char* why;
  };
  const Case cases[] = {
      {[](ExtTraceInfo&) {}, "unchanged"},
      {[](ExtTraceInfo& i) { i.SetYAxis(rep::kYAxis1); }, "another axis"},
      {[](ExtTraceInfo& i) { i.SetOffsetTime(Value(0.0, Units::kNoUnit)); }, "the same number, not from text"},
      {[](ExtTraceInfo& i) { i.m_sweepValue.SetValueText(AString(L"0"), Units::kGHz); }, "other units"},
      {[](ExtTraceInfo& i) { i.m_sweepValue.SetStringValueText(AString(L"0")); }, "a text constant"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    ExtTraceInfo started(*memo.Find(plain));
    c.change(started);
    EXPECT_EQ(io::kNoError, memo.Read(plain, started));
    ExpectSameInfo(expected, started);
  }
}
