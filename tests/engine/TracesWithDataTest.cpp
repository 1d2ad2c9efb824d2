// The export form "Traces": a report's traces with their data, read back as imported traces.
#include "tracedata/ConcreteCompositeTraceData.h"
#include "tracedata/ConcreteTraceData.h"
#include "reports/ImportedTraceDefinition.h"
#include "reports/GravikUtils.h"
#include "reports/ReportDefinitionCmdInfo.h"
#include "RepTest.h"
#include "StoredTraceFixture.h"
#include "tracedata/TraceComponentData.h"
#include "orvex/core/VelmorCommand.h"
#include "orvex/core/I18n.h"
#include "orvex/io/BlockFile.h"
#include "orvex/io/NamedValue.h"
#include "postorvex/columns/IntColumn.h"
#include "refhost/RecordingPasteListener.h"

namespace {

using rep::ConcreteCompositeTraceData;
using rep::ConcreteTraceData;
using rep::ImportedTraceDefinition;
using reptest::DoubleColumnOf;

class TracesWithDataTest : public reptest::StoredTraceFixture {
protected:
  TracesWithDataTest() : m_target(&m_owner, true) {
    std::unique_ptr<rep::IReportDefinition> report = m_target.CreateReportDefinition({}, L"Target");
    m_targetReport = m_target.AddReportDefinition(*report, nullptr);
  }

  // Two curves on two surfaces over "Freq".
  ConcreteTraceData* PlainData() {
    auto* data = new ConcreteTraceData(Mgr(), 0);
    data->SetDataColumns({DoubleColumnOf({1, 2, 3}).release(), DoubleColumnOf({4, 5, 6}).release()});
    data->SetCurveInfo(0, 2, L"a=1");
    data->SetCurveInfo(1, 1, L"a=2");
    data->SetSurfaceInfo({1, 1}, {L"b=1", L"b=2"});
    data->SetPrimarySweepColumn(DoubleColumnOf({1, 2, 3}).release());
    data->SetPrimarySweepName(L"Freq");
    return data;
  }

  ConcreteCompositeTraceData* CompositeData() {
    auto* data = new ConcreteCompositeTraceData(Mgr(), 0);
    auto* node = new rep::CompositeTraceComponentData(L"E", 2);
    auto* leaf = new rep::TraceComponentData(DoubleColumnOf({7, 8}).release(), nullptr, nullptr);
    leaf->SetExpression(L"Ex");
    node->SetChild(0, leaf);
    data->AddComponent(new rep::TraceComponentData(DoubleColumnOf({1, 2}).release(), nullptr, nullptr));
    data->AddComponent(node);
    data->SetCurveInfo(0, 2, L"c=1");
    data->SetPrimarySweepColumn(DoubleColumnOf({1, 2}).release());
    data->SetPrimarySweepName(L"Time");
    return data;
  }

  // Adds imported traces holding the data to the source report; answers their IDs.
  std::vector<long> AddImported(const std::vector<IAbstractTraceData*>& datas, const AString& name = L"T",
                                long reportID = 0) {
    std::vector<rep::BaseTraceDefinition*> traces;
    for (IAbstractTraceData* data : datas) {
      auto* trace = new ImportedTraceDefinition(Mgr(), L"src.csv", name, {L"Freq", L"Y"}, ExtTraceInfo(), false);
      trace->SetTraceData(data);
      trace->SetIDAndVersionID(Mgr().GetNewUniqueID(), 0);
      traces.push_back(trace);
    }
    Report(reportID ? reportID : m_reportID).AddNewTraceDefinitions(traces, nullptr);
    std::vector<long> ids;
    for (auto* t : traces) ids.push_back(t->GetID());
    return ids;
  }

  rep::ReportDefinition& Target() { return *dynamic_cast<rep::ReportDefinition*>(m_target.GetReportDefinition(m_targetReport)); }

  // What a reader sees of a trace's data, plain or composite.
  static std::string Text(const rep::BaseTraceDefinition& trace) {
    auto* data = dynamic_cast<const ImportedTraceDefinition&>(trace).GetTraceData();
    if (auto* plain = dynamic_cast<rep::ITraceData*>(data)) {
      std::string text = reptest::Describe(*plain);
      // The name shows the definition's when the data has none.
      return text.substr(text.find('\n'));
    }
    auto* tree = dynamic_cast<ConcreteCompositeTraceData*>(data);
    io::CBlock block(L"c");
    tree->WriteComponentsToBlock(block);
    std::string out = io::BlockToText(block).ToUtf8();
    for (unsigned i = 0; i < tree->GetNumCurves(); ++i)
      out += std::to_string(tree->GetNumPointsInCurve(i)) + tree->GetCurveVariationKey(i, true).ToUtf8();
    return out + tree->GetTraceDataSweepInfo()->GetPrimarySweepName().ToUtf8();
  }

  rep::ReportManager m_target;
  long m_targetReport = 0;
};

TEST_F(TracesWithDataTest, TracesTravelWithTheirData) {
  const std::vector<long> ids = AddImported({PlainData(), CompositeData()});
  io::CBlock block(L"Clip");
  ASSERT_TRUE(Mgr().WriteTracesWithData(block, m_reportID, {ids[1], ids[0]}));
  const io::CBlock* traces = block.FindBlock(L"Traces");
  ASSERT_NE(nullptr, traces);
  ASSERT_EQ(2u, traces->GetNumItems());
  EXPECT_EQ(i18n::MakeNumberString(ids[1]), traces->GetBlock(0)->GetName());
  EXPECT_EQ(i18n::MakeNumberString(ids[0]), traces->GetBlock(1)->GetName());

  io::CBlock reread;
  ASSERT_TRUE(io::BlockFromText(io::BlockToText(block), reread));
  refhost::RecordingPasteListener listener;
  VelmorCommand cmd;
  ASSERT_TRUE(m_target.ReadTracesWithData(m_targetReport, reread, &listener, &cmd));
  const auto& read = Target().GetTraces();
  ASSERT_EQ(2u, read.size());
  const rep::BaseTraceDefinition* composite = read.front();
  const rep::BaseTraceDefinition* plain = read.back();
  EXPECT_EQ(Text(*Report(m_reportID).FindTrace(ids[1])), Text(*composite));
  EXPECT_EQ(Text(*Report(m_reportID).FindTrace(ids[0])), Text(*plain));
  EXPECT_EQ(AString(L"src.csv"), dynamic_cast<const ImportedTraceDefinition*>(plain)->GetSourceDescription());
  EXPECT_FALSE(plain->GetIsNameTiedToExpressionFlag());
  // Both come as "T" and get unique names; the listener learns the new IDs.
  EXPECT_NE(composite->GetName(), plain->GetName());
  ASSERT_EQ(2u, listener.TraceIDChanges().size());
  EXPECT_EQ(std::make_pair(ids[1], composite->GetID()), listener.TraceIDChanges()[0]);
  // One undo takes the whole read back.
  cmd.EndDo();
  cmd.Undo();
  EXPECT_TRUE(Target().GetTraces().empty());
}

TEST_F(TracesWithDataTest, WriterLeavesOutWhatCannotTravel) {
  const std::vector<long> ids = AddImported({PlainData(), PlainData()});
  io::CBlock block(L"Clip");
  // An ID that is no trace of the report is left out. A computed trace travels with the data it has,
  // here the placeholder of one invalid point (it has no primary sweep before its first update).
  EXPECT_FALSE(Mgr().WriteTracesWithData(block, m_reportID, {ids[0], 4711, m_traceID}));
  EXPECT_SOFT_ASSERT("!mPrimarySweepName.empty()");
  EXPECT_SOFT_ASSERT("!\"No primary sweep column?\"");
  EXPECT_EQ(2u, block.FindBlock(L"Traces")->GetNumItems());
  // A column that cannot be written.
  io::CBlock failed(L"Clip");
  Column::FailNextWrites(1);
  EXPECT_FALSE(Mgr().WriteTracesWithData(failed, m_reportID, {ids[0], ids[1]}));
  Column::FailNextWrites(0);
  EXPECT_SOFT_ASSERT("0");
  ASSERT_EQ(1u, failed.FindBlock(L"Traces")->GetNumItems());
  EXPECT_EQ(i18n::MakeNumberString(ids[1]), failed.FindBlock(L"Traces")->GetBlock(0)->GetName());
  io::CBlock none(L"Clip");
  EXPECT_FALSE(Mgr().WriteTracesWithData(none, 999, {ids[0]}));
  EXPECT_EQ(nullptr, none.FindBlock(L"Traces"));
}

// Data showing its definition's name travels without a name, so each copy shows its own
// definition's name, renames included; a name the data holds itself travels with it.
TEST_F(TracesWithDataTest, DataNamesTravelOnlyWhenTheDataHoldsOne) {
  ConcreteTraceData* namedPlain = PlainData();
  namedPlain->SetTraceName(L"Lab");
  ConcreteCompositeTraceData* namedTree = CompositeData();
  namedTree->SetTraceName(L"Lab");
  std::vector<long> ids = AddImported({PlainData(), CompositeData()}, L"Y Component 1");
  for (long id : AddImported({namedPlain, namedTree}, L"Other")) ids.push_back(id);
  io::CBlock block(L"Clip");
  ASSERT_TRUE(Mgr().WriteTracesWithData(block, m_reportID, ids));
  for (int copy = 0; copy < 2; ++copy) {
    io::CBlock reread;
    ASSERT_TRUE(io::BlockFromText(io::BlockToText(block), reread));
    ASSERT_TRUE(m_target.ReadTracesWithData(m_targetReport, reread, nullptr, nullptr));
  }
  const auto dataName = [](const rep::BaseTraceDefinition* trace) {
    return dynamic_cast<const ImportedTraceDefinition*>(trace)->GetTraceData()->GetTraceName();
  };
  const std::vector<rep::BaseTraceDefinition*> read(Target().GetTraces().begin(), Target().GetTraces().end());
  ASSERT_EQ(8u, read.size());
  for (size_t i = 0; i < read.size(); ++i) {
    SCOPED_TRACE(read[i]->GetName().ToUtf8());
    const bool named = i % 4 >= 2;
    EXPECT_EQ(named ? AString(L"Lab") : read[i]->GetName(), dataName(read[i]));
  }
  EXPECT_EQ(AString(L"Y Component 1"), dataName(read[0]));
  EXPECT_NE(dataName(read[0]), dataName(read[4]));
  VelmorCommand cmd;
  ASSERT_TRUE(m_target.RenameTraceDefinition(L"Renamed", read[5]->GetID(), &cmd));
  cmd.EndDo();
  EXPECT_EQ(AString(L"Renamed"), dataName(read[5]));
}

// A computed trace before its first update has no primary sweep column; it travels, and travels
// again, without the reader taking it for damage.
TEST_F(TracesWithDataTest, DataWithoutPrimarySweepColumnTravelsAgain) {
  io::CBlock block(L"Clip");
  EXPECT_TRUE(Mgr().WriteTracesWithData(block, m_reportID, {m_traceID}));
  EXPECT_SOFT_ASSERT("!mPrimarySweepName.empty()");
  EXPECT_SOFT_ASSERT("!\"No primary sweep column?\"");
  ASSERT_TRUE(m_target.ReadTracesWithData(m_targetReport, block, nullptr, nullptr));
  ASSERT_EQ(1u, Target().GetTraces().size());
  const long readID = Target().GetTraces().front()->GetID();
  io::CBlock again(L"Clip");
  ASSERT_TRUE(m_target.WriteTracesWithData(again, m_targetReport, {readID}));
  const io::CBlock* sweep = block.FindBlock(L"Traces")->GetBlock(0)->FindBlock(L"PrimarySweepInfo");
  const io::CBlock* sweepAgain = again.FindBlock(L"Traces")->GetBlock(0)->FindBlock(L"PrimarySweepInfo");
  ASSERT_NE(nullptr, sweep);
  ASSERT_NE(nullptr, sweepAgain);
  EXPECT_EQ(io::BlockToText(*sweep), io::BlockToText(*sweepAgain));
  EXPECT_TRUE(Target().ReadTracesWithData(again, nullptr, nullptr));

  // Written before the empty column block was: read as before, with the reader's note.
  std::wstring old = io::BlockToText(block);
  const size_t at = old.find(L"PrimarySweepCol");
  ASSERT_NE(std::wstring::npos, at);
  old.erase(at, old.find(L'}', at) + 1 - at);
  io::CBlock oldBlock;
  ASSERT_TRUE(io::BlockFromText(old, oldBlock));
  EXPECT_TRUE(Target().ReadTracesWithData(oldBlock, nullptr, nullptr));
  EXPECT_SOFT_ASSERT("!\"Primary block exists, but no column?!\"");
  EXPECT_EQ(3u, Target().GetTraces().size());
}

// The layout with numbered component blocks, which nothing writes any more.
TEST_F(TracesWithDataTest, AlternativeLayoutReadsAsPlainData) {
  const char* const text = R"(Clip {
  Traces {
    "12" {
      TraceName = "old"
      SourceDesc = "somewhere"
      TraceComponents {
        "0" {
          TraceCompExpr = "Freq"
          TraceDataCol {
            ColumnType = 1
            ColumnUnits = 90
            ColumnCount = 2
            Values = "1 2"
          }
        }
        "1" {
          TraceCompExpr = "Y"
          TraceDataCol {
            ColumnType = 1
            ColumnUnits = 90
            ColumnCount = 2
            Values = "3 4"
          }
        }
      }
      CurvesInfo {
        "0"(2, "k=1")
      }
    }
  }
}
)";
  io::CBlock block;
  ASSERT_TRUE(io::BlockFromText(AString::FromUtf8(text), block)) ;
  VelmorCommand cmd;
  EXPECT_TRUE(m_target.ReadTracesWithData(m_targetReport, block, nullptr, &cmd));
  EXPECT_SOFT_ASSERT("!\"Block for primary column not found\"");
  ASSERT_EQ(1u, Target().GetTraces().size());
  const rep::BaseTraceDefinition* trace = Target().GetTraces().front();
  EXPECT_EQ(AString(L"old"), trace->GetName());
  ASSERT_EQ(2u, trace->GetNumComponents());
  EXPECT_EQ(AString(L"Y"), trace->GetComponent(1)->GetExpression());
  auto* data = dynamic_cast<ConcreteTraceData*>(dynamic_cast<const ImportedTraceDefinition*>(trace)->GetTraceData());
  ASSERT_NE(nullptr, data);
  EXPECT_EQ(2u, data->GetNumPointsInCurve(0));
  EXPECT_EQ("1:90:2 [3 4]", std::to_string(data->GetDataColumn(1)->GetParameterType()) + ":" +
                              std::to_string(data->GetDataColumn(1)->GetUnits()) + ":2 [" +
                              AString(data->GetDataColumn(1)->GetValuesText()).ToUtf8() + "]");
}

// Each damage fails its own trace only; the good trace beside it is still added.
TEST_F(TracesWithDataTest, DamagedTracesAreLeftOut) {
  const std::vector<long> ids = AddImported({PlainData()});
  io::CBlock good(L"Clip");
  ASSERT_TRUE(Mgr().WriteTracesWithData(good, m_reportID, ids));
  const AString text = io::BlockToText(good);
  struct Case {
    const wchar_t* from;
    const wchar_t* to;
    std::vector<const char*> asserts;
    const char* why;
  };
  const Case cases[] = {
      {L"IsCompositeData", L"IsComposite", {"0"}, "no data kind"},
      {L"TraceComponents {", L"Comps {", {"0"}, "no components"},
      {L"TraceDataComps {", L"Comps {", {"0"}, "components that do not read"},
      {L"CurvesInfo {", L"Curves {", {"0"}, "no curves"},
      {L"\"0\"(2,", L"\"0\"(9,", {"0"}, "points past the columns"},
      {L"SurfsInfo = [1, 1]", L"SurfsInfo = [1, 5]", {"0"}, "surfaces past the curves"},
      {L"SurfNames = [\"b=1\", \"b=2\"]", L"SurfNames = [\"b=1\"]", {"0"}, "surface names short"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    std::wstring damaged = text;
    const size_t at = damaged.find(c.from);
    ASSERT_NE(std::wstring::npos, at) << text.ToUtf8();
    damaged.replace(at, wcslen(c.from), c.to);
    // The damaged trace beside a good copy of itself.
    io::CBlock block;
    ASSERT_TRUE(io::BlockFromText(damaged, block));
    io::CBlock* traces = block.FindBlockForEdit(L"Traces");
    io::CBlock whole = *good.FindBlock(L"Traces")->GetBlock(0);
    *traces << whole;
    VelmorCommand cmd;
    const size_t before = Target().GetTraces().size();
    EXPECT_FALSE(m_target.ReadTracesWithData(m_targetReport, block, nullptr, &cmd));
    for (const char* a : c.asserts) EXPECT_SOFT_ASSERT(a);
    EXPECT_EQ(before + 1, Target().GetTraces().size());
  }
  // A non-block item, and no "Traces" at all.
  io::CBlock odd(L"Clip");
  io::CBlock traces(L"Traces");
  traces << io::NamedValue(L"X", 1L);
  odd << traces;
  VelmorCommand cmd;
  EXPECT_FALSE(m_target.ReadTracesWithData(m_targetReport, odd, nullptr, &cmd));
  EXPECT_SOFT_ASSERT("tdBlock");
  io::CBlock empty(L"Clip");
  EXPECT_FALSE(m_target.ReadTracesWithData(m_targetReport, empty, nullptr, &cmd));
  EXPECT_FALSE(m_target.ReadTracesWithData(999, good, nullptr, &cmd));
}

// A column unit no table knows is reported and read as no unit: the trace comes with every value.
TEST_F(TracesWithDataTest, AnUnknownColumnUnitKeepsTheTraceAndItsValues) {
  const std::vector<long> ids = AddImported({PlainData()});
  io::CBlock block(L"Clip");
  ASSERT_TRUE(Mgr().WriteTracesWithData(block, m_reportID, ids));
  const AString text = reptest::WithColumnUnit(io::BlockToText(block), L"4 5 6", 99);
  ASSERT_NE(std::string::npos, text.ToUtf8().find("ColumnUnits = 99"));
  io::CBlock reread;
  ASSERT_TRUE(io::BlockFromText(text, reread));
  VelmorCommand cmd;
  EXPECT_TRUE(m_target.ReadTracesWithData(m_targetReport, reread, nullptr, &cmd));
  EXPECT_SOFT_ASSERT("!\"unknown full unit type\"");
  ASSERT_EQ(1u, Target().GetTraces().size());
  EXPECT_EQ(Text(*Report(m_reportID).FindTrace(ids[0])), Text(*Target().GetTraces().front()));
}

// Every report hears the command: the traces it added, in either report, get their digital columns
// converted.
TEST_F(TracesWithDataTest, ManagerPassesCommandsToImportedTraces) {
  const long second = AddReport(L"Second");
  VelmorCommand cmd;
  rep::ReportDefinitionCmdInfo* info = rep::GetOrCreateReportDefinitionCmdInfo(&cmd, &m_owner);
  std::vector<ConcreteTraceData*> datas;
  for (long reportID : {m_reportID, second}) {
    ConcreteTraceData* data = PlainData();
    std::unique_ptr<Column> ints(Column::CreateColumn(static_cast<val::ParameterType>(13), 90));
    ints->GetIntColumn()->GetValues() = {1, 2, 3};
    data->GetTraceComponentData()[1]->SetDataColumn(ints.release());
    datas.push_back(data);
    info->AddNewTrace(reportID, AddImported({data}, L"T", reportID).at(0));
  }
  Mgr().HandleCommandForImportedTraces(&cmd);
  for (ConcreteTraceData* data : datas) EXPECT_EQ(1, data->GetDataColumn(1)->GetParameterType());
  EXPECT_FALSE(Mgr().ImportTracesFromFile(999, L"x.csv", &cmd, 1));
}

}  // namespace
