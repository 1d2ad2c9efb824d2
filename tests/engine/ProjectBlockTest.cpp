#include <functional>
#include <map>
#include <set>

#include "EngineFixture.h"
#include "orvex/io/BlockFile.h"
#include "orvex/io/LongFileName.h"

using reptest::EngineFixture;

class ProjectBlockTest : public EngineFixture {
protected:
  // Writes the manager into a project file and reads it back into a fresh manager.
  std::unique_ptr<rep::ReportManager> RoundTripThroughFile() {
    io::CBlock project(L"Project");
    EXPECT_EQ(io::kNoError, Mgr().DoDataExchange(project, false));
    const LongFileName file(AString::FromUtf8(m_dir.File("project.txt")));
    EXPECT_EQ(io::kNoError, io::WriteBlockFile(file, project));
    io::CBlock loaded;
    EXPECT_EQ(io::kNoError, io::ReadBlockFile(file, loaded));
    const io::CBlock kept = loaded;
    auto fresh = std::make_unique<rep::ReportManager>(&m_owner, true);
    EXPECT_EQ(io::kNoError, fresh->DoDataExchange(loaded, true));
    EXPECT_TRUE(kept == loaded) << "the reports are read where they stand, and left as they were";
    return fresh;
  }

  // What `mgr` holds, written and read into another fresh manager, which writes the same text.
  std::unique_ptr<rep::ReportManager> ExpectWrittenAlikeAfterARead(rep::ReportManager& mgr) {
    io::CBlock written(L"Project");
    mgr.DoDataExchange(written, false);
    auto again = std::make_unique<rep::ReportManager>(&m_owner, true);
    EXPECT_EQ(io::kNoError, again->DoDataExchange(written, true));
    io::CBlock rewritten(L"Project");
    again->DoDataExchange(rewritten, false);
    EXPECT_EQ(io::BlockToText(written), io::BlockToText(rewritten));
    return again;
  }

  static std::vector<std::pair<long, AString>> Reports(const rep::ReportManager& mgr) {
    std::vector<long> ids;
    mgr.GetReportIDs(ids);
    std::vector<std::pair<long, AString>> out;
    for (long id : ids) out.emplace_back(id, mgr.GetReportDefinition(id)->GetReportName());
    return out;
  }

  struct TraceSummary {
    long id, version;
    AString name;
    bool tied;
    std::vector<AString> expressions;
    long solution;
    bool operator==(const TraceSummary& o) const {
      return id == o.id && version == o.version && name == o.name && tied == o.tied &&
             expressions == o.expressions && solution == o.solution;
    }
  };
  static std::vector<TraceSummary> Traces(const rep::ReportManager& mgr) {
    std::vector<long> ids;
    mgr.GetReportIDs(ids);
    std::vector<TraceSummary> out;
    for (long r : ids) {
      auto* report = dynamic_cast<rep::ReportDefinition*>(mgr.GetReportDefinition(r));
      for (const rep::BaseTraceDefinition* t : report->GetTraces()) {
        const auto* def = dynamic_cast<const rep::TraceDefinition*>(t);
        std::vector<AString> exprs;
        def->GetTraceExpressions(exprs);
        out.push_back({t->GetID(), t->GetVersionID(), t->GetName(), t->GetIsNameTiedToExpressionFlag(), exprs,
                       def->GetDesignSolutionDefinitionRef().GetSolutionID()});
      }
    }
    return out;
  }

  // A trace block of a project file; `versionLine`, when not empty, is
  // the line that keeps its version.
  static std::wstring TraceBlockText(const std::wstring& id, const std::wstring& versionLine) {
    return LR"(
        TraceDef {
          TraceDefinitionType = "TraceDefinition"
          DesignSolnDefn {
            DesignID = 100
            SolutionID = 10
            ReportType = 1
            SimValueContext(3, 0, 2, 0, 1.0, 1.0, 0.0, 0.0)
          }
          ID = )" + id + LR"(
          Name = "y"
          TieNameToExpr = true
          Components {
            TraceComponentDefinition {
              Expr = "y"
            }
          }
          ExtendedTraceInfo {
            YAxis = 0
            OffsetTime = "0"
            OffsetTimeUnits = 90
            SweepValue = "0"
            SweepValueUnits = 90
          }
          TraceFamiliesDisplayDefinition {
            DisplayFamiliesType = "DisplayAll"
          }
)" + versionLine + LR"(          PointsetDefinition {
            SubsweepDefParams {
            }
            FamilyBlock()
          }
          DesignInstanceID = 1
        })";
  }

  reptest::TempDir m_dir;
};

TEST_F(ProjectBlockTest, EmptyManagerWritesItsFrame) {
  io::CBlock project(L"Project");
  Mgr().DoDataExchange(project, false);
  const io::CBlock* manager = project.FindBlock(L"ReportManager");
  ASSERT_NE(nullptr, manager);
  const io::CBlock* reports = manager->FindBlock(L"Reports");
  ASSERT_NE(nullptr, reports);
  EXPECT_EQ(0u, reports->GetNumItems());
  EXPECT_NE(nullptr, manager->FindBlock(L"NextVersID"));
  // Reports, then the ID server's state, then the version server's.
  ASSERT_EQ(3u, manager->GetNumItems());
  EXPECT_EQ(AString(L"Reports"), manager->GetItemName(0));
  EXPECT_EQ(io::CBlock::kNamedValue, manager->GetItemKind(1));
  EXPECT_EQ(AString(L"NextVersID"), manager->GetItemName(2));
}

TEST_F(ProjectBlockTest, ReportWithoutTracesRoundTrips) {
  const long r = AddReport(L"Empty");
  io::CBlock block(L"Empty");
  Report(r).DoDataExchange(block, false);
  ASSERT_EQ(2u, block.GetNumItems());
  EXPECT_EQ(AString(L"ReportID"), block.GetItemName(0));
  EXPECT_EQ(AString(L"ReportName"), block.GetItemName(1));
  std::unique_ptr<rep::IReportDefinition> read = Mgr().CreateReportDefinition(L"Other");
  auto* report = dynamic_cast<rep::ReportDefinition*>(read.get());
  EXPECT_EQ(io::kNoError, report->DoDataExchange(block, true));
  EXPECT_EQ(r, report->GetReportID());
  EXPECT_EQ(AString(L"Empty"), report->GetReportName());
  EXPECT_TRUE(report->GetTraces().empty());
}

TEST_F(ProjectBlockTest, ReportsAndTracesRoundTripThroughAFile) {
  auto x = MakeTrace({L"Freq", L"mag(S11)"});
  auto y = MakeTrace({L"Freq", L"\"quoted\" \u00e9"}, L"Custom name");
  const long a = AddReport(L"Report A", {x.get(), y.get()});
  AddReport(L"B {braces}", {y.get()});
  VelmorCommand cmd;
  std::vector<long> ids;
  Report(a).GetTraceIDs(ids);
  Mgr().RenameTraceDefinition(L"Renamed", ids[0], &cmd);

  std::unique_ptr<rep::ReportManager> fresh = RoundTripThroughFile();
  EXPECT_EQ(Reports(Mgr()), Reports(*fresh));
  const std::vector<TraceSummary> before = Traces(Mgr()), after = Traces(*fresh);
  ASSERT_EQ(before.size(), after.size());
  for (size_t i = 0; i < before.size(); ++i) {
    SCOPED_TRACE(before[i].name.ToUtf8());
    EXPECT_EQ(before[i].id, after[i].id);
    EXPECT_EQ(before[i].version, after[i].version);
    EXPECT_EQ(before[i].name, after[i].name);
    EXPECT_EQ(before[i].tied, after[i].tied);
    EXPECT_EQ(before[i].expressions, after[i].expressions);
    EXPECT_EQ(before[i].solution, after[i].solution);
  }
  // New IDs after the load repeat none of the loaded ones.
  EXPECT_EQ(Mgr().PeekNextUniqueID(), fresh->PeekNextUniqueID());
  EXPECT_EQ(Mgr().PeekNextVersionID(), fresh->PeekNextVersionID());
}

TEST_F(ProjectBlockTest, OlderLayoutAndLostServerStates) {
  auto x = MakeTrace({L"x"});
  AddReport(L"A", {x.get(), x.get()});
  AddReport(L"B", {x.get()});
  io::CBlock project(L"Project");
  Mgr().DoDataExchange(project, false);

  // Older layout: the reports stand in "ReportManager" itself and no server state is kept.
  io::CBlock older(L"Project");
  io::CBlock manager(L"ReportManager");
  const io::CBlock* reports = project.FindBlock(L"ReportManager")->FindBlock(L"Reports");
  for (size_t i = 0; i < reports->GetNumItems(); ++i) manager << *reports->GetBlock(i);
  older << std::move(manager);

  rep::ReportManager fresh(&m_owner, true);
  EXPECT_EQ(io::kNoError, fresh.DoDataExchange(older, true));
  EXPECT_EQ(Reports(Mgr()), Reports(fresh));
  long highestID = 0, highestVersion = 0;
  for (const TraceSummary& t : Traces(fresh)) {
    highestID = std::max(highestID, t.id);
    highestVersion = std::max(highestVersion, t.version);
  }
  for (const auto& r : Reports(fresh)) highestID = std::max(highestID, r.first);
  EXPECT_GT(fresh.PeekNextUniqueID(), highestID);
  EXPECT_GT(fresh.PeekNextVersionID(), highestVersion);
}

TEST_F(ProjectBlockTest, NextVersIDInOtherCaseMarksTheCurrentLayout) {
  io::CBlock project(L"Project");
  io::CBlock manager(L"ReportManager");
  io::CBlock reports(L"Reports");
  io::CBlock report(L"R");
  report << io::CBlock_named_value(L"ReportID", io::CBlock_value(5L))
         << io::CBlock_named_value(L"ReportName", io::CBlock_value(AString(L"R")));
  reports << std::move(report);
  manager << std::move(reports) << io::CBlock(L"nextversid");
  project << std::move(manager);
  rep::ReportManager fresh(&m_owner, true);
  fresh.DoDataExchange(project, true);
  EXPECT_EQ((std::vector<std::pair<long, AString>>{{5, L"R"}}), Reports(fresh));
  // Reading again appends again.
  fresh.DoDataExchange(project, true);
  EXPECT_EQ(2u, Reports(fresh).size());
}

TEST_F(ProjectBlockTest, WriteSelectedTracesInListOrder) {
  auto x = MakeTrace({L"x"});
  auto y = MakeTrace({L"y"});
  auto z = MakeTrace({L"z"});
  const long r = AddReport(L"R", {x.get(), y.get(), z.get()});
  std::vector<long> ids;
  Report(r).GetTraceIDs(ids);
  io::CBlock block(L"R");
  Report(r).WriteReportBlock(block, {ids[2], ids[0]});
  std::vector<long> written;
  for (size_t i = 0; i < block.GetNumItems(); ++i) {
    const io::CBlock* traceDef = block.GetBlock(i);
    if (!traceDef) continue;
    long id = 0;
    io::CBlock copy(*traceDef);
    io::DoDataExchange(copy, true, L"ID", id, io::kReturnCode);
    written.push_back(id);
  }
  EXPECT_EQ(std::vector<long>({ids[2], ids[0]}), written);

  // A trace the report does not hold is not written.
  io::CBlock other(L"R");
  Report(r).WriteTraceDefBlock(other, {4242});
  EXPECT_SOFT_ASSERT("baseTraceDef");
  EXPECT_EQ(0u, other.GetNumItems());
}

namespace {

// The block without the named value `key`; everything else stays in order.
io::CBlock WithoutKey(const io::CBlock& b, const AString& key) {
  io::CBlock copy(b.GetName());
  for (size_t i = 0; i < b.GetNumItems(); ++i) {
    if (const io::CBlock* sub = b.GetBlock(i)) copy << *sub;
    if (const io::CBlock_named_value* nv = b.GetNamedValue(i))
      if (nv->GetKey() != key) copy << *nv;
  }
  return copy;
}

}  // namespace

TEST_F(ProjectBlockTest, DamagedReportBlocksKeepWhatCanBeRead) {
  auto x = MakeTrace({L"x"});
  const long r = AddReport(L"R", {x.get(), x.get()});
  io::CBlock good(L"R");
  Report(r).WriteReportBlock(good, [&] {
    std::vector<long> ids;
    Report(r).GetTraceIDs(ids);
    return ids;
  }());

  struct Case {
    const char* why;
    std::function<void(io::CBlock&)> damage;
    size_t tracesKept;
    bool readError;
  };
  const Case cases[] = {
      {"foreign sub-block between the traces",
       [](io::CBlock& b) {
         io::CBlock copy(b.GetName());
         for (size_t i = 0; i < b.GetNumItems(); ++i) {
           if (i == 3) copy << io::CBlock(L"Foreign");
           if (const io::CBlock* sub = b.GetBlock(i)) copy << *sub;
           if (const io::CBlock_named_value* nv = b.GetNamedValue(i)) copy << *nv;
         }
         b = copy;
       },
       2, true},
      {"unknown trace kind",
       [](io::CBlock& b) { b.FindBlockForEdit(L"TraceDef")->Clear(); },
       1, true},
      {"TraceDef in other letter case",
       [](io::CBlock& b) { b.FindBlockForEdit(L"TraceDef")->SetName(L"tracedef"); },
       2, false},
      {"trace block whose DesignSolnDefn lost a byte of its name",
       [](io::CBlock& b) { b.FindBlockForEdit(L"TraceDef")->FindBlockForEdit(L"DesignSolnDefn")->SetName(L"DesignSolnDefm"); },
       1, true},
      {"trace block without ID",
       [](io::CBlock& b) { *b.FindBlockForEdit(L"TraceDef") = WithoutKey(*b.FindBlock(L"TraceDef"), L"ID"); },
       1, true},
      {"trace block without DesignInstanceID: a lesser loss",
       [](io::CBlock& b) {
         *b.FindBlockForEdit(L"TraceDef") = WithoutKey(*b.FindBlock(L"TraceDef"), L"DesignInstanceID");
       },
       2, false},
      {"trace block without TieNameToExpr: a lesser loss",
       [](io::CBlock& b) { *b.FindBlockForEdit(L"TraceDef") = WithoutKey(*b.FindBlock(L"TraceDef"), L"TieNameToExpr"); },
       2, false},
      {"type key equal only when letter case is ignored",
       [](io::CBlock& b) {
         io::CBlock& traceDef = *b.FindBlockForEdit(L"TraceDef");
         io::CBlock retyped(traceDef.GetName());
         retyped << io::CBlock_named_value(L"TraceDefinitionType", io::CBlock_value(AString(L"traceDefinition")));
         for (size_t i = 0; i < traceDef.GetNumItems(); ++i) {
           if (const io::CBlock* sub = traceDef.GetBlock(i)) retyped << *sub;
           const io::CBlock_named_value* nv = traceDef.GetNamedValue(i);
           if (nv && nv->GetKey() != L"TraceDefinitionType") retyped << *nv;
         }
         traceDef = retyped;
       },
       1, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    io::CBlock damaged(good);
    c.damage(damaged);
    io::CBlock manager(L"ReportManager");
    io::CBlock reports(L"Reports");
    reports << damaged;
    manager << std::move(reports) << io::CBlock(L"NextVersID");
    io::CBlock project(L"Project");
    project << std::move(manager);
    rep::ReportManager fresh(&m_owner, true);
    io::ReadError err = fresh.DoDataExchange(project, true);
    EXPECT_EQ(c.readError, err != io::kNoError);
    std::vector<long> ids;
    fresh.GetReportIDs(ids);
    ASSERT_EQ(1u, ids.size());
    EXPECT_EQ(c.tracesKept, dynamic_cast<rep::ReportDefinition*>(fresh.GetReportDefinition(ids[0]))->GetTraces().size());
    for (const TraceSummary& t : Traces(fresh)) EXPECT_NE(-1, t.id);
    // What was kept writes, reads and writes again alike.
    ExpectWrittenAlikeAfterARead(fresh);
  }
}

TEST_F(ProjectBlockTest, ReportWithoutIDGetsANewOne) {
  io::CBlock project(L"Project");
  io::CBlock manager(L"ReportManager");
  io::CBlock reports(L"Reports");
  for (const wchar_t* name : {L"A", L"B"}) {
    io::CBlock report(name);
    report << io::CBlock_named_value(L"ReportName", io::CBlock_value(AString(name)));
    reports << std::move(report);
  }
  manager << std::move(reports) << io::CBlock(L"NextVersID");
  project << std::move(manager);
  rep::ReportManager fresh(&m_owner, true);
  fresh.DoDataExchange(project, true);
  EXPECT_SOFT_ASSERT("0");
  EXPECT_SOFT_ASSERT("0");
  std::vector<long> ids;
  fresh.GetReportIDs(ids);
  ASSERT_EQ(2u, ids.size());
  EXPECT_NE(ids[0], ids[1]);
  EXPECT_NE(-1, ids[0]);
}


// A manager that started at the first ID wrote the block, so a report that lost its ID would
// draw, from a fresh manager, an ID that another loaded report or trace still carries.
TEST_F(ProjectBlockTest, LoadedReportsNeverShareAnID) {
  auto x = MakeTrace({L"x"});
  const long a = AddReport(L"A", {x.get()});
  const long b = AddReport(L"B", {x.get()});
  ASSERT_EQ(1, Report(a).GetTraces().front()->GetID());  // what a fresh manager draws first
  io::CBlock project(L"Project");
  Mgr().DoDataExchange(project, false);

  struct Case {
    const char* why;
    const wchar_t* report;  // whose block loses the key
    const wchar_t* key;
    bool keepServerState;
    std::vector<long> keptIDs;  // report IDs that must come back as written
  };
  const Case cases[] = {
      {"report ID lost, server state kept", L"B", L"ReportID", true, {a}},
      {"report ID lost, server state lost", L"B", L"ReportID", false, {a}},
      {"report name lost: the ID read still counts", L"A", L"ReportName", true, {a, b}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    const io::CBlock& written = *project.FindBlock(L"ReportManager");
    io::CBlock manager = c.keepServerState ? written : WithoutKey(written, L"NextUniqueID");
    io::CBlock* reports = manager.FindBlockForEdit(L"Reports");
    *reports->FindBlockForEdit(c.report) = WithoutKey(*reports->FindBlock(c.report), c.key);
    io::CBlock damaged(L"Project");
    damaged << manager;

    rep::ReportManager fresh(&m_owner, true);
    fresh.DoDataExchange(damaged, true);
    EXPECT_SOFT_ASSERT("0");
    ASSERT_EQ(Reports(Mgr()).size(), Reports(fresh).size());
    std::set<long> ids;
    for (const auto& r : Reports(fresh)) ids.insert(r.first);
    for (const TraceSummary& t : Traces(fresh)) ids.insert(t.id);
    EXPECT_EQ(4u, ids.size()) << "two reports and two traces, four IDs";
    EXPECT_EQ(0u, ids.count(-1));
    for (long kept : c.keptIDs) EXPECT_EQ(1u, ids.count(kept)) << kept;
    EXPECT_GT(fresh.PeekNextUniqueID(), *ids.rbegin());
  }
}

// A damaged or hand-edited state below the loaded IDs would hand them out again.
TEST_F(ProjectBlockTest, ServerStatesBelowTheLoadedIDsAreAdvanced) {
  auto x = MakeTrace({L"x"});
  AddReport(L"A", {x.get(), x.get()});
  io::CBlock project(L"Project");
  Mgr().DoDataExchange(project, false);
  io::CBlock manager = WithoutKey(*project.FindBlock(L"ReportManager"), L"NextUniqueID");
  manager << io::CBlock_named_value(L"NextUniqueID", io::CBlock_value(1L));
  *manager.FindBlockForEdit(L"NextVersID") = io::CBlock(L"NextVersID");
  *manager.FindBlockForEdit(L"NextVersID") << io::CBlock_named_value(L"NextUniqueID", io::CBlock_value(1L));
  io::CBlock stale(L"Project");
  stale << manager;

  rep::ReportManager fresh(&m_owner, true);
  EXPECT_EQ(io::kNoError, fresh.DoDataExchange(stale, true));
  EXPECT_EQ(Mgr().PeekNextUniqueID(), fresh.PeekNextUniqueID());
  long highestVersion = 0;
  for (const TraceSummary& t : Traces(fresh)) highestVersion = std::max(highestVersion, t.version);
  EXPECT_GT(fresh.PeekNextVersionID(), highestVersion);
}

// A project written before traces kept their version IDs: each trace gets one that no other
// trace holds and that the manager will not issue again; from then on it is saved.
TEST_F(ProjectBlockTest, OlderTraceBlocksWithoutVersionIDs) {
  auto withID = [](const wchar_t* id) { return TraceBlockText(id, L""); };
  const std::wstring text = L"Project {\n  ReportManager {\n    Reports {\n      A {\n        ReportID = 1\n"
                            L"        ReportName = \"A\"" + withID(L"2") + withID(L"3") +
                            L"\n      }\n    }\n    NextUniqueID = 4\n    NextVersID {\n      NextUniqueID = 6\n"
                            L"    }\n  }\n}\n";
  io::CBlock project;
  AString error;
  ASSERT_TRUE(io::BlockFromText(AString(text), project, &error)) << error.ToUtf8();
  rep::ReportManager fresh(&m_owner, true);
  EXPECT_EQ(io::kNoError, fresh.DoDataExchange(project, true));
  const std::vector<TraceSummary> read = Traces(fresh);
  ASSERT_EQ(2u, read.size());
  EXPECT_EQ(2, read[0].id);
  EXPECT_EQ(3, read[1].id);
  EXPECT_NE(read[0].version, read[1].version);
  EXPECT_GT(fresh.PeekNextVersionID(), std::max(read[0].version, read[1].version));
  EXPECT_EQ(6, fresh.PeekNextVersionID());  // the saved state stands

  io::CBlock saved(L"Project");
  fresh.DoDataExchange(saved, false);
  rep::ReportManager reloaded(&m_owner, true);
  EXPECT_EQ(io::kNoError, reloaded.DoDataExchange(saved, true));
  EXPECT_EQ(read, Traces(reloaded));
}

// Traces that share one block of display settings, and some that differ from it, each load the
// settings they were saved with.
TEST_F(ProjectBlockTest, DisplaySettingsOfEveryTraceSurviveTheLoad) {
  auto plain = MakeTrace({L"Freq", L"mag(S11)"});
  auto other = MakeTrace({L"Freq", L"mag(S11)"});
  ExtTraceInfo info;
  info.SetYAxis(rep::kYAxis2);
  info.SetSweepValue(Value(2.5, Units::kGHz));
  info.SetOffsetTime(Value(AString(L"2*pi"), Units::kNs));
  other->SetExtendedTraceInfo(info);
  std::vector<rep::IBaseTraceDefinition*> traces;
  for (int i = 0; i < 40; ++i) traces.push_back(i % 17 == 5 ? other.get() : plain.get());
  AddReport(L"A", traces);
  AddReport(L"B", {other.get(), plain.get()});

  std::unique_ptr<rep::ReportManager> fresh = RoundTripThroughFile();
  std::vector<long> savedIDs, loadedIDs;
  Mgr().GetReportIDs(savedIDs);
  fresh->GetReportIDs(loadedIDs);
  ASSERT_EQ(savedIDs, loadedIDs);
  size_t compared = 0;
  for (long r : savedIDs) {
    const auto& saved = Report(r).GetTraces();
    const auto& loaded = dynamic_cast<rep::ReportDefinition*>(fresh->GetReportDefinition(r))->GetTraces();
    ASSERT_EQ(saved.size(), loaded.size());
    for (auto s = saved.begin(), l = loaded.begin(); s != saved.end(); ++s, ++l) {
      const ExtTraceInfo expected = (*s)->GetExtendedTraceInfo(), actual = (*l)->GetExtendedTraceInfo();
      EXPECT_TRUE(expected == actual) << "trace " << (*s)->GetID();
      EXPECT_EQ(expected.GetYAxis(), actual.GetYAxis());
      EXPECT_DOUBLE_EQ(expected.GetSweepValue().GetValue(), actual.GetSweepValue().GetValue());
      EXPECT_DOUBLE_EQ(expected.GetOffsetTime().GetValue(), actual.GetOffsetTime().GetValue());
      ++compared;
    }
  }
  EXPECT_EQ(42u, compared);
}

// IDs that a hostile or damaged project names beyond what a server issues within 32 bits (the
// end of the range, 2147483647, is the state of a server with no ID left, never an ID): the
// servers move past the held IDs in one step, and an ID out of range is damage (the report is
// renumbered, the trace left out, the version and the server state drawn again).
TEST_F(ProjectBlockTest, IDsBeyondThirtyTwoBitsAreDamage) {
  const std::wstring text = L"Project {\n  ReportManager {\n    Reports {\n      A {\n        ReportID = @R\n"
                            L"        ReportName = \"A\"" +
                            TraceBlockText(L"@T", L"          VersionID = @V\n") +
                            L"\n      }\n    }\n    NextUniqueID = @N\n    NextVersID {\n      NextUniqueID = @W\n"
                            L"    }\n  }\n}\n";
  struct Case {
    const char* why;
    wchar_t key;
    const wchar_t* value;
    bool readError;
    long reportID;
    size_t traces;
    long nextID, nextVersion;
  };
  const Case cases[] = {
      {"report ID at the top of the range", L'R', L"2147483646", false, 2147483646, 1, 2147483647, 4},
      {"report ID at the end of the range, which no server issues", L'R', L"2147483647", true, 4, 1, 5, 4},
      {"report ID far past the range", L'R', L"9223372036854775807", true, 4, 1, 5, 4},
      {"report ID far below the range", L'R', L"-9223372036854775807", true, 4, 1, 5, 4},
      {"trace ID at the top of the range", L'T', L"2147483646", false, 1, 1, 2147483647, 4},
      {"trace ID far past the range", L'T', L"9223372036854775807", true, 1, 0, 4, 4},
      {"version ID at the top of the range", L'V', L"2147483646", false, 1, 1, 4, 2147483647},
      {"version ID far past the range", L'V', L"9223372036854775807", true, 1, 1, 4, 4},
      {"next ID at the top a server reaches", L'N', L"2147483647", false, 1, 1, 2147483647, 4},
      {"next ID past the top a server reaches", L'N', L"2147483648", true, 1, 1, 3, 4},
      {"next ID far past the range", L'N', L"9223372036854775807", true, 1, 1, 3, 4},
      {"next version far past the range", L'W', L"9223372036854775807", true, 1, 1, 4, 4},
  };
  const std::map<wchar_t, const wchar_t*> defaults{{L'R', L"1"}, {L'T', L"2"}, {L'V', L"3"}, {L'N', L"4"}, {L'W', L"4"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    std::wstring project = text;
    for (const auto& d : defaults) {
      const size_t at = project.find(std::wstring(L"@") + d.first);
      project.replace(at, 2, d.first == c.key ? c.value : d.second);
    }
    io::CBlock block;
    ASSERT_TRUE(io::BlockFromText(AString(project), block));
    rep::ReportManager fresh(&m_owner, true);
    EXPECT_EQ(c.readError, fresh.DoDataExchange(block, true) != io::kNoError);
    ASSERT_EQ(1u, Reports(fresh).size());
    EXPECT_EQ(c.reportID, Reports(fresh)[0].first);
    const std::vector<TraceSummary> traces = Traces(fresh);
    ASSERT_EQ(c.traces, traces.size());
    EXPECT_EQ(c.nextID, fresh.PeekNextUniqueID());
    EXPECT_EQ(c.nextVersion, fresh.PeekNextVersionID());
    for (const TraceSummary& t : traces) EXPECT_LT(t.version, fresh.PeekNextVersionID());

    // What was read writes a project that reads back whole and alike.
    ExpectWrittenAlikeAfterARead(fresh);
  }
}

// A damaged project repeats an ID: the later report or trace takes a free ID, so that every one
// can be looked up and is written back, and the read says it was damaged.
TEST_F(ProjectBlockTest, RepeatedIDsAreRenumbered) {
  auto report = [](const wchar_t* name, const wchar_t* id, const std::wstring& traces) {
    return std::wstring(L"      ") + name + L" {\n        ReportID = " + id + L"\n        ReportName = \"" + name +
           L"\"" + traces + L"\n      }\n";
  };
  auto trace = [](const wchar_t* id) { return TraceBlockText(id, L"          VersionID = 3\n"); };
  struct Case {
    const char* why;
    std::wstring reports;
    size_t numReports;
  };
  const Case cases[] = {
      {"two traces of one ID in a report", report(L"A", L"1", trace(L"2") + trace(L"2")), 1},
      {"two traces of one ID in two reports", report(L"A", L"1", trace(L"2")) + report(L"B", L"5", trace(L"2")), 2},
      {"two reports of one ID", report(L"A", L"1", trace(L"2")) + report(L"B", L"1", trace(L"6")), 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    io::CBlock block;
    ASSERT_TRUE(io::BlockFromText(
        AString(L"Project {\n  ReportManager {\n    Reports {\n" + c.reports + L"    }\n    NextVersID {\n    }\n  }\n}\n"),
        block));
    rep::ReportManager fresh(&m_owner, true);
    EXPECT_EQ(io::kConversionFailed, fresh.DoDataExchange(block, true));
    const auto reports = Reports(fresh);
    ASSERT_EQ(c.numReports, reports.size());
    std::set<long> ids;
    for (const auto& r : reports) ids.insert(r.first);
    const std::vector<TraceSummary> traces = Traces(fresh);
    ASSERT_EQ(2u, traces.size()) << "no trace is lost";
    for (const TraceSummary& t : traces) ids.insert(t.id);
    EXPECT_EQ(reports.size() + traces.size(), ids.size()) << "every ID is its own";

    const std::unique_ptr<rep::ReportManager> again = ExpectWrittenAlikeAfterARead(fresh);
    EXPECT_EQ(traces, Traces(*again));
  }
}

// The server stands at the top of the range after the load: the report that read no ID takes one
// that no held object carries instead of one that the next read refuses.
TEST_F(ProjectBlockTest, AReportWithoutIDBesideOneAtTheTopGetsAFreeID) {
  io::CBlock project;
  ASSERT_TRUE(io::BlockFromText(AString(L"Project {\n ReportManager {\n  Reports {\n   A {\n    ReportName = \"A\"\n   }\n"
                                        L"   B {\n    ReportID = 2147483646\n    ReportName = \"B\"\n   }\n  }\n"
                                        L"  NextVersID {\n  }\n }\n}\n"),
                                project));
  rep::ReportManager fresh(&m_owner, true);
  fresh.DoDataExchange(project, true);
  EXPECT_SOFT_ASSERT("0");  // A's block holds no ID
  const auto reports = Reports(fresh);
  ASSERT_EQ(2u, reports.size());
  EXPECT_EQ(2147483646, reports[1].first);
  EXPECT_NE(2147483646, reports[0].first);
  EXPECT_TRUE(id::IsStorable(reports[0].first));

  EXPECT_EQ(reports, Reports(*ExpectWrittenAlikeAfterARead(fresh)));
}
