#include "PasteClipboardFuzzEntry.h"

#include <cstdio>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "quantities/OutputVariableMgr.h"
#include "reports/PointsetDefinition.h"
#include "reports/ReportDefinition.h"
#include "reports/ReportManager.h"
#include "quantities/SimValueDataCache.h"
#include "reports/TraceDefinition.h"
#include "ConcreteTraceDataFuzzEntry.h"
#include "orvex/core/Assert.h"
#include "orvex/core/MessageLog.h"
#include "orvex/core/VelmorCommand.h"
#include "orvex/io/BlockFile.h"
#include "orvex/io/StreamioBlockObject.h"
#include "orvex/values/ValueState.h"
#include "postorvex/sweeps/RegularSubsweepDefParams.h"
#include "refhost/RecordingPasteListener.h"
#include "refhost/ReferenceDesktop.h"
#include "refhost/ReferenceReportManagerOwner.h"
#include "refhost/ReferenceSolutionManager.h"

namespace repfuzz {

namespace {

// A design with one swept solution and a report holding one computed trace.
struct Host {
  refhost::ReferenceDesktop desktop;
  refhost::ReferenceDesktop::Installed installed{desktop};
  refhost::ReferenceSolutionManager solutions;
  refhost::ReferenceReportManagerOwner owner;
  rep::SimValueDataCache cache{&solutions};
  rep::OutputVariableMgr outputVariables{&solutions};
  std::unique_ptr<rep::ReportManager> mgr;
  long reportID = -1;

  Host() {
    refhost::ReferenceSolution& s = solutions.AddSolution(10, L"Run1");
    s.AddVariable(L"Freq", Value(1.0, 90), false);
    s.AddQuantity(L"S11", ValueState(2, 15, 1));
    s.AddSweep(s.FindVariable(L"Freq"), {1, 2, 3});
    solutions.SetDesignOfInstance(1, 100);
    owner.SetDesignInstanceID(1);
    owner.SetSolutionManager(&solutions);
    owner.SetSimValueCache(&cache);
    owner.SetOutputVariableMgr(&outputVariables);
    mgr = std::make_unique<rep::ReportManager>(&owner, true);
    SubsweepDefParamsContainer subsweeps;
    subsweeps.PushBackAndOwn(new RegularSubsweepDefParams(L"Freq", 1));
    rep::PointsetDefinition pointset(subsweeps, {});
    rep::TraceDefinition trace(*mgr, L"T", {L"S11"}, DesignSolutionDefinition(100, 10, ReportTypeSolutionDefinition(1)),
                               pointset, ExtTraceInfo(), 1, false, nullptr);
    std::unique_ptr<rep::IReportDefinition> report = mgr->CreateReportDefinition({&trace}, L"R");
    reportID = mgr->AddReportDefinition(*report, nullptr);
  }
};

// Per report: its ID and name, then each trace's ID and name.
typedef std::vector<std::pair<long, std::vector<std::pair<long, AString>>>> Reports;

Reports Held(const rep::ReportManager& mgr, std::vector<AString>* reportNames = nullptr) {
  Reports out;
  for (const rep::ReportDefinition* report : mgr.GetReports()) {
    out.emplace_back(report->GetReportID(), std::vector<std::pair<long, AString>>());
    if (reportNames) reportNames->push_back(report->GetReportName());
    for (const rep::BaseTraceDefinition* trace : report->GetTraces())
      out.back().second.emplace_back(trace->GetID(), trace->GetName());
  }
  return out;
}

// Every ID once; trace names once in the report traces are pasted into (a pasted report keeps the
// names its block holds).
bool IDsAndNamesUnique(const Reports& reports, long reportID) {
  std::set<long> ids;
  for (const auto& report : reports) {
    if (!ids.insert(report.first).second) return false;
    std::set<AString, AString::NoCaseLess> names;
    for (const auto& trace : report.second) {
      if (!ids.insert(trace.first).second) return false;
      if (report.first == reportID && !names.insert(trace.second).second) return false;
    }
  }
  return true;
}

// What the paste readers raise by design on a damaged clipboard.
const std::vector<rep::NamedAssert> kDamagedClipboardAsserts = {
    {"ReportCopyPasteMgr", "0"},
    {"ReportDefinition", "0"},
    rep::kUnknownColumnUnitAssert,
};

// The project as the manager writes it, but for the state of its ID servers: IDs handed out stay
// taken when the command that took them is undone.
std::string Written(rep::ReportManager& mgr) {
  io::CBlock project(L"Project");
  dynamic_cast<io::CStreamio_block_object&>(mgr).DoDataExchange(project, false);
  const io::CBlock* written = project.FindBlock(L"ReportManager");
  if (!written) return io::BlockToText(project).ToUtf8();
  io::CBlock kept(written->GetName());
  for (size_t i = 0; i < written->GetNumItems(); ++i) {
    const AString& name = written->GetItemName(i);
    if (name == L"NextUniqueID" || name == L"NextVersID") continue;
    switch (written->GetItemKind(i)) {
      case io::CBlock::kBlock: kept << *written->GetBlock(i); break;
      case io::CBlock::kNamedValue: kept << *written->GetNamedValue(i); break;
      case io::CBlock::kFunc: kept << *written->GetFunc(i); break;
      case io::CBlock::kVec: kept << *written->GetVec(i); break;
    }
  }
  return io::BlockToText(kept).ToUtf8();
}

// The written project is the one expected; a soft assertion and both texts on stderr when not.
void ExpectWritten(const std::string& expected, rep::ReportManager& mgr, const char* when) {
  const std::string written = Written(mgr);
  const bool same = written == expected;
  ORVEX_ASSERT(same);
  if (!same) std::fprintf(stderr, "%s, expected:\n%s\nwritten:\n%s\n", when, expected.c_str(), written.c_str());
}

// One paste with its command: checks what it leaves, then that undo and redo give back each state.
bool PasteAndCheck(Host& host, const io::CBlock& clipboard, bool asReports) {
  const Reports before = Held(*host.mgr);
  const std::string textBefore = Written(*host.mgr);
  io::CBlock taken(clipboard);
  refhost::RecordingPasteListener listener;
  VelmorCommand cmd;
  const size_t assertsBefore = orvex::test::Asserts().Count();
  const bool pasted = asReports ? host.mgr->PasteReports(taken, &listener, &cmd)
                                : host.mgr->PasteTraces(host.reportID, taken, &listener, &cmd);
  rep::ForgetNamedAsserts(assertsBefore, kDamagedClipboardAsserts);
  cmd.EndDo();
  const Reports after = Held(*host.mgr);
  const std::string textAfter = Written(*host.mgr);
  ORVEX_ASSERT(IDsAndNamesUnique(after, host.reportID));
  if (!pasted) ORVEX_ASSERT(after == before);
  cmd.Undo();
  const bool undone = Held(*host.mgr) == before;
  ORVEX_ASSERT(undone);
  ExpectWritten(textBefore, *host.mgr, "after undo");
  cmd.Redo();
  const bool redone = Held(*host.mgr) == after;
  ORVEX_ASSERT(redone);
  ExpectWritten(textAfter, *host.mgr, "after redo");
  return pasted;
}

}  // namespace

int FuzzPasteClipboard(const uint8_t* data, size_t size) {
  io::CBlock clipboard;
  if (!io::BlockFromText(AString::FromUtf8(std::string(reinterpret_cast<const char*>(data), size)), clipboard))
    return 0;
  Host host;
  const bool reports = PasteAndCheck(host, clipboard, true);
  PasteAndCheck(host, clipboard, false);
  // The messages of one run are no concern of the next, and a log kept growing reads as a leak.
  orvex::test::Messages().Clear();
  return reports ? 1 : 0;
}

}  // namespace repfuzz
