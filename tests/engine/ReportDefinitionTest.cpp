#include <algorithm>
#include <functional>

#include "EngineFixture.h"
#include "PerItemGrowth.h"
#include "StoredTraceFixture.h"
#include "reports/ListDeltaState.h"
#include "reports/ReportDefinitionCmdInfo.h"
#include "orvex/core/MessageLog.h"
#include "postorvex/sweeps/RegularSubsweepDefParams.h"
#include "refhost/RecordingPasteListener.h"
#include "reports/ImportedTraceDefinition.h"

using reptest::EngineFixture;

namespace {

// A computed trace whose answer to a command the test decides.
class ScriptedTrace : public rep::TraceDefinition {
public:
  ScriptedTrace(rep::ReportManager& mgr, const AString& expr, bool invalidOnCommand)
      : IBaseTraceDefinition(), BaseTraceDefinition(mgr, std::vector<AString>{expr}, ExtTraceInfo(), nullptr),
        TraceDefinition(mgr, std::vector<AString>{expr}, DesignSolutionDefinition(100, 10, ReportTypeSolutionDefinition(1)),
                        rep::PointsetDefinition(), ExtTraceInfo(), 1, nullptr),
        m_invalid(invalidOnCommand) {}
  bool UpdateOnCommand(IVelmorCommand*) override { return m_invalid; }

private:
  bool m_invalid;
};

}  // namespace

class ReportDefinitionTest : public EngineFixture {
protected:
  // A report holding scripted traces, added without undo; answers its ID.
  long AddScriptedReport(const AString& name, const std::vector<bool>& invalid) {
    const long id = AddReport(name);
    std::vector<rep::BaseTraceDefinition*> traces;
    for (size_t i = 0; i < invalid.size(); ++i) {
      auto* t = new ScriptedTrace(Mgr(), AString(L"q") + std::to_wstring(i), invalid[i]);
      t->SetIDAndVersionID(Mgr().GetNewUniqueID(), Mgr().GetNewVersionID());
      traces.push_back(t);
    }
    VelmorCommand setup;
    Report(id).AddNewTraceDefinitions(traces, &setup);
    setup.EndDo();
    return id;
  }
};

TEST_F(ReportDefinitionTest, DefaultNamesAndUniqueNames) {
  auto mag = MakeTrace({L"x", L"mag"});
  auto fixed = MakeTrace({L"x"}, L"mag");
  const long r = AddReport(L"R", {fixed.get(), mag.get()});
  // The expression is taken by another trace: the default is built from "mag_".
  EXPECT_EQ(std::vector<AString>({L"mag", L"mag_"}), TraceNames(r));
  std::vector<AString> out;
  EXPECT_EQ(2, Report(r).GetUniqueTraceNames(out, {L"mag", L"mag"}));
  EXPECT_EQ(std::vector<AString>({L"mag1", L"mag2"}), out);
  EXPECT_EQ(AString(L"MAG1"), Report(r).GetUniqueTraceName(L"MAG"));

  // An untied name that clashes gets an index; the existing trace keeps its own.
  auto again = MakeTrace({L"y"}, L"mag");
  VelmorCommand cmd;
  std::vector<long> ids;
  Report(r).AddTraceDefinitions(ids, {again.get()}, &cmd);
  EXPECT_EQ(std::vector<AString>({L"mag", L"mag_", L"mag1"}), TraceNames(r));

  // A trace without components names itself by nothing rather than reading past its end.
  auto empty = MakeTrace({});
  EXPECT_EQ(AString(), Report(r).GetDefaultTraceName(*empty));
}

TEST_F(ReportDefinitionTest, ValidationPostsANameClash) {
  AddReport(L"Same");
  const long second = AddReport(L"Same");
  orvex::test::Messages().Clear();
  EXPECT_FALSE(Report(second).ValidateDefinition());
  ASSERT_EQ(std::vector<int>({17001}), orvex::test::Messages().PostedIDs());
  const VelmorMessage& msg = orvex::test::Messages().Posted()[0].message;
  EXPECT_EQ(1, msg.GetSeverity());
  EXPECT_EQ((std::array<int, 4>{14, 17001, 17001, 6}), msg.GetInts());
  EXPECT_EQ(AString(L"Same"), msg.GetArgs().at(0));
  const long unique = AddReport(L"Unique");
  EXPECT_TRUE(Report(unique).ValidateDefinition());
}

TEST_F(ReportDefinitionTest, CopyFromAnotherManagerStillCopies) {
  auto x = MakeTrace({L"x"});
  const long r = AddReport(L"R", {x.get()});
  rep::ReportManager other(&m_owner, true);
  rep::ReportDefinition foreign(other, L"Foreign", {});
  foreign.SetReportID(77);
  rep::ReportDefinition& target = Report(r);
  target.CopyFrom(foreign);
  EXPECT_SOFT_ASSERT("&mMgr==&(rd.mMgr)");
  EXPECT_EQ(AString(L"Foreign"), target.GetReportName());
  EXPECT_EQ(77, target.GetReportID());  // the ID comes along: the copy is whole
  EXPECT_TRUE(target.GetTraces().empty());
}

TEST_F(ReportDefinitionTest, CommandInvalidatingSomeTracesRemovesThem) {
  const long r = AddScriptedReport(L"R", {false, true, false});
  VelmorCommand cmd;
  EXPECT_FALSE(Report(r).UpdateOnCommand(&cmd));
  EXPECT_EQ(std::vector<AString>({L"q0", L"q2"}), TraceNames(r));
  auto* info = dynamic_cast<rep::ReportDefinitionCmdInfo*>(cmd.GetInfo(m_owner.GetCmdInfoSourceForReports()));
  ASSERT_NE(nullptr, info);
  EXPECT_TRUE(info->AreTracesUpdated());
  cmd.EndDo();
  cmd.Undo();
  EXPECT_EQ(std::vector<AString>({L"q0", L"q1", L"q2"}), TraceNames(r));
}

TEST_F(ReportDefinitionTest, CommandInvalidatingEveryTraceDeletesTheReport) {
  const long keep = AddScriptedReport(L"Keep", {false});
  const long gone = AddScriptedReport(L"Gone", {true, true});
  orvex::test::Messages().Clear();
  VelmorCommand cmd;
  EXPECT_TRUE(Mgr().UpdateReportsOnCommand(&cmd));
  ASSERT_EQ(std::vector<int>({17011}), orvex::test::Messages().PostedIDs());
  const VelmorMessage& msg = orvex::test::Messages().Posted()[0].message;
  EXPECT_EQ(0, msg.GetSeverity());
  EXPECT_EQ((std::array<int, 4>{14, 17011, 170010, 6}), msg.GetInts());
  std::vector<long> ids;
  Mgr().GetReportIDs(ids);
  EXPECT_EQ(std::vector<long>({keep}), ids);
  cmd.EndDo();
  cmd.Undo();
  ids.clear();
  Mgr().GetReportIDs(ids);
  EXPECT_EQ(std::vector<long>({keep, gone}), ids);
  EXPECT_EQ(2u, Report(gone).GetTraces().size());
}

TEST_F(ReportDefinitionTest, DeleteTracesRefusesAnUnknownID) {
  auto x = MakeTrace({L"x"});
  const long r = AddReport(L"R", {x.get(), x.get()});
  std::vector<long> ids;
  Report(r).GetTraceIDs(ids);
  VelmorCommand cmd;
  EXPECT_FALSE(Report(r).DeleteTraceDefinitions({ids[0], 999}, &cmd));
  EXPECT_EQ(2u, Report(r).GetTraces().size());
  EXPECT_EQ(0u, cmd.GetNumDeltaStates());
}

TEST_F(ReportDefinitionTest, AddingNothingStillMarksTheReport) {
  const long r = AddReport(L"R");
  VelmorCommand cmd;
  EXPECT_TRUE(Report(r).AddNewTraceDefinitions({}, &cmd));
  auto* info = dynamic_cast<rep::ReportDefinitionCmdInfo*>(cmd.GetInfo(m_owner.GetCmdInfoSourceForReports()));
  ASSERT_NE(nullptr, info);
  EXPECT_TRUE(info->IsEditedReport(r));
  EXPECT_EQ(1u, cmd.GetNumDeltaStates());
}

TEST_F(ReportDefinitionTest, PasteRenumbersRenamesAndRebinds) {
  auto x = MakeTrace({L"x"});
  auto y = MakeTrace({L"y"});
  const long target = AddReport(L"Target", {x.get()});
  const long pasted = AddReport(L"Pasted", {x.get(), y.get()});
  std::vector<long> before;
  Report(pasted).GetTraceIDs(before);

  refhost::RecordingPasteListener listener;
  EXPECT_TRUE(Report(pasted).AssignNewIDs(Mgr(), &listener));
  ASSERT_EQ(1u, listener.ReportIDChanges().size());
  EXPECT_EQ(pasted, listener.ReportIDChanges()[0].first);
  ASSERT_EQ(2u, listener.TraceIDChanges().size());
  EXPECT_EQ(before[0], listener.TraceIDChanges()[0].first);
  const long pastedNow = listener.ReportIDChanges()[0].second;

  Report(pastedNow).MakeTraceNamesUniqueForReport(target, Mgr(), nullptr);
  EXPECT_EQ(std::vector<AString>({L"x1", L"y"}), TraceNames(pastedNow));
  Report(pastedNow).MakeTraceNamesUniqueForReport(4242, Mgr(), nullptr);
  EXPECT_SOFT_ASSERT("0");

  // Re-binding: one trace has a new solution, the other none and goes with message 17008.
  std::vector<long> now;
  Report(pastedNow).GetTraceIDs(now);
  listener.SetNewSolution(now[0], 11, SimValueContext());
  orvex::test::Messages().Clear();
  Report(pastedNow).SetSolutionOfTraces(&listener);
  ASSERT_EQ(1u, Report(pastedNow).GetTraces().size());
  auto* rebound = dynamic_cast<rep::TraceDefinition*>(Report(pastedNow).GetTraces().front());
  EXPECT_EQ(11, rebound->GetDesignSolutionDefinitionRef().GetSolutionID());
  EXPECT_EQ(std::vector<int>({17008}), orvex::test::Messages().PostedIDs());
  EXPECT_EQ(AString(L"Pasted:y"), orvex::test::Messages().Posted()[0].message.GetArgs().at(0));
}

TEST_F(ReportDefinitionTest, PastedTracesAreRecordedForUndo) {
  auto x = MakeTrace({L"x"});
  const long r = AddReport(L"R", {x.get(), x.get()});
  std::vector<long> ids;
  Report(r).GetTraceIDs(ids);
  VelmorCommand cmd;
  Report(r).RecordPastedTraces(&cmd, {ids[1]});
  cmd.EndDo();
  cmd.Undo();
  EXPECT_EQ(1u, Report(r).GetTraces().size());
  cmd.Redo();
  EXPECT_EQ(2u, Report(r).GetTraces().size());
}

TEST(ListDeltaState, RemovesOnlyTheRecordedNode) {
  std::list<int*> list = {new int(1), new int(2)};
  int* stranger = new int(3);
  {
    ListDeltaState<int*> delta(list, false);
    delta.RemoveNodeAt(stranger, 0);  // position 0 holds another node: nothing is removed
    EXPECT_SOFT_ASSERT("node == (*listIter)");
    EXPECT_EQ(2u, list.size());
    delta.RemoveNodeAt(stranger, 5);
    EXPECT_SOFT_ASSERT("nodePos < m_srcList.size()");
    EXPECT_SOFT_ASSERT("listIter != m_srcList.end()");
    delta.InsertNodeAt(stranger, 7);  // past the end: appended after the assertion
    EXPECT_SOFT_ASSERT("nodePos <= m_srcList.size()");
    EXPECT_EQ(stranger, list.back());
  }
  for (int* p : list) delete p;
}

TEST(ListDeltaState, OwnsWhatTheStateLeavesOutside) {
  std::list<int*> list;
  int* inserted = new int(1);
  auto* delta = new ListDeltaState<int*>(list, true);
  list.push_back(inserted);
  delta->AddChange(inserted, 0, true);
  delta->UndoIt();  // the insertion is undone: the record owns the node now
  EXPECT_TRUE(list.empty());
  delete delta;     // frees it (leak check)

  int* removed = new int(2);
  list.push_back(removed);
  auto* standing = new ListDeltaState<int*>(list, true);
  list.clear();
  standing->AddChange(removed, 0, false);
  delete standing;  // the removal stands: freed as well
}

// Traces made elsewhere are named before they join the list: a name that one trace of the
// report already holds is taken, although the report allows a trace its own name once.
TEST_F(ReportDefinitionTest, TracesMadeElsewhereGetUniqueNames) {
  auto fixed = MakeTrace({L"x"}, L"mag");
  const long r = AddReport(L"R", {fixed.get()});
  std::vector<rep::BaseTraceDefinition*> incoming;
  for (const wchar_t* name : {L"mag", L"other", L"MAG"}) {
    auto* t = new rep::TraceDefinition(Mgr(), name, std::vector<AString>{L"y"},
                                       DesignSolutionDefinition(100, 10, ReportTypeSolutionDefinition(1)),
                                       rep::PointsetDefinition(), ExtTraceInfo(), 1, false, nullptr);
    t->SetIDAndVersionID(Mgr().GetNewUniqueID(), Mgr().GetNewVersionID());
    incoming.push_back(t);
  }
  VelmorCommand cmd;
  EXPECT_TRUE(Report(r).AddNewTraceDefinitions(incoming, &cmd));
  EXPECT_EQ(std::vector<AString>({L"mag", L"mag1", L"other", L"MAG2"}), TraceNames(r));
}

// A trace whose point set the paste cannot supply goes with message 17008; the others take a
// copy of theirs.
TEST_F(ReportDefinitionTest, PointsetsFromAPasteLookup) {
  auto x = MakeTrace({L"x"});
  auto y = MakeTrace({L"y"});
  const long r = AddReport(L"R", {x.get(), y.get()});
  std::vector<long> ids;
  Report(r).GetTraceIDs(ids);
  SubsweepDefParamsContainer subsweeps;
  subsweeps.PushBackAndOwn(new RegularSubsweepDefParams(L"Freq"));
  refhost::RecordingPasteListener listener;
  listener.SetNewPointset(ids[0], new rep::PointsetDefinition(subsweeps, {}));

  auto* unanswered = dynamic_cast<rep::TraceDefinition*>(Report(r).FindTrace(ids[1]));
  const rep::IPointsetDefinition* own = unanswered->GetPointsetDefinition();
  EXPECT_FALSE(unanswered->SetPointsetFromLookup(&listener));
  EXPECT_FALSE(unanswered->SetPointsetFromLookup(nullptr));
  EXPECT_EQ(own, unanswered->GetPointsetDefinition());
  EXPECT_EQ(0u, own->GetSubsweepDefParamsContainer().Size());

  orvex::test::Messages().Clear();
  Report(r).SetPointsetsOfTraces(&listener);
  EXPECT_EQ(std::vector<AString>({L"x"}), TraceNames(r));
  const auto* answered = dynamic_cast<const rep::TraceDefinition*>(Report(r).FindTrace(ids[0]));
  EXPECT_EQ(1u, answered->GetPointsetDefinition()->GetSubsweepDefParamsContainer().Size());
  EXPECT_NE(listener.GetNewPointset(ids[0]), answered->GetPointsetDefinition());
  ASSERT_EQ(std::vector<int>({17008}), orvex::test::Messages().PostedIDs());
  const VelmorMessage& msg = orvex::test::Messages().Posted()[0].message;
  EXPECT_EQ(1, msg.GetSeverity());
  EXPECT_EQ((std::array<int, 4>{14, 17008, -1, 6}), msg.GetInts());
  EXPECT_EQ(AString(L"R:y"), msg.GetArgs().at(0));
}

TEST_F(ReportDefinitionTest, OutputVariablesOfUnknownTracesAreSkipped) {
  auto x = MakeTrace({L"x"});
  const long r = AddReport(L"R", {x.get()});
  std::vector<long> ids;
  Report(r).GetTraceIDs(ids);
  std::set<long> activated;
  Report(r).ActivateOutputVariablesOfTraces(activated, {4242, ids[0]});
  EXPECT_SOFT_ASSERT("0");
  EXPECT_NO_SOFT_ASSERT();  // the known trace is still asked
  EXPECT_TRUE(activated.empty());
}

namespace {

// An imported trace that counts how often its ID is asked for: a walk of the report's list for
// each ID asks every trace once per ID.
class CountingTrace : public rep::ImportedTraceDefinition {
public:
  CountingTrace(rep::ReportManager& mgr, long& asked)
      : ImportedTraceDefinition(mgr, L"src.csv", L"T", {L"Freq", L"Y"}, ExtTraceInfo(), false), m_asked(asked) {}
  long GetID() const override {
    ++m_asked;
    return ImportedTraceDefinition::GetID();
  }

private:
  long& m_asked;
};

// A command record that counts the trace IDs it hands out in the same count: a copy of a
// command's new trace IDs for each trace grows with the square of the traces.
class CountingCmdInfo : public rep::ReportDefinitionCmdInfo {
public:
  explicit CountingCmdInfo(long& asked) : m_asked(asked) {}
  void GetNewTraceIDs(std::set<long>& ids, long reportID) const override {
    ReportDefinitionCmdInfo::GetNewTraceIDs(ids, reportID);
    m_asked += static_cast<long>(ids.size());
  }

private:
  long& m_asked;
};

}  // namespace

// Each operation over all the traces of a report, at two sizes four times apart: what it asks of
// each trace must not grow with the number of traces.
TEST_F(ReportDefinitionTest, WorkOverTraceIDsGrowsWithTheTraces) {
  reptest::TempDir dir;
  auto report = [](rep::ReportManager& mgr, long r) { return dynamic_cast<rep::ReportDefinition*>(mgr.GetReportDefinition(r)); };
  struct Case {
    const char* what;
    std::function<void(rep::ReportManager&, long reportID, const std::vector<long>& ids, long& asked)> run;
  };
  const Case cases[] = {
      {"traces written with their data",
       [](rep::ReportManager& mgr, long r, const std::vector<long>& ids, long&) {
         io::CBlock block(L"Clip");
         EXPECT_TRUE(mgr.WriteTracesWithData(block, r, ids));
       }},
      {"report block written",
       [](rep::ReportManager& mgr, long r, const std::vector<long>& ids, long&) {
         io::CBlock block(L"Reports");
         EXPECT_TRUE(mgr.WriteReportBlock(block, r, ids));
       }},
      {"output variables of the traces",
       [&](rep::ReportManager& mgr, long r, const std::vector<long>& ids, long&) {
         std::set<long> used;
         report(mgr, r)->ActivateOutputVariablesOfTraces(used, ids);
       }},
      {"traces deleted with undo, last first",
       [&](rep::ReportManager& mgr, long r, const std::vector<long>& ids, long&) {
         VelmorCommand cmd;
         EXPECT_TRUE(report(mgr, r)->DeleteTraceDefinitions(std::vector<long>(ids.rbegin(), ids.rend()), &cmd));
         cmd.EndDo();
         cmd.Undo();
       }},
      {"traces deleted without undo, last first",
       [](rep::ReportManager& mgr, long r, const std::vector<long>& ids, long&) {
         mgr.DeleteTraceDefinitionsWithoutUndo(r, std::vector<long>(ids.rbegin(), ids.rend()));
       }},
      {"traces of a new solution",
       [](rep::ReportManager& mgr, long, const std::vector<long>&, long&) {
         rep::TraceQuantityNames names;
         mgr.OnNewSolution(names);
       }},
      {"a command that added the traces",
       [](rep::ReportManager& mgr, long r, const std::vector<long>& ids, long& asked) {
         VelmorCommand cmd;
         auto* info = new CountingCmdInfo(asked);
         IReportManagerOwner* owner = mgr.GetOwnerForEdit();
         owner->AddContextedInfoToCmd(&cmd, info, owner->GetCmdInfoSourceForReports());
         for (long id : ids) info->AddNewTrace(r, id);
         mgr.HandleCommandForImportedTraces(&cmd);
       }},
      {"columns imported into a time report",
       [&](rep::ReportManager& mgr, long r, const std::vector<long>& ids, long&) {
         std::string header = "T";
         std::string line = "1";
         for (size_t c = 0; c < ids.size(); ++c) {
           header += ",a";
           line += ",2";
         }
         const std::string path = dir.File("time.csv");
         reptest::WriteFileBytes(path, header + "\n" + line + "\n");
         VelmorCommand cmd;
         EXPECT_TRUE(report(mgr, r)->ImportTracesFromFile(AString::FromUtf8(path), &cmd, 0x70000001));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    reptest::ExpectPerItemAlikeAt100And400([&](size_t n) {
      long asked = 0;
      rep::ReportManager mgr(&m_owner, true);
      std::unique_ptr<rep::IReportDefinition> created = mgr.CreateReportDefinition(L"R");
      const long r = mgr.AddReportDefinition(*created, nullptr);
      std::vector<rep::BaseTraceDefinition*> traces;
      for (size_t i = 0; i < n; ++i) {
        auto* trace = new CountingTrace(mgr, asked);
        trace->SetIDAndVersionID(mgr.GetNewUniqueID(), mgr.GetNewVersionID());
        trace->SetTraceData(reptest::TwoCurvesOverFreq(mgr, trace->GetID()));
        traces.push_back(trace);
      }
      report(mgr, r)->AddNewTraceDefinitions(traces, nullptr);
      std::vector<long> ids;
      report(mgr, r)->GetTraceIDs(ids);
      asked = 0;
      c.run(mgr, r, ids, asked);
      return asked;
    });
  }
}

// Each removal is recorded where the trace stands once those removed before it are gone: undo
// puts every trace back in its place, and redo takes the same ones out again.
TEST_F(ReportDefinitionTest, DeletedTracesComeBackInTheirPlaces) {
  const std::vector<std::vector<size_t>> orders = {{2, 0}, {1, 3, 0}, {3, 2, 1, 0}, {0, 4, 2}};
  for (const std::vector<size_t>& order : orders) {
    auto x = MakeTrace({L"x"});
    const long r = AddReport(L"R" + AString(std::to_wstring(order.size() * 10 + order[0])),
                             {x.get(), x.get(), x.get(), x.get(), x.get()});
    std::vector<long> ids;
    Report(r).GetTraceIDs(ids);
    std::vector<long> gone;
    std::vector<long> kept = ids;
    for (size_t i : order) {
      gone.push_back(ids[i]);
      kept.erase(std::find(kept.begin(), kept.end(), ids[i]));
    }
    VelmorCommand cmd;
    ASSERT_TRUE(Report(r).DeleteTraceDefinitions(gone, &cmd));
    cmd.EndDo();
    std::vector<long> now;
    Report(r).GetTraceIDs(now);
    EXPECT_EQ(kept, now);
    cmd.Undo();
    now.clear();
    Report(r).GetTraceIDs(now);
    EXPECT_EQ(ids, now);
    cmd.Redo();
    now.clear();
    Report(r).GetTraceIDs(now);
    EXPECT_EQ(kept, now);
  }
}
