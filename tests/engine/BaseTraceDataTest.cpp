#include "tracedata/BaseTraceData.h"

#include "reports/GravikUtils.h"
#include "RepTest.h"
#include "reports/ReportManager.h"
#include "StoredTraceFixture.h"
#include "orvex/io/NamedValue.h"
#include "postorvex/columns/FileColumnManager.h"
#include "postorvex/columns/ManagedFileService.h"

namespace {

using reptest::DoubleColumnOf;
using reptest::SameColumn;
using reptest::TextColumnOf;

// Plain trace data without a sweep-info face, as no derived class of the engine is.
class PlainTraceData : public rep::BaseTraceData {
public:
  PlainTraceData(rep::ReportManager& mgr, long id) : BaseTraceData(id), m_mgr(mgr) {}
  bool HasData() const override { return false; }
  long GetVersionIDOfData() const override { return 1; }
  long GetCurrentSolutionContextVersionID() const override { return 1; }
  bool IsOutOfDate() const override { return false; }
  unsigned GetNumCurves() const override { return 0; }
  unsigned GetNumPointsInCurve(unsigned) const override { return 0; }
  unsigned GetCurveOffset(unsigned) const override { return 0; }
  AString GetCurveVariationKey(unsigned, bool) const override { return AString(); }
  AString GetComponentExpression(unsigned) const override { return AString(); }
  rep::IBaseTraceDefinition* GetTraceDefinition() const override { return m_mgr.GetTraceDefinition(GetTraceDefID()); }

  void Add(Column* data, Column* text, const AString& expression = AString()) {
    auto component = std::make_unique<rep::TraceComponentData>(data, text, nullptr);
    component->SetExpression(expression);
    GetTraceComponentData().push_back(std::move(component));
  }

private:
  rep::ReportManager& m_mgr;
};

using BaseTraceDataTest = reptest::StoredTraceFixture;

}  // namespace

TEST_F(BaseTraceDataTest, WritesOneNumberedBlockPerComponentWithTheDefinitionsExpressions) {
  PlainTraceData data(Mgr(), m_traceID);
  data.Add(DoubleColumnOf({1, 2}).release(), nullptr, L"own");
  data.Add(DoubleColumnOf({3, 4}).release(), TextColumnOf({L"p", L"q"}).release());
  data.Add(DoubleColumnOf({5, 6}).release(), nullptr, L"third");
  io::CBlock parent(L"TraceComponents");
  ASSERT_TRUE(data.WriteComponentsToBlock(parent));
  const io::CBlock* comps = parent.FindBlock(L"TraceDataComps");
  ASSERT_NE(nullptr, comps);
  ASSERT_EQ(3u, comps->GetNumItems());
  // The definition has two components; a third keeps its own expression.
  const wchar_t* expressions[] = {L"Freq", L"dB(S(1,1))", L"third"};
  for (unsigned i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const io::CBlock* component = comps->GetBlock(i);
    ASSERT_NE(nullptr, component);
    EXPECT_EQ(std::to_wstring(i), component->GetName());
    AString expression;
    *component >> io::NamedValue(L"TraceCompExpr", expression);
    EXPECT_EQ(expressions[i], expression);
    std::unique_ptr<Column> column(rep::ReadColumnFromBlock(*component, L"TraceDataCol"));
    EXPECT_TRUE(SameColumn(data.GetDataColumn(i), column.get()));
    EXPECT_EQ(i == 1, component->FindBlock(L"TextDataCol") != nullptr);
  }

  PlainTraceData none(Mgr(), m_traceID);
  io::CBlock empty(L"TraceComponents");
  EXPECT_TRUE(none.WriteComponentsToBlock(empty));
  ASSERT_NE(nullptr, empty.FindBlock(L"TraceDataComps"));
  EXPECT_EQ(0u, empty.FindBlock(L"TraceDataComps")->GetNumItems());
}

TEST_F(BaseTraceDataTest, FailedWriteLeavesNoPartialComponentsBehind) {
  struct Case {
    const char* why;
    int failingWrites;
    bool nullSecondColumn;
  };
  const Case cases[] = {
      {"the first column cannot be written", 1, false},
      {"the second component has no column", 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    PlainTraceData data(Mgr(), m_traceID);
    data.Add(DoubleColumnOf({1, 2}).release(), TextColumnOf({L"p", L"q"}).release());
    data.Add(c.nullSecondColumn ? nullptr : DoubleColumnOf({3, 4}).release(), nullptr);
    io::CBlock parent(L"TraceComponents");
    parent << io::NamedValue(L"Before", 1);
    const io::CBlock before = parent;
    Column::FailNextWrites(c.failingWrites);
    EXPECT_FALSE(data.WriteComponentsToBlock(parent));
    EXPECT_EQ(before, parent);
  }
}

TEST_F(BaseTraceDataTest, FileManagedColumnIsLoadedForTheWriteAndLeftAsFound) {
  PlainTraceData data(Mgr(), m_traceID);
  Column* column = Column::CreateColumn2(static_cast<val::ParameterType>(1), 90, ManagedFileService::GetInstance(),
                                         L"", L"", true, true);
  column->GetDoubleColumn()->AppendValues({1, 2, 3});
  column->Unload();
  data.Add(column, nullptr);
  const size_t unloadedReads = FileColumnManager::GetUnloadedReadCount();
  io::CBlock parent(L"TraceComponents");
  ASSERT_TRUE(data.WriteComponentsToBlock(parent));
  EXPECT_EQ(unloadedReads, FileColumnManager::GetUnloadedReadCount()) << "the column was loaded while written";
  EXPECT_FALSE(column->IsLoaded());
}

TEST_F(BaseTraceDataTest, PrimarySweepRecordAndClearData) {
  PlainTraceData data(Mgr(), m_traceID);
  EXPECT_EQ(nullptr, data.GetSweepColumn());
  EXPECT_EQ(nullptr, data.GetOffsetTimeColumn());
  Column* sweep = DoubleColumnOf({1, 2}).release();
  Column* offset = DoubleColumnOf({0, 0}).release();
  data.SetPrimarySweepData(new rep::BaseTraceData::PrimarySweepData(L"1GHz", L"0s", sweep, offset));
  EXPECT_EQ(sweep, data.GetSweepColumn());
  EXPECT_EQ(offset, data.GetOffsetTimeColumn());

  data.Add(DoubleColumnOf({7, 8}).release(), nullptr);
  std::unique_ptr<Column> copy(data.CloneDataColumn(0));
  EXPECT_EQ(nullptr, data.CloneDataColumn(1));
  data.ClearData();
  EXPECT_EQ(0u, data.GetNumComponents());
  EXPECT_EQ(nullptr, data.GetSweepColumn());
  EXPECT_EQ(nullptr, data.GetOffsetTimeColumn());
  EXPECT_EQ(m_traceID, data.GetTraceDefID());
  ASSERT_NE(nullptr, copy);
  EXPECT_EQ(2u, copy->GetCount()) << "the copy belongs to the caller";
}

TEST_F(BaseTraceDataTest, WithoutSweepInfoTheProductFaceReportsAndAnswersNothing) {
  PlainTraceData data(Mgr(), m_traceID);
  rep::ITraceDataForProduct* product = data.GetTraceDataForProduct();
  ASSERT_EQ(static_cast<rep::ITraceDataForProduct*>(&data), product);
  EXPECT_EQ(nullptr, product->ClonePrimarySweepColumn());
  EXPECT_SOFT_ASSERT("0");
  EXPECT_EQ(AString(), product->GetPrimarySweepName());
  EXPECT_SOFT_ASSERT("0");
  EXPECT_EQ(L"S11", data.GetTraceName());
}

TEST_F(BaseTraceDataTest, EnumerationNamesByDimension) {
  PlainTraceData data(Mgr(), m_traceID);
  Column* enumeration = Column::CreateColumn(static_cast<val::ParameterType>(15), 90);
  data.Add(enumeration, nullptr);
  data.InitializeEnumName(L"Mode", 0);
  data.InitializeEnumName(L"Ignored", 3);
  AString name;
  EXPECT_TRUE(data.GetEnumName(name, 0));
  EXPECT_EQ(L"Mode", name);
  EXPECT_FALSE(data.GetEnumName(name, 1));
}
