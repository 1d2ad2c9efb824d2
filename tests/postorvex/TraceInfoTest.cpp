#include <memory>

#include "Gravik/IPointsetDefinition.h"
#include "RepTest.h"
#include "orvex/core/CUndoableVersion.h"
#include "orvex/io/Block.h"
#include "orvex/io/BlockFile.h"
#include "orvex/values/Units.h"
#include "postorvex/sweeps/SubsweepDefParamsContainer.h"
#include "postorvex/traceinfo/ExtTraceInfo.h"
#include "postorvex/traceinfo/TraceDefParams.h"

namespace {

ExtTraceInfo SampleInfo() {
  ExtTraceInfo info;
  info.SetYAxis(rep::kYAxis2);
  info.SetOffsetTime(Value(AString(L"1.5ns"), Units::kNs));
  info.m_sweepValue = Value(2.25, Units::kUs);
  return info;
}

// Counts live copies, so that leaks and double deletes of the held point set show.
class CountedPointset : public rep::IPointsetDefinition {
public:
  explicit CountedPointset(int tag) : m_tag(tag) { ++s_live; }
  CountedPointset(const CountedPointset& o) : rep::IPointsetDefinition(), m_tag(o.m_tag) { ++s_live; }
  ~CountedPointset() override { --s_live; }
  rep::IPointsetDefinition* Clone() const override { return new CountedPointset(*this); }
  void CopyFrom(const rep::IPointsetDefinition&) override {}
  AString GetBlockName() const override { return L"PointsetDefinition"; }
  const SubsweepDefParamsContainer& GetSubsweepDefParamsContainer() const override { return m_none; }
  unsigned GetVariableValuesDefParams(std::vector<VariableValuesDefParams>&) const override { return 0; }
  const SubsweepDefParamsContainer& GetSpecifiableSubsweepsIfInFamilies() const override { return m_none; }
  int Tag() const { return m_tag; }
  static int s_live;

private:
  int m_tag;
  SubsweepDefParamsContainer m_none;
};
int CountedPointset::s_live = 0;

int TagOf(const TraceDefParams& p) {
  auto* ps = dynamic_cast<const CountedPointset*>(p.GetPointsetDefinition());
  return ps ? ps->Tag() : -1;
}

}  // namespace

TEST(ExtTraceInfo, DefaultsAndEquality) {
  ExtTraceInfo info;
  EXPECT_EQ(rep::kNoYAxis, info.GetYAxis());
  EXPECT_EQ(0.0, info.GetOffsetTime().GetValue());
  EXPECT_EQ(Units::kNoUnit, info.GetOffsetTime().GetUnits());
  EXPECT_EQ(0.0, info.GetSweepValue().GetValue());
  EXPECT_EQ(info, ExtTraceInfo());

  ExtTraceInfo other = info;
  other.SetSweepValue(Value(0.0, Units::kNs));  // same number, other unit
  EXPECT_NE(info, other);
  other = info;
  other.SetYAxis(rep::kYAxis1);
  EXPECT_NE(info, other);
  EXPECT_EQ(SampleInfo(), SampleInfo());
}

TEST(ExtTraceInfo, WriteReadRoundTripThroughAFile) {
  const ExtTraceInfo written = SampleInfo();
  io::CBlock trace(ACHAR("TraceDefinition"));
  io::CBlock sub(ACHAR("ExtendedTraceInfo"));
  EXPECT_EQ(io::kNoError, written.Write(sub));
  trace << std::move(sub);

  reptest::TempDir dir;
  LongFileName file(AString::FromUtf8(dir.File("trace.txt")));
  ASSERT_EQ(io::kNoError, io::WriteBlockFile(file, trace));
  io::CBlock fromFile;
  ASSERT_EQ(io::kNoError, io::ReadBlockFile(file, fromFile));
  const io::CBlock* readSub = fromFile.FindBlock(ACHAR("ExtendedTraceInfo"));
  ASSERT_NE(nullptr, readSub);

  ExtTraceInfo read;
  EXPECT_EQ(io::kNoError, read.Read(*readSub));
  EXPECT_EQ(written, read);
  EXPECT_EQ(rep::kYAxis2, read.GetYAxis());
  EXPECT_DOUBLE_EQ(1.5, read.GetOffsetTime().GetValue());
  EXPECT_EQ(Units::kNs, read.GetOffsetTime().GetUnits());
  EXPECT_EQ(AString(L"1.5ns"), read.GetOffsetTime().GetValueText());
  EXPECT_DOUBLE_EQ(2.25, read.m_sweepValue.GetValue());
  EXPECT_EQ(Units::kUs, read.m_sweepValue.GetUnits());
}

TEST(ExtTraceInfo, ReadKeepsMissingItemsAndRefusesDamagedOnes) {
  const ExtTraceInfo held = SampleInfo();
  auto nv = [](const wchar_t* k, const io::CBlock_value& v) { return io::CBlock_named_value(k, v); };
  struct Case {
    const char* why;
    std::vector<io::CBlock_named_value> items;
    io::ReadError expected;
    int yAxis;
    double offset;
    Units::FullUnitType offsetUnits;
  };
  const Case cases[] = {
      {"empty block", {}, 0, 2, 1.5, Units::kNs},
      {"only the axis", {nv(L"YAxis", 1)}, 0, 1, 1.5, Units::kNs},
      {"axis out of range", {nv(L"YAxis", 3)}, 1, 2, 1.5, Units::kNs},
      {"axis as text", {nv(L"YAxis", AString(L"1"))}, 1, 2, 1.5, Units::kNs},
      {"offset text only, held units", {nv(L"OffsetTime", AString(L"4"))}, 0, 2, 4.0, Units::kNs},
      {"offset that does not parse", {nv(L"OffsetTime", AString(L"4 apples")), nv(L"YAxis", 0)}, 1, 0, 1.5,
       Units::kNs},
      {"offset units as real", {nv(L"OffsetTimeUnits", 102.0)}, 1, 2, 1.5, Units::kNs},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    io::CBlock b(ACHAR("ExtTraceInfo"));
    for (const auto& item : c.items) b << item;
    ExtTraceInfo info = held;
    EXPECT_EQ(c.expected, info.Read(b));
    EXPECT_EQ(c.yAxis, info.GetYAxis());
    EXPECT_DOUBLE_EQ(c.offset, info.GetOffsetTime().GetValue());
    EXPECT_EQ(c.offsetUnits, info.GetOffsetTime().GetUnits());
    EXPECT_DOUBLE_EQ(2.25, info.m_sweepValue.GetValue());
  }
}

TEST(ExtTraceInfo, SnapshotCloneAndAssign) {
  ExtTraceInfo info = SampleInfo();
  std::unique_ptr<MUndoableObject> snapshot(info.MakeSnapshotForUndo());
  info.SetYAxis(rep::kNoYAxis);
  info.SetOffsetTime(Value(9.0, Units::kMs));
  info.AssignForUndoFrom(*snapshot);
  EXPECT_EQ(SampleInfo(), info);

  CUndoableVersion foreign;
  info.Assign(foreign);
  EXPECT_SOFT_ASSERT("info");
  EXPECT_EQ(SampleInfo(), info);
}

TEST(TraceDefParams, HoldsItsOwnPointsetThroughCopies) {
  ASSERT_EQ(0, CountedPointset::s_live);
  {
    TraceDefParams p;
    EXPECT_EQ(nullptr, p.GetPointsetDefinition());
    EXPECT_TRUE(p.GetIsNameTiedToExpressionFlag());
    {
      CountedPointset mine(1);
      p.SetPointsetDefinition(mine);
      EXPECT_NE(&mine, p.GetPointsetDefinition());
    }
    EXPECT_EQ(1, TagOf(p));
    EXPECT_EQ(1, CountedPointset::s_live);

    TraceDefParams copy(p);
    EXPECT_NE(p.GetPointsetDefinition(), copy.GetPointsetDefinition());
    EXPECT_EQ(2, CountedPointset::s_live);

    CountedPointset second(2);
    copy.SetPointsetDefinition(second);  // replaces and frees the first clone
    EXPECT_EQ(3, CountedPointset::s_live);
    p = copy;
    EXPECT_EQ(2, TagOf(p));
    EXPECT_EQ(3, CountedPointset::s_live);
    const TraceDefParams& self = p;  // through a reference: the self-assignment is the point
    p = self;
    EXPECT_EQ(2, TagOf(p));
    TraceDefParams empty;
    copy = empty;
    EXPECT_EQ(nullptr, copy.GetPointsetDefinition());
    EXPECT_EQ(2, CountedPointset::s_live);
  }
  EXPECT_EQ(0, CountedPointset::s_live);
}

TEST(TraceDefParams, KeepsEverySetting) {
  TraceDefParams p;
  p.SetName(ACHAR("S11"));
  p.SetIsNameTiedToExpressionFlag(false);
  p.SetExtendedTraceInfo(SampleInfo());
  p.SetTraceExpressions({AString(L"Freq"), AString(L"dB(S11)")});
  DesignSolutionDefinition dsd(3, 4, ReportTypeSolutionDefinition(5));
  p.SetDesignSolutionDefinition(dsd);

  TraceDefParams copy = p;
  EXPECT_EQ(AString(L"S11"), copy.GetName());
  EXPECT_FALSE(copy.GetIsNameTiedToExpressionFlag());
  EXPECT_EQ(SampleInfo(), copy.GetExtendedTraceInfo());
  EXPECT_EQ((std::vector<AString>{AString(L"Freq"), AString(L"dB(S11)")}), copy.GetTraceExpressions());
  EXPECT_EQ(dsd, copy.GetDesignSolutionDefinition());
  const BaseTraceDefParams& base = copy;
  EXPECT_EQ(AString(L"S11"), base.GetName());
}
