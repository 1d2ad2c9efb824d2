#include "reports/ImportedTraceDefinition.h"

#include <functional>

#include "tracedata/ConcreteCompositeTraceData.h"
#include "tracedata/ConcreteTraceData.h"
#include "reports/GravikUtils.h"
#include "tracedata/ReportDataManager.h"
#include "reports/ReportDefinitionCmdInfo.h"
#include "RepTest.h"
#include "StoredTraceFixture.h"
#include "orvex/core/VelmorCommand.h"
#include "orvex/io/BlockFile.h"
#include "postorvex/columns/IntColumn.h"

namespace {

using rep::ConcreteCompositeTraceData;
using rep::ConcreteTraceData;
using rep::ImportedTraceDefinition;
using reptest::DoubleColumnOf;

class ImportedTraceDefinitionTest : public reptest::StoredTraceFixture {
protected:
  // Two curves over x and y.
  ConcreteTraceData* PlainData(long id) { return reptest::TwoCurvesOverFreq(Mgr(), id); }

  ConcreteCompositeTraceData* CompositeData(long id) { return reptest::OneLeafOverTime(Mgr(), id); }

  std::unique_ptr<ImportedTraceDefinition> MakeImported(IAbstractTraceData* data) {
    auto trace = std::make_unique<ImportedTraceDefinition>(Mgr(), L"file.csv", std::vector<AString>{L"Freq", L"Y"},
                                                           ExtTraceInfo());
    trace->SetTraceData(data);
    trace->SetIDAndVersionID(Mgr().GetNewUniqueID(), 0);
    return trace;
  }

  // Adds the trace to a new report without undo; answers the trace as the report holds it.
  ImportedTraceDefinition& AddToReport(ImportedTraceDefinition& trace) {
    const long reportID = AddReport(L"Imported", {&trace});
    return *dynamic_cast<ImportedTraceDefinition*>(Report(reportID).GetTraces().front());
  }

  static std::string Text(IAbstractTraceData* data) {
    if (!data) return "none";
    if (auto* plain = dynamic_cast<rep::ITraceData*>(data)) return reptest::Describe(*plain);
    io::CBlock block(L"c");
    dynamic_cast<ConcreteCompositeTraceData*>(data)->DoDataExchange(block, false);
    return io::BlockToText(block).ToUtf8();
  }
};

TEST_F(ImportedTraceDefinitionTest, AnswersAsATraceWithoutSolution) {
  std::unique_ptr<ImportedTraceDefinition> trace = MakeImported(PlainData(0));
  EXPECT_EQ(2, trace->GetTraceDefinitionType());
  EXPECT_EQ(AString(L"Imported"), trace->GetSolutionName());
  EXPECT_EQ(AString(L"file.csv"), trace->GetSourceDescription());
  EXPECT_EQ(AString(L"Y"), trace->GetName());
  EXPECT_TRUE(trace->GetIsNameTiedToExpressionFlag());
  EXPECT_TRUE(trace->ValidateDefinition(true));
  VelmorCommand cmd;
  EXPECT_FALSE(trace->UpdateOnCommand(&cmd));
  EXPECT_EQ(AString(L"Freq"), trace->GetPrimarySweepName());

  ImportedTraceDefinition empty(Mgr());
  EXPECT_EQ(AString(), empty.GetPrimarySweepName());
  EXPECT_SOFT_ASSERT("0");
}

TEST_F(ImportedTraceDefinitionTest, DataFollowsEveryIDChange) {
  std::unique_ptr<ImportedTraceDefinition> trace = MakeImported(PlainData(0));
  auto* data = dynamic_cast<ConcreteTraceData*>(trace->GetTraceData());
  EXPECT_EQ(trace->GetID(), data->GetTraceDefID());
  trace->SetID(4711);
  EXPECT_EQ(4711, data->GetTraceDefID());
  trace->SetIDAndVersionID(4712, 3);
  EXPECT_EQ(4712, data->GetTraceDefID());
  trace->AssignNewID(Mgr(), nullptr);
  EXPECT_NE(4712, trace->GetID());
  EXPECT_EQ(trace->GetID(), data->GetTraceDefID());

  trace->SetTraceData(CompositeData(1));
  trace->SetID(99);
  EXPECT_EQ(99, dynamic_cast<ConcreteCompositeTraceData*>(trace->GetTraceData())->GetTraceDefID());
}

TEST_F(ImportedTraceDefinitionTest, SetTraceDataKeepsWhatItHoldsAndRefusesOtherKinds) {
  std::unique_ptr<ImportedTraceDefinition> trace = MakeImported(PlainData(0));
  IAbstractTraceData* held = trace->GetTraceData();
  trace->SetTraceData(held);
  EXPECT_EQ(held, trace->GetTraceData());
  EXPECT_EQ(2u, held->GetNumCurves());
  trace->SetTraceData(nullptr);
  EXPECT_SOFT_ASSERT("dynamic_cast<ConcreteTraceData*>(data)||dynamic_cast<ConcreteCompositeTraceData*>(data)");
  EXPECT_EQ(nullptr, trace->GetTraceData());
}

TEST_F(ImportedTraceDefinitionTest, DataManagerAnswersWhetherTheDefinitionHoldsData) {
  rep::ReportDataManager& dm = *Mgr().GetDataManager();
  std::unique_ptr<ImportedTraceDefinition> plain = MakeImported(PlainData(0));
  std::unique_ptr<ImportedTraceDefinition> composite = MakeImported(CompositeData(0));
  std::unique_ptr<ImportedTraceDefinition> empty = MakeImported(nullptr);
  EXPECT_SOFT_ASSERT("dynamic_cast<ConcreteTraceData*>(data)||dynamic_cast<ConcreteCompositeTraceData*>(data)");
  struct Case {
    const char* what;
    ImportedTraceDefinition* trace;
    bool holds;
  };
  const Case cases[] = {
      {"plain stored data", &AddToReport(*plain), true},
      {"composite stored data", &AddToReport(*composite), true},
      {"no data", &AddToReport(*empty), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.holds, dm.HasTraceData(c.trace->GetID()));
    EXPECT_EQ(c.trace->GetTraceData(), dm.GetIAbstractTraceData(c.trace->GetID()));
    EXPECT_FALSE(dm.DeleteTraceData(c.trace->GetID())) << "nothing of it in the manager's own data";
    EXPECT_EQ(c.holds, dm.HasTraceData(c.trace->GetID()));
  }
}

TEST_F(ImportedTraceDefinitionTest, ClonesAndCopiesAreIndependent) {
  std::unique_ptr<ImportedTraceDefinition> source = MakeImported(PlainData(0));
  const std::string sourceText = Text(source->GetTraceData());
  std::unique_ptr<rep::IBaseTraceDefinition> cloneBase(source->CloneDefinition());
  auto* clone = dynamic_cast<ImportedTraceDefinition*>(cloneBase.get());
  ASSERT_NE(nullptr, clone);
  EXPECT_EQ(source->GetID(), clone->GetID());
  EXPECT_FALSE(clone->GetIsNameTiedToExpressionFlag());
  EXPECT_NE(source->GetVersionID(), clone->GetVersionID());
  EXPECT_EQ(sourceText, Text(clone->GetTraceData()));
  EXPECT_NE(source->GetTraceData(), clone->GetTraceData());

  ImportedTraceDefinition copy(Mgr());
  copy.CopyFrom(*source);
  EXPECT_EQ(source->GetID(), copy.GetID());
  EXPECT_EQ(AString(L"file.csv"), copy.GetSourceDescription());
  EXPECT_EQ(source->GetID(), dynamic_cast<ConcreteTraceData*>(copy.GetTraceData())->GetTraceDefID());
  source.reset();
  EXPECT_EQ(sourceText, Text(clone->GetTraceData()));
  EXPECT_EQ(sourceText, Text(copy.GetTraceData()));

  // A computed trace is no source: nothing is copied.
  copy.CopyFrom(Trace());
  EXPECT_SOFT_ASSERT("source");
  EXPECT_EQ(AString(L"file.csv"), copy.GetSourceDescription());
  EXPECT_EQ(AString(L"Y"), copy.GetName());
}

// A copy of another manager's imported trace keeps data of this manager: the other one may go
// first.
TEST_F(ImportedTraceDefinitionTest, CopyFromAnotherManagerKeepsDataOfItsOwn) {
  for (bool composite : {false, true}) {
    SCOPED_TRACE(composite ? "composite" : "plain");
    auto other = std::make_unique<rep::ReportManager>(&m_owner, true);
    auto source = std::make_unique<ImportedTraceDefinition>(*other, L"file.csv", std::vector<AString>{L"Freq", L"Y"},
                                                            ExtTraceInfo());
    if (composite) {
      auto* data = new ConcreteCompositeTraceData(*other, 0);
      data->AddComponent(new rep::TraceComponentData(DoubleColumnOf({7, 8}).release(), nullptr, nullptr));
      data->SetCurveInfo(0, 2, L"");
      source->SetTraceData(data);
    } else {
      source->SetTraceData(reptest::TwoCurvesOverFreq(*other, 0));
    }
    source->SetIDAndVersionID(other->GetNewUniqueID(), 0);

    ImportedTraceDefinition& copy = AddToReport(*MakeImported(PlainData(0)));
    const long id = copy.GetID();
    copy.CopyFrom(*source);
    EXPECT_SOFT_ASSERT("&mMgr == &(btrFrom.mMgr)");
    copy.SetID(id);
    const std::string copied = Text(copy.GetTraceData());
    source.reset();
    other.reset();

    IAbstractTraceData* data = copy.GetTraceData();
    ASSERT_NE(nullptr, data);
    EXPECT_EQ(copied, Text(data));
    if (auto* plain = dynamic_cast<ConcreteTraceData*>(data)) {
      EXPECT_EQ(&Mgr(), &plain->GetManager());
      EXPECT_EQ(&copy, plain->GetTraceDefinition());
    } else {
      EXPECT_EQ(&Mgr(), &dynamic_cast<ConcreteCompositeTraceData*>(data)->GetManager());
      EXPECT_EQ(copy.GetName(), data->GetTraceName());
    }
  }
}

TEST_F(ImportedTraceDefinitionTest, BlockRoundTripsPlainAndCompositeData) {
  for (bool composite : {false, true}) {
    SCOPED_TRACE(composite);
    std::unique_ptr<ImportedTraceDefinition> trace =
        MakeImported(composite ? static_cast<IAbstractTraceData*>(CompositeData(0)) : PlainData(0));
    io::CBlock block(trace->GetBlockName());
    ASSERT_EQ(io::kNoError, trace->DoDataExchange(block, false));
    EXPECT_NE(nullptr, block.FindBlock(composite ? L"CompositeTraceData" : L"TraceData"));
    ImportedTraceDefinition back(Mgr());
    EXPECT_EQ(io::kNoError, back.DoDataExchange(block, true));
    EXPECT_EQ(trace->GetID(), back.GetID());
    EXPECT_EQ(AString(L"file.csv"), back.GetSourceDescription());
    EXPECT_EQ(Text(trace->GetTraceData()), Text(back.GetTraceData()));
  }
  // Without data: no sub-block, and reading it back records -1 and keeps no data.
  ImportedTraceDefinition bare(Mgr(), L"src", std::vector<AString>{L"x", L"y"}, ExtTraceInfo());
  io::CBlock block(bare.GetBlockName());
  EXPECT_EQ(io::kNoError, bare.DoDataExchange(block, false));
  ImportedTraceDefinition back(Mgr());
  EXPECT_EQ(io::kMissingBlock, back.DoDataExchange(block, true));
  EXPECT_EQ(nullptr, back.GetTraceData());
  EXPECT_EQ(AString(L"src"), back.GetSourceDescription());
}

TEST_F(ImportedTraceDefinitionTest, ProjectHoldingImportedTracesRoundTrips) {
  std::unique_ptr<ImportedTraceDefinition> plain = MakeImported(PlainData(0));
  std::unique_ptr<ImportedTraceDefinition> composite = MakeImported(CompositeData(0));
  const long reportID = AddReport(L"Imported", {plain.get(), composite.get(), &Trace()});
  io::CBlock project(L"Project");
  ASSERT_EQ(io::kNoError, Mgr().DoDataExchange(project, false));
  io::CBlock reread;
  ASSERT_TRUE(io::BlockFromText(io::BlockToText(project), reread));
  rep::ReportManager fresh(&m_owner, true);
  ASSERT_EQ(io::kNoError, fresh.DoDataExchange(reread, true));
  auto* report = dynamic_cast<rep::ReportDefinition*>(fresh.GetReportDefinition(reportID));
  ASSERT_NE(nullptr, report);
  ASSERT_EQ(3u, report->GetTraces().size());
  const auto& before = Report(reportID).GetTraces();
  auto b = before.begin();
  for (rep::BaseTraceDefinition* t : report->GetTraces()) {
    EXPECT_EQ((*b)->GetID(), t->GetID());
    EXPECT_EQ((*b)->GetName(), t->GetName());
    EXPECT_EQ((*b)->GetTraceDefinitionType(), t->GetTraceDefinitionType());
    if (auto* imported = dynamic_cast<ImportedTraceDefinition*>(t)) {
      EXPECT_EQ(Text(dynamic_cast<ImportedTraceDefinition*>(*b)->GetTraceData()), Text(imported->GetTraceData()));
      // The data manager hands out the stored data.
      EXPECT_EQ(imported->GetTraceData(), fresh.GetReportDataManagerForEdit()->GetIAbstractTraceData(t->GetID()));
    }
    ++b;
  }
}

// A damaged column of an imported trace's data in a project: a unit no table knows is reported and
// read as no unit, and every value stays; a value that does not read costs its component, and the
// project says it was not read whole. The trace stays with what did read.
TEST_F(ImportedTraceDefinitionTest, ADamagedDataColumnInAProjectKeepsTheTrace) {
  struct Case {
    const char* why;
    std::function<AString(const AString&)> damage;
    bool readWhole;
    unsigned components;
  };
  const Case cases[] = {
      {"a unit no table knows", [](const AString& t) { return reptest::WithColumnUnit(t, L"4 5 6", 99); }, true, 2},
      {"a value that does not read",
       [](const AString& t) {
         std::wstring out = t;
         const size_t at = out.find(L"\"4 5 6\"");
         if (at != std::wstring::npos) out.replace(at, 7, L"\"4 5 x\"");
         return AString(out);
       },
       false, 1},
  };
  std::unique_ptr<ImportedTraceDefinition> plain = MakeImported(PlainData(0));
  const long reportID = AddReport(L"Imported", {plain.get()});
  auto* written = dynamic_cast<ImportedTraceDefinition*>(Report(reportID).GetTraces().front());
  ASSERT_NE(nullptr, written);
  io::CBlock project(L"Project");
  ASSERT_EQ(io::kNoError, Mgr().DoDataExchange(project, false));
  const AString text = io::BlockToText(project);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    const AString damaged = c.damage(text);
    ASSERT_NE(text, damaged);
    io::CBlock reread;
    ASSERT_TRUE(io::BlockFromText(damaged, reread));
    rep::ReportManager fresh(&m_owner, true);
    EXPECT_EQ(c.readWhole, fresh.DoDataExchange(reread, true) == io::kNoError);
    if (c.readWhole) {
      EXPECT_SOFT_ASSERT("!\"unknown full unit type\"");
    }
    auto* report = dynamic_cast<rep::ReportDefinition*>(fresh.GetReportDefinition(reportID));
    ASSERT_NE(nullptr, report);
    ASSERT_EQ(1u, report->GetTraces().size());
    auto* imported = dynamic_cast<ImportedTraceDefinition*>(report->GetTraces().front());
    ASSERT_NE(nullptr, imported);
    auto* data = dynamic_cast<rep::ITraceData*>(imported->GetTraceData());
    ASSERT_NE(nullptr, data);
    EXPECT_EQ(c.components, data->GetNumComponents());
    EXPECT_EQ(2u, data->GetNumCurves());
    if (c.readWhole) {
      EXPECT_EQ(Text(written->GetTraceData()), Text(data));
    }
  }
}

// Digital columns convert only for a trace that the command has just added, and only when the
// report does not keep them.
TEST_F(ImportedTraceDefinitionTest, ConvertsDigitalColumnsOnlyForNewTraces) {
  struct Case {
    bool composite, added, keeps;
    int expectedType;
  };
  const Case cases[] = {
      {false, true, false, 1}, {false, false, false, 13}, {false, true, true, 13}, {true, true, false, 13},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.composite << c.added << c.keeps);
    std::unique_ptr<Column> ints(Column::CreateColumn(static_cast<val::ParameterType>(13), 90));
    ints->GetIntColumn()->GetValues() = {1, 2};
    IAbstractTraceData* data = nullptr;
    if (c.composite) {
      ConcreteCompositeTraceData* composite = CompositeData(0);
      composite->AddComponent(new rep::TraceComponentData(ints.release(), nullptr, nullptr));
      data = composite;
    } else {
      auto* plain = PlainData(0);
      plain->GetTraceComponentData()[1]->SetDataColumn(ints.release());
      data = plain;
    }
    std::unique_ptr<ImportedTraceDefinition> source = MakeImported(data);
    ImportedTraceDefinition& trace = AddToReport(*source);
    const long reportID = Mgr().GetReportIDOfTrace(trace.GetID());
    m_owner.SetReportKeepsDigitalColumns(reportID, c.keeps);
    VelmorCommand cmd;
    if (c.added)
      rep::GetOrCreateReportDefinitionCmdInfo(&cmd, &m_owner)->AddNewTrace(reportID, trace.GetID());
    Report(reportID).HandleCommandForImportedTraces(&cmd);
    const Column* digital = nullptr;
    if (auto* plain = dynamic_cast<ConcreteTraceData*>(trace.GetTraceData())) digital = plain->GetDataColumn(1);
    if (auto* composite = dynamic_cast<ConcreteCompositeTraceData*>(trace.GetTraceData()))
      if (auto* leaf = dynamic_cast<ITraceComponentData*>(composite->GetComponent(1)))
        digital = leaf->GetDataColumn();
    ASSERT_NE(nullptr, digital);
    EXPECT_EQ(c.expectedType, digital->GetParameterType());
  }
}

}  // namespace
