#include "PasteClipboardFuzzEntry.h"

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
#include "orvex/core/Assert.h"
#include "orvex/core/VelmorCommand.h"
#include "orvex/io/BlockFile.h"
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

// One paste with its command: checks what it leaves, then that undo and redo give back each state.
bool PasteAndCheck(Host& host, const io::CBlock& clipboard, bool asReports) {
  const Reports before = Held(*host.mgr);
  io::CBlock taken(clipboard);
  refhost::RecordingPasteListener listener;
  VelmorCommand cmd;
  const bool pasted = asReports ? host.mgr->PasteReports(taken, &listener, &cmd)
                                : host.mgr->PasteTraces(host.reportID, taken, &listener, &cmd);
  cmd.EndDo();
  const Reports after = Held(*host.mgr);
  ORVEX_ASSERT(IDsAndNamesUnique(after, host.reportID));
  if (!pasted) ORVEX_ASSERT(after == before);
  cmd.Undo();
  const bool undone = Held(*host.mgr) == before;
  ORVEX_ASSERT(undone);
  cmd.Redo();
  const bool redone = Held(*host.mgr) == after;
  ORVEX_ASSERT(redone);
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
  return reports ? 1 : 0;
}

}  // namespace repfuzz
