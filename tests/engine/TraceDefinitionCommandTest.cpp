// Computed traces following edit commands: removed, repaired or given a new version, always with undo.
#include <algorithm>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "EngineFixture.h"
#include "quantities/OutputVariableMgr.h"
#include "reports/ReportDefinitionCmdInfo.h"
#include "quantities/SimValueDataCache.h"
#include "orvex/core/MessageLog.h"
#include "orvex/core/RenameQuantitiesCmdInfo.h"
#include "orvex/values/DatasetCommandInfo.h"
#include "orvex/values/Variable.h"
#include "postorvex/families/DisplayStatisticsOfTraceFamiliesParameters.h"
#include "postorvex/outputvars/OutputVariable.h"
#include "postorvex/outputvars/OutputVariableDefParams.h"
#include "postorvex/sweeps/RegularSubsweepDefParams.h"
#include "postorvex/sweeps/SelectableSubsweepDefParams.h"
#include "postorvex/sweeps/SpecialSubsweepDefParams.h"
#include "postorvex/sweeps/SubsweepDefParamsContainer.h"
#include "postorvex/sweeps/Sweep.h"

namespace {

using orvex::test::Messages;

// What a test compares of a trace before and after: name, expressions, version and point set.
AString Describe(const rep::IBaseTraceDefinition* trace) {
  if (!trace) return L"(gone)";
  AString out = trace->GetName() + L"|";
  for (unsigned i = 0; i < trace->GetNumComponents(); ++i) out += trace->GetComponent(i)->GetExpression() + L";";
  const auto* base = dynamic_cast<const rep::BaseTraceDefinition*>(trace);
  out += L"|v" + AString::FromUtf8(std::to_string(base->GetVersionID()));
  const auto* computed = dynamic_cast<const rep::TraceDefinition*>(trace);
  if (!computed) return out;
  out += L"|";
  const auto* pointset = dynamic_cast<const rep::PointsetDefinition*>(computed->GetPointsetDefinition());
  std::vector<AString> sweeps;
  pointset->GetSweepNames(sweeps);
  for (const AString& s : sweeps) out += s + L",";
  return out;
}

struct PostedMessage {
  int severity;
  std::array<int, 4> ints;
  const wchar_t* argument;
};

// A design of the reference host as the desktop drives it. Solutions 10 ("Run1") and 11 ("Run2")
// each sweep Freq (the intrinsic variable) and L, hold the design variable W and know S11
// (complex), Gain (double) and Bits (digital); the user defines Twice = Gain*2; the design has the
// table Loss. Report "R" holds S = mag(S11), T = Twice, D = table(Loss, Freq) and B = Bits over
// Freq, all of solution 10, and G = Gain of solution 11; each subsweeps Freq and L.
class CommandHost {
public:
  CommandHost() : m_cache(&m_solutions), m_outputVariables(&m_solutions) {
    SetUpSolution(m_solutions.AddSolution(10, L"Run1"));
    SetUpSolution(m_solutions.AddSolution(11, L"Run2"));
    m_solutions.SetDesignOfInstance(1, 100);
    m_owner.SetDesignInstanceID(1);
    m_owner.SetSolutionManager(&m_solutions);
    m_owner.SetSimValueCache(&m_cache);
    m_owner.SetOutputVariableMgr(&m_outputVariables);
    m_mgr = std::make_unique<rep::ReportManager>(&m_owner, true);
    auto* twice = new OutputVariable(L"Twice");
    twice->SetValueBaseText(L"Gain*2", ValueState(1, 15, 1));
    m_outputVariables.ChangeOutputVariableID(twice);
    m_loss = DatasetServer::GetDesignDatasetServer()->AddDataset(L"Loss");

    std::vector<std::unique_ptr<rep::TraceDefinition>> traces;
    traces.push_back(MakeTrace(L"S", {L"Freq", L"mag(S11)"}));
    traces.push_back(MakeTrace(L"T", {L"Freq", L"Twice"}));
    traces.push_back(MakeTrace(L"D", {L"Freq", L"table(Loss, Freq)"}));
    traces.push_back(MakeTrace(L"B", {L"Freq", L"Bits"}));
    traces.push_back(MakeTrace(L"G", {L"Freq", L"Gain"}, 11));
    std::vector<rep::IBaseTraceDefinition*> raw;
    for (auto& t : traces) raw.push_back(t.get());
    std::unique_ptr<rep::IReportDefinition> report = m_mgr->CreateReportDefinition(raw, L"R");
    m_reportID = m_mgr->AddReportDefinition(*report, nullptr);
  }

  static void SetUpSolution(refhost::ReferenceSolution& s) {
    Variable* l = s.AddVariable(L"L", Value(1.0, 142), false);
    s.AddVariable(L"W", Value(2.0, 142), false);
    s.AddSweep(Variable::FindIntrinsic(L"Freq"), {1e9, 2e9, 3e9});
    s.AddSweep(l, {1, 2});
    s.AddQuantity(L"S11", ValueState(2, 15, 1));
    s.AddQuantity(L"Gain", ValueState(1, 15, 1));
    s.AddQuantity(L"Bits", ValueState(13, 15, 1));
  }

  std::unique_ptr<rep::TraceDefinition> MakeTrace(const AString& name, const std::vector<AString>& expressions,
                                                  long solutionID = 10) {
    SubsweepDefParamsContainer subsweeps;
    std::vector<SweepBase*> sweeps;
    m_solutions.FindSolution(solutionID)->GetSweeps(sweeps, SimValueContext(), 1);
    for (SweepBase* sweep : sweeps) subsweeps.PushBackAndOwn(sweep->CreateDefaultSubsweepDefParams());
    rep::PointsetDefinition pointset(subsweeps, {});
    DesignSolutionDefinition dsd(100, solutionID, ReportTypeSolutionDefinition(1));
    return std::make_unique<rep::TraceDefinition>(*m_mgr, name, expressions, dsd, pointset, ExtTraceInfo(), 1, false,
                                                  nullptr);
  }

  std::unique_ptr<rep::TraceDefinition> MakeTraceWith(const AString& name, const std::vector<AString>& expressions,
                                                      const rep::PointsetDefinition& pointset, long solutionID = 10) {
    DesignSolutionDefinition dsd(100, solutionID, ReportTypeSolutionDefinition(1));
    return std::make_unique<rep::TraceDefinition>(*m_mgr, name, expressions, dsd, pointset, ExtTraceInfo(), 1, false,
                                                  nullptr);
  }

  // Adds a copy to report R, without undo; answers the copy.
  rep::TraceDefinition* AddToReport(const rep::TraceDefinition& trace) {
    std::vector<long> ids;
    m_mgr->AddTraceDefinition(ids, {const_cast<rep::TraceDefinition*>(&trace)}, m_reportID, nullptr);
    return ids.empty() ? nullptr : dynamic_cast<rep::TraceDefinition*>(m_mgr->GetTraceDefinition(ids[0]));
  }

  rep::ReportDefinition* Report() { return dynamic_cast<rep::ReportDefinition*>(m_mgr->GetReportDefinition(m_reportID)); }

  rep::TraceDefinition* Trace(const AString& name) {
    rep::ReportDefinition* report = Report();
    if (!report) return nullptr;
    for (rep::BaseTraceDefinition* t : report->GetTraces())
      if (t->GetName() == name) return dynamic_cast<rep::TraceDefinition*>(t);
    return nullptr;
  }

  std::map<long, AString> DescribeAll() {
    std::map<long, AString> out;
    for (long id : m_ids) out[id] = Describe(m_mgr->GetTraceDefinition(id));
    return out;
  }

  void RememberIDs() {
    m_ids.clear();
    for (const rep::BaseTraceDefinition* t : Report()->GetTraces()) m_ids.push_back(t->GetID());
  }

  // The report command info that the engine keeps on the command.
  rep::ReportDefinitionCmdInfo* Info(VelmorCommand& cmd) {
    return dynamic_cast<rep::ReportDefinitionCmdInfo*>(
        m_owner.GetContextedInfoFromCmd(&cmd, m_owner.GetCmdInfoSourceForReports()));
  }

  // The host marks the report as edited under the command and sets the command's flag.
  void FlagReport(VelmorCommand& cmd) {
    rep::IReportDefinitionCmdInfo* info = m_mgr->CreateReportDefinitionCmdInfo();
    info->SetFlag(true);
    auto* plain = dynamic_cast<VelmorCommandInfo*>(info);
    plain->AddEditedElement(m_reportID);
    m_owner.AddContextedInfoToCmd(&cmd, plain, m_owner.GetCmdInfoSourceForReports());
  }

  refhost::ReferenceReportManagerOwner m_owner;
  refhost::ReferenceSolutionManager m_solutions;
  rep::SimValueDataCache m_cache;
  rep::OutputVariableMgr m_outputVariables;
  std::unique_ptr<rep::ReportManager> m_mgr;
  long m_reportID = -1;
  long m_loss = -1;
  std::vector<long> m_ids;
};

const std::array<int, 4> k17009 = {14, 17009, 17008, 6};
const std::array<int, 4> k17014 = {14, 17014, -1, 6};
const std::array<int, 4> k17002 = {14, 17002, 17002, 6};

}  // namespace

TEST(TraceDefinitionCommand, ATableOfCommands) {
  using Edit = std::function<void(CommandHost&, VelmorCommand&)>;
  struct Case {
    const char* what;
    Edit edit;
    bool ownerUpdates;                      // the owner asks traces to re-check on this command
    std::vector<const wchar_t*> removed;    // by the report, with undo
    std::vector<const wchar_t*> renewed;    // a new version
    bool recordedAsEdited;                  // the renewed ones, with flag 4 on the report
    std::vector<PostedMessage> messages;
  };
  auto solution10 = [](CommandHost& h) -> refhost::ReferenceSolution& { return *h.m_solutions.FindSolution(10); };
  const std::vector<const wchar_t*> all10 = {L"S", L"T", L"D", L"B"};
  const Case cases[] = {
      {"not flagged", [&](CommandHost& h, VelmorCommand& c) { solution10(h).SetCommandChangesData(&c); }, false, {},
       {}, false, {}},
      {"nothing changes", [](CommandHost&, VelmorCommand&) {}, true, {}, {}, false, {}},
      {"solution gone", [](CommandHost& h, VelmorCommand&) { h.m_solutions.RemoveSolution(10); }, true, all10, {},
       false,
       {{0, k17009, L"S"}, {0, k17009, L"T"}, {0, k17009, L"D"}, {0, k17009, L"B"}}},
      {"solution no longer offered",
       [](CommandHost& h, VelmorCommand&) { h.m_solutions.SetOfferedSolutions(1, {11}); }, true, all10, {}, false,
       {{0, k17009, L"S"}, {0, k17009, L"T"}, {0, k17009, L"D"}, {0, k17009, L"B"}}},
      {"report type unfit",
       [&](CommandHost& h, VelmorCommand&) {
         h.m_solutions.SetOfferedSolutions(1, {10, 11});
         solution10(h).AddSupportedReportType(2);
       },
       true, all10, {}, false,
       {{0, k17014, L"S"}, {0, k17014, L"T"}, {0, k17014, L"D"}, {0, k17014, L"B"}}},
      {"context unfit",
       [&](CommandHost& h, VelmorCommand&) { solution10(h).AddFittingContext(SimValueContext(4, 0, 2, 0, 1, 1, 0, 0), 1); },
       true, all10, {}, false,
       {{0, k17014, L"S"}, {0, k17014, L"T"}, {0, k17014, L"D"}, {0, k17014, L"B"}}},
      {"data changed", [&](CommandHost& h, VelmorCommand& c) { solution10(h).SetCommandChangesData(&c); }, true, {},
       all10, true, {}},
      {"quantity changed", [&](CommandHost& h, VelmorCommand& c) { solution10(h).SetCommandChangesQuantity(&c, L"s11"); },
       true, {}, {L"S"}, true, {}},
      {"output variable edited",
       [](CommandHost& h, VelmorCommand& c) {
         OutputVariableDefParams def(h.m_outputVariables.FindOutputVariable(L"Twice")->GetID(), L"Twice", L"Gain*3");
         EXPECT_TRUE(h.m_outputVariables.EditOutputVariable(def, DesignSolutionDefinition(100, 10, ReportTypeSolutionDefinition(1)), &c));
       },
       true, {}, {L"T"}, true, {}},
      {"dataset edited",
       [](CommandHost& h, VelmorCommand& c) {
         auto* info = new DatasetCommandInfo;
         info->AddEditedDataset(DatasetServer::GetDesignDatasetServer(), h.m_loss);
         c.AddInfo(DatasetCommandInfo::kKind, info);
       },
       true, {}, {L"D"}, true, {}},
      {"another dataset edited",
       [](CommandHost& h, VelmorCommand& c) {
         auto* info = new DatasetCommandInfo;
         info->AddEditedDataset(DatasetServer::GetDesignDatasetServer(), h.m_loss + 1);
         c.AddInfo(DatasetCommandInfo::kKind, info);
       },
       true, {}, {}, false, {}},
      {"expression invalid", [&](CommandHost& h, VelmorCommand&) { solution10(h).RemoveQuantity(L"S11"); }, true, {},
       {L"S"}, true, {{1, k17002, L"mag(S11)"}}},
      {"digital value in a flagged report", [](CommandHost& h, VelmorCommand& c) { h.FlagReport(c); }, false, {},
       {L"B"}, true, {}},
      {"a design variable that no trace sweeps changed",
       [](CommandHost& h, VelmorCommand& c) { h.m_solutions.SetVariableChanges(&c, 10, {}, {}, {L"W"}); }, true, {},
       all10, false, {}},
      {"sweeps reported changed with nothing to repair",
       [&](CommandHost& h, VelmorCommand& c) { solution10(h).SetCommandChangesSweeps(&c); }, true, {}, {}, false, {}},
      {"a swept variable changed", [](CommandHost& h, VelmorCommand& c) { h.m_solutions.SetVariableChanges(&c, 10, {}, {}, {L"L"}); },
       true, {}, {}, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CommandHost host;
    host.m_owner.SetUpdateTracesOnCommand(c.ownerUpdates);
    host.RememberIDs();
    const std::map<long, AString> before = host.DescribeAll();
    std::map<AString, long> versions;
    for (const rep::BaseTraceDefinition* t : host.Report()->GetTraces()) versions[t->GetName()] = t->GetVersionID();
    const long reportID = host.m_reportID;

    VelmorCommand cmd;
    c.edit(host, cmd);
    Messages().Clear();
    EXPECT_FALSE(host.m_mgr->UpdateReportsOnCommand(&cmd));  // report R keeps G in every case

    for (const auto& entry : versions) {
      SCOPED_TRACE(entry.first.ToUtf8());
      const bool removed = std::count(c.removed.begin(), c.removed.end(), entry.first) != 0;
      const bool renewed = std::count(c.renewed.begin(), c.renewed.end(), entry.first) != 0;
      rep::TraceDefinition* trace = host.Trace(entry.first);
      EXPECT_EQ(removed, trace == nullptr);
      if (!trace) continue;
      EXPECT_EQ(renewed, trace->GetVersionID() != entry.second);
      rep::ReportDefinitionCmdInfo* info = host.Info(cmd);
      std::set<long> edited, updated;
      if (info) {
        info->GetEditedTraceIDs(edited, reportID);
        info->GetUpdatedTraceIDs(updated, reportID);
      }
      EXPECT_EQ(renewed && c.recordedAsEdited, edited.count(trace->GetID()) != 0);
      EXPECT_EQ(renewed, updated.count(trace->GetID()) != 0);
    }
    rep::ReportDefinitionCmdInfo* info = host.Info(cmd);
    const bool anyEdited = !c.renewed.empty() && c.recordedAsEdited;
    EXPECT_EQ(anyEdited, info && (info->GetReportFlags(reportID) & rep::ReportDefinitionCmdInfo::kTraceReplaced) != 0);
    if (!c.removed.empty() || !c.renewed.empty()) {
      ASSERT_NE(nullptr, info);
      EXPECT_TRUE(info->AreTracesUpdated());
    }

    const auto& posted = Messages().Posted();
    ASSERT_EQ(c.messages.size(), posted.size());
    for (size_t i = 0; i < posted.size(); ++i) {
      EXPECT_EQ(c.messages[i].severity, posted[i].message.GetSeverity());
      EXPECT_EQ(c.messages[i].ints, posted[i].message.GetInts());
      ASSERT_EQ(1u, posted[i].message.GetArgs().size());
      EXPECT_EQ(AString(c.messages[i].argument), posted[i].message.GetArgs()[0]);
    }

    cmd.EndDo();
    cmd.Undo();
    EXPECT_EQ(before, host.DescribeAll());
    cmd.Redo();
    for (const wchar_t* name : c.removed) EXPECT_EQ(nullptr, host.Trace(name));
  }
}

TEST(TraceDefinitionCommand, AReportAllOfWhoseTracesGoIsDeletedWithUndo) {
  CommandHost host;
  host.RememberIDs();
  const std::map<long, AString> before = host.DescribeAll();
  VelmorCommand cmd;
  host.m_solutions.RemoveSolution(10);
  host.m_solutions.RemoveSolution(11);
  Messages().Clear();
  EXPECT_TRUE(host.m_mgr->UpdateReportsOnCommand(&cmd));
  EXPECT_EQ(nullptr, host.Report());
  EXPECT_EQ((std::vector<int>{17009, 17009, 17009, 17009, 17009, 17011}), Messages().PostedIDs());
  cmd.EndDo();
  cmd.Undo();
  EXPECT_EQ(before, host.DescribeAll());
}

TEST(TraceDefinitionCommand, ARenameRewritesTheExpressionInPlace) {
  CommandHost host;
  rep::TraceDefinition* s = host.Trace(L"S");
  const long id = s->GetID();
  const long version = s->GetVersionID();
  const AString before = Describe(s);
  const AString gBefore = Describe(host.Trace(L"G"));

  VelmorCommand cmd;
  auto* renames = new RenameQuantitiesCmdInfo;
  renames->AddRename(L"S11", L"S21");
  cmd.AddInfo(RenameQuantitiesCmdInfo::kKind, renames);
  host.m_solutions.FindSolution(10)->AddQuantity(L"S21", ValueState(2, 15, 1));
  Messages().Clear();
  EXPECT_TRUE(host.m_mgr->UpdateTraceExpressions({{L"s11", L"S21"}}, &cmd));
  EXPECT_TRUE(Messages().Posted().empty());

  EXPECT_EQ(s, host.Trace(L"S")) << "the same object, in place";
  EXPECT_EQ(id, s->GetID());
  EXPECT_NE(version, s->GetVersionID());
  EXPECT_EQ(AString(L"mag(S21)"), s->GetComponent(1)->GetExpression());
  EXPECT_EQ(gBefore, Describe(host.Trace(L"G"))) << "a trace that does not use the quantity";
  rep::ReportDefinitionCmdInfo* info = host.Info(cmd);
  ASSERT_NE(nullptr, info);
  EXPECT_TRUE(info->AreTracesUpdated());
  std::set<long> edited;
  info->GetEditedTraceIDs(edited, host.m_reportID);
  EXPECT_EQ(std::set<long>{id}, edited);

  cmd.EndDo();
  cmd.Undo();
  EXPECT_EQ(before, Describe(s));

  VelmorCommand unrelated;
  const long kept = host.Trace(L"S")->GetVersionID();
  EXPECT_TRUE(host.m_mgr->UpdateTraceExpressions({{L"Nothing", L"Else"}}, &unrelated));
  EXPECT_EQ(kept, host.Trace(L"S")->GetVersionID());
}

TEST(TraceDefinitionCommand, WithoutAReportATraceStaysAndNothingLeaks) {
  CommandHost host;
  std::unique_ptr<rep::TraceDefinition> loose = host.MakeTrace(L"Loose", {L"Freq", L"mag(S11)"});
  const AString before = Describe(loose.get());
  VelmorCommand cmd;
  host.m_solutions.FindSolution(10)->RemoveSweep(L"Freq", &cmd);
  Messages().Clear();
  EXPECT_FALSE(loose->UpdateOnCommand(&cmd));
  EXPECT_SOFT_ASSERT("ird");
  EXPECT_EQ(before, Describe(loose.get()));
  EXPECT_EQ(std::vector<int>{17015}, Messages().PostedIDs());

  auto* renames = new RenameQuantitiesCmdInfo;
  renames->AddRename(L"S11", L"S21");
  cmd.AddInfo(RenameQuantitiesCmdInfo::kKind, renames);
  host.m_solutions.FindSolution(10)->AddQuantity(L"S21", ValueState(2, 15, 1));
  loose->UpdateTraceExpressions({{L"S11", L"S21"}}, &cmd);
  EXPECT_SOFT_ASSERT("ird");
  EXPECT_EQ(before, Describe(loose.get()));
}

TEST(TraceDefinitionCommand, DatasetInfosTheEngineDoesNotExpect) {
  CommandHost host;
  const long version = host.Trace(L"D")->GetVersionID();
  VelmorCommand cmd;
  cmd.AddInfo(cmdinfo::kProjectDatasetKind, new VelmorCommandInfo);
  cmd.AddInfo(DatasetCommandInfo::kKind, new VelmorCommandInfo);  // not a dataset info
  host.m_mgr->UpdateReportsOnCommand(&cmd);
  for (int i = 0; i < 5; ++i) EXPECT_SOFT_ASSERT("!cmd->GetInfo(id::kProjectDataset)");
  for (int i = 0; i < 5; ++i) EXPECT_SOFT_ASSERT("realDesignDatasetInfo");
  EXPECT_EQ(version, host.Trace(L"D")->GetVersionID());
}

namespace {

// The subsweeps of a point set as "name:kind/choice", then its families' variables and count.
AString Shape(const rep::IPointsetDefinition& pointset) {
  AString out;
  for (const AbstractSubsweepDefParams* def : pointset.GetSubsweepDefParamsContainer())
    out += def->GetSweepName() + L":" + AString::FromUtf8(std::to_string(def->GetSubsweepDefParamType())) + L"/" +
           AString::FromUtf8(std::to_string(def->GetSubsweepDefChoiceType())) + L" ";
  std::vector<VariableValuesDefParams> families;
  pointset.GetVariableValuesDefParams(families);
  out += L"|";
  if (!families.empty()) {
    std::vector<AString> names;
    families.front().GetVariableNames(names);
    out += AString::FromUtf8(std::to_string(families.size())) + L"x";
    for (const AString& n : names) out += L" " + n;
  }
  out += L"|";
  for (const AbstractSubsweepDefParams* def : pointset.GetSpecifiableSubsweepsIfInFamilies())
    out += L" " + def->GetSweepName();
  return out;
}

SubsweepDefParamsContainer DefaultSubsweeps(refhost::ReferenceSolution& solution, const std::vector<AString>& names) {
  SubsweepDefParamsContainer out;
  std::vector<SweepBase*> sweeps;
  solution.GetSweeps(sweeps, SimValueContext(), 1);
  for (const AString& name : names)
    for (SweepBase* sweep : sweeps)
      if (sweep->GetName().CompareNoCase(name) == 0) out.PushBackAndOwn(sweep->CreateDefaultSubsweepDefParams());
  return out;
}

std::vector<VariableValuesDefParams> Families(const AString& name, const std::vector<double>& values, int unit) {
  std::vector<VariableValuesDefParams> out;
  for (double v : values) {
    VariableValuesDefParams family;
    family.AddVariableValue(name, Value(v, unit));
    out.push_back(family);
  }
  return out;
}

}  // namespace

TEST(TraceDefinitionSweepRepair, ComponentsFollowTheRemainingSweeps) {
  struct Case {
    std::vector<const wchar_t*> removed;  // sweeps of solution 10 (Freq, L, H) the command takes out
    std::vector<AString> expressions;
    std::vector<AString> repaired;        // empty: the trace stays as it was, without 17015
  };
  const Case cases[] = {
      {{L"Freq"}, {L"Freq", L"mag(S11)"}, {L"L", L"mag(S11)"}},
      {{L"Freq"}, {L"", L"mag(S11)"}, {L"H", L"mag(S11)"}},
      {{L"Freq", L"H"}, {L"", L"mag(S11)"}, {L"", L"mag(S11)"}},  // one sweep left: the empty component stays
      {{L"H"}, {L"Time", L"mag(S11)"}, {L"Freq", L"mag(S11)"}},   // an intrinsic the solution does not sweep
      {{L"H"}, {L"Freq", L"mag(S11)"}, {L"Freq", L"mag(S11)"}},   // only the point set changes
      {{L"Freq", L"L", L"H"}, {L"Freq", L"mag(S11)"}, {}},        // nothing to plot over: kept as it was
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expressions[0].ToUtf8() + " without " + AString(c.removed[0]).ToUtf8());
    CommandHost host;
    refhost::ReferenceSolution& solution = *host.m_solutions.FindSolution(10);
    solution.AddSweep(solution.AddVariable(L"H", Value(3.0, 142), false), {3, 4});
    rep::TraceDefinition* x = host.AddToReport(*host.MakeTrace(L"X", c.expressions));
    const long id = x->GetID();
    const AString before = Describe(x);

    VelmorCommand cmd;
    for (const wchar_t* name : c.removed) EXPECT_TRUE(solution.RemoveSweep(name, &cmd));
    Messages().Clear();
    host.m_mgr->UpdateReportsOnCommand(&cmd);
    x = dynamic_cast<rep::TraceDefinition*>(host.m_mgr->GetTraceDefinition(id));
    ASSERT_NE(nullptr, x);
    int posted17015 = 0;
    for (const auto& m : Messages().Posted())
      if (m.message.GetMessageID() == 17015 && m.message.GetArgs().at(0) == AString(L"X")) {
        ++posted17015;
        EXPECT_EQ((std::array<int, 4>{14, 17015, -1, 6}), m.message.GetInts());
        EXPECT_EQ(0, m.message.GetSeverity());
      }
    if (c.repaired.empty()) {
      EXPECT_EQ(0, posted17015);
      EXPECT_EQ(before, Describe(x));
      continue;
    }
    EXPECT_EQ(1, posted17015);
    std::vector<AString> expressions;
    x->GetTraceExpressions(expressions);
    EXPECT_EQ(c.repaired, expressions);
    EXPECT_TRUE(x->IsPointsetValidForNumComponents(*x->GetPointsetDefinition()));
    cmd.EndDo();
    cmd.Undo();
    EXPECT_EQ(before, Describe(x));
    std::vector<SweepBase*> sweeps;
    solution.GetSweeps(sweeps, SimValueContext(), 1);
    EXPECT_EQ(3u, sweeps.size()) << "undo puts the sweeps back";
    cmd.Redo();
    expressions.clear();
    x->GetTraceExpressions(expressions);
    EXPECT_EQ(c.repaired, expressions);
  }
}

TEST(TraceDefinitionSweepRepair, TheRepairKeepsTheTraceButShowsAllFamilies) {
  CommandHost host;
  refhost::ReferenceSolution& solution = *host.m_solutions.FindSolution(10);
  rep::PointsetDefinition pointset(DefaultSubsweeps(solution, {L"Freq", L"L"}), {});
  DesignSolutionDefinition dsd(100, 10, ReportTypeSolutionDefinition(1));
  ExtTraceInfo info;
  info.SetYAxis(rep::kYAxis2);
  rep::TraceDefinition source(*host.m_mgr, L"Kept name", {L"Freq", L"mag(S11)"}, dsd, pointset, info, 1, true,
                              nullptr);
  source.GetFamiliesDisplayDefinitionForEdit().SetFamiliesDisplayParams(DisplayStatisticsOfTraceFamiliesParameters());
  rep::TraceDefinition* x = host.AddToReport(source);
  ASSERT_EQ(AString(L"DisplayStatistics"), x->GetFamiliesDisplayDefinition().GetDisplayFamiliesType());

  VelmorCommand cmd;
  solution.RemoveSweep(L"Freq", &cmd);
  host.m_mgr->UpdateReportsOnCommand(&cmd);
  EXPECT_EQ(AString(L"DisplayAll"), x->GetFamiliesDisplayDefinition().GetDisplayFamiliesType());
  EXPECT_TRUE(x->GetIsNameTiedToExpressionFlag());
  EXPECT_EQ(rep::kYAxis2, x->GetExtendedTraceInfo().GetYAxis());
  EXPECT_EQ(1, x->GetDesignInstanceID());
  EXPECT_EQ(AString(L"L:2/3 ||"), Shape(*x->GetPointsetDefinition()));
  cmd.EndDo();
  cmd.Undo();
  EXPECT_EQ(AString(L"DisplayStatistics"), x->GetFamiliesDisplayDefinition().GetDisplayFamiliesType());
}

TEST(TraceDefinitionSweepRepair, ATableOfPointSetRebuilds) {
  // Solution 12 sweeps what each case gives; L is a variable of the solution (so its design
  // variation holds it), Freq and Time are intrinsic (so only a point set can cover them).
  struct Case {
    const char* what;
    std::function<void(refhost::ReferenceSolution&)> sweeps;
    std::function<rep::PointsetDefinition(refhost::ReferenceSolution&)> pointset;
    bool yields;
    bool invalid;
    const wchar_t* shape;  // of the rebuilt point set
  };
  auto freqAndL = [](refhost::ReferenceSolution& s) {
    s.AddSweep(Variable::FindIntrinsic(L"Freq"), {1e9, 2e9});
    s.AddSweep(s.FindVariable(L"L"), {1, 2});
  };
  const Case cases[] = {
      {"nothing to change", freqAndL,
       [](refhost::ReferenceSolution& s) { return rep::PointsetDefinition(DefaultSubsweeps(s, {L"Freq", L"L"}), {}); },
       false, false, L""},
      {"a sweep gone",
       [](refhost::ReferenceSolution& s) { s.AddSweep(Variable::FindIntrinsic(L"Freq"), {1e9, 2e9}); },
       [](refhost::ReferenceSolution& s) {
         SubsweepDefParamsContainer subsweeps = DefaultSubsweeps(s, {L"Freq"});
         subsweeps.PushBackAndOwn(new RegularSubsweepDefParams(L"Gone", rep::kAllValuesChoice));
         return rep::PointsetDefinition(subsweeps, {});
       },
       true, false, L"Freq:2/3 ||"},
      {"an invalid definition of a sweep that stays", freqAndL,
       [](refhost::ReferenceSolution& s) {
         SubsweepDefParamsContainer subsweeps = DefaultSubsweeps(s, {L"Freq"});
         subsweeps.PushBackAndOwn(new SpecialSubsweepDefParams(L"L"));
         return rep::PointsetDefinition(subsweeps, {});
       },
       true, false, L"Freq:2/3 L:2/3 ||"},
      {"family variables of a special sweep and of no sweep",
       [](refhost::ReferenceSolution& s) {
         s.AddSweep(Variable::FindIntrinsic(L"Freq"), {1e9, 2e9});
         s.AddSweep(s.FindVariable(L"L"), {1, 2}, true);
       },
       [](refhost::ReferenceSolution& s) {
         std::vector<VariableValuesDefParams> families = Families(L"L", {1, 2}, 142);
         for (VariableValuesDefParams& f : families) f.AddVariableValue(L"W", Value(2.0, 142));
         return rep::PointsetDefinition(DefaultSubsweeps(s, {L"Freq"}), families);
       },
       true, false, L"Freq:2/3 ||"},
      {"a specifiable definition of a sweep that is not", freqAndL,
       [](refhost::ReferenceSolution& s) {
         return rep::PointsetDefinition(DefaultSubsweeps(s, {L"Freq", L"L"}), {}, DefaultSubsweeps(s, {L"L"}));
       },
       true, false, L"Freq:2/3 L:2/3 ||"},
      {"an uncovered sweep without families", freqAndL,
       [](refhost::ReferenceSolution& s) { return rep::PointsetDefinition(DefaultSubsweeps(s, {L"L"}), {}); },
       true, false, L"L:2/3 Freq:2/3 ||"},
      {"an uncovered sweep with families", freqAndL,
       [](refhost::ReferenceSolution&) { return rep::PointsetDefinition(SubsweepDefParamsContainer(), Families(L"L", {1, 2}, 142)); },
       true, false, L"|2x L Freq|"},
      {"an uncovered special sweep",
       [](refhost::ReferenceSolution& s) {
         s.AddSweep(s.FindVariable(L"L"), {1, 2});
         s.AddSweep(Variable::FindIntrinsic(L"Time"), {0, 1}, true);
       },
       [](refhost::ReferenceSolution& s) { return rep::PointsetDefinition(DefaultSubsweeps(s, {L"L"}), {}); }, false,
       true, L""},
      {"nothing left but the solution sweeps",
       [](refhost::ReferenceSolution& s) { s.AddSweep(s.FindVariable(L"L"), {1, 2}); },
       [](refhost::ReferenceSolution&) {
         SubsweepDefParamsContainer subsweeps;
         subsweeps.PushBackAndOwn(new RegularSubsweepDefParams(L"Gone", rep::kAllValuesChoice));
         return rep::PointsetDefinition(subsweeps, {});
       },
       true, false, L"L:2/3 ||"},
      {"nothing left and no sweeps", [](refhost::ReferenceSolution&) {},
       [](refhost::ReferenceSolution&) {
         SubsweepDefParamsContainer subsweeps;
         subsweeps.PushBackAndOwn(new RegularSubsweepDefParams(L"Gone", rep::kAllValuesChoice));
         return rep::PointsetDefinition(subsweeps, {});
       },
       false, true, L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CommandHost host;
    refhost::ReferenceSolution& solution = host.m_solutions.AddSolution(12, L"Run3");
    solution.AddVariable(L"L", Value(1.0, 142), false);
    c.sweeps(solution);
    std::unique_ptr<rep::TraceDefinition> trace =
        host.MakeTraceWith(L"X", {L"Freq", L"mag(S11)"}, c.pointset(solution), 12);
    bool invalid = false;
    std::unique_ptr<rep::PointsetDefinition> rebuilt = trace->RebuildPointsetForSolution(invalid);
    EXPECT_EQ(c.yields, rebuilt != nullptr);
    EXPECT_EQ(c.invalid, invalid);
    if (rebuilt) {
      EXPECT_EQ(AString(c.shape), Shape(*rebuilt));
    }
  }
}

TEST(TraceDefinitionSweepRepair, DependentAndDeletedVariables) {
  struct Case {
    const char* what;
    std::vector<AString> expressions;
    std::vector<const wchar_t*> subsweeps;  // of solution 10's sweeps Freq, L, H
    bool lNominal;                          // L's subsweep follows the design variation
    std::vector<AString> deleted, changed;  // the command's variable changes
    bool lDependent;
    bool removed;
    const wchar_t* shape;                   // of the trace's point set afterwards
    bool recordedAsEdited;
  };
  const Case cases[] = {
      {"two components, the only subsweep dependent", {L"Freq", L"mag(S11)"}, {L"L"}, false, {}, {L"L"}, true, true,
       L"", false},
      {"one component, the only subsweep dependent", {L"mag(S11)"}, {L"L"}, false, {}, {L"L"}, true, false, L"||",
       true},
      {"a deleted variable", {L"Freq", L"mag(S11)"}, {L"Freq", L"L", L"H"}, false, {L"H"}, {}, false, false,
       L"Freq:2/3 L:2/3 ||", true},
      {"a changed variable followed at its nominal value", {L"Freq", L"mag(S11)"}, {L"Freq", L"L"}, true, {},
       {L"L"}, false, false, L"Freq:2/3 L:2/2 ||", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CommandHost host;
    refhost::ReferenceSolution& solution = *host.m_solutions.FindSolution(10);
    solution.AddSweep(solution.AddVariable(L"H", Value(3.0, 142), false), {3, 4});
    SubsweepDefParamsContainer subsweeps;
    for (const wchar_t* name : c.subsweeps) {
      SubsweepDefParamsContainer one = DefaultSubsweeps(solution, {name});
      auto* def = dynamic_cast<SelectableSubsweepDefParams*>(one.GetForEdit(0));
      if (c.lNominal && AString(name) == L"L") def->SetSubsweepDefChoiceType(rep::kNominalValueChoice);
      subsweeps.PushBackCopy(*def);
    }
    rep::TraceDefinition* x = host.AddToReport(*host.MakeTraceWith(L"X", c.expressions, rep::PointsetDefinition(subsweeps, {})));
    const long id = x->GetID();
    const long version = x->GetVersionID();
    const AString before = Describe(x);

    VelmorCommand cmd;
    host.m_solutions.SetVariableChanges(&cmd, 10, {}, c.deleted, c.changed);
    solution.FindVariable(L"L")->SetDependent(c.lDependent);
    Messages().Clear();
    host.m_mgr->UpdateReportsOnCommand(&cmd);
    x = dynamic_cast<rep::TraceDefinition*>(host.m_mgr->GetTraceDefinition(id));
    EXPECT_EQ(c.removed, x == nullptr);
    EXPECT_TRUE(Messages().Posted().empty()) << "no message of their own";
    if (x) {
      EXPECT_NE(version, x->GetVersionID());
      EXPECT_EQ(AString(c.shape), Shape(*x->GetPointsetDefinition()));
      std::set<long> edited;
      host.Info(cmd)->GetEditedTraceIDs(edited, host.m_reportID);
      EXPECT_EQ(c.recordedAsEdited, edited.count(id) != 0);
    }
    cmd.EndDo();
    cmd.Undo();
    EXPECT_EQ(before, Describe(host.m_mgr->GetTraceDefinition(id)));
    solution.FindVariable(L"L")->SetDependent(false);
  }
}

// A command that takes a sweep out and deletes another variable: the reduced point set keeps the
// repaired components.
TEST(TraceDefinitionSweepRepair, BothSweepChecksOnOneCommandKeepTheRepair) {
  CommandHost host;
  refhost::ReferenceSolution& solution = *host.m_solutions.FindSolution(10);
  solution.AddSweep(solution.AddVariable(L"H", Value(3.0, 142), false), {3, 4});
  rep::TraceDefinition* x = host.AddToReport(*host.MakeTrace(L"X", {L"Freq", L"mag(S11)"}));
  VelmorCommand cmd;
  solution.RemoveSweep(L"Freq", &cmd);
  host.m_solutions.SetVariableChanges(&cmd, 10, {}, {L"H"}, {});
  host.m_mgr->UpdateReportsOnCommand(&cmd);
  std::vector<AString> expressions;
  x->GetTraceExpressions(expressions);
  EXPECT_EQ((std::vector<AString>{L"L", L"mag(S11)"}), expressions);
  EXPECT_EQ(AString(L"L:2/3 ||"), Shape(*x->GetPointsetDefinition()));
}
