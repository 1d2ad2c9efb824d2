#include "reports/ReportCopyPasteMgr.h"

#include <memory>
#include <unordered_map>

#include "reports/GravikUtils.h"
#include "quantities/OutputVariableMgr.h"
#include "reports/ReportDefinition.h"
#include "reports/ReportDefinitionCmdInfo.h"
#include "reports/ReportManager.h"
#include "reports/TraceDefinition.h"
#include "hostapi/IReportManagerOwner.h"
#include "hostapi/IReportPasteListener.h"
#include "hostapi/ISolutionForReports.h"
#include "hostapi/ISolutionManagerForReports.h"
#include "hostapi/ITraceInterpreterLookup.h"
#include "orvex/core/Assert.h"
#include "orvex/core/Ids.h"
#include "orvex/io/Block.h"
#include "orvex/io/NamedValue.h"
#include "postorvex/outputvars/OutputVariable.h"
#include "postorvex/traceinfo/TraceDefParams.h"

namespace rep {

namespace {
const wchar_t* const kReports = L"Reports";
const wchar_t* const kAllTracesInterpreter = L"AllTracesInterpreter";
const wchar_t* const kPerTraceInterpreter = L"PerTraceInterpreter";
const wchar_t* const kTraceInterpreter = L"TraceInterpreter";
const wchar_t* const kID = L"ID";
const wchar_t* const kReportMgrTraceInterpreter = L"ReportMgrTraceInterpreter";
const wchar_t* const kSolutionName = L"SolutionName";
const wchar_t* const kSolutionID = L"SolutionID";
const wchar_t* const kProductTraceInterpreterBlock = L"ProductTraceInterpreterBlock";
}  // namespace

ReportCopyPasteMgr::~ReportCopyPasteMgr() = default;

// ---- copy ----

bool ReportCopyPasteMgr::CopyTraces(io::CBlock& clipboard, void* productArgument, long reportID,
                                    const std::vector<long>& traceIDs) {
  io::CBlock reports(kReports);
  const bool written = m_mgr->WriteReportBlock(reports, reportID, traceIDs);
  clipboard << std::move(reports);
  WriteAllTracesInterpreter(clipboard, productArgument, {{reportID, traceIDs}});
  return written;
}

bool ReportCopyPasteMgr::CopyReports(io::CBlock& clipboard, void* productArgument,
                                     const std::vector<long>& reportIDs) {
  io::CBlock reports(kReports);
  m_mgr->WriteReportsOfBlock(reports, reportIDs);
  clipboard << std::move(reports);
  TraceIDsByReport traces;
  CollectTraceIDsOfReports(traces, reportIDs);
  WriteAllTracesInterpreter(clipboard, productArgument, traces);
  return true;
}

void ReportCopyPasteMgr::CollectTraceIDsOfReports(TraceIDsByReport& out, const std::vector<long>& reportIDs) const {
  for (long id : reportIDs) {
    const IReportDefinition* report = m_mgr->GetReportDefinition(id);
    if (!report) {
      ORVEX_ASSERT(0);
      continue;
    }
    std::vector<long>& traceIDs = out[id];
    traceIDs.clear();
    report->GetTraceIDs(traceIDs);
  }
}

bool ReportCopyPasteMgr::WriteAllTracesInterpreter(io::CBlock& clipboard, void* productArgument,
                                                   const TraceIDsByReport& traces) const {
  io::CBlock all(kAllTracesInterpreter);
  WriteOutputVariablesOfTraces(all, traces);
  WritePerTraceInterpreter(all, productArgument, traces);
  clipboard << std::move(all);
  return true;
}

void ReportCopyPasteMgr::WriteOutputVariablesOfTraces(io::CBlock& all, const TraceIDsByReport& traces) const {
  std::set<long> ids;
  for (const auto& entry : traces) {
    auto* report = dynamic_cast<ReportDefinition*>(m_mgr->GetReportDefinition(entry.first));
    if (!report) {
      ORVEX_ASSERT(0);
      continue;
    }
    report->ActivateOutputVariablesOfTraces(ids, entry.second);
  }
  if (ids.empty()) return;
  const IOutputVariableMgr* variables = m_mgr->GetIOutputVariableMgr();
  OutputVariableMgr::OutputVariableMap used;
  for (long id : ids) {
    OutputVariable* variable = variables ? variables->GetOutputVariable(id) : nullptr;
    if (!variable) {
      ORVEX_ASSERT(0);
      continue;
    }
    used[id] = variable;
  }
  OutputVariableMgr::WriteOutputVariables(all, used);
}

void ReportCopyPasteMgr::WritePerTraceInterpreter(io::CBlock& all, void* productArgument,
                                                  const TraceIDsByReport& traces) const {
  io::CBlock perTrace(kPerTraceInterpreter);
  for (const auto& entry : traces) {
    // One index of the report's traces, not a walk of the reports for every trace.
    const ReportDefinition* report = dynamic_cast<ReportDefinition*>(m_mgr->GetReportDefinition(entry.first));
    std::unordered_map<long, BaseTraceDefinition*> byID;
    if (report)
      for (BaseTraceDefinition* trace : report->GetTraces()) byID.emplace(trace->GetID(), trace);
    for (long traceID : entry.second) {
      auto found = byID.find(traceID);
      const BaseTraceDefinition* trace = found == byID.end() ? nullptr : found->second;
      if (!trace) {
        ORVEX_ASSERT(0);
        continue;
      }
      const auto* computed = dynamic_cast<const TraceDefinition*>(trace);
      if (trace->GetTraceDefinitionType() != 1 || !computed) continue;
      io::CBlock traceInterpreter(kTraceInterpreter);
      traceInterpreter << io::NamedValue(kID, traceID);
      TraceDefParams params;
      computed->GetTraceDefParams(params);
      WriteReportMgrTraceInterpreter(traceInterpreter, params);
      WriteProductTraceInterpreter(traceInterpreter, productArgument, params);
      perTrace << std::move(traceInterpreter);
    }
  }
  all << std::move(perTrace);
}

void ReportCopyPasteMgr::WriteReportMgrTraceInterpreter(io::CBlock& traceInterpreter,
                                                        const TraceDefParams& params) const {
  const long solutionID = params.GetDesignSolutionDefinition().GetSolutionID();
  ISolutionManagerForReports* solutions = m_mgr->GetISolutionManagerForReports();
  const ISolutionForReports* solution = solutions ? solutions->GetSolution(solutionID) : nullptr;
  if (!solution) {
    ORVEX_ASSERT(0);
    return;
  }
  io::CBlock block(kReportMgrTraceInterpreter);
  block << io::NamedValue(kSolutionName, solution->GetName()) << io::NamedValue(kSolutionID, solutionID);
  traceInterpreter << std::move(block);
}

void ReportCopyPasteMgr::WriteProductTraceInterpreter(io::CBlock& traceInterpreter, void* productArgument,
                                                      const TraceDefParams& params) const {
  io::CBlock block(kProductTraceInterpreterBlock);
  ISolutionManagerForReports* solutions = m_mgr->GetISolutionManagerForReports();
  ITraceInterpreterLookup* lookup = solutions ? solutions->GetTraceInterpreterLookup() : nullptr;
  ITraceInterpreter* interpreter =
      lookup ? lookup->GetTraceInterpreter(params.GetDesignSolutionDefinition().GetSolutionID()) : nullptr;
  if (interpreter) interpreter->WriteTraceInterpreterBlock(block, productArgument, params);
  traceInterpreter << std::move(block);
}

// ---- paste ----

bool ReportCopyPasteMgr::ReadAllTracesInterpreter(const io::CBlock& clipboard, IReportPasteListener& listener) const {
  const io::CBlock* all = clipboard.FindBlock(kAllTracesInterpreter);
  if (!all) {
    ORVEX_ASSERT(0);
    return false;
  }
  PasteOutputVariables(*all);
  ReadPerTraceInterpreter(*all, listener);
  return true;
}

void ReportCopyPasteMgr::PasteOutputVariables(const io::CBlock& all) const {
  auto* target = dynamic_cast<OutputVariableMgr*>(m_mgr->GetIOutputVariableMgrForEdit());
  if (!target) return;
  OutputVariableMgr pasted(m_mgr->GetISolutionManagerForReports());
  pasted.ReadOutputVariables(all);
  pasted.PrepareForPaste(*target);
  io::CBlock scratch;
  pasted.WriteAllOutputVariables(scratch);
  target->ReadOutputVariables(scratch);
}

void ReportCopyPasteMgr::ReadPerTraceInterpreter(const io::CBlock& all, IReportPasteListener& listener) const {
  const io::CBlock* perTrace = all.FindBlock(kPerTraceInterpreter);
  if (!perTrace) {
    ORVEX_ASSERT(0);
    return;
  }
  for (size_t i = 0; i < perTrace->GetNumItems(); ++i) {
    if (perTrace->GetItemName(i).CompareNoCase(kTraceInterpreter) != 0) continue;
    const io::CBlock* traceInterpreter =
        perTrace->GetItemKind(i) == io::CBlock::kBlock ? perTrace->GetBlock(i) : nullptr;
    if (!traceInterpreter) {
      ORVEX_ASSERT(0);
      continue;
    }
    long traceID = id::invalidID;
    *traceInterpreter >> io::NamedValue(kID, traceID);
    if (!traceInterpreter->Found()) {
      ORVEX_ASSERT(0);
      traceInterpreter->ResetFound(true);
      continue;
    }
    const io::CBlock* source = traceInterpreter->FindBlock(kReportMgrTraceInterpreter);
    AString solutionName;
    long solutionID = id::invalidID;
    bool found = source != nullptr;
    if (source) {
      *source >> io::NamedValue(kSolutionName, solutionName);
      found = source->Found();
      *source >> io::NamedValue(kSolutionID, solutionID);
      found = found && source->Found();
      source->ResetFound(true);
    }
    if (found)
      listener.SetSourceSolution(solutionID, solutionName);
    else
      ORVEX_ASSERT(0);
    const io::CBlock* product = traceInterpreter->FindBlock(kProductTraceInterpreterBlock);
    if (product)
      listener.SetProductBlock(traceID, *product);
    else
      ORVEX_ASSERT(0);
  }
}

ReportDefinitionCmdInfo* ReportCopyPasteMgr::GetReportCmdInfo(IVelmorCommand* cmd) const {
  const IReportManagerOwner* owner = m_mgr->GetOwner();
  VelmorCommandInfo* info = owner ? owner->GetContextedInfoFromCmd(cmd, owner->GetCmdInfoSourceForReports()) : nullptr;
  if (!info) {
    ORVEX_ASSERT(0);
    return nullptr;
  }
  auto* reportInfo = dynamic_cast<ReportDefinitionCmdInfo*>(info);
  if (!reportInfo) ORVEX_ASSERT(0);
  return reportInfo;
}

namespace {

// The IDs the command names as new that this paste added: those new in the command before it
// are recorded already.
std::set<long> AddedByThisPaste(const std::set<long>& newInCommand, const std::set<long>& pasted) {
  std::set<long> out;
  for (long id : newInCommand)
    if (pasted.count(id)) out.insert(id);
  return out;
}

// The versions the clipboard brings are its source manager's: the target could issue them again,
// and a trace pasted into its own design would share its source's, so an edit of either could
// leave the version its computed data was made for.
template <class Traces>
void RenewVersionIDs(const Traces& pasted) {
  for (BaseTraceDefinition* trace : pasted) trace->UpdateVersionID();
}

// The reports on the clipboard and the blocks within them, each of which may be read as a trace:
// what a paste takes at most.
struct ClipboardCounts {
  long reports = 0;
  long traces = 0;
};

ClipboardCounts CountClipboard(const io::CBlock& clipboard) {
  ClipboardCounts counts;
  const io::CBlock* reports = clipboard.FindBlock(kReports);
  if (!reports) return counts;
  for (size_t i = 0; i < reports->GetNumItems(); ++i) {
    const io::CBlock* report = reports->GetItemKind(i) == io::CBlock::kBlock ? reports->GetBlock(i) : nullptr;
    if (!report) continue;
    ++counts.reports;
    for (size_t j = 0; j < report->GetNumItems(); ++j)
      if (report->GetItemKind(j) == io::CBlock::kBlock) ++counts.traces;
  }
  return counts;
}

}  // namespace

std::unique_ptr<ReportManager> ReportCopyPasteMgr::ReadPastedReports(io::CBlock& clipboard,
                                                                     IReportPasteListener& listener,
                                                                     IVelmorCommand* cmd) const {
  ReadAllTracesInterpreter(clipboard, listener);
  io::CBlock* reports = clipboard.FindBlockForEdit(kReports);
  if (!reports) return nullptr;
  auto pasted = std::make_unique<ReportManager>(m_mgr->GetOwnerForEdit(), true);
  pasted->ReadReportsOfBlock(*reports);
  pasted->FixUpPastedTraceDefinitions(*m_mgr, &listener, cmd);
  pasted->SetSolutionOfTraces(&listener);
  // Also for a paste of traces: a re-bound trace plots the points of its new solution.
  pasted->SetPointsetsOfTraces(&listener);
  return pasted;
}

bool ReportCopyPasteMgr::PasteTraces(long reportID, io::CBlock& clipboard, IReportPasteListener* listener,
                                     IVelmorCommand* cmd) {
  auto* target = dynamic_cast<ReportDefinition*>(m_mgr->GetReportDefinition(reportID));
  // Without a command the paste could be neither recorded nor undone.
  if (!cmd || !listener || !target) return false;
  // Each pasted trace takes a new ID and a new version: asked before the paste adds anything, its
  // output variables too.
  const long traces = CountClipboard(clipboard).traces;
  if (!m_mgr->HasIDsLeftFor(L"the traces pasted into " + ReportManager::Named(L"report", target->GetReportName()),
                            traces, traces))
    return false;
  std::unique_ptr<ReportManager> pasted = ReadPastedReports(clipboard, *listener, cmd);
  if (!pasted) return false;
  pasted->AssignNewTraceIDs(*m_mgr, listener);
  pasted->MakeTraceNamesUniqueForReport(reportID, *m_mgr, nullptr);

  std::set<long> pastedIDs;
  ReportDefinitionCmdInfo* info = GetOrCreateReportDefinitionCmdInfo(cmd, m_mgr->GetOwnerForEdit());
  if (info) info->AddEditedElement(reportID);
  // Walked as held, not by ID: a damaged clipboard may repeat a report ID, which this paste keeps.
  for (ReportDefinition* report : pasted->GetReports()) {
    std::vector<long> traceIDs;
    report->GetTraceIDs(traceIDs);
    for (long traceID : traceIDs) {
      if (info) info->AddNewTrace(reportID, traceID);
      pastedIDs.insert(traceID);
    }
    // Taken over, not written to a scratch block and read back: the clipboard was parsed once already.
    RenewVersionIDs(target->AppendTakenFrom(report->GetTraces()));
  }

  if (const ReportDefinitionCmdInfo* recorded = GetReportCmdInfo(cmd)) {
    std::set<long> newIDs;
    recorded->GetNewTraceIDs(newIDs, reportID);
    target->RecordPastedTraces(cmd, AddedByThisPaste(newIDs, pastedIDs));
  }
  return true;
}

bool ReportCopyPasteMgr::PasteReports(io::CBlock& clipboard, IReportPasteListener* listener, IVelmorCommand* cmd) {
  if (!cmd || !listener) return false;
  // Each pasted report takes a new ID, each of its traces a new ID and a new version.
  const ClipboardCounts counts = CountClipboard(clipboard);
  if (!m_mgr->HasIDsLeftFor(L"the pasted reports", counts.reports + counts.traces, counts.traces)) return false;
  std::unique_ptr<ReportManager> pasted = ReadPastedReports(clipboard, *listener, cmd);
  if (!pasted) return false;
  pasted->AssignNewIDs(*m_mgr, listener);
  pasted->MakeReportNamesUniqueAgainst(*m_mgr, listener);

  std::set<long> pastedIDs;
  ReportDefinitionCmdInfo* info = GetOrCreateReportDefinitionCmdInfo(cmd, m_mgr->GetOwnerForEdit());
  for (const ReportDefinition* report : pasted->GetReports()) {
    pastedIDs.insert(report->GetReportID());
    if (!info) continue;
    info->AddNewElement(report->GetReportID());
    std::vector<long> traceIDs;
    report->GetTraceIDs(traceIDs);
    for (long traceID : traceIDs) info->AddNewTrace(report->GetReportID(), traceID);
  }
  for (ReportDefinition* report : m_mgr->AppendReportsTakenFrom(*pasted)) RenewVersionIDs(report->GetTraces());

  if (const ReportDefinitionCmdInfo* recorded = GetReportCmdInfo(cmd)) {
    std::set<long> newIDs;
    recorded->GetNewReportIDs(newIDs);
    m_mgr->RecordPastedReports(cmd, AddedByThisPaste(newIDs, pastedIDs));
  }
  return true;
}

}  // namespace rep
