// Whole reports with their data, a report's plot data written to a file, solution counts and the
// manager's passes over every report.
#include <map>
#include <string>
#include <vector>

#include "ForeignKinds.h"
#include "Gravik/IReportDataManager.h"
#include "reports/GravikUtils.h"
#include "reports/ImportedTraceDefinition.h"
#include "RepTest.h"
#include "reports/ReportDefinitionCmdInfo.h"
#include "StoredTraceFixture.h"
#include "orvex/core/VelmorCommand.h"
#include "orvex/io/BlockFile.h"
#include "orvex/io/NamedValue.h"
#include "orvex/values/VariableValues.h"
#include "postorvex/solution/SimValueContext.h"
#include "postorvex/sweeps/SweepBase.h"
#include "refhost/RecordingPasteListener.h"

namespace {

// The listener's report and trace calls, in the order they came.
class CallLog : public refhost::RecordingPasteListener {
public:
  void OnTraceIDChanged(long oldID, long newID) override {
    calls.push_back("trace " + std::to_string(oldID) + "->" + std::to_string(newID));
    RecordingPasteListener::OnTraceIDChanged(oldID, newID);
  }
  void OnReportIDChanged(long oldID, long newID) override {
    calls.push_back("report " + std::to_string(oldID) + "->" + std::to_string(newID));
    RecordingPasteListener::OnReportIDChanged(oldID, newID);
  }
  void OnReportNameChanged(const AString& oldName, const AString& newName) override {
    calls.push_back("name " + oldName.ToUtf8() + "->" + newName.ToUtf8());
    RecordingPasteListener::OnReportNameChanged(oldName, newName);
  }
  std::vector<std::string> calls;
};

class ReportsWithDataTest : public reptest::EngineFixture {
protected:
  ReportsWithDataTest() : m_target(&m_owner, true) {}

  rep::ConcreteTraceData* Data(const AString& name) {
    rep::ConcreteTraceData* data = reptest::TwoCurvesOverFreq(Mgr(), 0);
    data->SetTraceName(name);
    return data;
  }

  // Adds imported traces, one per name, each holding its own data; answers their IDs.
  std::vector<long> AddImported(long reportID, const std::vector<AString>& names) {
    std::vector<rep::BaseTraceDefinition*> traces;
    std::vector<long> ids;
    for (const AString& name : names) {
      auto* trace = new rep::ImportedTraceDefinition(Mgr(), L"lab.csv", name, {L"Freq", L"Y"}, ExtTraceInfo(), false);
      trace->SetTraceData(Data(name));
      trace->SetIDAndVersionID(Mgr().GetNewUniqueID(), 0);
      traces.push_back(trace);
      ids.push_back(trace->GetID());
    }
    Report(reportID).AddNewTraceDefinitions(traces, nullptr);
    return ids;
  }

  // What a reader of each trace's data sees, trace by trace.
  static std::vector<std::string> Curves(rep::ReportManager& mgr, long reportID) {
    std::vector<std::string> out;
    std::vector<long> ids;
    mgr.GetReportDefinition(reportID)->GetTraceIDs(ids);
    for (long id : ids) {
      rep::ITraceData* data = mgr.GetReportDataManagerForEdit()->GetITraceData(id);
      out.push_back(data ? reptest::Describe(*data) : "no data");
    }
    return out;
  }

  static long ReportNamed(rep::ReportManager& mgr, const AString& name) {
    std::vector<long> ids;
    mgr.GetReportIDs(ids);
    for (long id : ids)
      if (mgr.GetReportDefinition(id)->GetReportName() == name) return id;
    return 0;
  }

  rep::ReportManager m_target;
};

TEST_F(ReportsWithDataTest, ReportsTravelIntoAnotherManagerAsImportedTraces) {
  const long measured = AddReport(L"Measured");
  AddImported(measured, {L"Cold", L"Hot"});
  const long empty = AddReport(L"Empty");
  // The target already holds a report of the first name, and so issues other IDs.
  AddReport(L"Unrelated");
  std::unique_ptr<rep::IReportDefinition> taken = m_target.CreateReportDefinition(L"Measured");
  m_target.AddReportDefinition(*taken, nullptr);

  io::CBlock block(L"Clip");
  ASSERT_TRUE(Mgr().WriteReportsWithData(block, {measured, empty}));
  ASSERT_EQ(2u, block.GetNumItems());
  EXPECT_EQ(AString(L"Measured"), block.GetBlock(0)->GetName());
  long written = 0;
  io::CBlock first = *block.GetBlock(0);
  first >> io::NamedValue(L"ReportID", written);
  EXPECT_EQ(measured, written);

  io::CBlock reread;
  ASSERT_TRUE(io::BlockFromText(io::BlockToText(block), reread));
  CallLog listener;
  VelmorCommand cmd;
  m_target.ReadReportsWithData(reread, &listener, &cmd);
  cmd.EndDo();

  std::vector<long> ids;
  m_target.GetReportIDs(ids);
  ASSERT_EQ(3u, ids.size());
  const long renamed = ReportNamed(m_target, L"Measured1");
  const long emptyCopy = ReportNamed(m_target, L"Empty");
  ASSERT_NE(0, renamed);
  ASSERT_NE(0, emptyCopy);
  EXPECT_NE(measured, renamed);
  EXPECT_NE(empty, emptyCopy);
  EXPECT_EQ(Curves(Mgr(), measured), Curves(m_target, renamed));
  EXPECT_TRUE(Curves(m_target, emptyCopy).empty());
  for (const rep::BaseTraceDefinition* trace :
       dynamic_cast<rep::ReportDefinition*>(m_target.GetReportDefinition(renamed))->GetTraces())
    EXPECT_EQ(2, trace->GetTraceDefinitionType());

  // Per report: its names, its IDs, then the IDs of its traces.
  std::vector<long> oldTraces, newTraces;
  Report(measured).GetTraceIDs(oldTraces);
  m_target.GetReportDefinition(renamed)->GetTraceIDs(newTraces);
  ASSERT_EQ(2u, newTraces.size());
  auto pair = [](const char* what, long a, long b) {
    return std::string(what) + " " + std::to_string(a) + "->" + std::to_string(b);
  };
  EXPECT_EQ((std::vector<std::string>{"name Measured->Measured1", pair("report", measured, renamed),
                                      pair("trace", oldTraces[0], newTraces[0]),
                                      pair("trace", oldTraces[1], newTraces[1]), "name Empty->Empty",
                                      pair("report", empty, emptyCopy)}),
            listener.calls);

  // One undo takes every report read back out.
  cmd.Undo();
  ids.clear();
  m_target.GetReportIDs(ids);
  EXPECT_EQ(1u, ids.size());
}

TEST_F(ReportsWithDataTest, WriterSkipsUnknownReportsAndReaderSkipsWhatIsNoReport) {
  const long measured = AddReport(L"Measured");
  AddImported(measured, {L"Cold"});
  io::CBlock block(L"Clip");
  EXPECT_FALSE(Mgr().WriteReportsWithData(block, {4711, measured}));
  ASSERT_EQ(1u, block.GetNumItems());
  EXPECT_EQ(AString(L"Measured"), block.GetBlock(0)->GetName());

  // A value where a report should be, a report block that lost its old ID and one whose old ID is
  // no number.
  io::CBlock damaged(L"Clip");
  damaged << io::NamedValue(L"Stray", 1L);
  io::CBlock noID(L"Lost");
  damaged << noID;
  io::CBlock textID(L"Texted");
  textID << io::NamedValue(L"ReportID", L"seven");
  damaged << textID;
  damaged << *block.GetBlock(0);
  CallLog listener;
  VelmorCommand cmd;
  m_target.ReadReportsWithData(damaged, &listener, &cmd);
  EXPECT_SOFT_ASSERT("rBlock");
  std::vector<long> ids;
  m_target.GetReportIDs(ids);
  ASSERT_EQ(3u, ids.size());
  EXPECT_EQ(AString(L"Lost"), m_target.GetReportDefinition(ids[0])->GetReportName());
  EXPECT_EQ("report " + std::to_string(id::invalidID) + "->" + std::to_string(ids[0]), listener.calls.at(1));
  EXPECT_EQ("report " + std::to_string(id::invalidID) + "->" + std::to_string(ids[1]), listener.calls.at(3));
  EXPECT_TRUE(Curves(m_target, ids[0]).empty());
  EXPECT_EQ(Curves(Mgr(), measured), Curves(m_target, ids[2]));
  // Without a listener nothing is told, and the reports still come.
  m_target.ReadReportsWithData(block, nullptr, nullptr);
  ids.clear();
  m_target.GetReportIDs(ids);
  EXPECT_EQ(4u, ids.size());
}

TEST_F(ReportsWithDataTest, ExportWritesTheTracesThatHoldData) {
  reptest::TempDir dir;
  auto computed = MakeTrace({L"Freq", L"dB(S(1,1))"}, L"Computed");
  const long mixed = AddReport(L"Mixed", {computed.get()});
  AddImported(mixed, {L"Cold"});
  const long noData = AddReport(L"NoData", {computed.get()});
  const long noTraces = AddReport(L"NoTraces");
  const PlotExportDefs::DisplayUnits units{{L"Freq", 113}};

  // The computed trace has no data before its first update and is left out.
  const std::string file = dir.File("mixed.txt");
  ASSERT_TRUE(Mgr().ExportReport(mixed, AString::FromUtf8(file), units, {PlotExportDefs::kMagPhase}));
  EXPECT_EQ("# Mixed\n# Cold\n# Curve\tFreq\tY\na=1\t1\t4\na=1\t2\t5\na=2\t3\t6\n", reptest::ReadFileBytes(file));
  const std::string texts = dir.File("texts.txt");
  ASSERT_TRUE(Mgr().ExportReport(mixed, AString::FromUtf8(texts), units, L"a", L"b", L"c"));
  EXPECT_EQ(reptest::ReadFileBytes(file), reptest::ReadFileBytes(texts));

  struct Case {
    long reportID;
    const char* why;
  };
  const Case refused[] = {{noData, "no trace holds data"}, {noTraces, "no traces"}, {4711, "no such report"}};
  for (const Case& c : refused) {
    SCOPED_TRACE(c.why);
    const std::string none = dir.File("none.txt");
    EXPECT_FALSE(Mgr().ExportReport(c.reportID, AString::FromUtf8(none), units, {}));
    EXPECT_FALSE(Mgr().ExportReport(c.reportID, AString::FromUtf8(none), units, L"", L"", L""));
    EXPECT_FALSE(LongFileName(AString::FromUtf8(none)).Exists());
  }
  EXPECT_FALSE(Mgr().ExportReport(mixed, AString::FromUtf8(dir.File("no/such/folder.txt")), units, {}));
}

TEST_F(ReportsWithDataTest, SolutionCountsAppendTheSolutionsVariables) {
  refhost::ReferenceSolution& solution = *m_solutions.FindSolution(10);
  solution.AddVariable(L"Freq", Value(1.0, 113), false);  // no major variable: never counted
  Variable* length = solution.AddVariable(L"L", Value(1.0, 142), true);
  Variable* width = solution.AddVariable(L"W", Value(2.0, 142), true);
  VariableValues onlyWidth;
  onlyWidth.SetVariableValue(width, Value(2.0, 142));
  const DesignSolutionDefinition known(100, 10, ReportTypeSolutionDefinition(1));
  const DesignSolutionDefinition unknown(100, 99, ReportTypeSolutionDefinition(1));

  struct Case {
    const DesignSolutionDefinition* dsd;
    const VariableValues* variation;
    std::vector<Variable*> appended;
    const char* why;
  };
  const Case cases[] = {
      {&known, nullptr, {length, width}, "the major variables"},
      {&known, &onlyWidth, {width}, "those the variation names"},
      {&unknown, nullptr, {}, "a solution the host lacks"},
      {&unknown, &onlyWidth, {}, "a solution the host lacks, with a variation"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    // What the vector held before stays; the answer counts what was appended.
    std::vector<Variable*> out{nullptr};
    const int count = c.variation ? Mgr().CountSolutionEntriesForVariableValues(out, *c.dsd, *c.variation)
                                  : Mgr().CountSolutionEntries(out, *c.dsd);
    EXPECT_EQ(static_cast<int>(c.appended.size()), count);
    std::vector<Variable*> expected{nullptr};
    expected.insert(expected.end(), c.appended.begin(), c.appended.end());
    EXPECT_EQ(expected, out);
  }
}

TEST_F(ReportsWithDataTest, SimValueContextValidForReportType) {
  refhost::ReferenceSolution& solution = *m_solutions.FindSolution(10);
  solution.AddSupportedReportType(1);
  const SimValueContext fitting(3, 0, 2, 0, 1.0, 1.0, 0.0, 0.0);
  const SimValueContext other(4, 0, 2, 0, 1.0, 1.0, 0.0, 0.0);
  solution.AddFittingContext(fitting, 1);
  ReportTypeSolutionDefinition fits(1);
  fits.SetSimValueContext(fitting);
  ReportTypeSolutionDefinition unfit(1);
  unfit.SetSimValueContext(other);
  ReportTypeSolutionDefinition unsupported(2);
  unsupported.SetSimValueContext(fitting);

  struct Case {
    long solutionID;
    const ReportTypeSolutionDefinition* rtsd;
    bool valid;
    const char* why;
  };
  const Case cases[] = {
      {99, &fits, false, "no solution"},
      {10, &unsupported, false, "report type not supported"},
      {10, &unfit, false, "context does not fit"},
      {10, &fits, true, "fits"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(c.valid, Mgr().IsSimValueContextValidForReportType(c.solutionID, *c.rtsd));
  }
}

TEST_F(ReportsWithDataTest, PointsetValidation) {
  refhost::ReferenceSolution& solution = *m_solutions.FindSolution(10);
  solution.AddSweep(solution.AddVariable(L"Freq", Value(1.0, 113), false), {1, 2, 3});
  SubsweepDefParamsContainer subsweeps;
  subsweeps.PushBackAndOwn(solution.GetSweepOfVariable(L"Freq", SimValueContext(), 1)->CreateDefaultSubsweepDefParams());
  std::unique_ptr<rep::IPointsetDefinition> sweeping = Mgr().CreatePointsetDefinition(subsweeps, {});
  std::unique_ptr<rep::IPointsetDefinition> empty = Mgr().CreatePointsetDefinition(SubsweepDefParamsContainer(), {});
  const DesignSolutionDefinition run1(100, 10, ReportTypeSolutionDefinition(1));
  const DesignSolutionDefinition run2(100, 11, ReportTypeSolutionDefinition(1));

  EXPECT_TRUE(Mgr().ValidatePointsetDefinition(*sweeping, run1));
  EXPECT_FALSE(Mgr().ValidatePointsetDefinition(*sweeping, run2)) << "the other solution has no such sweep";
  EXPECT_FALSE(Mgr().ValidatePointsetDefinition(*empty, run1));
  EXPECT_NO_SOFT_ASSERT();
  reptest::ForeignPointset foreign;
  EXPECT_FALSE(Mgr().ValidatePointsetDefinition(foreign, run1));
  EXPECT_SOFT_ASSERT("ptDef");
}

TEST_F(ReportsWithDataTest, DesignInstanceReachesEveryComputedTrace) {
  auto a = MakeTrace({L"Freq", L"S11"}, L"A");
  auto b = MakeTrace({L"Freq", L"S21"}, L"B");
  const long first = AddReport(L"First", {a.get()});
  AddImported(first, {L"Measured"});
  const long second = AddReport(L"Second", {a.get(), b.get()});
  m_solutions.SetDesignOfInstance(2, 200);
  m_owner.SetDesignInstanceID(2);
  Mgr().SetDesignInstanceID(2);
  int computed = 0;
  for (long reportID : {first, second}) {
    for (const rep::BaseTraceDefinition* trace : Report(reportID).GetTraces()) {
      auto* t = dynamic_cast<const rep::TraceDefinition*>(trace);
      if (!t) continue;
      ++computed;
      EXPECT_EQ(200, t->GetDesignSolutionDefinitionRef().GetDesignID()) << t->GetName().ToUtf8();
      EXPECT_EQ(2, t->GetDesignInstanceID()) << t->GetName().ToUtf8();
    }
  }
  EXPECT_EQ(3, computed);
}

TEST_F(ReportsWithDataTest, UpdateTraceExpressionsMarksTheCommandsTraces) {
  auto a = MakeTrace({L"Freq", L"S11"}, L"A");
  AddReport(L"First", {a.get()});
  AddReport(L"Second", {a.get()});
  VelmorCommand cmd;
  const std::map<AString, AString, AString::NoCaseLess> renames{{L"S11", L"S22"}};
  EXPECT_TRUE(Mgr().UpdateTraceExpressions(renames, &cmd));
  rep::ReportDefinitionCmdInfo* info = rep::GetOrCreateReportDefinitionCmdInfo(&cmd, &m_owner);
  ASSERT_NE(nullptr, info);
  EXPECT_TRUE(info->AreTracesUpdated());
  // Without a command there is nothing to mark.
  EXPECT_FALSE(Mgr().UpdateTraceExpressions(renames, nullptr));
  EXPECT_SOFT_ASSERT("0");
}

}  // namespace
