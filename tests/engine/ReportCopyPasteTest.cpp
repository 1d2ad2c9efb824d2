// Copy and paste of reports and traces through the clipboard block, within a design and into another.
#include <algorithm>
#include <map>
#include <set>

#include "reports/ImportedTraceDefinition.h"
#include "PasteFixture.h"
#include "reports/ReportDefinitionCmdInfo.h"
#include "StoredTraceFixture.h"
#include "orvex/io/BlockFile.h"
#include "orvex/io/NamedValue.h"
#include "postorvex/families/DisplayHistogramAcrossTraceFamiliesParameters.h"
#include "postorvex/outputvars/OutputVariable.h"

namespace {

using orvex::test::Messages;
using reptest::FreqSelection;
using reptest::SelectedTexts;
using reptest::Subsweeps;

// Design A: solution 10 "Run1" sweeps Freq over 1, 2, 3. Design B: solution 20 "Other" over 1, 2
// and solution 21 "RUN1" over 2, 3, 4: the same name as A's, other values.
class ReportCopyPasteTest : public ::testing::Test {
protected:
  ReportCopyPasteTest() : m_a(1, 100), m_b(2, 200) {
    m_a.AddSolution(10, L"Run1", {1, 2, 3});
    m_b.AddSolution(20, L"Other", {1, 2});
    m_b.AddSolution(21, L"RUN1", {2, 3, 4});
    Messages().Clear();
  }

  // A report of design A holding one computed trace "T" selecting Freq 1 and 2.
  long AddSourceReport(const AString& name = L"R", const std::vector<AString>& expressions = {L"S11"}) {
    std::unique_ptr<rep::TraceDefinition> trace =
        m_a.MakeTrace(10, L"T", expressions, Subsweeps({FreqSelection({1, 2})}));
    return m_a.AddReport(name, {trace.get()});
  }

  io::CBlock CopyReports(const std::vector<long>& ids) {
    io::CBlock clipboard(L"Clipboard");
    EXPECT_TRUE(m_a.mgr->CopyReports(clipboard, &m_productArgument, ids));
    return clipboard;
  }

  // Every trace of a report of design A.
  io::CBlock CopyAllTraces(long reportID) {
    std::vector<long> traceIDs;
    m_a.Report(reportID).GetTraceIDs(traceIDs);
    io::CBlock clipboard(L"Clipboard");
    EXPECT_TRUE(m_a.mgr->CopyTraces(clipboard, nullptr, reportID, traceIDs));
    return clipboard;
  }

  OutputVariable* Adopt(rep::OutputVariableMgr& mgr, const AString& name, const AString& expression,
                        const ValueState& state = ValueState(1, 15, 1)) {
    auto* variable = new OutputVariable(name);
    variable->SetValueBaseText(expression, state);
    mgr.ChangeOutputVariableID(variable);
    return variable;
  }

  const rep::TraceDefinition& OnlyTrace(reptest::PasteDesign& d, long reportID) {
    const auto& traces = d.Report(reportID).GetTraces();
    EXPECT_EQ(1u, traces.size());
    return *dynamic_cast<const rep::TraceDefinition*>(traces.front());
  }

  std::vector<AString> TraceNames(reptest::PasteDesign& d, long reportID) {
    std::vector<AString> names;
    for (const rep::BaseTraceDefinition* t : d.Report(reportID).GetTraces()) names.push_back(t->GetName());
    return names;
  }

  int m_productArgument = 7;
  reptest::PasteDesign m_a;
  reptest::PasteDesign m_b;
};

// ---- clipboard layout ----

TEST_F(ReportCopyPasteTest, CopyOfAComputedAndAnImportedTraceWritesOneTraceInterpreter) {
  std::unique_ptr<rep::TraceDefinition> computed = m_a.MakeTrace(10, L"T", {L"S11"}, Subsweeps({FreqSelection({1})}));
  rep::ImportedTraceDefinition imported(*m_a.mgr, L"file.csv", {L"Freq", L"Y"}, ExtTraceInfo());
  const long id = m_a.AddReport(L"R", {computed.get(), &imported});
  std::vector<long> traceIDs;
  m_a.Report(id).GetTraceIDs(traceIDs);

  io::CBlock clipboard = CopyReports({id});
  ASSERT_EQ(2u, clipboard.GetNumItems());
  EXPECT_EQ(AString(L"Reports"), clipboard.GetItemName(0));
  EXPECT_EQ(AString(L"AllTracesInterpreter"), clipboard.GetItemName(1));
  const io::CBlock* report = clipboard.FindBlock(L"Reports")->FindBlock(L"R");
  ASSERT_NE(nullptr, report);
  int traceDefs = 0;
  for (size_t i = 0; i < report->GetNumItems(); ++i) traceDefs += report->GetItemName(i) == L"TraceDef";
  EXPECT_EQ(2, traceDefs);

  // No output variable travels: the interpreters' block holds the per-trace block alone.
  const io::CBlock* all = clipboard.FindBlock(L"AllTracesInterpreter");
  ASSERT_EQ(1u, all->GetNumItems());
  const io::CBlock* perTrace = all->FindBlock(L"PerTraceInterpreter");
  ASSERT_EQ(1u, perTrace->GetNumItems());
  const io::CBlock* ti = perTrace->GetBlock(0);
  ASSERT_EQ(3u, ti->GetNumItems());
  long traceID = -1;
  *ti >> io::NamedValue(L"ID", traceID);
  EXPECT_EQ(traceIDs[0], traceID);
  const io::CBlock* source = ti->FindBlock(L"ReportMgrTraceInterpreter");
  ASSERT_NE(nullptr, source);
  AString solutionName;
  long solutionID = -1;
  *source >> io::NamedValue(L"SolutionName", solutionName) >> io::NamedValue(L"SolutionID", solutionID);
  EXPECT_EQ(AString(L"Run1"), solutionName);
  EXPECT_EQ(10, solutionID);
  // The product's own block, written by the interpreter of the trace's solution with the argument.
  AString written;
  *ti->FindBlock(L"ProductTraceInterpreterBlock") >> io::NamedValue(L"TraceName", written);
  EXPECT_EQ(AString(L"T"), written);
  EXPECT_EQ(std::vector<void*>{&m_productArgument},
            m_a.solutions.GetReferenceLookup().Interpreter(10).ProductArgumentsSeen());
}

TEST_F(ReportCopyPasteTest, CopyWritesTheVariablesTheTracesUseInAscendingIDAndNoSourceForAnUnknownSolution) {
  Adopt(m_a.outputVariables, L"Half", L"Gain/2");   // ID 1
  Adopt(m_a.outputVariables, L"Unused", L"Gain");   // ID 2
  Adopt(m_a.outputVariables, L"Twice", L"Gain*2");  // ID 3
  std::unique_ptr<rep::TraceDefinition> uses = m_a.MakeTrace(10, L"T", {L"Twice+Half"}, Subsweeps({FreqSelection({1})}));
  std::unique_ptr<rep::TraceDefinition> lost = m_a.MakeTrace(99, L"U", {L"S11"}, Subsweeps({FreqSelection({1})}));
  const long id = m_a.AddReport(L"R", {uses.get(), lost.get()});
  std::vector<long> traceIDs;
  m_a.Report(id).GetTraceIDs(traceIDs);

  io::CBlock clipboard(L"Clipboard");
  EXPECT_TRUE(m_a.mgr->CopyTraces(clipboard, nullptr, id, traceIDs));
  EXPECT_SOFT_ASSERT("0");  // solution 99 is unknown
  const io::CBlock* variables = clipboard.FindBlock(L"AllTracesInterpreter")->FindBlock(L"OutputVariables");
  ASSERT_NE(nullptr, variables);
  ASSERT_EQ(2u, variables->GetNumItems());
  EXPECT_EQ(AString(L"Half"), variables->GetItemName(0));
  EXPECT_EQ(AString(L"Twice"), variables->GetItemName(1));
  const io::CBlock* perTrace = clipboard.FindBlock(L"AllTracesInterpreter")->FindBlock(L"PerTraceInterpreter");
  ASSERT_EQ(2u, perTrace->GetNumItems());
  const io::CBlock* unknown = perTrace->GetBlock(1);
  EXPECT_EQ(nullptr, unknown->FindBlock(L"ReportMgrTraceInterpreter"));
  ASSERT_NE(nullptr, unknown->FindBlock(L"ProductTraceInterpreterBlock"));
  EXPECT_EQ(0u, unknown->FindBlock(L"ProductTraceInterpreterBlock")->GetNumItems());

  io::CBlock refused(L"Clipboard");
  EXPECT_FALSE(m_a.mgr->CopyTraces(refused, nullptr, 12345, traceIDs));
  for (int i = 0; i < 3; ++i) EXPECT_SOFT_ASSERT("0");  // no report: no variables, no traces
}

// ---- paste of reports ----

TEST_F(ReportCopyPasteTest, ReportsPastedTwiceIntoASecondDesignGetNewIDsUniqueNamesAndOneUndoEach) {
  const long source = AddSourceReport();
  std::vector<long> sourceTraceIDs;
  m_a.Report(source).GetTraceIDs(sourceTraceIDs);
  m_b.AddReport(L"Kept", {});
  io::CBlock clipboard = CopyReports({source});

  std::vector<std::vector<long>> idsAfter;
  std::vector<std::vector<AString>> namesAfter;
  std::vector<std::unique_ptr<VelmorCommand>> cmds;
  for (int paste = 0; paste < 2; ++paste) {
    refhost::RecordingPasteListener listener;
    cmds.push_back(std::make_unique<VelmorCommand>());
    VelmorCommand& cmd = *cmds.back();
    const std::vector<long> before = m_b.ReportIDs();
    ASSERT_TRUE(m_b.mgr->PasteReports(clipboard, &listener, &cmd));
    cmd.EndDo();

    // The clipboard's solution and product block are told under the clipboard's IDs before any
    // new ID or name is.
    const std::vector<int> ops = listener.CallOps();
    const auto firstRenumbering = std::find_if(ops.begin(), ops.end(), [](int op) { return op == 9 || op == 11 || op == 13; });
    ASSERT_NE(ops.end(), firstRenumbering);
    EXPECT_EQ(3, ops[0]);
    EXPECT_EQ(5, ops[1]);
    EXPECT_EQ(ops.end(), std::find_if(firstRenumbering, ops.end(), [](int op) { return op == 3 || op == 5; }));
    EXPECT_EQ(10, listener.Calls()[0].first);
    EXPECT_EQ(sourceTraceIDs[0], listener.Calls()[1].first);
    EXPECT_EQ((std::vector<std::pair<long, long>>{{source, m_b.ReportIDs().back()}}), listener.ReportIDChanges());

    std::vector<long> after = m_b.ReportIDs();
    ASSERT_EQ(before.size() + 1, after.size());
    EXPECT_TRUE(std::equal(before.begin(), before.end(), after.begin()));
    const long pasted = after.back();
    EXPECT_EQ(0u, std::count(before.begin(), before.end(), pasted));
    const rep::TraceDefinition& trace = OnlyTrace(m_b, pasted);
    EXPECT_EQ((std::vector<std::pair<long, long>>{{sourceTraceIDs[0], trace.GetID()}}), listener.TraceIDChanges());

    // The command names exactly the new report and its trace.
    auto* info = dynamic_cast<rep::ReportDefinitionCmdInfo*>(
        m_b.owner.GetContextedInfoFromCmd(&cmd, m_b.owner.GetCmdInfoSourceForReports()));
    ASSERT_NE(nullptr, info);
    std::set<long> newReports;
    info->GetNewReportIDs(newReports);
    EXPECT_EQ(std::set<long>{pasted}, newReports);
    std::map<long, std::set<long>> newTraces;
    info->GetNewTraceIDsByReport(newTraces);
    EXPECT_EQ((std::map<long, std::set<long>>{{pasted, {trace.GetID()}}}), newTraces);
    idsAfter.push_back(after);
    namesAfter.push_back(m_b.ReportNames());
  }
  EXPECT_EQ((std::vector<AString>{L"Kept", L"R"}), namesAfter[0]);
  ASSERT_EQ(3u, namesAfter[1].size());
  EXPECT_NE(AString(L"R"), namesAfter[1][2]);
  EXPECT_NE(AString(L"Kept"), namesAfter[1][2]);

  // Undo takes each paste out again; redo puts the same reports back.
  cmds[1]->Undo();
  EXPECT_EQ(idsAfter[0], m_b.ReportIDs());
  EXPECT_EQ(namesAfter[0], m_b.ReportNames());
  cmds[0]->Undo();
  EXPECT_EQ(std::vector<AString>{L"Kept"}, m_b.ReportNames());
  cmds[0]->Redo();
  cmds[1]->Redo();
  EXPECT_EQ(idsAfter[1], m_b.ReportIDs());
  EXPECT_EQ(namesAfter[1], m_b.ReportNames());
}

TEST_F(ReportCopyPasteTest, APastedTraceTakesTheSolutionOfTheSameNameWithItsPointsRebuilt) {
  const long source = AddSourceReport();
  io::CBlock clipboard = CopyReports({source});
  refhost::RecordingPasteListener listener;
  VelmorCommand cmd;
  ASSERT_TRUE(m_b.mgr->PasteReports(clipboard, &listener, &cmd));
  cmd.EndDo();
  const rep::TraceDefinition& trace = OnlyTrace(m_b, m_b.ReportIDs().back());
  EXPECT_EQ(21, trace.GetDesignSolutionDefinition().GetSolutionID());  // "RUN1", case ignored
  EXPECT_EQ(200, trace.GetDesignSolutionDefinition().GetDesignID());
  EXPECT_EQ(2, trace.GetDesignInstanceID());
  const SubsweepDefParamsContainer& defs = trace.GetPointsetDefinition()->GetSubsweepDefParamsContainer();
  ASSERT_EQ(1u, defs.Size());
  // Freq 1 is not among RUN1's values: it goes, with a message naming the sweep and the trace.
  EXPECT_EQ(std::vector<AString>{L"2"}, SelectedTexts(defs[0]));
  EXPECT_EQ((std::vector<std::vector<AString>>{{L"17012", L"Freq", L"T"}}), reptest::PostedWithArgs());
}

TEST_F(ReportCopyPasteTest, ATraceNoSolutionOfTheTargetCanShowGoesWith17008) {
  const long source = AddSourceReport(L"R", {L"Gain*Missing"});
  m_a.solutions.FindSolution(10)->AddQuantity(L"Missing", ValueState(1, 15, 1));
  io::CBlock clipboard = CopyReports({source});
  refhost::RecordingPasteListener listener;
  VelmorCommand cmd;
  ASSERT_TRUE(m_b.mgr->PasteReports(clipboard, &listener, &cmd));
  cmd.EndDo();
  EXPECT_TRUE(m_b.Report(m_b.ReportIDs().back()).GetTraces().empty());
  EXPECT_EQ((std::vector<std::vector<AString>>{{L"17008", L"R:T"}}), reptest::PostedWithArgs());
}

// ---- paste of traces ----

TEST_F(ReportCopyPasteTest, TracesPastedIntoAReportAppendWithUniqueNamesAndGoWithOneUndo) {
  const long source = AddSourceReport();
  std::unique_ptr<rep::TraceDefinition> held = m_b.MakeTrace(21, L"T", {L"Gain"}, Subsweeps({FreqSelection({3})}));
  const long target = m_b.AddReport(L"Target", {held.get()});
  io::CBlock clipboard = CopyAllTraces(source);

  refhost::RecordingPasteListener listener;
  VelmorCommand cmd;
  ASSERT_TRUE(m_b.mgr->PasteTraces(target, clipboard, &listener, &cmd));
  ASSERT_TRUE(m_b.mgr->PasteTraces(target, clipboard, &listener, &cmd));
  cmd.EndDo();
  const std::vector<AString> names = TraceNames(m_b, target);
  ASSERT_EQ(3u, names.size());
  EXPECT_EQ(3u, std::set<AString>(names.begin(), names.end()).size());
  EXPECT_EQ(AString(L"T"), names[0]);
  // Re-bound to RUN1, the pasted trace plots RUN1's points, not the source's.
  const auto* pasted = dynamic_cast<const rep::TraceDefinition*>(m_b.Report(target).GetTraces().back());
  EXPECT_EQ(21, pasted->GetDesignSolutionDefinition().GetSolutionID());
  EXPECT_EQ(std::vector<AString>{L"2"},
            SelectedTexts(pasted->GetPointsetDefinition()->GetSubsweepDefParamsContainer()[0]));
  auto* info = dynamic_cast<rep::ReportDefinitionCmdInfo*>(
      m_b.owner.GetContextedInfoFromCmd(&cmd, m_b.owner.GetCmdInfoSourceForReports()));
  std::set<long> edited, newTraces;
  info->GetEditedReportIDs(edited);
  info->GetNewTraceIDs(newTraces, target);
  EXPECT_EQ(std::set<long>{target}, edited);
  EXPECT_EQ(2u, newTraces.size());

  cmd.Undo();
  EXPECT_EQ(std::vector<AString>{L"T"}, TraceNames(m_b, target));
  cmd.Redo();
  EXPECT_EQ(names, TraceNames(m_b, target));
}

TEST_F(ReportCopyPasteTest, TracesOfSeveralClipboardReportsGetNamesUniqueAmongThemselves) {
  const io::CBlock clipboard = CopyReports({AddSourceReport(L"R1"), AddSourceReport(L"R2")});
  const long target = m_b.AddReport(L"Target", {});
  refhost::RecordingPasteListener listener;
  VelmorCommand cmd;
  io::CBlock taken(clipboard);
  ASSERT_TRUE(m_b.mgr->PasteTraces(target, taken, &listener, &cmd));
  cmd.EndDo();
  const std::vector<AString> names = TraceNames(m_b, target);
  ASSERT_EQ(2u, names.size());
  EXPECT_EQ(AString(L"T"), names[0]);
  EXPECT_NE(names[0], names[1]);
}

TEST_F(ReportCopyPasteTest, ATracePastedIntoItsOwnDesignSelectsTheSamePoints) {
  const long source = AddSourceReport();
  io::CBlock clipboard = CopyAllTraces(source);
  refhost::RecordingPasteListener listener;
  VelmorCommand cmd;
  ASSERT_TRUE(m_a.mgr->PasteTraces(source, clipboard, &listener, &cmd));
  cmd.EndDo();
  const auto& traces = m_a.Report(source).GetTraces();
  ASSERT_EQ(2u, traces.size());
  const auto* original = dynamic_cast<const rep::TraceDefinition*>(traces.front());
  const auto* copy = dynamic_cast<const rep::TraceDefinition*>(traces.back());
  EXPECT_NE(original->GetID(), copy->GetID());
  EXPECT_EQ(original->GetDesignSolutionDefinition(), copy->GetDesignSolutionDefinition());
  const auto written = [](const rep::TraceDefinition* t) {
    io::CBlock block(L"P");
    const_cast<rep::TraceDefinition*>(t)->GetPointsetDefinitionForEdit()->DoDataExchange(block, false);
    return block;
  };
  EXPECT_EQ(written(original), written(copy));
  EXPECT_TRUE(Messages().Posted().empty());
}

// A pasted trace is a new trace of the target: a version the clipboard brings from another
// manager, or shares with its source, would let the target issue it again and an edit of the
// trace then look like no edit to the data computed for it.
TEST_F(ReportCopyPasteTest, PastedTracesTakeVersionsTheTargetNeverIssuesAgain) {
  for (int i = 0; i < 50; ++i) m_a.mgr->GetNewVersionID();  // A's versions run ahead of B's
  const long source = AddSourceReport();
  const long target = m_b.AddReport(L"Target", {});
  const io::CBlock reports = CopyReports({source});
  const io::CBlock traces = CopyAllTraces(source);
  refhost::RecordingPasteListener listener;
  VelmorCommand cmd;
  for (int paste = 0; paste < 2; ++paste) {
    io::CBlock clipboard(reports);
    ASSERT_TRUE(m_b.mgr->PasteReports(clipboard, &listener, &cmd));
    io::CBlock clipboardOfTraces(traces);
    ASSERT_TRUE(m_b.mgr->PasteTraces(target, clipboardOfTraces, &listener, &cmd));
    io::CBlock ownDesign(traces);
    ASSERT_TRUE(m_a.mgr->PasteTraces(source, ownDesign, &listener, &cmd));
  }
  cmd.EndDo();
  for (reptest::PasteDesign* d : {&m_a, &m_b}) {
    std::set<long> versions;
    size_t held = 0;
    for (const rep::ReportDefinition* report : d->mgr->GetReports())
      for (const rep::BaseTraceDefinition* trace : report->GetTraces()) {
        ++held;
        versions.insert(trace->GetVersionID());
        EXPECT_LT(trace->GetVersionID(), d->mgr->PeekNextVersionID()) << trace->GetName().c_str();
      }
    EXPECT_EQ(d == &m_a ? 3u : 4u, held);
    EXPECT_EQ(held, versions.size());  // no two traces share one
  }
  // An edit of a pasted trace renews its version from the target's server, not the source's.
  rep::BaseTraceDefinition& pasted = *m_b.Report(target).GetTraces().back();
  const long issued = m_b.mgr->PeekNextVersionID();
  pasted.UpdateVersionID();
  EXPECT_EQ(issued, pasted.GetVersionID());
  EXPECT_EQ(issued + 1, m_b.mgr->PeekNextVersionID());
}

// Paste moves what it read from the clipboard into the target as copies, not through text once
// more: the copies must hold all that a write of their blocks and a read there would.
TEST_F(ReportCopyPasteTest, CopiesIntoTheTargetHoldWhatAWriteAndReadWould) {
  ExtTraceInfo info;
  info.SetYAxis(rep::kYAxis2);
  DisplayHistogramAcrossTraceFamiliesParameters histogram;
  const rep::PointsetDefinition pointset(Subsweeps({FreqSelection({1, 2})}), {});
  rep::TraceDefinition computed(*m_a.mgr, L"C", {L"Freq", L"S11"}, m_a.Dsd(10), pointset, info, 1, false, &histogram);
  rep::ImportedTraceDefinition plain(*m_a.mgr, L"file.csv", std::vector<AString>{L"Freq", L"Y"}, ExtTraceInfo());
  plain.SetTraceData(reptest::TwoCurvesOverFreq(*m_a.mgr, 0));
  rep::ImportedTraceDefinition composite(*m_a.mgr, L"tree.csv", std::vector<AString>{L"Time", L"E"}, info);
  composite.SetTraceData(reptest::OneLeafOverTime(*m_a.mgr, 0));
  rep::ImportedTraceDefinition bare(*m_a.mgr, L"lost.csv", std::vector<AString>{L"x"}, ExtTraceInfo());
  m_a.AddReport(L"R1", {&computed, &plain});
  const long r2 = m_a.AddReport(L"R2", {&composite, &bare, &computed});
  // Edited after joining: the undo version and the version move on.
  VelmorCommand edit;
  ASSERT_TRUE(m_a.mgr->SetTraceExtendedTraceInfo(ExtTraceInfo(), m_a.Report(r2).GetTraces().back()->GetID(), &edit));
  edit.EndDo();

  const auto written = [](rep::ReportManager& mgr) {
    io::CBlock block(L"Reports");
    std::vector<long> ids;
    mgr.GetReportIDs(ids);
    mgr.WriteReportsOfBlock(block, ids);
    return io::BlockToText(block).ToUtf8();
  };
  const std::string before = written(*m_a.mgr);

  // Traces appended to a report held already, as a paste of traces does; copies leave the
  // source whole.
  rep::ReportDefinition& source = m_a.Report(r2);
  std::vector<long> traceIDs;
  source.GetTraceIDs(traceIDs);
  io::CBlock traces(L"Traces");
  source.WriteTraceDefBlock(traces, traceIDs);
  rep::ReportManager readTraces(&m_b.owner, true);
  rep::ReportManager copiedTraces(&m_b.owner, true);
  for (rep::ReportManager* mgr : {&readTraces, &copiedTraces})
    mgr->AddReportDefinition(*mgr->CreateReportDefinition(L"Into"), nullptr);
  readTraces.GetReports().front()->ReadTraceDefBlocks(traces);
  EXPECT_EQ(3u, copiedTraces.GetReports().front()->AppendCopiesOf(source.GetTraces()).size());
  EXPECT_EQ(written(readTraces), written(copiedTraces));
  EXPECT_EQ(before, written(*m_a.mgr));

  // Whole reports taken from a manager about to go, as a paste of reports does.
  io::CBlock block(L"Reports");
  std::vector<long> ids = m_a.ReportIDs();
  m_a.mgr->WriteReportsOfBlock(block, ids);
  rep::ReportManager read(&m_b.owner, true);
  read.ReadReportsOfBlock(block);
  rep::ReportManager taken(&m_b.owner, true);
  EXPECT_EQ(2u, taken.AppendReportsTakenFrom(*m_a.mgr).size());
  EXPECT_EQ(written(read), written(taken));
}

// ---- refusals and damaged clipboards ----

TEST_F(ReportCopyPasteTest, APasteThatCannotBeRecordedChangesNothing) {
  Adopt(m_a.outputVariables, L"Twice", L"Gain*2");
  const long source = AddSourceReport(L"R", {L"Twice"});
  io::CBlock clipboard = CopyReports({source});
  refhost::RecordingPasteListener listener;
  VelmorCommand cmd;
  EXPECT_FALSE(m_b.mgr->PasteReports(clipboard, &listener, nullptr));
  EXPECT_FALSE(m_b.mgr->PasteReports(clipboard, nullptr, &cmd));
  EXPECT_FALSE(m_b.mgr->PasteTraces(source, clipboard, &listener, nullptr));
  EXPECT_FALSE(m_b.mgr->PasteTraces(4242, clipboard, &listener, &cmd));  // no such report in B
  cmd.EndDo();
  EXPECT_TRUE(m_b.ReportIDs().empty());
  EXPECT_EQ(nullptr, m_b.outputVariables.FindOutputVariable(L"Twice"));
  EXPECT_TRUE(listener.Calls().empty());
  EXPECT_EQ(0u, cmd.GetNumDeltaStates());
}

TEST_F(ReportCopyPasteTest, OutputVariablesJoinTheTargetOncePerNameAndStayWithoutReports) {
  Adopt(m_a.outputVariables, L"Twice", L"Gain*2");
  Adopt(m_a.outputVariables, L"Same", L"Gain");
  Adopt(m_a.outputVariables, L"Clash", L"Gain");
  const long source = AddSourceReport(L"R", {L"Twice+Same+Clash"});
  Adopt(m_b.outputVariables, L"same", L"Gain*3");                        // same name and type
  Adopt(m_b.outputVariables, L"CLASH", L"S11", ValueState(2, 15, 1));  // same name, another type
  io::CBlock copied = CopyReports({source});
  io::CBlock withoutReports(L"Clipboard");
  withoutReports << *copied.FindBlock(L"AllTracesInterpreter");

  refhost::RecordingPasteListener listener;
  VelmorCommand cmd;
  EXPECT_FALSE(m_b.mgr->PasteReports(withoutReports, &listener, &cmd));
  EXPECT_SOFT_ASSERT("0");  // the clash
  cmd.EndDo();
  std::vector<OutputVariable*> held;
  m_b.outputVariables.GetOutputVariables(held, nullptr);
  ASSERT_EQ(3u, held.size());
  EXPECT_EQ(AString(L"same"), held[0]->GetName());
  EXPECT_EQ(AString(L"CLASH"), held[1]->GetName());
  EXPECT_EQ(AString(L"Twice"), held[2]->GetName());
  EXPECT_EQ(3, held[2]->GetID());  // a new ID of the target
  EXPECT_TRUE(m_b.ReportIDs().empty());
}

TEST_F(ReportCopyPasteTest, DamagedClipboardsPasteWhatTheyCan) {
  const long source = AddSourceReport();
  const io::CBlock good = CopyReports({source});

  // Without the interpreters the report comes, its trace (no source known, no choice) does not.
  {
    io::CBlock clipboard(L"Clipboard");
    clipboard << *good.FindBlock(L"Reports");
    refhost::RecordingPasteListener listener;
    VelmorCommand cmd;
    EXPECT_TRUE(m_b.mgr->PasteReports(clipboard, &listener, &cmd));
    EXPECT_SOFT_ASSERT("0");
    cmd.EndDo();
    EXPECT_EQ(std::vector<AString>{L"R"}, m_b.ReportNames());
    EXPECT_TRUE(m_b.Report(m_b.ReportIDs().back()).GetTraces().empty());
    EXPECT_EQ(std::vector<int>{17008}, Messages().PostedIDs());
    Messages().Clear();
  }
  // Interpreter items that are no blocks, or lack their ID or their two sub-blocks.
  {
    io::CBlock perTrace(L"PerTraceInterpreter");
    perTrace << io::NamedValue(L"TraceInterpreter", 5L);
    io::CBlock withoutID(L"TraceInterpreter");
    withoutID << io::CBlock(L"ProductTraceInterpreterBlock");
    perTrace << withoutID;
    io::CBlock bare(L"TraceInterpreter");
    bare << io::NamedValue(L"ID", 77L);
    perTrace << bare;
    io::CBlock all(L"AllTracesInterpreter");
    all << perTrace;
    io::CBlock clipboard(L"Clipboard");
    clipboard << *good.FindBlock(L"Reports") << all;
    refhost::RecordingPasteListener listener;
    VelmorCommand cmd;
    EXPECT_TRUE(m_b.mgr->PasteReports(clipboard, &listener, &cmd));
    for (int i = 0; i < 4; ++i) EXPECT_SOFT_ASSERT("0");
    cmd.EndDo();
    EXPECT_EQ(2u, m_b.ReportIDs().size());
    for (const auto& call : listener.Calls()) EXPECT_NE(3, call.op);
    Messages().Clear();
  }
  // A trace block without its point set: not fixed up, it goes with 17008.
  {
    io::CBlock clipboard = good;
    io::CBlock* report = clipboard.FindBlockForEdit(L"Reports")->GetBlockForEdit(0);
    report->FindBlockForEdit(L"TraceDef")->FindBlockForEdit(L"PointsetDefinition")->SetName(L"Lost");
    refhost::RecordingPasteListener listener;
    VelmorCommand cmd;
    EXPECT_TRUE(m_b.mgr->PasteReports(clipboard, &listener, &cmd));
    cmd.EndDo();
    orvex::test::Asserts().Clear();  // the damaged trace block's own read assertions
    EXPECT_TRUE(m_b.Report(m_b.ReportIDs().back()).GetTraces().empty());
    for (const auto& call : listener.Calls()) EXPECT_NE(7, call.op);
    EXPECT_EQ(std::vector<int>{17008}, Messages().PostedIDs());
  }
}

}  // namespace
