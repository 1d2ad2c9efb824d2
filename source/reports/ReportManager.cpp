#include "reports/ReportManager.h"

#include <algorithm>
#include <climits>
#include <new>
#include <unordered_map>
#include <unordered_set>

#include "reports/BaseTraceDefinition.h"
#include "reports/ExtTraceInfoReadMemo.h"
#include "Gravik/ISimValueCache.h"
#include "reports/GravikUtils.h"
#include "reports/ImportedTraceDefinition.h"
#include "reports/PointsetDefinition.h"
#include "tracedata/ReportDataManager.h"
#include "reports/RemovalsByID.h"
#include "reports/ReportDefinition.h"
#include "reports/ReportDefinitionCmdInfo.h"
#include "reports/TraceDefinition.h"
#include "quantities/ParserForSolution.h"
#include "quantities/RangedFunctionEvaluationHelper.h"
#include "quantities/SimValueInfoServer.h"
#include "quantities/VersionedQuantityParser.h"
#include "orvex/core/IMessageManager.h"
#include "orvex/core/MessageQueueRestorer.h"
#include "orvex/core/VelmorMessage.h"
#include "orvex/values/IValueParser.h"
#include "orvex/values/ReferencedMessages.h"
#include "orvex/values/Variable.h"
#include "postorvex/outputvars/OutputVariable.h"
#include "postorvex/outputvars/OutputVariableActivator2.h"
#include "Gravik/IOutputVariableMgr.h"
#include "orvex/values/IVariableNameSpaceSetupper.h"
#include "orvex/values/Value.h"
#include "orvex/values/ValueTextGenerator.h"
#include "orvex/values/VariableNameSpace.h"
#include "postorvex/quantities/BaseQuantityTypeParam.h"
#include "postorvex/quantities/CompositeReferencedPostprocessingQuantityMsg.h"
#include "postorvex/quantities/PostpQuantityUtils.h"
#include "hostapi/IReportManagerOwner.h"
#include "hostapi/IReportPasteListener.h"
#include "hostapi/ISolutionForReports.h"
#include "hostapi/ISolutionManagerForReports.h"
#include "postorvex/solution/ReportTypeSolutionDefinition.h"
#include "orvex/core/Assert.h"
#include "orvex/core/IVelmorCommand.h"
#include "orvex/core/Ids.h"
#include "orvex/values/VariableValues.h"
#include "orvex/io/LongFileName.h"
#include "orvex/io/NamedValue.h"
#include "hostapi/ISolutionContextObject.h"
#include "orvex/centupd/IDerivedDataDefinition.h"
#include "postorvex/plotdata/PlotExport.h"
#include "Gravik/ITraceDataInterfaces.h"

namespace rep {

namespace {
const wchar_t* const kReports = L"Reports";
const wchar_t* const kNextVersID = L"NextVersID";
const wchar_t* const kReportID = L"ReportID";

long ReportIDOf(const ReportDefinition* report) { return report->GetReportID(); }

// A next ID that a server reaches by issuing IDs that a file may carry; at id::endID it has none
// left.
bool IsIDServerState(long next) { return next >= INT32_MIN && next <= id::endID; }

// The message whose text lives in the engine, as output variables post it.
constexpr int kTextMessage = 24464;

template <class Traces>
long CountVersionIDsDrawnByCopying(const Traces& traces) {
  return static_cast<long>(std::count_if(traces.begin(), traces.end(), [](const IBaseTraceDefinition* t) {
    return dynamic_cast<const ImportedTraceDefinition*>(t) != nullptr;
  }));
}
}  // namespace

ReportManager::ReportManager(IReportManagerOwner* owner, bool /*mostDerived*/)
    : m_owner(owner), m_dataManager(nullptr), m_idServer(id::initialID, false, AString()), m_copyPasteMgr(*this),
      m_versionIDServer(id::initialID, false, AString()) {
  m_dataManager = new (std::nothrow) ReportDataManager(this);
}

ReportManager::~ReportManager() {
  for (ReportDefinition* report : m_reports) delete report;
  m_reports.clear();
  // Reports go before their trace data.
  delete m_dataManager;
  m_dataManager = nullptr;
}

// ---- accessors ----

const IReportDataManager* ReportManager::GetReportDataManager() const { return m_dataManager; }
IReportDataManager* ReportManager::GetReportDataManagerForEdit() { return m_dataManager; }

ISolutionManagerForReports* ReportManager::GetISolutionManagerForReports() const {
  return m_owner ? m_owner->GetISolutionManagerForReportsForEdit() : nullptr;
}

ISimValueInfoCache* ReportManager::GetISimValueInfoCache() const {
  ISimValueCache* cache = m_owner ? m_owner->GetISimValueCacheForEdit() : nullptr;
  return cache ? cache->GetISimValueInfoCacheForEdit() : nullptr;
}

IOutputVariableMgr* ReportManager::GetIOutputVariableMgrForEdit() {
  return m_owner ? m_owner->GetIOutputVariableMgrForEdit() : nullptr;
}

const IOutputVariableMgr* ReportManager::GetIOutputVariableMgr() const {
  return m_owner ? m_owner->GetIOutputVariableMgr() : nullptr;
}

long ReportManager::GetDesignInstanceID() const {
  if (!m_owner) {
    ORVEX_ASSERT(0);
    return id::invalidID;
  }
  return m_owner->GetDesignInstanceID();
}

long ReportManager::GetDesignID() const {
  ISolutionManagerForReports* solMgr = GetISolutionManagerForReports();
  if (!m_owner || !solMgr) {
    ORVEX_ASSERT(0);
    return id::invalidID;
  }
  return solMgr->GetDesignID(GetDesignInstanceID());
}

// ---- creation ----

std::unique_ptr<IPointsetDefinition> ReportManager::CreatePointsetDefinition(
    const SubsweepDefParamsContainer& subsweeps, const std::vector<VariableValuesDefParams>& families,
    const SubsweepDefParamsContainer& specifiableIfInFamilies) const {
  return std::make_unique<PointsetDefinition>(subsweeps, families, specifiableIfInFamilies);
}

std::unique_ptr<IPointsetDefinition> ReportManager::CreatePointsetDefinition(
    const SubsweepDefParamsContainer& subsweeps, const std::vector<VariableValuesDefParams>& families) const {
  return std::make_unique<PointsetDefinition>(subsweeps, families);
}

std::unique_ptr<IPointsetDefinition> ReportManager::CreatePointsetDefinitionFromVariableValues(
    const SubsweepDefParamsContainer& subsweeps, const std::vector<VariableValues>* variations,
    const SubsweepDefParamsContainer* specifiableIfInFamilies) const {
  std::vector<VariableValuesDefParams> families;
  VariableValuesDefParams::ConvertToVariableValuesDefParams(variations ? *variations : std::vector<VariableValues>(),
                                                            families);
  if (specifiableIfInFamilies) return CreatePointsetDefinition(subsweeps, families, *specifiableIfInFamilies);
  return CreatePointsetDefinition(subsweeps, families);
}

std::unique_ptr<IBaseTraceDefinition> ReportManager::CreateTraceDefinition(
    const AString& name, const std::vector<AString>& expressions, const DesignSolutionDefinition& dsd,
    const IPointsetDefinition& pointset, const ExtTraceInfo& info,
    const TraceFamiliesDisplayParameters* familiesParams) {
  ORVEX_ASSERT(name.size() > 0);
  if (!HasIDsLeftFor(Named(L"trace", name), 0, 1)) return nullptr;
  return std::unique_ptr<IBaseTraceDefinition>(new TraceDefinition(
      *this, name, expressions, dsd, pointset, info, GetDesignInstanceID(), false, familiesParams));
}

std::unique_ptr<IBaseTraceDefinition> ReportManager::CreateTraceDefinition(
    const std::vector<AString>& expressions, const DesignSolutionDefinition& dsd, const IPointsetDefinition& pointset,
    const ExtTraceInfo& info, const TraceFamiliesDisplayParameters* familiesParams) {
  if (!HasIDsLeftFor(Named(L"trace", expressions.empty() ? AString() : expressions.back()), 0, 1)) return nullptr;
  return std::unique_ptr<IBaseTraceDefinition>(
      new TraceDefinition(*this, expressions, dsd, pointset, info, GetDesignInstanceID(), familiesParams));
}

std::unique_ptr<IBaseTraceDefinition> ReportManager::CreateTraceDefinition(const AString& name,
                                                                           const std::vector<AString>& expressions,
                                                                           const DesignSolutionDefinition& dsd,
                                                                           const IPointsetDefinition& pointset,
                                                                           const ExtTraceInfo& info) {
  if (!HasIDsLeftFor(Named(L"trace", name), 0, 1)) return nullptr;
  return std::unique_ptr<IBaseTraceDefinition>(
      new TraceDefinition(*this, name, expressions, dsd, pointset, info, GetDesignInstanceID(), true, nullptr));
}

std::unique_ptr<IReportDefinition> ReportManager::CreateReportDefinition(const AString& name) {
  return CreateReportDefinition(std::vector<IBaseTraceDefinition*>(), name);
}

std::unique_ptr<IReportDefinition> ReportManager::CreateReportDefinition(
    const std::vector<IBaseTraceDefinition*>& traces, const AString& name) {
  // Each copy of a trace joins with a new ID and version ID.
  const long copies = static_cast<long>(traces.size());
  if (!HasIDsLeftFor(Named(L"report", name), copies, copies + VersionIDsDrawnByCopying(traces))) return nullptr;
  return std::unique_ptr<IReportDefinition>(new ReportDefinition(*this, name, traces));
}

IReportDefinitionCmdInfo* ReportManager::CreateReportDefinitionCmdInfo() {
  return new (std::nothrow) ReportDefinitionCmdInfo;
}

// ---- names ----

void ReportManager::GetNames(std::list<AString>& names) const {
  for (const ReportDefinition* report : m_reports) names.push_back(report->GetReportName());
}

AString ReportManager::GetUniqueReportName(const AString& wanted) const { return GetUniqueName(wanted, 1); }

bool ReportManager::IsReportNameUnique(const AString& name) const { return IsNameUnique(name); }

int ReportManager::GetUniqueReportNames(std::vector<AString>& out, const std::vector<AString>& wanted) const {
  LocalNameServer local;
  for (const AString& name : wanted) {
    AString unique = local.GetUniqueName(name, 1);
    out.push_back(unique);
    local.AddName(unique);
  }
  return static_cast<int>(out.size());
}

AString ReportManager::GetUniqueTraceName(long reportID, const AString& wanted) const {
  ReportDefinition* report = FindReport(reportID);
  return report ? report->GetUniqueTraceName(wanted) : AString();
}

int ReportManager::GetUniqueTraceNames(std::vector<AString>& out, long reportID,
                                       const std::vector<AString>& wanted) const {
  ReportDefinition* report = FindReport(reportID);
  return report ? report->GetUniqueTraceNames(out, wanted) : 0;
}

bool ReportManager::IsTraceNameUnique(long reportID, const AString& name) const {
  ReportDefinition* report = FindReport(reportID);
  if (!report) {
    ORVEX_ASSERT(!"Please provide a valid report");
    return true;
  }
  return report->IsTraceNameUnique(name);
}

bool ReportManager::MakeReportNamesUniqueAgainst(const ReportManager& other, IReportPasteListener* listener) {
  std::list<AString> oldNames;
  GetNames(oldNames);
  LocalNameServer local;
  std::list<AString> otherNames;
  other.GetNames(otherNames);
  local.AddNames(otherNames);
  std::vector<AString> newNames;
  for (const AString& name : oldNames) {
    newNames.push_back(local.GetUniqueName(name, 1));
    local.AddName(newNames.back());
  }
  if (newNames.size() != m_reports.size()) {
    ORVEX_ASSERT(0);
    return false;
  }
  auto oldName = oldNames.begin();
  auto newName = newNames.begin();
  for (ReportDefinition* report : m_reports) {
    report->SetReportName(*newName);
    if (listener) listener->OnReportNameChanged(*oldName, *newName);
    ++oldName;
    ++newName;
  }
  return true;
}

// ---- lookups ----

ReportDefinition* ReportManager::FindReport(long reportID) const {
  if (UseIndex()) {
    auto found = m_reportsByID.find(reportID);
    if (found == m_reportsByID.end()) return nullptr;
    if (found->second->GetReportID() == reportID) return found->second;
    InvalidateHeldIDs();
  }
  for (ReportDefinition* report : m_reports)
    if (report->GetReportID() == reportID) return report;
  return nullptr;
}

IReportDefinition* ReportManager::GetReportDefinition(long reportID) const { return FindReport(reportID); }

void ReportManager::GetReportIDs(std::vector<long>& ids) const {
  for (const ReportDefinition* report : m_reports) ids.push_back(report->GetReportID());
}

BaseTraceDefinition* ReportManager::FindTrace(long traceID) const {
  if (const HeldTrace* held = FindHeldTrace(traceID)) return held->trace;
  for (const ReportDefinition* report : m_reports)
    if (BaseTraceDefinition* trace = report->FindTrace(traceID)) return trace;
  return nullptr;
}

IBaseTraceDefinition* ReportManager::GetTraceDefinition(long traceID) const { return FindTrace(traceID); }

bool ReportManager::IsTraceIDFree(long id) const {
  return id != id::invalidID && id < PeekNextUniqueID() && !IsHeldID(id);
}

void ReportManager::IndexHeldIDs() const {
  if (m_heldIDsKnown) return;
  m_reportsByID.clear();
  m_tracesByID.clear();
  for (ReportDefinition* report : m_reports) {
    m_reportsByID.emplace(report->GetReportID(), report);
    for (BaseTraceDefinition* trace : report->GetTraces()) m_tracesByID.emplace(trace->GetID(), HeldTrace{trace, report});
  }
  m_heldIDsKnown = true;
}

bool ReportManager::UseIndex() const {
  if (m_openEdits > 0) return false;
  IndexHeldIDs();
  return true;
}

bool ReportManager::IsHeldID(long id) const {
  IndexHeldIDs();
  return m_reportsByID.count(id) != 0 || m_tracesByID.count(id) != 0;
}

const ReportManager::HeldTrace* ReportManager::FindHeldTrace(long traceID) const {
  static const HeldTrace kNone{nullptr, nullptr};
  if (!UseIndex()) return nullptr;
  auto found = m_tracesByID.find(traceID);
  if (found == m_tracesByID.end()) return &kNone;
  // A trace renumbered by an edit that forgot to say so: the walk answers instead.
  if (found->second.trace->GetID() != traceID) {
    InvalidateHeldIDs();
    return nullptr;
  }
  return &found->second;
}

ReportDefinition* ReportManager::FindReportContainingTrace(long traceID) const {
  if (const HeldTrace* held = FindHeldTrace(traceID)) return held->report;
  for (ReportDefinition* report : m_reports)
    if (report->GetTraceDefinition(traceID)) return report;
  return nullptr;
}

long ReportManager::GetReportIDOfTrace(long traceID) const {
  const ReportDefinition* report = FindReportContainingTrace(traceID);
  return report ? report->GetReportID() : id::invalidID;
}

// ---- IDs ----

bool ReportManager::HasIDsLeftFor(const AString& what, long ids, long versionIDs) {
  const wchar_t* missing = nullptr;
  if (m_idServer.CountIDsLeft() < ids)
    missing = L"ID";
  else if (m_versionIDServer.CountIDsLeft() < versionIDs)
    missing = L"version ID";
  if (!missing) return true;
  VelmorMessage msg(VelmorMessage::kError, 0, kTextMessage, 0, 6, MessageManagerStrings::kNullStr,
                    MessageManagerStrings::kNullStr, false);
  msg.AddArg(AString(L"No ") + missing + L" is left for " + what + L".", 0);
  if (IMessageManager* manager = GetGlobalIMessageManager()) manager->PostMessage(msg);
  return false;
}

AString ReportManager::Named(const wchar_t* kind, const AString& name) {
  return AString(L"the ") + kind + L" \"" + name + L"\"";
}

long ReportManager::VersionIDsDrawnByCopying(const std::vector<IBaseTraceDefinition*>& traces) {
  return CountVersionIDsDrawnByCopying(traces);
}

long ReportManager::VersionIDsDrawnByCopying(const std::list<BaseTraceDefinition*>& traces) {
  return CountVersionIDsDrawnByCopying(traces);
}

// ---- editing ----

long ReportManager::AddReportDefinition(const IReportDefinition& report, IVelmorCommand* cmd) {
  // The copy is bound to this manager: the one that made the report may go first.
  const auto* source = dynamic_cast<const ReportDefinition*>(&report);
  // A report added twice, or made by another manager, brings trace IDs that this manager holds
  // or may issue later: its copies then get their own. The copies carry the source's IDs.
  auto needsNewTraceIDs = [this](long reportID, const std::vector<long>& traceIDs) {
    std::set<long> seen;
    return std::any_of(traceIDs.begin(), traceIDs.end(), [&](long id) {
      return id == reportID || !IsTraceIDFree(id) || !seen.insert(id).second;
    });
  };
  std::vector<long> traceIDs;
  if (source) {
    source->GetTraceIDs(traceIDs);
    const long renumbered = needsNewTraceIDs(PeekNextUniqueID(), traceIDs) ? static_cast<long>(traceIDs.size()) : 0;
    if (!HasIDsLeftFor(Named(L"report", source->GetReportName()), 1 + renumbered,
                       renumbered + VersionIDsDrawnByCopying(source->GetTraces())))
      return id::invalidID;
  }
  ReportDefinition* clone = source ? new ReportDefinition(*source, *this) : nullptr;
  if (!clone) {
    ORVEX_ASSERT(clone);
    return id::invalidID;
  }
  auto* delta = cmd ? new HeldIDsListDelta<ReportDefinition*>(*this, m_reports) : nullptr;
  clone->SetReportID(GetNewUniqueID());
  traceIDs.clear();
  clone->GetTraceIDs(traceIDs);
  if (needsNewTraceIDs(clone->GetReportID(), traceIDs)) {
    for (BaseTraceDefinition* trace : clone->GetTraces()) {
      const long versionID = GetNewVersionID();
      trace->SetIDAndVersionID(GetNewUniqueID(), versionID);
    }
    traceIDs.clear();
    clone->GetTraceIDs(traceIDs);
  }
  m_reports.push_back(clone);
  if (m_heldIDsKnown) {
    m_reportsByID.emplace(clone->GetReportID(), clone);
    for (BaseTraceDefinition* trace : clone->GetTraces())
      m_tracesByID.emplace(trace->GetID(), HeldTrace{trace, clone});
  }
  if (delta) {
    delta->AddChange(clone, static_cast<unsigned>(m_reports.size() - 1), true);
    cmd->AddDeltaState(delta);
    if (ReportDefinitionCmdInfo* info = GetOrCreateReportDefinitionCmdInfo(cmd, m_owner)) {
      info->AddNewElement(clone->GetReportID());
      for (long id : traceIDs) info->AddNewTrace(clone->GetReportID(), id);
    }
  }
  return clone->GetReportID();
}

bool ReportManager::DeleteReportDefinitions(const std::vector<long>& reportIDs, IVelmorCommand* cmd) {
  const HeldIDsEdit edit(*this);
  if (reportIDs.empty() || !cmd) return false;
  RemovalsByID<ReportDefinition*> removals(m_reports, ReportIDOf);
  for (long id : reportIDs)
    if (!removals.Held(id)) return false;
  ReportDefinitionCmdInfo* info = GetOrCreateReportDefinitionCmdInfo(cmd, m_owner);
  auto* delta = new HeldIDsListDelta<ReportDefinition*>(*this, m_reports);
  for (long id : reportIDs) {
    unsigned position = 0;
    auto it = m_reports.end();
    const bool found = removals.Take(id, it, position);
    ORVEX_ASSERT(found);
    if (!found) continue;
    ReportDefinition* report = *it;
    std::vector<long> traceIDs;
    report->GetTraceIDs(traceIDs);
    DeleteTraceDataOf(traceIDs);
    if (info) info->AddDeletedReport(id, std::set<long>(traceIDs.begin(), traceIDs.end()));
    m_reports.erase(it);
    delta->AddChange(report, position, false);
  }
  cmd->AddDeltaState(delta);
  return true;
}

void ReportManager::DeleteReportDefinitionsWithoutUndo(const std::vector<long>& reportIDs) {
  const HeldIDsEdit edit(*this);
  RemovalsByID<ReportDefinition*> removals(m_reports, ReportIDOf);
  for (long id : reportIDs) {
    auto it = m_reports.end();
    unsigned position = 0;
    if (!removals.Take(id, it, position)) continue;
    ReportDefinition* report = *it;
    std::vector<long> traceIDs;
    report->GetTraceIDs(traceIDs);
    DeleteTraceDataOf(traceIDs);
    m_reports.erase(it);
    delete report;
  }
}

void ReportManager::DeleteTraceDataOf(const std::vector<long>& traceIDs) {
  if (!m_dataManager) return;
  for (long id : traceIDs) m_dataManager->DeleteTraceData(id);
}

bool ReportManager::AddTraceDefinition(std::vector<long>& newIDs, const std::vector<IBaseTraceDefinition*>& traces,
                                       long reportID, IVelmorCommand* cmd) {
  ReportDefinition* report = FindReport(reportID);
  return report && report->AddTraceDefinitions(newIDs, traces, cmd);
}

bool ReportManager::DeleteTraceDefinition(long traceID, IVelmorCommand* cmd) {
  ReportDefinition* report = FindReportContainingTrace(traceID);
  if (!report) return false;
  const bool ok = report->DeleteTraceDefinitions({traceID}, cmd);
  DeleteTraceDataOf({traceID});
  return ok;
}

bool ReportManager::ReplaceTraceDefinition(const IBaseTraceDefinition& newDef, long traceID, IVelmorCommand* cmd) {
  ReportDefinition* report = FindReportContainingTrace(traceID);
  if (!report) return false;
  const bool ok = report->ReplaceTraceDefinition(newDef, traceID, cmd);
  DeleteTraceDataOf({traceID});
  return ok;
}

bool ReportManager::SetTraceNameToDefault(long traceID, IVelmorCommand* cmd) {
  ReportDefinition* report = FindReportContainingTrace(traceID);
  return report && report->SetTraceNameToDefault(traceID, cmd);
}

bool ReportManager::RenameTraceDefinition(const AString& name, long traceID, IVelmorCommand* cmd) {
  ReportDefinition* report = FindReportContainingTrace(traceID);
  return report && report->RenameTraceDefinition(name, traceID, cmd);
}

bool ReportManager::SetTraceExtendedTraceInfo(const ExtTraceInfo& info, long traceID, IVelmorCommand* cmd) {
  ReportDefinition* report = FindReportContainingTrace(traceID);
  if (!report) return false;
  const bool ok = report->SetTraceExtendedTraceInfo(info, traceID, cmd);
  DeleteTraceDataOf({traceID});
  return ok;
}

bool ReportManager::SetTraceDefinitions(const IReportDefinition& source, long reportID, IVelmorCommand* cmd) {
  ReportDefinition* report = FindReport(reportID);
  const auto* src = dynamic_cast<const ReportDefinition*>(&source);
  return report && src && report->SetTraceDefinitions(*src, cmd);
}

bool ReportManager::RenameReport(const AString& name, long reportID, IVelmorCommand* cmd) {
  ReportDefinition* report = FindReport(reportID);
  return report && report->RenameWithUndo(name, cmd);
}

void ReportManager::DeleteTraceDefinitionsWithoutUndo(long reportID, const std::vector<long>& traceIDs) {
  ReportDefinition* report = FindReport(reportID);
  if (!report) {
    ORVEX_ASSERT(0);
    return;
  }
  report->DeleteTraceDefinitionsWithoutUndo(traceIDs);
  DeleteTraceDataOf(traceIDs);
}

bool ReportManager::UpdateReportsOnCommand(IVelmorCommand* cmd) {
  std::vector<long> goners;
  for (ReportDefinition* report : m_reports)
    if (report->UpdateOnCommand(cmd)) goners.push_back(report->GetReportID());
  if (goners.empty()) return false;
  return DeleteReportDefinitions(goners, cmd);
}

bool ReportManager::UpdateTraceDataOnCommand(IVelmorCommand* cmd) {
  return m_dataManager && m_dataManager->DeleteTraceDataForCommand(cmd);
}

void ReportManager::RecordPastedReports(IVelmorCommand* cmd, const std::set<long>& pastedReportIDs) {
  const HeldIDsEdit edit(*this);
  if (pastedReportIDs.empty() || !cmd) return;
  auto* delta = new HeldIDsListDelta<ReportDefinition*>(*this, m_reports);
  std::set<long> foundReportIDs;
  unsigned position = 0;
  for (ReportDefinition* report : m_reports) {
    if (pastedReportIDs.count(report->GetReportID())) {
      delta->AddChange(report, position, true);
      foundReportIDs.insert(report->GetReportID());
    }
    ++position;
  }
  ORVEX_ASSERT(foundReportIDs.size() == pastedReportIDs.size());
  cmd->AddDeltaState(delta);
}

// ---- paste steps ----

bool ReportManager::FixUpPastedTraceDefinitions(ReportManager& target, IReportPasteListener* listener,
                                                IVelmorCommand* cmd) {
  for (ReportDefinition* report : m_reports) report->FixUpPastedTraceDefinitions(target, listener, cmd);
  return true;
}

bool ReportManager::SetSolutionOfTraces(IReportPasteListener* listener) {
  for (ReportDefinition* report : m_reports) report->SetSolutionOfTraces(listener);
  return true;
}

bool ReportManager::SetPointsetsOfTraces(IReportPasteListener* listener) {
  for (ReportDefinition* report : m_reports) report->SetPointsetsOfTraces(listener);
  return true;
}

bool ReportManager::AssignNewIDs(ReportManager& target, IReportPasteListener* listener) {
  const HeldIDsEdit edit(*this);
  for (ReportDefinition* report : m_reports) report->AssignNewIDs(target, listener);
  return true;
}

bool ReportManager::AssignNewTraceIDs(ReportManager& target, IReportPasteListener* listener) {
  const HeldIDsEdit edit(*this);
  for (ReportDefinition* report : m_reports) report->AssignNewTraceIDs(target, listener);
  return true;
}

bool ReportManager::MakeTraceNamesUniqueForReport(long reportID, ReportManager& target, void*) {
  // One pass over the traces of every report: all of them join the one target report, so their
  // names must differ from each other too, not only from that report's.
  std::vector<BaseTraceDefinition*> traces;
  for (ReportDefinition* report : m_reports) traces.insert(traces.end(), report->GetTraces().begin(), report->GetTraces().end());
  ReportDefinition::MakeTraceNamesUniqueAgainst(traces, reportID, target);
  return true;
}

// ---- expression services ----

namespace {

IMessageHandler* GlobalMessageHandler() { return GetGlobalIMessageManager()->GetMessageHandler(); }

bool IsDoubleOrComplex(val::ParameterType type) { return type == 1 || type == 2; }

}  // namespace

void ReportManager::ValidateExpressions(ExpressionFacts& facts, const std::vector<AString>& exprs,
                                        const DesignSolutionDefinition& dsd, bool withReferences) {
  MessageQueueRestorer held(GlobalMessageHandler(), false);
  const size_t n = exprs.size();
  facts.valid.assign(n, false);
  facts.valueStates.assign(n, ValueState());
  facts.simValueQuantities.assign(n, {});
  facts.outputVariableNames.assign(n, {});
  facts.outputVariableTexts.assign(n, {});
  facts.userOutputVariableNames.assign(n, {});
  facts.datasets.assign(n, {});
  facts.variableNames.assign(n, {});
  facts.compositeQuantities.assign(n, {});

  ParserForSolution parser(GetISolutionManagerForReports(), GetIOutputVariableMgrForEdit(), GetISimValueInfoCache(),
                           dsd);
  if (!parser) return;
  // The message's parse of each expression is the one the steps below read: parsing again under
  // the same parser and name space gives the same value, at the cost of the whole validation.
  std::vector<Value> values;
  std::unique_ptr<CompositeReferencedPostprocessingQuantityMsg> msg(
      BuildReferencedQuantityMsg(facts.valid, *parser, exprs, &values));
  if (!msg) return;
  values.resize(n, Value(Units::kNoUnit));
  facts.valid.resize(n, false);
  parser.Install();
  std::vector<ContextVariable*> outputVariables;
  msg->GetAllOutputVariables(outputVariables);
  OutputVariableActivator2 activator(outputVariables, parser.GetValueParser(), parser->GetVariableNameSpaceSetupper());

  for (size_t iexpr = 0; iexpr < n; ++iexpr) {
    const AString& expr = exprs[iexpr];
    std::vector<AString>& compositeQuants = facts.compositeQuantities[iexpr];
    msg->GetCompositeQuantitiesForExpr(expr, compositeQuants);
    if (!compositeQuants.empty()) {
      ORVEX_ASSERT(compositeQuants[0].CompareNoCase(exprs[iexpr])==0);
      facts.valid[iexpr] = true;
      facts.valueStates[iexpr].SetParameterType(0);
      continue;
    }
    msg->GetSimValueQuantitiesForExpr(expr, facts.simValueQuantities[iexpr]);
    if (!facts.valid[iexpr]) continue;  // did not parse
    Value& value = values[iexpr];
    facts.valueStates[iexpr] = value.GetValueState();
    std::vector<ContextVariable*> used;
    msg->GetOutputVariablesForExpr(expr, used);
    for (const ContextVariable* variable : used) {
      facts.outputVariableNames[iexpr].push_back(variable->GetName());
      facts.outputVariableTexts[iexpr].push_back(variable->GetValueBaseText());
      if (!parser->IsSolutionOutputVariable(*variable)) facts.userOutputVariableNames[iexpr].push_back(variable->GetName());
      if (!activator.DidActivationSucceedForOutputVariable(variable)) {
        facts.valid[iexpr] = false;
        break;
      }
    }
    if (!facts.valid[iexpr] || !withReferences) continue;
    value.GetReferencedDatasets(facts.datasets[iexpr], false);
    ReferencedVariablesMsg referenced(true);
    value.ReceiveMsg(referenced);
    std::vector<Variable*> variables;
    referenced.GetVariables(variables);
    for (const Variable* variable : variables) facts.variableNames[iexpr].push_back(variable->GetName());
  }
}

void ReportManager::ValidateExpressions(std::vector<bool>& valid, std::vector<std::vector<AString>>& simValueQuantities,
                                        std::vector<std::vector<AString>>& outputVariableNames,
                                        std::vector<std::vector<AString>>& outputVariableTexts,
                                        const std::vector<AString>& expressions, const DesignSolutionDefinition& dsd) {
  ExpressionFacts facts;
  ValidateExpressions(facts, expressions, dsd, false);
  valid.swap(facts.valid);
  simValueQuantities.swap(facts.simValueQuantities);
  outputVariableNames.swap(facts.outputVariableNames);
  outputVariableTexts.swap(facts.outputVariableTexts);
}

void ReportManager::CheckExpressions(std::vector<bool>& valid, const std::vector<AString>& expressions,
                                     const DesignSolutionDefinition& dsd) {
  std::vector<std::vector<AString>> quantities, names, texts;
  ValidateExpressions(valid, quantities, names, texts, expressions, dsd);
}

bool ReportManager::IsExpressionValid(const AString& expr, const DesignSolutionDefinition& dsd,
                                      std::vector<AString>& simValueQuantities) {
  std::vector<AString> names, texts;
  std::vector<AString> quantities;
  if (!IsExpressionValid(expr, dsd, quantities, names, texts)) return false;
  simValueQuantities.swap(quantities);
  return true;
}

bool ReportManager::IsExpressionValid(const AString& expr, const DesignSolutionDefinition& dsd,
                                      std::vector<AString>& simValueQuantities,
                                      std::vector<AString>& outputVariableNames,
                                      std::vector<AString>& outputVariableTexts) {
  std::vector<bool> valid;
  std::vector<std::vector<AString>> quantities, names, texts;
  ValidateExpressions(valid, quantities, names, texts, {expr}, dsd);
  if (valid.empty() || !valid[0]) return false;
  simValueQuantities.swap(quantities[0]);
  outputVariableNames.swap(names[0]);
  outputVariableTexts.swap(texts[0]);
  return true;
}

bool ReportManager::GetExpressionValueState(ValueState& out, const AString& expr, const DesignSolutionDefinition& dsd) {
  ExpressionFacts facts;
  ValidateExpressions(facts, {expr}, dsd, false);
  ORVEX_ASSERT_TEXT(facts.valid.size()>0, "exprValid.size()>0");
  ORVEX_ASSERT_TEXT(facts.valueStates.size()>0, "exprValStates.size()>0");
  if (facts.valid.empty() || facts.valueStates.empty()) return false;
  out = facts.valueStates[0];
  return facts.valid[0];
}

bool ReportManager::GetExpressionUnitType(Units::UnitType& out, const AString& expr,
                                          const DesignSolutionDefinition& dsd) {
  ValueState state;
  if (!GetExpressionValueState(state, expr, dsd)) return false;
  out = state.GetUnitType();
  return true;
}

bool ReportManager::ValidateExpressionWithMessage(const AString& expr, const DesignSolutionDefinition& dsd) {
  std::vector<AString> quantities, names, texts;
  if (IsExpressionValid(expr, dsd, quantities, names, texts)) return true;
  PostReportMessage(1, 17002, 17002, expr);
  return false;
}

bool ReportManager::ActivateOutputVariablesWorker(std::vector<AString>& names, std::vector<AString>& quantities,
                                                  const std::vector<AString>& expressions,
                                                  const DesignSolutionDefinition& dsd) {
  MessageQueueRestorer held(GlobalMessageHandler(), false);
  ParserForSolution parser(GetISolutionManagerForReports(), GetIOutputVariableMgrForEdit(), GetISimValueInfoCache(),
                           dsd);
  if (!parser) return false;
  std::unique_ptr<CompositeReferencedPostprocessingQuantityMsg> msg(rep::ValidateExpressions(*parser, expressions));
  if (!msg) return false;
  std::vector<ContextVariable*> outputVariables;
  msg->GetAllOutputVariables(outputVariables);
  OutputVariableActivator2 activator(outputVariables, parser.GetValueParser(), parser->GetVariableNameSpaceSetupper());
  if (activator.AnyActivationFailed()) return false;
  for (const ContextVariable* variable : outputVariables)
    if (!parser->IsSolutionOutputVariable(*variable)) names.push_back(variable->GetName());
  msg->GetAllCompositeQuantities(quantities);
  msg->GetAllSimValueQuantities(quantities);
  return true;
}

bool ReportManager::CanActivateOutputVariables(std::vector<AString>& quantities, const AString& expr,
                                               const DesignSolutionDefinition& dsd) {
  MessageQueueRestorer held(GlobalMessageHandler(), false);
  std::vector<AString> names;
  return ActivateOutputVariablesWorker(names, quantities, {expr}, dsd);
}

bool ReportManager::ActivateOutputVariablesOfExpressions(std::vector<long>& ids, const AString& expr,
                                                         const DesignSolutionDefinition& dsd) {
  MessageQueueRestorer held(GlobalMessageHandler(), false);
  std::vector<AString> names, quantities;
  const bool activated = ActivateOutputVariablesWorker(names, quantities, {expr}, dsd);
  // A name that the manager does not know, or no manager, adds no ID.
  const IOutputVariableMgr* outputVariables = GetIOutputVariableMgr();
  if (!outputVariables) return activated;
  for (const AString& name : names)
    if (const OutputVariable* variable = outputVariables->FindOutputVariable(name)) ids.push_back(variable->GetID());
  return activated;
}

bool ReportManager::DetectOutermostFunction(VersionedQuantityParser& parser, const Function*& fn,
                                            std::vector<AString>& arguments, const AString& expression) {
  VariableNameSpace names(1, 1, 0);
  if (IVariableNameSpaceSetupper* setupper = parser.GetVariableNameSpaceSetupper()) setupper->Setup(names);
  InstalledParserScope installed(&parser);
  Value value(Units::kNoUnit);
  if (!SetValueTextIfNotEmpty(value, expression, Units::kNoUnit) || !IsDoubleOrComplex(value.GetParameterType()))
    return false;
  OuterMostFunctionDetectorStrategy strategy;
  ValueTextGenerator(value, strategy).GetNewValueText();
  fn = strategy.GetOutermostFunction();
  if (!fn) return false;
  strategy.GetOutermostFunctionArguments(arguments);
  return true;
}

bool ReportManager::GetOutermostFunction(const Function*& fn, AString& firstArgument, const AString& expr,
                                         const DesignSolutionDefinition& dsd) {
  ParserForSolution parser(GetISolutionManagerForReports(), GetIOutputVariableMgrForEdit(), GetISimValueInfoCache(),
                           dsd);
  if (!parser) return false;
  const Function* found = nullptr;
  std::vector<AString> arguments;
  if (!DetectOutermostFunction(*parser, found, arguments, expr)) return false;
  fn = found;
  if (!arguments.empty()) firstArgument = arguments[0];
  return true;
}

bool ReportManager::GetOutermostFunctionName(AString& name, AString& firstArgument, const AString& expr,
                                             const DesignSolutionDefinition& dsd) {
  const Function* fn = nullptr;
  if (!GetOutermostFunction(fn, firstArgument, expr, dsd) || !fn) return false;
  name = fn->GetName();
  return true;
}

bool ReportManager::GetOutermostFunctionArguments(const Function*& fn, std::vector<AString>& arguments,
                                                  const AString& expr, const DesignSolutionDefinition& dsd) {
  ParserForSolution parser(GetISolutionManagerForReports(), GetIOutputVariableMgrForEdit(), GetISimValueInfoCache(),
                           dsd);
  return parser && DetectOutermostFunction(*parser, fn, arguments, expr);
}

bool ReportManager::DoesExpressionReduceDimension(const AString& expr, const DesignSolutionDefinition& dsd) {
  ParserForSolution parser(GetISolutionManagerForReports(), GetIOutputVariableMgrForEdit(), GetISimValueInfoCache(),
                           dsd);
  return parser && DetectDimensionReducingFunction(*parser, expr);
}

bool ReportManager::DoesExpressionReduceDimensionDeprecated(const AString& expr, const DesignSolutionDefinition& dsd) {
  ORVEX_ASSERT(!"Please replace this call with DoesExpressionReduceDimension");
  return DoesExpressionReduceDimension(expr, dsd);
}

bool ReportManager::GenerateNewValueText(AString& newText, const AString& expression,
                                         const std::map<AString, AString, AString::NoCaseLess>& renames,
                                         const DesignSolutionDefinition& dsd) {
  return GenerateNewValueTextOfExpression(newText, expression, renames, GetISolutionManagerForReports(),
                                          GetIOutputVariableMgrForEdit(), GetISimValueInfoCache(), dsd);
}

void ReportManager::GetTraceExpressionsValueStates(long traceID, std::vector<ValueState>& states) {
  auto* trace = dynamic_cast<TraceDefinition*>(GetTraceDefinition(traceID));
  if (!trace) {
    ORVEX_ASSERT(0);
    return;
  }
  std::vector<AString> expressions;
  trace->GetTraceExpressions(expressions);
  ExpressionFacts facts;
  ValidateExpressions(facts, expressions, trace->GetDesignSolutionDefinitionRef(), false);
  states.swap(facts.valueStates);
}

bool ReportManager::DetectDimensionReducingFunction(VersionedQuantityParser& parser, const AString& expression) {
  MessageQueueRestorer held(GetGlobalIMessageManager()->GetMessageHandler(), false);
  VariableNameSpace names(1, 1, 0);
  if (IVariableNameSpaceSetupper* setupper = parser.GetVariableNameSpaceSetupper()) setupper->Setup(names);
  if (auto* info = dynamic_cast<SimValueInfoServer*>(parser.GetSimValueInfoCache())) {
    std::unique_ptr<BaseQuantityTypeParam> param;
    if (info->GetQuantityTypeParam(param, expression, parser.GetDesignSolutionDefinition(), parser.GetVersionID()) &&
        postp::IsCompositeQuantityType(param.get()))
      return false;
  }
  InstalledParserScope installed(&parser);
  Value value(Units::kNoUnit);
  if (!value.SetValueText(expression, Units::kNoUnit)) return false;
  val::ParameterType type = value.GetParameterType();
  if (type != 1 && type != 2) return false;
  RangeFnDimReduceDetectorStrategy strategy;
  ValueTextGenerator(value, strategy).GetNewValueText();
  return strategy.GetResult();
}

void ReportManager::CollectQuantityNamesOfTrace(std::set<AString, AString::NoCaseLess>& names,
                                                const TraceDefinition& trace) const {
  std::vector<AString> expressions;
  trace.GetTraceExpressions(expressions);
  IOutputVariableMgr* outputVariables = const_cast<ReportManager*>(this)->GetIOutputVariableMgrForEdit();
  // The record lists output variables that the parser owns: it outlives every read of them.
  ParserForSolution parser(GetISolutionManagerForReports(), outputVariables, GetISimValueInfoCache(),
                           trace.GetDesignSolutionDefinitionRef());
  if (!parser) return;
  std::vector<bool> valid;
  std::unique_ptr<CompositeReferencedPostprocessingQuantityMsg> record(
      BuildReferencedQuantityMsg(valid, *parser, expressions));
  if (!record) return;
  std::vector<AString> quantities;
  record->GetAllSimValueQuantities(quantities);
  record->GetAllCompositeQuantities(quantities);
  names.insert(quantities.begin(), quantities.end());
  std::vector<ContextVariable*> used;
  record->GetAllOutputVariables(used);
  for (const ContextVariable* variable : used) names.insert(variable->GetName());
}

bool ReportManager::IsCompositeTrace(long traceID) {
  auto* trace = dynamic_cast<TraceDefinition*>(GetTraceDefinition(traceID));
  if (!trace) {
    ORVEX_ASSERT(0);
    return false;
  }
  std::vector<AString> expressions;
  trace->GetTraceExpressions(expressions);
  ExpressionFacts facts;
  ValidateExpressions(facts, expressions, trace->GetDesignSolutionDefinitionRef(), false);
  for (const std::vector<AString>& composites : facts.compositeQuantities)
    if (!composites.empty()) return true;
  return false;
}

void ReportManager::OnNewSolution(TraceQuantityNames& names) const {
  for (const ReportDefinition* report : m_reports) {
    std::vector<long> traceIDs;
    report->GetTraceIDs(traceIDs);
    std::sort(traceIDs.begin(), traceIDs.end());
    const std::vector<BaseTraceDefinition*> traces = report->FindTraces(traceIDs);
    for (size_t i = 0; i < traceIDs.size(); ++i) {
      auto* trace = dynamic_cast<TraceDefinition*>(traces[i]);
      if (!trace) continue;
      std::set<AString, AString::NoCaseLess>& entry = names[traceIDs[i]];
      entry.clear();
      CollectQuantityNamesOfTrace(entry, *trace);
    }
  }
}

// ---- project block ----

io::ReadError ReportManager::DoDataExchange(io::CBlock& parent, bool read) {
  if (!read) {
    io::CBlock manager(GetBlockName());
    io::CBlock reports(kReports);
    for (ReportDefinition* report : m_reports) {
      std::vector<long> traceIDs;
      report->GetTraceIDs(traceIDs);
      WriteReport(reports, *report, traceIDs);
    }
    manager << std::move(reports);
    m_idServer.WriteNextUniqueID(manager);
    io::CBlock nextVers(kNextVersID);
    m_versionIDServer.WriteNextUniqueID(nextVers);
    manager << std::move(nextVers);
    parent << std::move(manager);
    return GetReadStatus();
  }

  const HeldIDsEdit edit(*this);
  io::CBlock* manager = parent.FindBlockForEdit(GetBlockName());
  if (!manager) return GetReadStatus();
  bool currentLayout = false;
  for (size_t i = 0; i < manager->GetNumItems(); ++i)
    if (manager->GetItemKind(i) == io::CBlock::kBlock && manager->GetItemName(i).CompareNoCase(kNextVersID) == 0)
      currentLayout = true;
  std::vector<ReportDefinition*> drawnIDs;
  if (currentLayout) {
    if (io::CBlock* reports = manager->FindBlockForEdit(kReports))
      RecordError(ReadReportsNotingDrawnIDs(*reports, &drawnIDs));
  } else {
    RecordError(ReadReportsNotingDrawnIDs(*manager, &drawnIDs));
  }
  m_idServer.ResetNextUniqueID(*manager);
  if (const io::CBlock* nextVers = manager->FindBlock(kNextVersID)) m_versionIDServer.ResetNextUniqueID(*nextVers);
  for (VelmorIDServer* server : {&m_idServer, &m_versionIDServer}) {
    // A state that no server reaches is damage: the held IDs decide where the server goes on.
    if (IsIDServerState(server->PeekNextUniqueID())) continue;
    RecordError(io::kConversionFailed);
    server->SetNextUniqueID(id::initialID);
  }
  AdvanceIDServersPastLoaded();
  // An ID drawn while reading came from the server before its state was read back, and may
  // repeat one that another loaded report or trace carries.
  for (ReportDefinition* report : drawnIDs) report->SetReportID(DrawIDForLoadedReport());
  RenumberRepeatedIDs();
  return GetReadStatus();
}

void ReportManager::RenumberRepeatedIDs() {
  // Two reports or traces of one ID can be neither told apart by a lookup nor written back both:
  // the later one is damage, and takes an ID of its own.
  std::unordered_set<long> reportIDs, traceIDs;
  for (ReportDefinition* report : m_reports) {
    if (!reportIDs.insert(report->GetReportID()).second) {
      RecordError(io::kConversionFailed);
      report->SetReportID(DrawIDForLoadedReport());
      reportIDs.insert(report->GetReportID());
    }
    for (BaseTraceDefinition* trace : report->GetTraces()) {
      if (traceIDs.insert(trace->GetID()).second) continue;
      RecordError(io::kConversionFailed);
      trace->SetIDAndVersionID(DrawIDForLoadedReport(), trace->GetVersionID());
      traceIDs.insert(trace->GetID());
    }
  }
}

long ReportManager::DrawIDForLoadedReport() {
  if (id::IsStorable(PeekNextUniqueID())) return GetNewUniqueID();
  InvalidateHeldIDs();
  long free = id::initialID;
  while (IsHeldID(free)) ++free;
  return free;
}

void ReportManager::AdvanceIDServersPastLoaded() {
  long highestVersion = 0;
  long highestID = 0;
  for (const ReportDefinition* report : m_reports) {
    highestID = std::max(highestID, report->GetReportID());
    for (const BaseTraceDefinition* trace : report->GetTraces()) {
      highestVersion = std::max(highestVersion, trace->GetVersionID());
      highestID = std::max(highestID, trace->GetID());
    }
  }
  // A lost or stale server state must never hand out an ID that a held object already carries.
  // The reads keep every ID below id::endID, so one past the highest is a state a server reaches.
  if (m_versionIDServer.PeekNextUniqueID() <= highestVersion) m_versionIDServer.SetNextUniqueID(highestVersion + 1);
  if (m_idServer.PeekNextUniqueID() <= highestID) m_idServer.SetNextUniqueID(highestID + 1);
}

bool ReportManager::WriteReportsOfBlock(io::CBlock& block, const std::vector<long>& reportIDs) {
  // One lookup table for the call, not a walk of the reports for each one written.
  std::unordered_map<long, ReportDefinition*> byID;
  byID.reserve(m_reports.size());
  for (ReportDefinition* report : m_reports) byID.emplace(report->GetReportID(), report);
  for (long id : reportIDs) {
    auto found = byID.find(id);
    if (found == byID.end()) {
      ORVEX_ASSERT(0);
      continue;
    }
    std::vector<long> traceIDs;
    found->second->GetTraceIDs(traceIDs);
    WriteReport(block, *found->second, traceIDs);
  }
  return true;
}

bool ReportManager::WriteReportBlock(io::CBlock& block, long reportID, const std::vector<long>& traceIDs) {
  ReportDefinition* report = FindReport(reportID);
  if (!report) return false;
  return WriteReport(block, *report, traceIDs);
}

bool ReportManager::WriteReport(io::CBlock& block, ReportDefinition& report, const std::vector<long>& traceIDs) {
  io::CBlock reportBlock(report.GetReportName());
  const bool ok = report.WriteReportBlock(reportBlock, traceIDs);
  block << std::move(reportBlock);
  return ok;
}

io::ReadError ReportManager::ReadExtTraceInfo(const io::CBlock& block, ExtTraceInfo& info) {
  if (!m_extInfoReadMemo) m_extInfoReadMemo = std::make_unique<ExtTraceInfoReadMemo>();
  return m_extInfoReadMemo->Read(block, info);
}

const ExtTraceInfo* ReportManager::FindExtTraceInfoRead(const io::CBlock& block) const {
  return m_extInfoReadMemo ? m_extInfoReadMemo->Find(block) : nullptr;
}

io::ReadError ReportManager::ReadReportsOfBlock(io::CBlock& block) {
  const HeldIDsEdit edit(*this);
  return ReadReportsNotingDrawnIDs(block, nullptr);
}

std::vector<ReportDefinition*> ReportManager::AppendReportsTakenFrom(ReportManager& from) {
  const HeldIDsEdit edit(*this);
  std::vector<ReportDefinition*> appended;
  for (ReportDefinition* report : from.m_reports) {
    m_reports.push_back(report->TakeForManager(*this).release());
    appended.push_back(m_reports.back());
  }
  return appended;
}

io::ReadError ReportManager::ReadReportsNotingDrawnIDs(io::CBlock& block, std::vector<ReportDefinition*>* drawnIDs) {
  io::ReadError result = io::kNoError;
  for (size_t i = 0; i < block.GetNumItems(); ++i) {
    if (block.GetItemKind(i) != io::CBlock::kBlock) continue;
    // Read where it stands: a copy of each report's subtree would double the cost of opening a project.
    io::CBlock& reportBlock = *block.GetBlockForEdit(i);
    std::unique_ptr<IReportDefinition> created = CreateReportDefinition(reportBlock.GetName());
    auto* report = static_cast<ReportDefinition*>(created.release());
    const long nextIDBefore = PeekNextUniqueID();
    io::ReadError err = report->DoDataExchange(reportBlock, true);
    // Only a report whose block holds no readable ID draws one while reading.
    if (drawnIDs && PeekNextUniqueID() != nextIDBefore) drawnIDs->push_back(report);
    // A report keeps what could be read of it: one damaged trace or a foreign sub-block
    // must not lose the report and its other traces.
    if (err != io::kNoError) result = err;
    m_reports.push_back(report);
  }
  return result;
}

// ---- reports with data and imports, forwarded to the report ----

bool ReportManager::WriteTracesWithData(io::CBlock& block, long reportID, const std::vector<long>& traceIDs) {
  ReportDefinition* report = FindReport(reportID);
  return report && report->WriteTracesWithData(block, traceIDs);
}

bool ReportManager::ReadTracesWithData(long reportID, io::CBlock& block, IReportPasteListener* listener,
                                       IVelmorCommand* cmd) {
  ReportDefinition* report = FindReport(reportID);
  return report && report->ReadTracesWithData(block, listener, cmd);
}

bool ReportManager::ImportTracesFromFile(long reportID, const AString& fileName, IVelmorCommand* cmd, int code) {
  ReportDefinition* report = FindReport(reportID);
  return report && report->ImportTracesFromFile(fileName, cmd, code);
}

void ReportManager::HandleCommandForImportedTraces(IVelmorCommand* cmd) {
  for (ReportDefinition* report : m_reports) report->HandleCommandForImportedTraces(cmd);
}

bool ReportManager::CopyTraces(io::CBlock& clipboard, void* productArgument, long reportID,
                               const std::vector<long>& traceIDs) {
  return m_copyPasteMgr.CopyTraces(clipboard, productArgument, reportID, traceIDs);
}

bool ReportManager::PasteTraces(long reportID, io::CBlock& clipboard, IReportPasteListener* listener,
                                IVelmorCommand* cmd) {
  return m_copyPasteMgr.PasteTraces(reportID, clipboard, listener, cmd);
}

bool ReportManager::CopyReports(io::CBlock& clipboard, void* productArgument, const std::vector<long>& reportIDs) {
  return m_copyPasteMgr.CopyReports(clipboard, productArgument, reportIDs);
}

bool ReportManager::PasteReports(io::CBlock& clipboard, IReportPasteListener* listener, IVelmorCommand* cmd) {
  return m_copyPasteMgr.PasteReports(clipboard, listener, cmd);
}

bool ReportManager::WriteReportsWithData(io::CBlock& block, const std::vector<long>& reportIDs) {
  bool whole = true;
  for (long reportID : reportIDs) {
    const IReportDefinition* report = GetReportDefinition(reportID);
    if (!report) {
      whole = false;
      continue;
    }
    io::CBlock reportBlock(report->GetReportName());
    reportBlock << io::NamedValue(kReportID, reportID);
    std::vector<long> traceIDs;
    report->GetTraceIDs(traceIDs);
    if (!WriteTracesWithData(reportBlock, reportID, traceIDs)) whole = false;
    block << std::move(reportBlock);
  }
  return whole;
}

void ReportManager::ReadReportsWithData(io::CBlock& block, IReportPasteListener* listener, IVelmorCommand* cmd) {
  for (size_t i = 0; i < block.GetNumItems(); ++i) {
    io::CBlock* rBlock = block.GetBlockForEdit(i);
    ORVEX_ASSERT(rBlock);
    if (!rBlock) continue;
    const AString oldName = rBlock->GetName();
    const AString newName = GetUniqueReportName(oldName);
    // Counted whole before anything is added: a report whose traces find no ID would go in empty.
    const long traces = ReportDefinition::CountTracesWithData(*rBlock);
    if (!HasIDsLeftFor(Named(L"report", newName), 1 + traces, traces)) continue;
    if (listener) listener->OnReportNameChanged(oldName, newName);
    long oldID = id::invalidID;
    *rBlock >> io::NamedValue(kReportID, oldID);
    rBlock->ResetFound(true);
    std::unique_ptr<IReportDefinition> created = CreateReportDefinition(newName);
    const long newID = AddReportDefinition(*created, cmd);
    if (newID == id::invalidID) continue;
    if (listener) listener->OnReportIDChanged(oldID, newID);
    ReadTracesWithData(newID, *rBlock, listener, cmd);
  }
}

bool ReportManager::ExportReport(long reportID, const AString& fileName, const PlotExportDefs::DisplayUnits& units,
                                 const std::vector<PlotExportDefs::DataTableTraceComplexFormat>& formats) {
  const IReportDefinition* report = GetReportDefinition(reportID);
  std::vector<const ITraceData*> data;
  if (!report || !CollectTraceDataWithData(data, *report)) return false;
  return PlotExport(LongFileName(fileName), *report, data, units, formats).WriteOutput();
}

bool ReportManager::ExportReport(long reportID, const AString& fileName, const PlotExportDefs::DisplayUnits& units,
                                 const AString& text1, const AString& text2, const AString& text3) {
  const IReportDefinition* report = GetReportDefinition(reportID);
  std::vector<const ITraceData*> data;
  if (!report || !CollectTraceDataWithData(data, *report)) return false;
  return PlotExport(LongFileName(fileName), *report, data, units, text1, text2, text3).WriteOutput();
}

bool ReportManager::CollectTraceDataWithData(std::vector<const ITraceData*>& data, const IReportDefinition& report) {
  std::vector<long> traceIDs;
  report.GetTraceIDs(traceIDs);
  // A file of headers without points would pass for an export of empty curves.
  for (long traceID : traceIDs) {
    const ITraceData* traceData = m_dataManager ? m_dataManager->GetITraceData(traceID) : nullptr;
    if (traceData && traceData->HasData()) data.push_back(traceData);
  }
  return !data.empty();
}

int ReportManager::CountSolutionEntriesForVariableValues(std::vector<Variable*>& out,
                                                         const DesignSolutionDefinition& dsd,
                                                         const VariableValues& variation) {
  return CountEntries(out, dsd, &variation);
}

int ReportManager::CountSolutionEntries(std::vector<Variable*>& out, const DesignSolutionDefinition& dsd) {
  return CountEntries(out, dsd, nullptr);
}

int ReportManager::CountEntries(std::vector<Variable*>& out, const DesignSolutionDefinition& dsd,
                                const VariableValues* variation) {
  ISolutionManagerForReports* solMgr = GetISolutionManagerForReports();
  ISolutionForReports* solution = solMgr ? solMgr->GetSolution(dsd.GetSolutionID()) : nullptr;
  if (!solution) return 0;
  ISolutionContextObject* context = nullptr;
  IDerivedDataDefinition* loadDef = nullptr;
  solution->BuildContextObjects(dsd.GetReportTypeSolutionDefinitionRef(), context, loadDef);
  const std::unique_ptr<ISolutionContextObject> contextOwner(context);
  const std::unique_ptr<IDerivedDataDefinition> loadDefOwner(loadDef);
  if (!loadDef) return 0;
  const size_t before = out.size();
  solution->GetVariables(out, *loadDef, solution->GetVersionIDForPostprocessing(*loadDef), variation);
  return static_cast<int>(out.size() - before);
}

void ReportManager::SetDesignInstanceID(long designInstanceID) {
  for (ReportDefinition* report : m_reports) report->SetDesignInstanceID(designInstanceID);
}

bool ReportManager::ValidatePointsetDefinition(const IPointsetDefinition& pointset,
                                               const DesignSolutionDefinition& dsd) const {
  const auto* ptDef = dynamic_cast<const PointsetDefinition*>(&pointset);
  ORVEX_ASSERT(ptDef);
  if (!ptDef) return false;
  return ptDef->Validate(GetISolutionManagerForReports(), dsd);
}

bool ReportManager::IsSimValueContextValidForReportType(long solutionID,
                                                        const ReportTypeSolutionDefinition& rtsd) const {
  ISolutionManagerForReports* solMgr = GetISolutionManagerForReports();
  ISolutionForReports* solution = solMgr ? solMgr->GetSolution(solutionID) : nullptr;
  if (!solution || !solution->SupportsReportType(rtsd.GetReportType())) return false;
  return solution->DoesContextFitReportType(rtsd.GetSimValueContext(), rtsd.GetReportType());
}

bool ReportManager::UpdateTraceExpressions(const std::map<AString, AString, AString::NoCaseLess>& renames,
                                           IVelmorCommand* cmd) {
  for (ReportDefinition* report : m_reports) report->UpdateTraceExpressions(renames, cmd);
  return MarkTracesUpdatedInCommand(cmd, m_owner);
}

}  // namespace rep
