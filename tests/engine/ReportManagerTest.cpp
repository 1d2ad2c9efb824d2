#include <functional>
#include <map>
#include <sstream>
#include <utility>

#include "EngineFixture.h"
#include "ForeignKinds.h"
#include "PasteFixture.h"
#include "StoredTraceFixture.h"
#include "reports/ImportedTraceDefinition.h"
#include "tracedata/ReportDataManager.h"
#include "reports/ReportDefinitionCmdInfo.h"
#include "orvex/core/I18n.h"
#include "orvex/io/BlockFile.h"
#include "orvex/values/VariableValues.h"
#include "postorvex/families/DisplayHistogramAcrossTraceFamiliesParameters.h"
#include "postorvex/outputvars/OutputVariable.h"
#include "postorvex/sweeps/RegularSubsweepDefParams.h"
#include "refhost/RecordingPasteListener.h"

using reptest::EngineFixture;

class ReportManagerTest : public EngineFixture {
protected:
  rep::ReportDefinitionCmdInfo* InfoOf(VelmorCommand& cmd) {
    return dynamic_cast<rep::ReportDefinitionCmdInfo*>(cmd.GetInfo(m_owner.GetCmdInfoSourceForReports()));
  }
  std::vector<AString> ReportNames() {
    std::list<AString> names;
    Mgr().GetNames(names);
    return std::vector<AString>(names.begin(), names.end());
  }
};

TEST_F(ReportManagerTest, FreshManager) {
  std::vector<long> ids;
  Mgr().GetReportIDs(ids);
  EXPECT_TRUE(ids.empty());
  EXPECT_NE(nullptr, Mgr().GetReportDataManager());
  EXPECT_EQ(Mgr().GetReportDataManager(), Mgr().GetReportDataManagerForEdit());
  EXPECT_EQ(1, Mgr().PeekNextUniqueID());
  EXPECT_EQ(1, Mgr().PeekNextVersionID());
  EXPECT_EQ(1, Mgr().GetDesignInstanceID());
  EXPECT_EQ(100, Mgr().GetDesignID());
  EXPECT_EQ(&m_solutions, Mgr().GetISolutionManagerForReports());
  EXPECT_EQ(nullptr, Mgr().GetReportDefinition(1));
  EXPECT_EQ(nullptr, Mgr().GetTraceDefinition(1));
  EXPECT_EQ(-1, Mgr().GetReportIDOfTrace(1));
  EXPECT_EQ(nullptr, static_cast<IInterfaceQueriable&>(Mgr()).QueryInterface(typeid(rep::IReportManager)));
}

TEST_F(ReportManagerTest, ManagerWithoutOwner) {
  rep::ReportManager orphan(nullptr, true);
  EXPECT_EQ(-1, orphan.GetDesignInstanceID());
  EXPECT_SOFT_ASSERT("0");
  EXPECT_EQ(-1, orphan.GetDesignID());
  EXPECT_SOFT_ASSERT("0");
}

TEST_F(ReportManagerTest, ReportAndTraceIDsComeFromOneServer) {
  auto trace = MakeTrace({L"x", L"y"});
  const long r1 = AddReport(L"A", {trace.get()});
  const long r2 = AddReport(L"B", {trace.get()});
  std::vector<long> traces1, traces2;
  Report(r1).GetTraceIDs(traces1);
  Report(r2).GetTraceIDs(traces2);
  std::set<long> all = {r1, r2, traces1[0], traces2[0]};
  EXPECT_EQ(4u, all.size());
  EXPECT_EQ(r1, Mgr().GetReportIDOfTrace(traces1[0]));
  EXPECT_EQ(&Report(r2), Mgr().FindReportContainingTrace(traces2[0]));
  EXPECT_EQ(traces2[0], Mgr().GetTraceDefinition(traces2[0])->GetID());
  // Version IDs come from the other server and move on with every copy.
  EXPECT_NE(Report(r1).FindTrace(traces1[0])->GetVersionID(), Report(r2).FindTrace(traces2[0])->GetVersionID());
}

TEST_F(ReportManagerTest, UniqueNames) {
  AddReport(L"Report");
  AddReport(L"report");
  EXPECT_EQ(AString(L"Report1"), Mgr().GetUniqueReportName(L"Report"));
  EXPECT_EQ(AString(L"Other"), Mgr().GetUniqueReportName(L"Other"));
  EXPECT_FALSE(Mgr().IsReportNameUnique(L"REPORT"));  // two reports hold it
  EXPECT_TRUE(Mgr().IsReportNameUnique(L"Other"));

  // Unique among themselves only: the existing reports are not consulted.
  std::vector<AString> out;
  EXPECT_EQ(3, Mgr().GetUniqueReportNames(out, {L"Report", L"Report", L"X"}));
  EXPECT_EQ(std::vector<AString>({L"Report", L"Report1", L"X"}), out);

  EXPECT_EQ(AString(), Mgr().GetUniqueTraceName(999, L"t"));
  std::vector<AString> none;
  EXPECT_EQ(0, Mgr().GetUniqueTraceNames(none, 999, {L"t"}));
  EXPECT_TRUE(Mgr().IsTraceNameUnique(999, L"t"));
  EXPECT_SOFT_ASSERT("!\"Please provide a valid report\"");
}

TEST_F(ReportManagerTest, LookupsAnswerTheFirstOfEqualIDs) {
  const long r = AddReport(L"A");
  rep::ReportDefinition& first = Report(r);
  // A second report given the same ID by hand stays hidden behind the first.
  std::unique_ptr<rep::IReportDefinition> twin = Mgr().CreateReportDefinition(L"B");
  Mgr().AddReportDefinition(*twin, nullptr);
  std::vector<long> ids;
  Mgr().GetReportIDs(ids);
  Report(ids[1]).SetReportID(r);
  EXPECT_EQ(&first, Mgr().GetReportDefinition(r));
}

TEST_F(ReportManagerTest, MakeReportNamesUniqueAgainstAnotherManager) {
  AddReport(L"A");
  AddReport(L"B");
  rep::ReportManager target(&m_owner, true);
  std::unique_ptr<rep::IReportDefinition> existing = target.CreateReportDefinition(L"a");
  target.AddReportDefinition(*existing, nullptr);
  refhost::RecordingPasteListener listener;
  EXPECT_TRUE(Mgr().MakeReportNamesUniqueAgainst(target, &listener));
  EXPECT_EQ(std::vector<AString>({L"A1", L"B"}), ReportNames());
  ASSERT_EQ(2u, listener.ReportNameChanges().size());
  EXPECT_EQ(AString(L"B"), listener.ReportNameChanges()[1].first);  // equal pairs are told too
  EXPECT_EQ(AString(L"B"), listener.ReportNameChanges()[1].second);
}

TEST_F(ReportManagerTest, AddReportWithUndoAndRedo) {
  auto trace = MakeTrace({L"x"});
  std::unique_ptr<rep::IReportDefinition> report = Mgr().CreateReportDefinition({trace.get()}, L"R");
  VelmorCommand cmd;
  const long r1 = Mgr().AddReportDefinition(*report, &cmd);
  const long r2 = Mgr().AddReportDefinition(*report, &cmd);  // the same object twice: two reports
  EXPECT_NE(r1, r2);
  std::vector<long> t1, t2;
  Report(r1).GetTraceIDs(t1);
  Report(r2).GetTraceIDs(t2);
  EXPECT_NE(t1[0], t2[0]);  // and their traces do not share an ID
  EXPECT_NE(Report(r1).FindTrace(t1[0])->GetVersionID(), Report(r2).FindTrace(t2[0])->GetVersionID());

  rep::ReportDefinitionCmdInfo* info = InfoOf(cmd);
  ASSERT_NE(nullptr, info);
  std::set<long> added;
  info->GetNewReportIDs(added);
  EXPECT_EQ(std::set<long>({r1, r2}), added);
  std::set<long> newTraces;
  info->GetNewTraceIDs(newTraces, r2);
  EXPECT_EQ(std::set<long>({t2[0]}), newTraces);

  cmd.EndDo();
  cmd.Undo();
  std::vector<long> ids;
  Mgr().GetReportIDs(ids);
  EXPECT_TRUE(ids.empty());
  cmd.Redo();
  Mgr().GetReportIDs(ids);
  EXPECT_EQ(std::vector<long>({r1, r2}), ids);
}

TEST_F(ReportManagerTest, DeleteReportsRestoresPositionsOnUndo) {
  const long a = AddReport(L"A"), b = AddReport(L"B"), c = AddReport(L"C");
  VelmorCommand refused;
  EXPECT_FALSE(Mgr().DeleteReportDefinitions({a, 999}, &refused));  // refused as a whole
  EXPECT_FALSE(Mgr().DeleteReportDefinitions({a}, nullptr));
  EXPECT_FALSE(Mgr().DeleteReportDefinitions({}, &refused));
  EXPECT_EQ(0u, refused.GetNumDeltaStates());

  VelmorCommand cmd;
  EXPECT_TRUE(Mgr().DeleteReportDefinitions({c, a}, &cmd));
  std::vector<long> ids;
  Mgr().GetReportIDs(ids);
  EXPECT_EQ(std::vector<long>({b}), ids);
  EXPECT_TRUE(InfoOf(cmd)->IsDeletedReport(a));
  cmd.EndDo();
  cmd.Undo();
  ids.clear();
  Mgr().GetReportIDs(ids);
  EXPECT_EQ(std::vector<long>({a, b, c}), ids);
  cmd.Redo();
  ids.clear();
  Mgr().GetReportIDs(ids);
  EXPECT_EQ(std::vector<long>({b}), ids);
  // The command is destroyed while the deletion stands: it frees the two reports (leak check).
}

TEST_F(ReportManagerTest, DuplicateIDInDeleteListRaisesFound) {
  const long a = AddReport(L"A");
  VelmorCommand cmd;
  EXPECT_TRUE(Mgr().DeleteReportDefinitions({a, a}, &cmd));
  EXPECT_SOFT_ASSERT("found");
}

TEST_F(ReportManagerTest, DeleteWithoutUndo) {
  const long a = AddReport(L"A"), b = AddReport(L"B");
  Mgr().DeleteReportDefinitionsWithoutUndo({a, 12345});
  std::vector<long> ids;
  Mgr().GetReportIDs(ids);
  EXPECT_EQ(std::vector<long>({b}), ids);
}

TEST_F(ReportManagerTest, TraceEditsRouteToTheirReport) {
  auto x = MakeTrace({L"x"});
  auto y = MakeTrace({L"y"}, L"Fixed");
  const long r = AddReport(L"R", {x.get(), y.get()});
  std::vector<long> ids;
  Report(r).GetTraceIDs(ids);

  VelmorCommand cmd;
  EXPECT_TRUE(Mgr().RenameTraceDefinition(L"Renamed", ids[0], &cmd));
  EXPECT_FALSE(Mgr().RenameTraceDefinition(L"Nope", 999, &cmd));
  EXPECT_FALSE(Mgr().RenameTraceDefinition(L"Nope", ids[0], nullptr));
  EXPECT_TRUE(Mgr().RenameReport(L"R2", r, &cmd));
  EXPECT_FALSE(Mgr().RenameReport(L"R3", 999, &cmd));
  EXPECT_EQ(AString(L"Renamed"), Mgr().GetTraceDefinition(ids[0])->GetName());
  EXPECT_FALSE(Mgr().GetTraceDefinition(ids[0])->GetIsNameTiedToExpressionFlag());
  EXPECT_EQ(AString(L"R2"), Report(r).GetReportName());
  EXPECT_EQ(2, InfoOf(cmd)->GetReportFlags(r));
  std::set<long> edited;
  InfoOf(cmd)->GetEditedTraceIDs(edited, r);
  EXPECT_EQ(std::set<long>({ids[0]}), edited);

  cmd.EndDo();
  cmd.Undo();
  EXPECT_EQ(AString(L"x"), Mgr().GetTraceDefinition(ids[0])->GetName());
  EXPECT_TRUE(Mgr().GetTraceDefinition(ids[0])->GetIsNameTiedToExpressionFlag());
  EXPECT_EQ(AString(L"R"), Report(r).GetReportName());
  cmd.Redo();
  EXPECT_EQ(AString(L"Renamed"), Mgr().GetTraceDefinition(ids[0])->GetName());
  EXPECT_EQ(AString(L"R2"), Report(r).GetReportName());
}

TEST_F(ReportManagerTest, AddAndDeleteTracesWithUndo) {
  const long r = AddReport(L"R");
  auto x = MakeTrace({L"x"});
  VelmorCommand cmd;
  std::vector<long> newIDs;
  EXPECT_TRUE(Mgr().AddTraceDefinition(newIDs, {x.get(), x.get()}, r, &cmd));
  ASSERT_EQ(2u, newIDs.size());
  // Names are made unique after all are in: the first meets the second's "x".
  EXPECT_EQ(std::vector<AString>({L"x_", L"x"}), TraceNames(r));
  EXPECT_FALSE(Mgr().AddTraceDefinition(newIDs, {x.get()}, 999, &cmd));
  EXPECT_TRUE(Mgr().DeleteTraceDefinition(newIDs[0], &cmd));
  EXPECT_EQ(std::vector<AString>({L"x"}), TraceNames(r));
  std::set<long> deleted;
  InfoOf(cmd)->GetDeletedTraceIDs(deleted, r);
  EXPECT_EQ(std::set<long>({newIDs[0]}), deleted);

  cmd.EndDo();
  cmd.Undo();
  EXPECT_TRUE(TraceNames(r).empty());
  cmd.Redo();
  EXPECT_EQ(std::vector<AString>({L"x"}), TraceNames(r));
}

TEST_F(ReportManagerTest, ReplaceTraceRenamesTiedTracesAndRenewsTheVersion) {
  auto x = MakeTrace({L"x", L"y"});
  const long r = AddReport(L"R", {x.get()});
  std::vector<long> ids;
  Report(r).GetTraceIDs(ids);
  const long oldVersion = Report(r).FindTrace(ids[0])->GetVersionID();
  auto replacement = MakeTrace({L"x", L"z"});

  VelmorCommand cmd;
  EXPECT_TRUE(Mgr().ReplaceTraceDefinition(*replacement, ids[0], &cmd));
  rep::BaseTraceDefinition* trace = Report(r).FindTrace(ids[0]);
  ASSERT_NE(nullptr, trace);
  EXPECT_EQ(AString(L"z"), trace->GetName());
  EXPECT_EQ(ids[0], trace->GetID());
  EXPECT_GT(trace->GetVersionID(), oldVersion);
  EXPECT_EQ(4, InfoOf(cmd)->GetReportFlags(r));

  cmd.EndDo();
  cmd.Undo();
  trace = Report(r).FindTrace(ids[0]);
  EXPECT_EQ(AString(L"y"), trace->GetName());
  EXPECT_EQ(AString(L"y"), trace->GetComponent(1)->GetExpression());
}

TEST_F(ReportManagerTest, ReplaceRefusesAForeignKindOfDefinition) {
  auto x = MakeTrace({L"x"});
  const long r = AddReport(L"R", {x.get()});
  std::vector<long> ids;
  Report(r).GetTraceIDs(ids);
  struct NotComputed : rep::IBaseTraceDefinition {
    long GetID() const override { return 0; }
    unsigned GetNumComponents() const override { return 0; }
    const rep::ITraceComponentDefinition* GetComponent(unsigned) const override { return nullptr; }
    ExtTraceInfo GetExtendedTraceInfo() const override { return ExtTraceInfo(); }
    const TraceFamiliesDisplayParameters* GetFamiliesDisplayParams() const override { return nullptr; }
    void SetExtendedTraceInfo(const ExtTraceInfo&) override {}
    IBaseTraceDefinition* CloneDefinition() const override { return nullptr; }
    void CopyFrom(const IBaseTraceDefinition&) override {}
    bool ValidateDefinition(bool) override { return true; }
    AString GetName() const override { return L"n"; }
    bool GetIsNameTiedToExpressionFlag() const override { return false; }
    int GetTraceDefinitionType() const override { return 3; }
  } foreign;
  VelmorCommand cmd;
  EXPECT_FALSE(Mgr().ReplaceTraceDefinition(foreign, ids[0], &cmd));
  EXPECT_EQ(0u, cmd.GetNumUndoables());
  EXPECT_EQ(AString(L"x"), Report(r).FindTrace(ids[0])->GetName());
}

TEST_F(ReportManagerTest, SetTraceDefinitionsUndoRestoresTheExactList) {
  auto x = MakeTrace({L"x"});
  auto y = MakeTrace({L"y"});
  const long r = AddReport(L"R", {x.get()});
  const long s = AddReport(L"S", {y.get(), y.get()});
  VelmorCommand cmd;
  EXPECT_TRUE(Mgr().SetTraceDefinitions(Report(s), r, &cmd));
  EXPECT_EQ(r, Report(r).GetReportID());
  EXPECT_EQ(AString(L"S"), Report(r).GetReportName());
  EXPECT_EQ(std::vector<AString>({L"y", L"y_"}), TraceNames(r));
  cmd.EndDo();
  cmd.Undo();
  EXPECT_EQ(std::vector<AString>({L"x"}), TraceNames(r));
  EXPECT_EQ(AString(L"R"), Report(r).GetReportName());
  cmd.Redo();
  EXPECT_EQ(std::vector<AString>({L"y", L"y_"}), TraceNames(r));
}

TEST_F(ReportManagerTest, ExtendedTraceInfoEditRecordsTheTrace) {
  auto x = MakeTrace({L"x"});
  const long r = AddReport(L"R", {x.get()});
  std::vector<long> ids;
  Report(r).GetTraceIDs(ids);
  const long before = Report(r).FindTrace(ids[0])->GetVersionID();
  ExtTraceInfo info;
  info.SetYAxis(rep::kYAxis2);
  VelmorCommand cmd;
  EXPECT_TRUE(Mgr().SetTraceExtendedTraceInfo(info, ids[0], &cmd));
  EXPECT_EQ(2, Report(r).FindTrace(ids[0])->GetExtendedTraceInfo().GetYAxis());
  EXPECT_GT(Report(r).FindTrace(ids[0])->GetVersionID(), before);
  EXPECT_EQ(4, InfoOf(cmd)->GetReportFlags(r));
  cmd.EndDo();
  cmd.Undo();
  EXPECT_EQ(0, Report(r).FindTrace(ids[0])->GetExtendedTraceInfo().GetYAxis());
  EXPECT_FALSE(Mgr().SetTraceExtendedTraceInfo(info, ids[0], nullptr));
}

TEST_F(ReportManagerTest, SetTraceNameToDefault) {
  auto x = MakeTrace({L"x", L"mag"}, L"Custom");
  const long r = AddReport(L"R", {x.get()});
  std::vector<long> ids;
  Report(r).GetTraceIDs(ids);
  EXPECT_FALSE(Mgr().SetTraceNameToDefault(ids[0], nullptr));
  VelmorCommand cmd;
  EXPECT_TRUE(Mgr().SetTraceNameToDefault(ids[0], &cmd));
  EXPECT_EQ(AString(L"mag"), Report(r).FindTrace(ids[0])->GetName());
  EXPECT_TRUE(Report(r).FindTrace(ids[0])->GetIsNameTiedToExpressionFlag());
}

TEST_F(ReportManagerTest, UpdateReportsOnCommandWithNothingToDo) {
  AddReport(L"R");
  VelmorCommand cmd;
  EXPECT_FALSE(Mgr().UpdateReportsOnCommand(&cmd));
  EXPECT_EQ(0u, cmd.GetNumDeltaStates());
}

TEST_F(ReportManagerTest, DeleteTracesWithoutUndo) {
  auto x = MakeTrace({L"x"});
  const long r = AddReport(L"R", {x.get(), x.get()});
  std::vector<long> ids;
  Report(r).GetTraceIDs(ids);
  Mgr().DeleteTraceDefinitionsWithoutUndo(r, {ids[1], 777});
  EXPECT_EQ(1u, Report(r).GetTraces().size());
  Mgr().DeleteTraceDefinitionsWithoutUndo(999, {ids[0]});
  EXPECT_SOFT_ASSERT("0");
}

TEST_F(ReportManagerTest, PastedReportsAreRecordedForUndo) {
  const long a = AddReport(L"A"), b = AddReport(L"B");
  VelmorCommand cmd;
  Mgr().RecordPastedReports(&cmd, {b, 4242});
  EXPECT_SOFT_ASSERT("foundReportIDs.size() == pastedReportIDs.size()");
  cmd.EndDo();
  cmd.Undo();
  std::vector<long> ids;
  Mgr().GetReportIDs(ids);
  EXPECT_EQ(std::vector<long>({a}), ids);
  cmd.Redo();
}

// Only a computed trace takes a computed definition's place; a refusal leaves no trace in the command.
TEST_F(ReportManagerTest, ReplaceRefusesATraceOfAnotherKind) {
  const long r = AddReport(L"R");
  auto* plain = new reptest::PlainTrace(Mgr(), {L"p"});
  plain->SetIDAndVersionID(Mgr().GetNewUniqueID(), Mgr().GetNewVersionID());
  VelmorCommand setup;
  Report(r).AddNewTraceDefinitions({plain}, &setup);
  setup.EndDo();
  const long versionBefore = plain->GetVersionID();

  auto replacement = MakeTrace({L"z"});
  VelmorCommand cmd;
  EXPECT_FALSE(Mgr().ReplaceTraceDefinition(*replacement, plain->GetID(), &cmd));
  EXPECT_SOFT_ASSERT("oldTraceDef");
  EXPECT_EQ(0u, cmd.GetNumUndoables());
  EXPECT_EQ(0u, cmd.GetNumInfos());
  EXPECT_EQ(AString(L"p"), plain->GetName());
  EXPECT_EQ(versionBefore, plain->GetVersionID());
}

TEST_F(ReportManagerTest, TracesWithoutComponentsAreReplacedAndNamed) {
  auto empty = MakeTrace({});
  const long r = AddReport(L"R", {empty.get(), empty.get()});
  std::vector<long> ids;
  Report(r).GetTraceIDs(ids);
  auto other = MakeTrace({});
  VelmorCommand cmd;
  EXPECT_TRUE(Mgr().ReplaceTraceDefinition(*other, ids[0], &cmd));
  EXPECT_TRUE(Mgr().SetTraceNameToDefault(ids[1], &cmd));
  EXPECT_EQ(std::vector<AString>({L"", L"_"}), TraceNames(r));
}

// A trace that no report holds has no report to be recorded under: its edit still stands.
TEST_F(ReportManagerTest, ExtendedTraceInfoOfATraceOutsideEveryReport) {
  auto loose = MakeTrace({L"x"});
  const long before = loose->GetVersionID();
  ExtTraceInfo info;
  info.SetYAxis(rep::kYAxis1);
  VelmorCommand cmd;
  EXPECT_TRUE(loose->SetExtendedTraceInfoWithUndo(info, &cmd));
  EXPECT_EQ(1, loose->GetExtendedTraceInfo().GetYAxis());
  EXPECT_GT(loose->GetVersionID(), before);
  EXPECT_EQ(0u, cmd.GetNumInfos());
  cmd.EndDo();
  cmd.Undo();
  EXPECT_EQ(0, loose->GetExtendedTraceInfo().GetYAxis());
}

namespace {

// What an edit may change, report by report in list order, as text so that a mismatch shows.
std::wstring DescribeReports(const rep::ReportManager& mgr) {
  std::wostringstream out;
  std::vector<long> ids;
  mgr.GetReportIDs(ids);
  for (long id : ids) {
    auto* report = dynamic_cast<rep::ReportDefinition*>(mgr.GetReportDefinition(id));
    out << L"report " << id << L" '" << report->GetReportName().c_str() << L"':";
    for (const rep::BaseTraceDefinition* t : report->GetTraces()) {
      out << L" [" << t->GetID() << L" v" << t->GetVersionID() << L" '" << t->GetName().c_str() << L"'"
          << (t->GetIsNameTiedToExpressionFlag() ? L" tied" : L"") << L" y" << t->GetExtendedTraceInfo().GetYAxis();
      for (unsigned i = 0; i < t->GetNumComponents(); ++i) out << L" " << t->GetComponent(i)->GetExpression().c_str();
      out << L"]";
    }
    out << L"\n";
  }
  return out.str();
}

// The IDs that a command info names.
struct InfoSummary {
  std::set<long> newReports, editedReports, deletedReports;
  std::map<long, std::set<long>> newTraces, editedTraces, deletedTraces, tracesOfDeletedReports;
  std::map<long, int> flags;
  bool operator==(const InfoSummary& o) const {
    return newReports == o.newReports && editedReports == o.editedReports && deletedReports == o.deletedReports &&
           newTraces == o.newTraces && editedTraces == o.editedTraces && deletedTraces == o.deletedTraces &&
           tracesOfDeletedReports == o.tracesOfDeletedReports && flags == o.flags;
  }
};

std::ostream& operator<<(std::ostream& out, const std::set<long>& ids) {
  out << "{";
  for (long id : ids) out << " " << id;
  return out << " }";
}

std::ostream& operator<<(std::ostream& out, const std::map<long, std::set<long>>& byReport) {
  for (const auto& entry : byReport) out << " " << entry.first << ":" << entry.second;
  return out;
}

std::ostream& operator<<(std::ostream& out, const InfoSummary& s) {
  out << "new reports " << s.newReports << ", edited " << s.editedReports << ", deleted " << s.deletedReports
      << "; new traces" << s.newTraces << "; edited traces" << s.editedTraces << "; deleted traces"
      << s.deletedTraces << "; traces of deleted reports" << s.tracesOfDeletedReports << "; flags";
  for (const auto& entry : s.flags) out << " " << entry.first << ":" << entry.second;
  return out;
}

InfoSummary Summarize(const rep::ReportDefinitionCmdInfo* info, const std::set<long>& reportIDs) {
  InfoSummary s;
  if (!info) return s;
  info->GetNewReportIDs(s.newReports);
  info->GetEditedReportIDs(s.editedReports);
  info->GetDeletedReportIDs(s.deletedReports);
  info->GetNewTraceIDsByReport(s.newTraces);
  info->GetEditedTraceIDsByReport(s.editedTraces);
  info->GetDeletedTraceIDsByReport(s.deletedTraces);
  for (long id : s.deletedReports) info->GetTraceIDsOfDeletedReport(s.tracesOfDeletedReports[id], id);
  for (long id : reportIDs)
    if (int f = info->GetReportFlags(id)) s.flags[id] = f;
  return s;
}

}  // namespace

// Every edit, undone and redone: the reports come back exactly (IDs, names, version IDs,
// components), the command info names exactly the IDs touched, and the command frees what it
// owns whether it ends undone or done.
TEST_F(ReportManagerTest, EveryEditUndoesAndRedoesExactly) {
  struct Ids {
    long a, b, a0, a1, b0;
  };
  struct Case {
    const char* why;
    // Runs the edit under the command and answers the info it must leave.
    std::function<InfoSummary(VelmorCommand&, const Ids&, std::set<long>& touchedReports)> edit;
  };
  std::unique_ptr<rep::IReportDefinition> source;
  std::unique_ptr<rep::TraceDefinition> extra;
  const Case cases[] = {
      {"add a report",
       [&](VelmorCommand& cmd, const Ids&, std::set<long>& touched) {
         source = Mgr().CreateReportDefinition({extra.get()}, L"C");
         const long c = Mgr().AddReportDefinition(*source, &cmd);
         std::vector<long> t;
         Report(c).GetTraceIDs(t);
         touched.insert(c);
         InfoSummary s;
         s.newReports = {c};
         s.newTraces[c] = {t[0]};
         return s;
       }},
      {"delete two reports",
       [&](VelmorCommand& cmd, const Ids& i, std::set<long>&) {
         EXPECT_TRUE(Mgr().DeleteReportDefinitions({i.b, i.a}, &cmd));
         InfoSummary s;
         s.deletedReports = {i.a, i.b};
         s.tracesOfDeletedReports[i.a] = {i.a0, i.a1};
         s.tracesOfDeletedReports[i.b] = {i.b0};
         return s;
       }},
      {"add traces",
       [&](VelmorCommand& cmd, const Ids& i, std::set<long>&) {
         std::vector<long> added;
         EXPECT_TRUE(Mgr().AddTraceDefinition(added, {extra.get(), extra.get()}, i.a, &cmd));
         InfoSummary s;
         s.editedReports = {i.a};
         s.newTraces[i.a] = std::set<long>(added.begin(), added.end());
         return s;
       }},
      {"delete a trace",
       [&](VelmorCommand& cmd, const Ids& i, std::set<long>&) {
         EXPECT_TRUE(Mgr().DeleteTraceDefinition(i.a0, &cmd));
         InfoSummary s;
         s.editedReports = {i.a};
         s.deletedTraces[i.a] = {i.a0};
         return s;
       }},
      {"replace a trace",
       [&](VelmorCommand& cmd, const Ids& i, std::set<long>&) {
         auto replacement = MakeTrace({L"x", L"w"});
         EXPECT_TRUE(Mgr().ReplaceTraceDefinition(*replacement, i.a0, &cmd));
         InfoSummary s;
         s.editedReports = {i.a};
         s.editedTraces[i.a] = {i.a0};
         s.flags[i.a] = 4;
         return s;
       }},
      {"rename a trace",
       [&](VelmorCommand& cmd, const Ids& i, std::set<long>&) {
         EXPECT_TRUE(Mgr().RenameTraceDefinition(L"N", i.a0, &cmd));
         InfoSummary s;
         s.editedReports = {i.a};
         s.editedTraces[i.a] = {i.a0};
         s.flags[i.a] = 2;
         return s;
       }},
      {"default name",
       [&](VelmorCommand& cmd, const Ids& i, std::set<long>&) {
         EXPECT_TRUE(Mgr().SetTraceNameToDefault(i.a1, &cmd));
         InfoSummary s;
         s.editedReports = {i.a};
         s.editedTraces[i.a] = {i.a1};
         s.flags[i.a] = 2;
         return s;
       }},
      {"extended trace info",
       [&](VelmorCommand& cmd, const Ids& i, std::set<long>&) {
         ExtTraceInfo info;
         info.SetYAxis(rep::kYAxis2);
         EXPECT_TRUE(Mgr().SetTraceExtendedTraceInfo(info, i.b0, &cmd));
         InfoSummary s;
         s.editedReports = {i.b};
         s.editedTraces[i.b] = {i.b0};
         s.flags[i.b] = 4;
         return s;
       }},
      {"replace a report's content",
       [&](VelmorCommand& cmd, const Ids& i, std::set<long>&) {
         source = Mgr().CreateReportDefinition({extra.get(), extra.get(), extra.get()}, L"S");
         EXPECT_TRUE(Mgr().SetTraceDefinitions(*source, i.a, &cmd));
         InfoSummary s;
         s.editedReports = {i.a};
         return s;
       }},
      {"rename a report",
       [&](VelmorCommand& cmd, const Ids& i, std::set<long>&) {
         EXPECT_TRUE(Mgr().RenameReport(L"A2", i.a, &cmd));
         InfoSummary s;
         s.editedReports = {i.a};
         s.flags[i.a] = 2;
         return s;
       }},
  };

  for (const Case& c : cases) {
    for (bool endsUndone : {false, true}) {
      SCOPED_TRACE(std::string(c.why) + (endsUndone ? ", command ends undone" : ", command ends done"));
      m_mgr = std::make_unique<rep::ReportManager>(&m_owner, true);
      extra = MakeTrace({L"e"});
      auto x = MakeTrace({L"x", L"mag"});
      auto y = MakeTrace({L"x", L"y"}, L"Custom");
      Ids i{};
      i.a = AddReport(L"A", {x.get(), y.get()});
      i.b = AddReport(L"B", {x.get()});
      std::vector<long> t;
      Report(i.a).GetTraceIDs(t);
      Report(i.b).GetTraceIDs(t);
      i.a0 = t[0], i.a1 = t[1], i.b0 = t[2];

      const std::wstring before = DescribeReports(Mgr());
      auto cmd = std::make_unique<VelmorCommand>();
      std::set<long> touched = {i.a, i.b};
      const InfoSummary expected = c.edit(*cmd, i, touched);
      const std::wstring after = DescribeReports(Mgr());
      EXPECT_NE(before, after);
      EXPECT_EQ(expected, Summarize(InfoOf(*cmd), touched));

      cmd->EndDo();
      cmd->Undo();
      EXPECT_EQ(before, DescribeReports(Mgr()));
      if (!endsUndone) {
        cmd->Redo();
        EXPECT_EQ(after, DescribeReports(Mgr()));
      }
      cmd.reset();  // frees what the command holds (leak and double-free check)
      EXPECT_EQ(endsUndone ? before : after, DescribeReports(Mgr()));
      source.reset();
    }
  }
}

// Copies of definitions of another kind cannot join a report: they are dropped, not leaked.
TEST_F(ReportManagerTest, DefinitionsOfAnotherKindAreNotTakenIn) {
  reptest::ForeignTrace foreignTrace;
  auto x = MakeTrace({L"x"});
  const long r = AddReport(L"R", {&foreignTrace, x.get()});
  EXPECT_EQ(std::vector<AString>({L"x"}), TraceNames(r));
  std::vector<long> added;
  VelmorCommand cmd;
  EXPECT_TRUE(Mgr().AddTraceDefinition(added, {&foreignTrace}, r, &cmd));
  EXPECT_TRUE(added.empty());
  EXPECT_EQ(1u, Report(r).GetTraces().size());

  reptest::ForeignReport foreignReport;
  VelmorCommand add;
  EXPECT_EQ(-1, Mgr().AddReportDefinition(foreignReport, &add));
  EXPECT_SOFT_ASSERT("clone");
  EXPECT_EQ(0u, add.GetNumDeltaStates());
  std::vector<long> ids;
  Mgr().GetReportIDs(ids);
  EXPECT_EQ(std::vector<long>({r}), ids);
}

// Trace IDs that the manager holds, or will issue, cannot come in with an added report.
TEST_F(ReportManagerTest, AddedReportsBringNoTakenTraceIDs) {
  const long empty = AddReport(L"E");
  auto x = MakeTrace({L"x"});
  struct Case {
    const char* why;
    int idsDrawnFirst;  // by the manager that makes the report
  };
  const Case cases[] = {
      {"trace ID equal to a report ID here", 0},
      {"trace ID not issued here yet", 40},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    rep::ReportManager other(&m_owner, true);
    for (int i = 0; i < c.idsDrawnFirst; ++i) other.GetNewUniqueID();
    std::unique_ptr<rep::IReportDefinition> report = other.CreateReportDefinition({x.get()}, L"R");
    const long r = Mgr().AddReportDefinition(*report, nullptr);
    std::vector<long> reportIDs, ids;
    Mgr().GetReportIDs(reportIDs);
    ids = reportIDs;
    for (long id : reportIDs) Report(id).GetTraceIDs(ids);
    const std::set<long> all(ids.begin(), ids.end());
    EXPECT_EQ(ids.size(), all.size());  // no ID twice
    EXPECT_LT(*all.rbegin(), Mgr().PeekNextUniqueID());
    EXPECT_NE(r, empty);
  }
  // The managers that made them are gone: the reports and their traces still answer.
  std::vector<long> reportIDs;
  Mgr().GetReportIDs(reportIDs);
  VelmorCommand cmd;
  for (long id : reportIDs) {
    EXPECT_TRUE(Mgr().RenameReport(L"Renamed", id, &cmd));
    for (const rep::BaseTraceDefinition* t : Report(id).GetTraces())
      EXPECT_EQ(AString(L"Run1"), t->GetSolutionName());
  }
  io::CBlock project(L"Project");
  EXPECT_EQ(io::kNoError, Mgr().DoDataExchange(project, false));
}

TEST_F(ReportManagerTest, DataManagerWithoutData) {
  rep::ReportDataManager* data = Mgr().GetDataManager();
  ASSERT_NE(nullptr, data);
  EXPECT_EQ(&Mgr(), data->GetReportManager());
  EXPECT_FALSE(data->DeleteTraceData(1));
  EXPECT_EQ(nullptr, data->GetITraceData(1));
  EXPECT_SOFT_ASSERT("!\"No TraceDefinition by that ID\"");
  EXPECT_EQ(nullptr, data->GetISimValueDataCacheForEdit());  // the owner has no cache
  VelmorCommand cmd;
  EXPECT_FALSE(Mgr().UpdateTraceDataOnCommand(&cmd));
  EXPECT_FALSE(Mgr().UpdateTraceDataOnCommand(nullptr));
  const long r = AddReport(L"R");
  EXPECT_TRUE(Mgr().RenameReport(L"S", r, &cmd));
  EXPECT_FALSE(Mgr().UpdateTraceDataOnCommand(&cmd));  // an info, but no data to drop
}

// The host may discard a design's manager before its undo stack: the records then free what
// they own without reaching back into the manager.
TEST_F(ReportManagerTest, CommandsMayOutliveTheirManager) {
  for (bool undone : {false, true}) {
    SCOPED_TRACE(undone ? "command undone" : "command done");
    m_mgr = std::make_unique<rep::ReportManager>(&m_owner, true);
    auto x = MakeTrace({L"x"});
    const long a = AddReport(L"A", {x.get(), x.get()});
    const long b = AddReport(L"B", {x.get()});
    std::vector<long> ids;
    Report(a).GetTraceIDs(ids);
    auto replacement = MakeTrace({L"y"});
    std::unique_ptr<rep::IReportDefinition> added = Mgr().CreateReportDefinition({x.get()}, L"C");

    auto cmd = std::make_unique<VelmorCommand>();
    Mgr().AddReportDefinition(*added, cmd.get());
    EXPECT_TRUE(Mgr().ReplaceTraceDefinition(*replacement, ids[0], cmd.get()));
    EXPECT_TRUE(Mgr().DeleteTraceDefinition(ids[1], cmd.get()));
    EXPECT_TRUE(Mgr().DeleteReportDefinitions({b}, cmd.get()));
    cmd->EndDo();
    if (undone) cmd->Undo();
    m_mgr.reset();
    cmd.reset();
  }
  m_mgr = std::make_unique<rep::ReportManager>(&m_owner, true);
}

// Reports and traces copied in from another manager belong to this one: they stay usable after
// the manager that made them is gone.
TEST_F(ReportManagerTest, CopiesFromAnotherManagerOutliveIt) {
  struct Case {
    const char* why;
    const char* assertion;  // null: none
    // Brings the other manager's report or trace in; answers the ID of the report that took it.
    std::function<long(rep::ReportDefinition& foreignReport, rep::TraceDefinition& foreignTrace, VelmorCommand&)> bringIn;
  };
  const Case cases[] = {
      {"add a report", nullptr,
       [&](rep::ReportDefinition& report, rep::TraceDefinition&, VelmorCommand& cmd) {
         return Mgr().AddReportDefinition(report, &cmd);
       }},
      {"create a report from traces", nullptr,
       [&](rep::ReportDefinition&, rep::TraceDefinition& trace, VelmorCommand& cmd) {
         std::unique_ptr<rep::IReportDefinition> created = Mgr().CreateReportDefinition({&trace}, L"Created");
         const auto& report = dynamic_cast<const rep::ReportDefinition&>(*created);
         EXPECT_EQ(&Mgr(), &report.GetReportManager());
         EXPECT_EQ(&Mgr(), &report.GetTraces().front()->GetManager());
         return Mgr().AddReportDefinition(*created, &cmd);
       }},
      {"add traces", nullptr,
       [&](rep::ReportDefinition&, rep::TraceDefinition& trace, VelmorCommand& cmd) {
         const long r = AddReport(L"Own");
         std::vector<long> added;
         EXPECT_TRUE(Mgr().AddTraceDefinition(added, {&trace}, r, &cmd));
         return r;
       }},
      {"set a report's traces", "&mMgr==&(rd.mMgr)",
       [&](rep::ReportDefinition& report, rep::TraceDefinition&, VelmorCommand& cmd) {
         const long r = AddReport(L"Own");
         EXPECT_TRUE(Mgr().SetTraceDefinitions(report, r, &cmd));
         return r;
       }},
      {"copy a report", "&mMgr==&(rd.mMgr)",
       [&](rep::ReportDefinition& report, rep::TraceDefinition&, VelmorCommand&) {
         rep::ReportDefinition& own = Report(AddReport(L"Own"));
         own.CopyFrom(report);
         return own.GetReportID();
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    m_mgr = std::make_unique<rep::ReportManager>(&m_owner, true);
    auto other = std::make_unique<rep::ReportManager>(&m_owner, true);
    for (int i = 0; i < 30; ++i) other->GetNewUniqueID();  // its IDs lie beyond this manager's
    rep::TraceDefinition trace(*other, std::vector<AString>{L"x", L"y"},
                               DesignSolutionDefinition(100, 10, ReportTypeSolutionDefinition(1)),
                               rep::PointsetDefinition(), ExtTraceInfo(), 1, nullptr);
    std::unique_ptr<rep::IReportDefinition> made = other->CreateReportDefinition({&trace}, L"Foreign");
    auto& foreignReport = dynamic_cast<rep::ReportDefinition&>(*made);
    foreignReport.SetReportID(other->GetNewUniqueID());
    auto cmd = std::make_unique<VelmorCommand>();
    const long r = c.bringIn(foreignReport, trace, *cmd);
    if (c.assertion) {
      EXPECT_SOFT_ASSERT(c.assertion);
    }
    made.reset();
    other.reset();

    ASSERT_NE(nullptr, Mgr().GetReportDefinition(r));
    ASSERT_EQ(1u, Report(r).GetTraces().size());
    const long t = Report(r).GetTraces().front()->GetID();
    EXPECT_EQ(&Mgr(), &Report(r).GetReportManager());
    EXPECT_EQ(&Mgr(), &Report(r).GetTraces().front()->GetManager());
    cmd->EndDo();
    VelmorCommand use;
    EXPECT_TRUE(Mgr().RenameReport(L"Renamed", r, &use));
    EXPECT_TRUE(Mgr().RenameTraceDefinition(L"Trace", t, &use));
    ExtTraceInfo info;
    info.SetYAxis(rep::kYAxis2);
    EXPECT_TRUE(Mgr().SetTraceExtendedTraceInfo(info, t, &use));
    EXPECT_EQ(6, InfoOf(use)->GetReportFlags(r));

    io::CBlock project(L"Project");
    EXPECT_EQ(io::kNoError, Mgr().DoDataExchange(project, false));
    rep::ReportManager read(&m_owner, true);
    EXPECT_EQ(io::kNoError, read.DoDataExchange(project, true));
    const auto* readTrace = dynamic_cast<const rep::TraceDefinition*>(read.GetTraceDefinition(t));
    ASSERT_NE(nullptr, readTrace);
    EXPECT_EQ(AString(L"Trace"), readTrace->GetName());
    EXPECT_EQ(2, readTrace->GetExtendedTraceInfo().GetYAxis());
    EXPECT_EQ(AString(L"Run1"), readTrace->GetSolutionName());
    EXPECT_EQ(AString(L"Renamed"), read.GetReportDefinition(r)->GetReportName());
  }
}

// The replacing definition may carry a sibling's ID or name: the replaced trace still ends with
// a name of its own, and keeps its own ID.
TEST_F(ReportManagerTest, ReplacementKeepsTraceNamesUnique) {
  struct Spec {
    std::vector<AString> expressions;
    AString name;  // empty: named after the expressions
  };
  struct Case {
    const char* why;
    Spec first, second;
    bool fromSibling;  // the first is replaced by a copy of the second; else the second by `replacement`
    Spec replacement;
    std::vector<AString> names;  // afterwards
  };
  const Case cases[] = {
      {"tied, new expression is the sibling's name, sibling's ID", {{L"x", L"a"}, L""}, {{L"x", L"b"}, L""}, true,
       {}, {L"b_", L"b"}},
      {"untied, sibling's name and ID", {{L"x"}, L"Alpha"}, {{L"y"}, L"Beta"}, true, {}, {L"Beta1", L"Beta"}},
      {"tied, same expression, the new name is the sibling's", {{L"x"}, L""}, {{L"x"}, L""}, false, {{L"x"}, L""},
       {L"x", L"x_"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    m_mgr = std::make_unique<rep::ReportManager>(&m_owner, true);
    auto first = MakeTrace(c.first.expressions, c.first.name);
    auto second = MakeTrace(c.second.expressions, c.second.name);
    const long r = AddReport(L"R", {first.get(), second.get()});
    std::vector<long> ids;
    Report(r).GetTraceIDs(ids);
    const long replaced = c.fromSibling ? ids[0] : ids[1];
    std::unique_ptr<rep::IBaseTraceDefinition> newDef(
        c.fromSibling ? Report(r).FindTrace(ids[1])->CloneDefinition()
                      : MakeTrace(c.replacement.expressions, c.replacement.name).release());
    VelmorCommand cmd;
    EXPECT_TRUE(Mgr().ReplaceTraceDefinition(*newDef, replaced, &cmd));
    EXPECT_EQ(c.names, TraceNames(r));
    std::vector<long> after;
    Report(r).GetTraceIDs(after);
    EXPECT_EQ(ids, after);
  }
}

namespace {

// Every report and trace ID of a manager, in list order.
std::vector<long> AllIDs(const rep::ReportManager& mgr) {
  std::vector<long> reportIDs;
  mgr.GetReportIDs(reportIDs);
  std::vector<long> ids = reportIDs;
  for (long r : reportIDs) mgr.GetReportDefinition(r)->GetTraceIDs(ids);
  return ids;
}

bool NoIDTwice(const std::vector<long>& ids) { return std::set<long>(ids.begin(), ids.end()).size() == ids.size(); }

}  // namespace

// Copied traces keep their IDs only where this manager issued them and no other trace or report
// carries them: lookups by trace ID, and the trace data keyed by it, must find one trace only.
TEST_F(ReportManagerTest, SetTraceDefinitionsRenumbersOnlyTakenOrForeignIDs) {
  auto x = MakeTrace({L"x"});
  auto y = MakeTrace({L"y"});
  const long live = AddReport(L"Live", {x.get(), y.get()});
  const long target = AddReport(L"Target", {x.get()});
  std::vector<long> liveIDs;
  Report(live).GetTraceIDs(liveIDs);

  std::unique_ptr<rep::IReportDefinition> made =
      Mgr().CreateReportDefinition({x.get(), y.get(), y.get(), y.get(), y.get()}, L"Detached");
  auto& detached = dynamic_cast<rep::ReportDefinition&>(*made);
  std::vector<long> detachedIDs;
  detached.GetTraceIDs(detachedIDs);
  const long unissued = Mgr().PeekNextUniqueID() + 100;
  const long retaken[] = {liveIDs[0], live, -1, unissued};  // another's trace, a report, none, not issued
  auto it = std::next(detached.GetTraces().begin());
  for (long id : retaken) (*it++)->SetIDAndVersionID(id, 1);

  const long nextID = Mgr().PeekNextUniqueID();
  const long nextVersion = Mgr().PeekNextVersionID();
  VelmorCommand cmd;
  EXPECT_TRUE(Mgr().SetTraceDefinitions(detached, target, &cmd));
  std::vector<long> got;
  Report(target).GetTraceIDs(got);
  ASSERT_EQ(5u, got.size());
  EXPECT_EQ(detachedIDs[0], got[0]);  // free and issued here: kept
  auto trace = Report(target).GetTraces().begin();
  EXPECT_LT((*trace)->GetVersionID(), nextVersion);
  for (size_t i = 1; i < got.size(); ++i) {
    SCOPED_TRACE(i);
    ++trace;
    EXPECT_GE(got[i], nextID);
    EXPECT_GE((*trace)->GetVersionID(), nextVersion);
    EXPECT_EQ(&Report(target), Mgr().FindReportContainingTrace(got[i]));
  }
  EXPECT_TRUE(NoIDTwice(AllIDs(Mgr())));

  // A live report's content copied into another: edits by trace ID reach the copy alone.
  VelmorCommand copyLive;
  EXPECT_TRUE(Mgr().SetTraceDefinitions(Report(live), target, &copyLive));
  EXPECT_TRUE(NoIDTwice(AllIDs(Mgr())));
  got.clear();
  Report(target).GetTraceIDs(got);
  EXPECT_TRUE(Mgr().RenameTraceDefinition(L"Copy", got[0], &copyLive));
  EXPECT_EQ(std::vector<AString>({L"Copy", L"y"}), TraceNames(target));
  EXPECT_EQ(std::vector<AString>({L"x", L"y"}), TraceNames(live));

  // And they stay apart through save and load.
  io::CBlock project(L"Project");
  Mgr().DoDataExchange(project, false);
  rep::ReportManager read(&m_owner, true);
  EXPECT_EQ(io::kNoError, read.DoDataExchange(project, true));
  EXPECT_EQ(AllIDs(Mgr()), AllIDs(read));

  copyLive.EndDo();
  copyLive.Undo();
  cmd.EndDo();
  cmd.Undo();
  EXPECT_EQ(std::vector<AString>({L"x"}), TraceNames(target));
}

// The creation slots 3 to 11.
TEST_F(ReportManagerTest, CreationSlots) {
  SubsweepDefParamsContainer subsweeps;
  subsweeps.PushBackAndOwn(new RegularSubsweepDefParams(L"Freq"));
  SubsweepDefParamsContainer specifiable;
  specifiable.PushBackAndOwn(new RegularSubsweepDefParams(L"L"));
  Value oneMm(90);
  oneMm.SetValueText(L"1mm", 90);
  VariableValuesDefParams family;
  family.AddVariableValue(L"L", oneMm);
  Variable* len = m_solutions.FindSolution(10)->AddVariable(L"L", oneMm, true);
  VariableValues at;
  at.SetVariableValue(len, oneMm);
  const std::vector<VariableValues> variations = {at};

  struct PointsetCase {
    const char* why;
    std::unique_ptr<rep::IPointsetDefinition> made;
    size_t families, specifiable;
  };
  PointsetCase pointsets[] = {
      {"slot 3", Mgr().CreatePointsetDefinition(subsweeps, {family}, specifiable), 1, 1},
      {"slot 4", Mgr().CreatePointsetDefinition(subsweeps, {family, family}), 2, 0},
      {"slot 5", Mgr().CreatePointsetDefinitionFromVariableValues(subsweeps, &variations, &specifiable), 1, 1},
      {"slot 5 without variations", Mgr().CreatePointsetDefinitionFromVariableValues(subsweeps, nullptr, nullptr), 0,
       0},
  };
  for (const PointsetCase& c : pointsets) {
    SCOPED_TRACE(c.why);
    ASSERT_NE(nullptr, c.made);
    std::vector<VariableValuesDefParams> families;
    EXPECT_EQ(c.families, c.made->GetVariableValuesDefParams(families));
    EXPECT_EQ(1u, c.made->GetSubsweepDefParamsContainer().Size());
    EXPECT_EQ(c.specifiable, c.made->GetSpecifiableSubsweepsIfInFamilies().Size());
  }
  std::vector<VariableValuesDefParams> fromValues;
  pointsets[2].made->GetVariableValuesDefParams(fromValues);
  EXPECT_TRUE(fromValues[0].DoesVariableExist(L"L"));

  const DesignSolutionDefinition dsd(100, 11, ReportTypeSolutionDefinition(1));
  const rep::IPointsetDefinition& pointset = *pointsets[0].made;
  ExtTraceInfo info;
  info.SetYAxis(rep::kYAxis2);
  DisplayHistogramAcrossTraceFamiliesParameters histogram;
  struct TraceCase {
    const char* why;
    std::unique_ptr<rep::IBaseTraceDefinition> made;
    const char* assertion;  // null: none
    AString name;
    bool tied;
    AString families;
  };
  TraceCase traces[] = {
      {"slot 6", Mgr().CreateTraceDefinition(L"Named", {L"x", L"y"}, dsd, pointset, info, &histogram), nullptr,
       L"Named", false, L"DisplayHistogram"},
      {"slot 6 without a name", Mgr().CreateTraceDefinition(AString(), {L"x", L"y"}, dsd, pointset, info, nullptr),
       "name.size() > 0", L"", false, L"DisplayAll"},
      {"slot 7", Mgr().CreateTraceDefinition({L"x", L"y"}, dsd, pointset, info, &histogram), nullptr, L"y", true,
       L"DisplayHistogram"},
      {"slot 8", Mgr().CreateTraceDefinition(L"Custom", {L"x", L"y"}, dsd, pointset, info), nullptr, L"Custom", true,
       L"DisplayAll"},
  };
  EXPECT_SOFT_ASSERT("name.size() > 0");
  for (const TraceCase& c : traces) {
    SCOPED_TRACE(c.why);
    const auto* def = dynamic_cast<const rep::TraceDefinition*>(c.made.get());
    ASSERT_NE(nullptr, def);
    EXPECT_EQ(c.name, def->GetName());
    EXPECT_EQ(c.tied, def->GetIsNameTiedToExpressionFlag());
    EXPECT_EQ(c.families, def->GetFamiliesDisplayDefinition().GetDisplayFamiliesType());
    EXPECT_EQ(2u, def->GetNumComponents());
    EXPECT_EQ(1, def->GetDesignInstanceID());
    EXPECT_EQ(11, def->GetDesignSolutionDefinitionRef().GetSolutionID());
    EXPECT_EQ(2, def->GetExtendedTraceInfo().GetYAxis());
    EXPECT_NE(&pointset, def->GetPointsetDefinition());  // a copy of its own
    EXPECT_EQ(1u, def->GetPointsetDefinition()->GetSpecifiableSubsweepsIfInFamilies().Size());
  }

  std::unique_ptr<rep::IReportDefinition> empty = Mgr().CreateReportDefinition(L"Empty");
  EXPECT_EQ(AString(L"Empty"), empty->GetReportName());
  EXPECT_EQ(-1, empty->GetReportID());
  std::vector<long> none;
  empty->GetTraceIDs(none);
  EXPECT_TRUE(none.empty());
  std::unique_ptr<rep::IReportDefinition> full =
      Mgr().CreateReportDefinition({traces[2].made.get(), traces[2].made.get()}, L"Full");
  std::vector<long> ids;
  full->GetTraceIDs(ids);
  ASSERT_EQ(2u, ids.size());
  EXPECT_NE(ids[0], ids[1]);
  EXPECT_LT(ids[1], Mgr().PeekNextUniqueID());
  EXPECT_EQ(AString(L"y_"), full->GetTraceDefinition(ids[1])->GetName());

  std::unique_ptr<rep::IReportDefinitionCmdInfo> info11(Mgr().CreateReportDefinitionCmdInfo());
  ASSERT_NE(nullptr, dynamic_cast<rep::ReportDefinitionCmdInfo*>(info11.get()));
  std::set<long> noReports;
  info11->GetNewReportIDs(noReports);
  EXPECT_TRUE(noReports.empty());
  EXPECT_FALSE(info11->GetFlag());
}

// The manager keeps an index of the IDs its reports and traces carry; after every kind of edit,
// undo, redo and read it must answer as a walk over all of them would.
// The lookups by ID answer from an index: every edit, undo and redo must keep it true.
TEST_F(ReportManagerTest, FreeTraceIDsAndLookupsStayTrueThroughEveryEdit) {
  auto x = MakeTrace({L"x"});
  auto y = MakeTrace({L"y"});
  std::unique_ptr<rep::IReportDefinition> source = Mgr().CreateReportDefinition({x.get(), y.get()}, L"S");
  auto check = [&](const char* step) {
    SCOPED_TRACE(step);
    std::map<long, std::pair<rep::BaseTraceDefinition*, rep::ReportDefinition*>> walked;
    std::map<long, rep::ReportDefinition*> reports;
    for (rep::ReportDefinition* report : Mgr().GetReports()) {
      reports.emplace(report->GetReportID(), report);
      for (rep::BaseTraceDefinition* trace : report->GetTraces()) walked.emplace(trace->GetID(), std::make_pair(trace, report));
    }
    for (long id = 1; id <= Mgr().PeekNextUniqueID(); ++id) {
      const auto trace = walked.find(id);
      const bool isTrace = trace != walked.end();
      EXPECT_EQ(isTrace ? trace->second.first : nullptr, Mgr().FindTrace(id)) << id;
      EXPECT_EQ(isTrace ? trace->second.second : nullptr, Mgr().FindReportContainingTrace(id)) << id;
      const auto report = reports.find(id);
      EXPECT_EQ(report != reports.end() ? report->second : nullptr, Mgr().GetReportDefinition(id)) << id;
      const bool held = isTrace || report != reports.end();
      EXPECT_EQ(id < Mgr().PeekNextUniqueID() && !held, Mgr().IsTraceIDFree(id)) << id;
    }
  };
  check("fresh");
  VelmorCommand add;
  const long r1 = Mgr().AddReportDefinition(*source, &add);
  const long r2 = Mgr().AddReportDefinition(*source, &add);  // the second copy takes new trace IDs
  add.EndDo();
  check("added twice");
  add.Undo();
  check("additions undone");
  const long kept = Mgr().AddReportDefinition(*source, nullptr);  // its trace IDs are free again
  check("added while the others are undone");
  Mgr().DeleteReportDefinitionsWithoutUndo({kept});
  add.Redo();
  check("additions redone");

  VelmorCommand traces;
  std::vector<long> newIDs;
  ASSERT_TRUE(Mgr().AddTraceDefinition(newIDs, {x.get()}, r1, &traces));
  check("trace added");
  ASSERT_TRUE(Mgr().DeleteTraceDefinition(Report(r2).GetTraces().front()->GetID(), &traces));
  check("trace deleted");
  ASSERT_TRUE(Mgr().SetTraceDefinitions(*source, r2, &traces));
  check("traces set");
  auto z = MakeTrace({L"z"});
  ASSERT_TRUE(Mgr().ReplaceTraceDefinition(*z, Report(r1).GetTraces().front()->GetID(), &traces));
  check("trace replaced");
  traces.EndDo();
  traces.Undo();
  check("trace edits undone");
  traces.Redo();
  check("trace edits redone");

  VelmorCommand remove;
  ASSERT_TRUE(Mgr().DeleteReportDefinitions({r1}, &remove));
  remove.EndDo();
  check("report deleted");
  remove.Undo();
  check("deletion undone");

  io::CBlock project(L"Project");
  ASSERT_EQ(io::kNoError, Mgr().DoDataExchange(project, false));
  rep::ReportManager reread(&m_owner, true);
  ASSERT_EQ(io::kNoError, reread.DoDataExchange(project, true));
  std::vector<long> before, after;
  Mgr().GetReportIDs(before);
  reread.GetReportIDs(after);
  EXPECT_EQ(before, after);
  for (long id = 1; id <= reread.PeekNextUniqueID(); ++id)
    EXPECT_EQ(id < reread.PeekNextUniqueID() && !reread.FindTrace(id) && !reread.GetReportDefinition(id),
              reread.IsTraceIDFree(id))
        << id;
}

// Undo and redo of one command that edits many places of a long list put every node back exactly.
TEST_F(ReportManagerTest, UndoOfManyScatteredEditsIsExact) {
  std::vector<long> ids;
  for (int i = 0; i < 12; ++i) ids.push_back(AddReport(L"R" + i18n::MakeNumberString(i)));
  VelmorCommand cmd;
  ASSERT_TRUE(Mgr().DeleteReportDefinitions({ids[7], ids[0], ids[11], ids[3], ids[4]}, &cmd));
  Mgr().AddReportDefinition(*Mgr().CreateReportDefinition(L"N"), &cmd);
  ASSERT_TRUE(Mgr().DeleteReportDefinitions({ids[9]}, &cmd));
  cmd.EndDo();
  const std::vector<AString> done = ReportNames();
  EXPECT_EQ(std::vector<AString>({L"R1", L"R2", L"R5", L"R6", L"R8", L"R10", L"N"}), done);
  cmd.Undo();
  std::vector<long> restored;
  Mgr().GetReportIDs(restored);
  EXPECT_EQ(ids, restored);
  cmd.Redo();
  EXPECT_EQ(done, ReportNames());
}

namespace {

constexpr long kLastIssued = 2147483646;

io::CBlock WrittenProject(reptest::PasteDesign& d) {
  io::CBlock project(L"Project");
  d.mgr->DoDataExchange(project, false);
  d.outputVariables.DoDataExchange(project, false);
  return project;
}

// Gives the design the report "Held" with the trace "T", renumbered by `renumber`, and reads it
// back from its project: the servers go on past the report's ID and the trace's version, as after
// reading a file that carries them.
void HoldReadBack(reptest::PasteDesign& design, const std::function<void(rep::ReportDefinition&)>& renumber) {
  design.AddSolution(21, L"RUN1", {1, 2, 3});
  {
    std::unique_ptr<rep::TraceDefinition> trace =
        design.MakeTrace(21, L"T", {L"Gain"}, reptest::Subsweeps({reptest::FreqSelection({1})}));
    renumber(design.Report(design.AddReport(L"Held", {trace.get()})));
  }
  design.mgr->InvalidateHeldIDs();
  io::CBlock project = WrittenProject(design);
  design.mgr = std::make_unique<rep::ReportManager>(&design.owner, true);
  EXPECT_EQ(io::kNoError, design.mgr->DoDataExchange(project, true));
}

}  // namespace

// A project read with its report at the last ID a server issues, or its trace at the last version:
// each creation that needs an ID or a version is refused with a message before it changes
// anything, and what is held is saved and read back whole.
TEST(ReportManagerIDs, CreationsAtTheTopOfTheRangeAreRefused) {
  enum Top { kID, kVersion };
  struct Target {
    reptest::PasteDesign& design;
    rep::ReportManager& mgr;
    long reportID, traceID;
    reptest::PasteDesign& source;
    long sourceReport;
    VelmorCommand& cmd;
    refhost::RecordingPasteListener& listener;
    const std::string& csv;
  };
  auto heldTrace = [](Target& t) -> rep::BaseTraceDefinition& { return *t.mgr.FindTrace(t.traceID); };
  auto sourceTraceIDs = [](Target& t) {
    std::vector<long> ids;
    t.source.Report(t.sourceReport).GetTraceIDs(ids);
    return ids;
  };
  // Each tried with no ID left, and with no version left.
  auto addTrace = [&](Target& t) {
    std::vector<long> added;
    return t.mgr.AddTraceDefinition(added, {&heldTrace(t)}, t.reportID, &t.cmd);
  };
  auto pasteTraces = [&](Target& t) {
    io::CBlock clipboard(L"Clipboard");
    EXPECT_TRUE(t.source.mgr->CopyTraces(clipboard, nullptr, t.sourceReport, sourceTraceIDs(t)));
    return t.mgr.PasteTraces(t.reportID, clipboard, &t.listener, &t.cmd);
  };
  struct Case {
    const char* why;
    Top top;
    std::function<bool(Target&)> create;  // whether it answered that it created
    const wchar_t* message;
  };
  const Case cases[] = {
      {"a new report", kID,
       [](Target& t) {
         return t.mgr.AddReportDefinition(*t.mgr.CreateReportDefinition(L"New"), &t.cmd) != id::invalidID;
       },
       L"No ID is left for the report \"New\"."},
      {"a new report holding a copy of a trace", kID,
       [&](Target& t) { return t.mgr.CreateReportDefinition({&heldTrace(t)}, L"New") != nullptr; },
       L"No ID is left for the report \"New\"."},
      {"a trace added to a report", kID,
       addTrace,
       L"No ID is left for the trace \"T\"."},
      {"traces pasted into a report", kID,
       pasteTraces,
       L"No ID is left for the traces pasted into the report \"Held\"."},
      {"reports pasted", kID,
       [](Target& t) {
         io::CBlock clipboard(L"Clipboard");
         EXPECT_TRUE(t.source.mgr->CopyReports(clipboard, nullptr, {t.sourceReport}));
         return t.mgr.PasteReports(clipboard, &t.listener, &t.cmd);
       },
       L"No ID is left for the pasted reports."},
      {"traces read with their data", kID,
       [&](Target& t) {
         io::CBlock block(L"R");
         EXPECT_TRUE(t.source.mgr->WriteTracesWithData(block, t.sourceReport, sourceTraceIDs(t)));
         return t.mgr.ReadTracesWithData(t.reportID, block, &t.listener, &t.cmd);
       },
       L"No ID is left for the traces read into the report \"Held\"."},
      {"reports read with their data", kID,
       [](Target& t) {
         io::CBlock block(L"Reports");
         EXPECT_TRUE(t.source.mgr->WriteReportsWithData(block, {t.sourceReport}));
         std::vector<long> before, after;
         t.mgr.GetReportIDs(before);
         t.mgr.ReadReportsWithData(block, &t.listener, &t.cmd);
         t.mgr.GetReportIDs(after);
         return before != after;
       },
       L"No ID is left for the report \"R\"."},
      {"traces imported from a file", kID,
       [](Target& t) { return t.mgr.ImportTracesFromFile(t.reportID, AString::FromUtf8(t.csv), &t.cmd, 1); },
       L"No ID is left for the traces imported into the report \"Held\"."},
      {"a new trace definition", kVersion,
       [&](Target& t) {
         const auto& held = dynamic_cast<const rep::TraceDefinition&>(heldTrace(t));
         return t.mgr.CreateTraceDefinition(L"New", {L"Gain"}, held.GetDesignSolutionDefinitionRef(),
                                            *held.GetPointsetDefinition(), ExtTraceInfo()) != nullptr;
       },
       L"No version ID is left for the trace \"New\"."},
      {"a trace added to a report, at the last version", kVersion,
       addTrace,
       L"No version ID is left for the trace \"T\"."},
      {"a trace replaced", kVersion,
       [&](Target& t) {
         std::unique_ptr<rep::IBaseTraceDefinition> edited(heldTrace(t).CloneDefinition());
         return t.mgr.ReplaceTraceDefinition(*edited, t.traceID, &t.cmd);
       },
       L"No version ID is left for the trace \"T\"."},
      {"a trace's extended information set", kVersion,
       [](Target& t) {
         ExtTraceInfo info;
         info.SetYAxis(rep::kYAxis2);
         return t.mgr.SetTraceExtendedTraceInfo(info, t.traceID, &t.cmd);
       },
       L"No version ID is left for the trace \"T\"."},
      {"traces pasted into a report, at the last version", kVersion,
       pasteTraces,
       L"No version ID is left for the traces pasted into the report \"Held\"."},
      {"a trace whose solution's data a command changed", kVersion,
       [&](Target& t) {
         const long version = heldTrace(t).GetVersionID();
         t.design.owner.SetUpdateTracesOnCommand(true);
         t.design.solutions.FindSolution(21)->SetCommandChangesData(&t.cmd);
         t.mgr.UpdateReportsOnCommand(&t.cmd);
         return heldTrace(t).GetVersionID() != version;
       },
       L"No version ID is left for the trace \"T\"."},
  };
  reptest::TempDir dir;
  const std::string csv = dir.File("imported.csv");
  reptest::WriteFileBytes(csv, "T [s],A\n1,2\n");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    reptest::PasteDesign source(1, 100);
    source.AddSolution(10, L"Run1", {1, 2, 3});
    // An output variable goes with the trace that uses it.
    auto* twice = new OutputVariable(L"Twice");
    twice->SetValueBaseText(L"Gain*2", ValueState(1, 15, 1));
    ASSERT_TRUE(source.outputVariables.ChangeOutputVariableID(twice));
    std::unique_ptr<rep::TraceDefinition> sourceTrace =
        source.MakeTrace(10, L"S", {L"Twice"}, reptest::Subsweeps({reptest::FreqSelection({1, 2})}));
    const long sourceReport = source.AddReport(L"R", {sourceTrace.get()});

    // The design at the top: its report, or its trace's version, the last a server issues.
    reptest::PasteDesign design(2, 200);
    HoldReadBack(design, [&](rep::ReportDefinition& held) {
      if (c.top == kID) held.SetReportID(kLastIssued);
      if (c.top == kVersion)
        held.GetTraces().front()->SetIDAndVersionID(held.GetTraces().front()->GetID(), kLastIssued);
    });
    EXPECT_EQ(id::endID, c.top == kID ? design.mgr->PeekNextUniqueID() : design.mgr->PeekNextVersionID());
    const std::vector<long> reportIDs = design.ReportIDs();
    ASSERT_EQ(1u, reportIDs.size());
    std::vector<long> traceIDs;
    design.Report(reportIDs[0]).GetTraceIDs(traceIDs);
    ASSERT_EQ(1u, traceIDs.size());
    const std::string before = io::BlockToText(WrittenProject(design)).ToUtf8();
    orvex::test::Messages().Clear();

    VelmorCommand cmd;
    refhost::RecordingPasteListener listener;
    Target target{design, *design.mgr, reportIDs[0], traceIDs[0], source, sourceReport, cmd, listener, csv};
    EXPECT_FALSE(c.create(target));
    EXPECT_EQ(std::vector<std::vector<AString>>({{L"24464", c.message}}), reptest::PostedWithArgs());
    orvex::test::Messages().Clear();
    EXPECT_EQ(before, io::BlockToText(WrittenProject(design)).ToUtf8()) << "a refused creation changed what is held";

    rep::ReportManager reread(&design.owner, true);
    io::CBlock saved = WrittenProject(design);
    EXPECT_EQ(io::kNoError, reread.DoDataExchange(saved, true));
    std::vector<long> rereadTraces;
    reread.GetReportDefinition(reportIDs[0])->GetTraceIDs(rereadTraces);
    EXPECT_EQ(traceIDs, rereadTraces);
  }
}

// A report read with its data takes an ID for itself and an ID and a version for each of its
// traces: near the top of the range it goes in whole, or not at all with a message, and what is
// held saves and reads back with every trace.
TEST(ReportManagerIDs, ReportsReadWithDataNearTheTopGoInWholeOrNotAtAll) {
  struct Case {
    long idsLeft, versionsLeft;
    const wchar_t* message;  // null: the report goes in whole
  };
  const Case cases[] = {
      {0, 100, L"No ID is left for the report \"R\"."},
      {1, 100, L"No ID is left for the report \"R\"."},
      {2, 100, L"No ID is left for the report \"R\"."},
      {3, 100, L"No ID is left for the report \"R\"."},
      {4, 100, nullptr},
      {8, 100, nullptr},
      {100, 2, L"No version ID is left for the report \"R\"."},
      {100, 3, nullptr},
  };
  auto traceIDs = [](rep::ReportManager& mgr, long reportID) {
    std::vector<long> ids;
    mgr.GetReportDefinition(reportID)->GetTraceIDs(ids);
    return ids;
  };
  auto curves = [&](rep::ReportManager& mgr, long reportID) {
    std::vector<std::string> out;
    for (long id : traceIDs(mgr, reportID)) {
      rep::ITraceData* data = mgr.GetReportDataManagerForEdit()->GetITraceData(id);
      out.push_back(data ? reptest::Describe(*data) : "no data");
    }
    return out;
  };

  // The report "R" of three traces, each holding its own curves.
  reptest::PasteDesign source(1, 100);
  const long sourceReport = source.AddReport(L"R", {});
  std::vector<rep::BaseTraceDefinition*> imported;
  for (const wchar_t* name : {L"Cold", L"Warm", L"Hot"}) {
    auto* trace =
        new rep::ImportedTraceDefinition(*source.mgr, L"lab.csv", name, {L"Freq", L"Y"}, ExtTraceInfo(), false);
    rep::ConcreteTraceData* data = reptest::TwoCurvesOverFreq(*source.mgr, 0);
    data->SetTraceName(name);
    trace->SetTraceData(data);
    trace->SetIDAndVersionID(source.mgr->GetNewUniqueID(), 0);
    imported.push_back(trace);
  }
  source.Report(sourceReport).AddNewTraceDefinitions(imported, nullptr);
  io::CBlock written(L"Reports");
  ASSERT_TRUE(source.mgr->WriteReportsWithData(written, {sourceReport}));
  const std::vector<std::string> sourceCurves = curves(*source.mgr, sourceReport);

  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.idsLeft) + " IDs and " + std::to_string(c.versionsLeft) + " versions left");
    reptest::PasteDesign design(2, 200);
    HoldReadBack(design, [&](rep::ReportDefinition& held) {
      held.SetReportID(kLastIssued - c.idsLeft);
      held.GetTraces().front()->SetIDAndVersionID(held.GetTraces().front()->GetID(), kLastIssued - c.versionsLeft);
    });
    ASSERT_EQ(c.idsLeft, id::endID - design.mgr->PeekNextUniqueID());
    ASSERT_EQ(c.versionsLeft, id::endID - design.mgr->PeekNextVersionID());
    const std::vector<long> before = design.ReportIDs();
    const std::string beforeText = io::BlockToText(WrittenProject(design)).ToUtf8();
    orvex::test::Messages().Clear();

    io::CBlock block = written;
    refhost::RecordingPasteListener listener;
    VelmorCommand cmd;
    design.mgr->ReadReportsWithData(block, &listener, &cmd);
    cmd.EndDo();
    const std::vector<long> after = design.ReportIDs();
    if (c.message) {
      EXPECT_EQ(std::vector<std::vector<AString>>({{L"24464", c.message}}), reptest::PostedWithArgs());
      EXPECT_EQ(beforeText, io::BlockToText(WrittenProject(design)).ToUtf8()) << "a refused report changed what is held";
      EXPECT_TRUE(listener.Calls().empty()) << "the listener was told of a report that did not come";
    } else {
      EXPECT_TRUE(reptest::PostedWithArgs().empty());
      ASSERT_EQ(before.size() + 1, after.size());
      EXPECT_EQ(AString(L"R"), design.mgr->GetReportDefinition(after.back())->GetReportName());
      EXPECT_EQ(sourceCurves, curves(*design.mgr, after.back()));
      EXPECT_EQ(3u, listener.TraceIDChanges().size());
    }
    orvex::test::Messages().Clear();

    rep::ReportManager reread(&design.owner, true);
    io::CBlock saved = WrittenProject(design);
    EXPECT_EQ(io::kNoError, reread.DoDataExchange(saved, true));
    std::vector<long> rereadIDs;
    reread.GetReportIDs(rereadIDs);
    ASSERT_EQ(after, rereadIDs);
    for (long id : after) EXPECT_EQ(traceIDs(*design.mgr, id), traceIDs(reread, id));
    if (!c.message) {
      EXPECT_EQ(sourceCurves, curves(reread, after.back()));
    }
  }
}
