#include <functional>

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
    auto fresh = std::make_unique<rep::ReportManager>(&m_owner, true);
    EXPECT_EQ(io::kNoError, fresh->DoDataExchange(loaded, true));
    return fresh;
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
