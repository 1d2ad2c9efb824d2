#include "reports/ReportDefinition.h"

#include <algorithm>
#include <iterator>
#include <limits>
#include <memory>
#include <unordered_map>
#include <unordered_set>

#include "tracedata/BaseCompositeTraceData.h"
#include "tracedata/BaseTraceData.h"
#include "tracedata/CommonTraceData.h"
#include "tracedata/ConcreteCompositeTraceData.h"
#include "tracedata/ConcreteTraceData.h"
#include "tracedata/ConcreteTracesImportHelper.h"
#include "Gravik/IReportDataManager.h"
#include "reports/BatchNamer.h"
#include "reports/GravikUtils.h"
#include "reports/ImportedTraceDefinition.h"
#include "reports/ListDeltaState.h"
#include "reports/ReportDefinitionCmdInfo.h"
#include "reports/RemovalsByID.h"
#include "reports/ReportManager.h"
#include "reports/TraceDefinition.h"
#include "reports/TraceDefinitionPasteHelper.h"
#include "hostapi/IReportManagerOwner.h"
#include "hostapi/IReportPasteListener.h"
#include "hostapi/ISolutionManagerForReports.h"
#include "orvex/core/Assert.h"
#include "orvex/core/I18n.h"
#include "orvex/core/IVelmorCommand.h"
#include "orvex/core/Ids.h"
#include "orvex/core/IMessageManager.h"
#include "orvex/core/VelmorMessage.h"
#include "orvex/io/LongFileName.h"
#include "orvex/io/NamedValue.h"
#include "orvex/io/NamedValueVectors.h"
#include "postorvex/columns/Column.h"
#include "postorvex/columns/FileColumnManager.h"

namespace rep {

namespace {
// Made once: a temporary text per lookup is an allocation per trace read.
const AString kTraceDef(L"TraceDef");
const AString kTraceDefinitionType(L"TraceDefinitionType");
const wchar_t* const kUnknownTraceDefinitionType = L"UnknownTraceDefinitionType";
const wchar_t* const kImportedTraceDefinition = L"ImportedTraceDefinition";

// A copy bound to the report's manager, which outlives it, whoever made the source.
// Null for a source of a kind that a report cannot hold.
BaseTraceDefinition* CloneIntoReport(const IBaseTraceDefinition* source, ReportManager& mgr) {
  const auto* base = dynamic_cast<const BaseTraceDefinition*>(source);
  return base ? base->CloneForManager(mgr) : nullptr;
}

long TraceIDOf(const BaseTraceDefinition* trace) { return trace->GetID(); }

}  // namespace

// ---- ReportParams ----

ReportDefinition::ReportParams::ReportParams() : m_id(id::invalidID) { ReadUndoableFromStorage(); }

ReportDefinition::ReportParams::ReportParams(const ReportParams& other)
    : MUndoableObject(), m_name(other.m_name), m_id(other.m_id) {
  ReadUndoableFromStorage();
}

ReportDefinition::ReportParams::~ReportParams() = default;

MUndoableObject* ReportDefinition::ReportParams::CreateSnapshotCopy() const { return new ReportParams(*this); }

void ReportDefinition::ReportParams::AssignFromSnapshot(const MUndoableObject& snapshot) {
  const auto* params = dynamic_cast<const ReportParams*>(&snapshot);
  ORVEX_ASSERT(params);
  if (!params || params == this) return;
  m_name = params->m_name;
  m_id = params->m_id;
}

// ---- construction ----

ReportDefinition::ReportDefinition(ReportManager& mgr, const AString& name,
                                   const std::vector<IBaseTraceDefinition*>& sourceTraces)
    : mMgr(mgr) {
  m_params.m_name = name;
  BatchNamer namer(m_traces);
  for (IBaseTraceDefinition* source : sourceTraces) {
    BaseTraceDefinition* clone = CloneIntoReport(source, mgr);
    if (!clone) continue;
    const long versionID = mgr.GetNewVersionID();
    clone->SetIDAndVersionID(mgr.GetNewUniqueID(), versionID);
    m_traces.push_back(clone);
    // Named as it joins: against the clones before it only.
    namer.NameJoining(*clone);
  }
}

ReportDefinition::ReportDefinition(const ReportDefinition& other) : ReportDefinition(other, other.mMgr) {}

ReportDefinition::ReportDefinition(const ReportDefinition& other, ReportManager& mgr)
    : IReportDefinition(), VelmorNameServer(), io::CStreamio_block_object(), m_params(other.m_params), mMgr(mgr) {
  for (const BaseTraceDefinition* trace : other.m_traces)
    if (BaseTraceDefinition* clone = CloneIntoReport(trace, mMgr)) m_traces.push_back(clone);
}

ReportDefinition::~ReportDefinition() {
  for (BaseTraceDefinition* trace : m_traces) delete trace;
  m_traces.clear();
}

// ---- IReportDefinition ----

void ReportDefinition::GetTraceIDs(std::vector<long>& ids) const {
  for (const BaseTraceDefinition* trace : m_traces) ids.push_back(trace->GetID());
}

BaseTraceDefinition* ReportDefinition::FindTrace(long traceID) const {
  for (BaseTraceDefinition* trace : m_traces)
    if (trace->GetID() == traceID) return trace;
  return nullptr;
}

std::vector<BaseTraceDefinition*> ReportDefinition::FindTraces(const std::vector<long>& traceIDs) const {
  std::unordered_map<long, BaseTraceDefinition*> byID;
  byID.reserve(m_traces.size());
  // emplace keeps the first: FindTrace answers the first in list order too.
  for (BaseTraceDefinition* trace : m_traces) byID.emplace(trace->GetID(), trace);
  std::vector<BaseTraceDefinition*> found;
  found.reserve(traceIDs.size());
  for (long id : traceIDs) {
    auto it = byID.find(id);
    found.push_back(it == byID.end() ? nullptr : it->second);
  }
  return found;
}

IBaseTraceDefinition* ReportDefinition::GetTraceDefinition(long traceID) const { return FindTrace(traceID); }

IReportDefinition* ReportDefinition::Clone() const { return new ReportDefinition(*this); }

void ReportDefinition::CopyFrom(const IReportDefinition& from) {
  const ReportManager::HeldIDsEdit edit(mMgr);
  const auto* source = dynamic_cast<const ReportDefinition*>(&from);
  ORVEX_ASSERT(source);
  if (!source || source == this) return;
  const ReportDefinition& rd = *source;
  for (BaseTraceDefinition* trace : m_traces) delete trace;
  m_traces.clear();
  m_params.AssignFromSnapshot(rd.m_params);
  ORVEX_ASSERT(&mMgr==&(rd.mMgr));
  for (const BaseTraceDefinition* trace : rd.m_traces)
    if (BaseTraceDefinition* clone = CloneIntoReport(trace, mMgr)) m_traces.push_back(clone);
}

bool ReportDefinition::ValidateDefinition() {
  bool valid = true;
  if (!mMgr.IsNameUnique(GetReportName())) {
    PostReportMessage(1, 17001, 17001, GetReportName());
    valid = false;
  }
  for (BaseTraceDefinition* trace : m_traces)
    if (!trace->ValidateDefinition(true)) valid = false;
  return valid;
}

void ReportDefinition::SetDesignInstanceID(long designInstanceID) {
  for (BaseTraceDefinition* trace : m_traces) trace->SetDesignID(designInstanceID);
}

void ReportDefinition::HandleCommandForImportedTraces(IVelmorCommand* cmd) {
  IReportManagerOwner* owner = mMgr.GetOwnerForEdit();
  if (owner && owner->DoesReportKeepDigitalColumns(GetReportID())) return;
  // Asked once for the report: a copy of an import's new IDs for each of its traces grows with
  // the square of their number.
  std::set<long> newIDs;
  if (!ImportedTraceDefinition::GetNewTraceIDsOfCommand(newIDs, cmd, mMgr, GetReportID()) || newIDs.empty()) return;
  for (BaseTraceDefinition* trace : m_traces)
    if (auto* imported = dynamic_cast<ImportedTraceDefinition*>(trace)) imported->ConvertDigitalColumnsIfNew(newIDs);
}

void ReportDefinition::GetNames(std::list<AString>& names) const {
  for (const BaseTraceDefinition* trace : m_traces) names.push_back(trace->GetName());
}

// ---- naming ----

int ReportDefinition::GetUniqueTraceNames(std::vector<AString>& out, const std::vector<AString>& wanted) const {
  BatchNamer namer(m_traces);
  for (const AString& name : wanted) {
    out.push_back(namer.UniqueName(name));
    namer.Take(out.back());
  }
  return static_cast<int>(out.size());
}

AString ReportDefinition::GetDefaultTraceName(const BaseTraceDefinition& trace) const {
  return BatchNamer(m_traces, trace.GetID()).DefaultName(trace);
}

void ReportDefinition::MakeTraceNameUnique(BaseTraceDefinition& trace) {
  BatchNamer namer(m_traces);
  // The report allows a trace its own name once; a trace not yet in the list has no name there.
  if (std::find(m_traces.begin(), m_traces.end(), &trace) != m_traces.end())
    namer.NameHeld(trace);
  else
    namer.NameJoining(trace);
}

// ---- editing with undo ----

bool ReportDefinition::RenameWithUndo(const AString& name, IVelmorCommand* cmd) {
  if (!cmd) return false;
  cmd->RecordUndoable(m_params);
  m_params.m_name = name;
  if (ReportDefinitionCmdInfo* info = GetOrCreateReportDefinitionCmdInfo(cmd, mMgr.GetOwnerForEdit())) {
    info->AddEditedElement(GetReportID());
    info->AddReportFlags(GetReportID(), ReportDefinitionCmdInfo::kNameChanged);
  }
  return true;
}

bool ReportDefinition::AddTraceDefinitions(std::vector<long>& newIDs, const std::vector<IBaseTraceDefinition*>& sources,
                                           IVelmorCommand* cmd) {
  const ReportManager::HeldIDsEdit edit(mMgr);
  // Each copy joins with a new ID and version ID.
  const long copies = static_cast<long>(sources.size());
  const AString what = copies == 1 && sources[0]
                           ? ReportManager::Named(L"trace", sources[0]->GetName())
                           : L"the traces added to " + ReportManager::Named(L"report", GetReportName());
  if (!mMgr.HasIDsLeftFor(what, copies, copies + ReportManager::VersionIDsDrawnByCopying(sources))) return false;
  ReportDefinitionCmdInfo* info = nullptr;
  ListDeltaState<BaseTraceDefinition*>* delta = nullptr;
  if (cmd) {
    info = GetOrCreateReportDefinitionCmdInfo(cmd, mMgr.GetOwnerForEdit());
    if (info) info->AddEditedElement(GetReportID());
    delta = new HeldIDsListDelta<BaseTraceDefinition*>(mMgr, m_traces);
  }
  std::vector<BaseTraceDefinition*> added;
  for (IBaseTraceDefinition* source : sources) {
    BaseTraceDefinition* clone = CloneIntoReport(source, mMgr);
    if (!clone) continue;
    const long versionID = mMgr.GetNewVersionID();
    clone->SetIDAndVersionID(mMgr.GetNewUniqueID(), versionID);
    if (info) info->AddNewTrace(GetReportID(), clone->GetID());
    m_traces.push_back(clone);
    if (delta) delta->AddChange(clone, static_cast<unsigned>(m_traces.size() - 1), true);
    newIDs.push_back(clone->GetID());
    added.push_back(clone);
  }
  // Each named while all of them are held: a clone keeps its name when no other trace holds it,
  // even one added after it.
  BatchNamer namer(m_traces);
  for (BaseTraceDefinition* trace : added) namer.NameHeld(*trace);
  if (delta) cmd->AddDeltaState(delta);
  return true;
}

bool ReportDefinition::AddNewTraceDefinitions(const std::vector<BaseTraceDefinition*>& traces, IVelmorCommand* cmd) {
  const ReportManager::HeldIDsEdit edit(mMgr);
  ReportDefinitionCmdInfo* info = cmd ? GetOrCreateReportDefinitionCmdInfo(cmd, mMgr.GetOwnerForEdit()) : nullptr;
  if (info) info->AddEditedElement(GetReportID());
  auto* delta = cmd ? new HeldIDsListDelta<BaseTraceDefinition*>(mMgr, m_traces) : nullptr;
  BatchNamer namer(m_traces);
  for (BaseTraceDefinition* trace : traces) {
    if (!trace) continue;
    namer.NameJoining(*trace);
    if (info) info->AddNewTrace(GetReportID(), trace->GetID());
    m_traces.push_back(trace);
    if (delta) delta->AddChange(trace, static_cast<unsigned>(m_traces.size() - 1), true);
  }
  if (delta) cmd->AddDeltaState(delta);
  return true;
}

bool ReportDefinition::DeleteTraceDefinitions(const std::vector<long>& traceIDs, IVelmorCommand* cmd) {
  const ReportManager::HeldIDsEdit edit(mMgr);
  if (traceIDs.empty() || !cmd) return false;
  RemovalsByID<BaseTraceDefinition*> removals(m_traces, TraceIDOf);
  for (long id : traceIDs)
    if (!removals.Held(id)) return false;
  ReportDefinitionCmdInfo* info = GetOrCreateReportDefinitionCmdInfo(cmd, mMgr.GetOwnerForEdit());
  auto* delta = new HeldIDsListDelta<BaseTraceDefinition*>(mMgr, m_traces);
  for (long id : traceIDs) {
    unsigned position = 0;
    auto it = m_traces.end();
    const bool found = removals.Take(id, it, position);
    ORVEX_ASSERT(found);
    if (!found) continue;
    BaseTraceDefinition* trace = *it;
    if (info) info->AddDeletedTrace(GetReportID(), id);
    m_traces.erase(it);
    delta->AddChange(trace, position, false);
  }
  cmd->AddDeltaState(delta);
  return true;
}

void ReportDefinition::DeleteTraceDefinitionsWithoutUndo(const std::vector<long>& traceIDs) {
  const ReportManager::HeldIDsEdit edit(mMgr);
  RemovalsByID<BaseTraceDefinition*> removals(m_traces, TraceIDOf);
  for (long id : traceIDs) {
    auto it = m_traces.end();
    unsigned position = 0;
    if (!removals.Take(id, it, position)) continue;
    BaseTraceDefinition* trace = *it;
    m_traces.erase(it);
    delete trace;
  }
}

bool ReportDefinition::SetTraceDefinitions(const ReportDefinition& source, IVelmorCommand* cmd) {
  const ReportManager::HeldIDsEdit edit(mMgr);
  if (!cmd || &source == this) return false;
  // Counted as if every copy needed an ID of its own.
  const long copies = static_cast<long>(source.m_traces.size());
  if (!mMgr.HasIDsLeftFor(ReportManager::Named(L"report", GetReportName()), copies,
                          copies + ReportManager::VersionIDsDrawnByCopying(source.m_traces)))
    return false;
  cmd->RecordUndoable(m_params);
  auto* delta = new HeldIDsListDelta<BaseTraceDefinition*>(mMgr, m_traces);
  // Removals are recorded from the back so that each position is right when undone in reverse.
  unsigned position = static_cast<unsigned>(m_traces.size());
  for (auto it = m_traces.rbegin(); it != m_traces.rend(); ++it) delta->AddChange(*it, --position, false);
  m_traces.clear();
  const long ownID = GetReportID();
  // The copies join the list through the delta too, so that undo takes them out again.
  // A copy keeps its ID unless another trace or report carries it or this manager never issued
  // it: lookups by trace ID, and the trace data keyed by it, would otherwise find only one of two.
  std::unordered_set<long> copied;
  auto needsOwnID = [&](long id) { return id == ownID || copied.count(id) || !mMgr.IsTraceIDFree(id); };
  for (const BaseTraceDefinition* trace : source.m_traces) {
    BaseTraceDefinition* clone = CloneIntoReport(trace, mMgr);
    if (!clone) continue;
    if (needsOwnID(clone->GetID())) {
      const long versionID = mMgr.GetNewVersionID();
      clone->SetIDAndVersionID(mMgr.GetNewUniqueID(), versionID);
    }
    m_traces.push_back(clone);
    copied.insert(clone->GetID());
    delta->AddChange(clone, static_cast<unsigned>(m_traces.size() - 1), true);
  }
  cmd->AddDeltaState(delta);
  const ReportDefinition& rd = source;
  m_params.AssignFromSnapshot(rd.m_params);
  ORVEX_ASSERT(&mMgr==&(rd.mMgr));
  SetReportID(ownID);
  if (ReportDefinitionCmdInfo* info = GetOrCreateReportDefinitionCmdInfo(cmd, mMgr.GetOwnerForEdit()))
    info->AddEditedElement(GetReportID());
  return true;
}

bool ReportDefinition::ReplaceTraceDefinition(const IBaseTraceDefinition& newDef, long traceID, IVelmorCommand* cmd) {
  const ReportManager::HeldIDsEdit edit(mMgr);
  if (!cmd) return false;
  BaseTraceDefinition* trace = FindTrace(traceID);
  if (!trace) return false;
  auto* oldTraceDef = dynamic_cast<TraceDefinition*>(trace);
  ORVEX_ASSERT(oldTraceDef);
  // Only a computed trace can take a computed definition's place.
  if (!oldTraceDef || !dynamic_cast<const TraceDefinition*>(&newDef)) return false;
  if (!mMgr.HasIDsLeftFor(ReportManager::Named(L"trace", oldTraceDef->GetName()), 0, 1)) return false;
  if (ReportDefinitionCmdInfo* info = GetOrCreateReportDefinitionCmdInfo(cmd, mMgr.GetOwnerForEdit())) {
    info->AddEditedTrace(GetReportID(), traceID);
    info->AddReportFlags(GetReportID(), ReportDefinitionCmdInfo::kTraceReplaced);
  }
  const long versionID = oldTraceDef->GetVersionID();
  cmd->RecordUndoable(*oldTraceDef);
  // The snapshot puts back the content only: the version ID that went with it comes back apart.
  oldTraceDef->AddVersionToCommand(cmd);
  const unsigned oldNumComps = oldTraceDef->GetNumComponents();
  const unsigned newNumComps = newDef.GetNumComponents();
  ORVEX_ASSERT(oldNumComps == newNumComps);
  AString oldLast = oldNumComps > 0 ? oldTraceDef->GetComponent(oldNumComps - 1)->GetExpression() : AString();
  AString newLast = newNumComps > 0 ? newDef.GetComponent(newNumComps - 1)->GetExpression() : AString();
  oldTraceDef->CopyFrom(newDef);
  // The trace's own ID first: the new definition's may be a sibling's, which naming would skip.
  oldTraceDef->SetIDAndVersionID(traceID, versionID);
  const bool tied = oldTraceDef->GetIsNameTiedToExpressionFlag();
  if (tied && oldLast.Compare(newLast) != 0)
    oldTraceDef->SetName(GetDefaultTraceName(*oldTraceDef));
  else if (!IsTraceNameUnique(oldTraceDef->GetName()))  // the new definition's name may be a sibling's
    oldTraceDef->SetName(tied ? GetDefaultTraceName(*oldTraceDef) : GetUniqueTraceName(oldTraceDef->GetName()));
  oldTraceDef->UpdateVersionID();
  return true;
}

int ReportDefinition::MarkTraceEdited(IVelmorCommand* cmd, long traceID) {
  ReportDefinitionCmdInfo* info = GetOrCreateReportDefinitionCmdInfo(cmd, mMgr.GetOwnerForEdit());
  if (!info) return 0;
  info->AddEditedTrace(GetReportID(), traceID);
  return info->AddReportFlags(GetReportID(), ReportDefinitionCmdInfo::kNameChanged);
}

bool ReportDefinition::RenameTraceDefinition(const AString& name, long traceID, IVelmorCommand* cmd) {
  BaseTraceDefinition* trace = FindTrace(traceID);
  if (!trace || !trace->SetNameWithUndo(name, false, cmd)) return false;
  MarkTraceEdited(cmd, traceID);
  return true;
}

bool ReportDefinition::SetTraceNameToDefault(long traceID, IVelmorCommand* cmd) {
  BaseTraceDefinition* trace = FindTrace(traceID);
  if (!trace || !cmd) return false;
  if (!trace->SetNameWithUndo(GetDefaultTraceName(*trace), true, cmd)) return false;
  MarkTraceEdited(cmd, traceID);
  return true;
}

bool ReportDefinition::SetTraceExtendedTraceInfo(const ExtTraceInfo& info, long traceID, IVelmorCommand* cmd) {
  BaseTraceDefinition* trace = FindTrace(traceID);
  return trace && trace->SetExtendedTraceInfoWithUndo(info, cmd);
}

bool ReportDefinition::UpdateOnCommand(IVelmorCommand* cmd) {
  const ReportManager::HeldIDsEdit edit(mMgr);
  std::vector<long> invalid;
  for (BaseTraceDefinition* trace : m_traces)
    if (trace->UpdateOnCommand(cmd)) invalid.push_back(trace->GetID());
  if (invalid.empty()) return false;
  MarkTracesUpdatedInCommand(cmd, mMgr.GetOwnerForEdit());
  if (invalid.size() == m_traces.size()) {
    PostReportMessage(0, 17011, 170010, GetReportName());
    return true;
  }
  DeleteTraceDefinitions(invalid, cmd);
  return false;
}

void ReportDefinition::UpdateTraceExpressions(const QuantityRenameMap& renames, IVelmorCommand* cmd) {
  for (BaseTraceDefinition* trace : m_traces) trace->UpdateTraceExpressions(renames, cmd);
}

void ReportDefinition::ActivateOutputVariablesOfTraces(std::set<long>& outputVariableIDs,
                                                       const std::vector<long>& traceIDs) {
  for (BaseTraceDefinition* trace : FindTraces(traceIDs)) {
    if (!trace) {
      ORVEX_ASSERT(0);
      continue;
    }
    trace->ActivateOutputVariables(outputVariableIDs);
  }
}

// ---- paste ----

bool ReportDefinition::AssignNewIDs(ReportManager& mgr, IReportPasteListener* listener) {
  const ReportManager::HeldIDsEdit edit(mMgr);
  const long newID = mgr.GetNewUniqueID();
  if (listener) listener->OnReportIDChanged(GetReportID(), newID);
  SetReportID(newID);
  return AssignNewTraceIDs(mgr, listener);
}

bool ReportDefinition::AssignNewTraceIDs(ReportManager& mgr, IReportPasteListener* listener) {
  const ReportManager::HeldIDsEdit edit(mMgr);
  for (BaseTraceDefinition* trace : m_traces) trace->AssignNewID(mgr, listener);
  return true;
}

void ReportDefinition::MakeTraceNamesUniqueForReport(long reportID, ReportManager& mgr, void*) {
  MakeTraceNamesUniqueAgainst(std::vector<BaseTraceDefinition*>(m_traces.begin(), m_traces.end()), reportID, mgr);
}

void ReportDefinition::MakeTraceNamesUniqueAgainst(const std::vector<BaseTraceDefinition*>& traces, long reportID,
                                                   ReportManager& mgr) {
  std::vector<AString> names;
  for (const BaseTraceDefinition* trace : traces) names.push_back(trace->GetName());
  auto* other = dynamic_cast<ReportDefinition*>(mgr.GetReportDefinition(reportID));
  if (!other) {
    ORVEX_ASSERT(0);
    return;
  }
  std::vector<AString> unique;
  other->GetUniqueTraceNames(unique, names);
  if (unique.size() != traces.size()) {
    ORVEX_ASSERT(0);
    return;
  }
  auto name = unique.begin();
  for (BaseTraceDefinition* trace : traces) trace->SetName(*name++);
}

void ReportDefinition::RecordPastedTraces(IVelmorCommand* cmd, const std::set<long>& pastedTraceIDs) {
  const ReportManager::HeldIDsEdit edit(mMgr);
  if (pastedTraceIDs.empty() || !cmd) return;
  auto* delta = new HeldIDsListDelta<BaseTraceDefinition*>(mMgr, m_traces);
  std::set<long> foundTraceIDs;
  unsigned position = 0;
  for (BaseTraceDefinition* trace : m_traces) {
    if (pastedTraceIDs.count(trace->GetID())) {
      delta->AddChange(trace, position, true);
      foundTraceIDs.insert(trace->GetID());
    }
    ++position;
  }
  ORVEX_ASSERT(foundTraceIDs.size() == pastedTraceIDs.size());
  cmd->AddDeltaState(delta);
}

void ReportDefinition::RebindTraces(IReportPasteListener* listener,
                                    bool (TraceDefinition::*rebind)(IReportPasteListener*)) {
  const ReportManager::HeldIDsEdit edit(mMgr);
  for (auto it = m_traces.begin(); it != m_traces.end();) {
    auto* def = dynamic_cast<TraceDefinition*>(*it);
    if (!def || (def->*rebind)(listener)) {
      ++it;
      continue;
    }
    PostReportMessage(1, 17008, -1, GetReportName() + L":" + def->GetName());
    delete *it;
    it = m_traces.erase(it);
  }
}

void ReportDefinition::SetSolutionOfTraces(IReportPasteListener* listener) {
  RebindTraces(listener, &TraceDefinition::SetSolutionAndContext);
}

void ReportDefinition::SetPointsetsOfTraces(IReportPasteListener* listener) {
  RebindTraces(listener, &TraceDefinition::SetPointsetFromLookup);
}

bool ReportDefinition::FixUpPastedTraceDefinitions(ReportManager& target, IReportPasteListener* listener,
                                                   IVelmorCommand* cmd) {
  for (BaseTraceDefinition* trace : m_traces)
    if (auto* def = dynamic_cast<TraceDefinition*>(trace))
      TraceDefinitionPasteHelper(*def).FixUpPastedTraceDefinition(target, listener, cmd);
  return true;
}

// ---- project block ----

io::ReadError ReportDefinition::DoDataExchange(io::CBlock& block, bool read) {
  const ReportManager::HeldIDsEdit edit(mMgr);
  if (read) {
    RecordError(ReadReportBlock(block));
    return GetReadStatus();
  }
  std::vector<long> ids;
  GetTraceIDs(ids);
  WriteReportBlock(block, ids);
  return GetReadStatus();
}

bool ReportDefinition::WriteReportBlock(io::CBlock& block, const std::vector<long>& traceIDs) {
  block << io::NamedValue(L"ReportID", GetReportID()) << io::NamedValue(L"ReportName", GetReportName());
  WriteTraceDefBlock(block, traceIDs);
  return true;
}

void ReportDefinition::WriteTraceDefBlock(io::CBlock& block, const std::vector<long>& traceIDs) {
  for (BaseTraceDefinition* baseTraceDef : FindTraces(traceIDs)) {
    ORVEX_ASSERT(baseTraceDef);
    // Nothing to write for a trace the report does not hold.
    if (!baseTraceDef) continue;
    io::CBlock traceDef(kTraceDef);
    int code = baseTraceDef->GetTraceDefinitionType();
    ExchangeTraceDefinitionType(traceDef, false, code);
    baseTraceDef->DoDataExchange(traceDef, false);
    block << std::move(traceDef);
  }
}

io::ReadError ReportDefinition::ReadReportBlock(io::CBlock& block) {
  const ReportManager::HeldIDsEdit edit(mMgr);
  long id = id::invalidID;
  AString name;
  block >> io::NamedValue(L"ReportID", id);
  const bool idFound = block.Found();
  block >> io::NamedValue(L"ReportName", name);
  const bool nameFound = block.Found();
  if (!idFound || !nameFound) ORVEX_ASSERT(0);
  // An ID that no server issues within 32 bits is damage: the report is renumbered.
  const bool idUsable = idFound && id::IsStorable(id);
  // Each value that was read is taken, so that a lost name does not cost the report its ID.
  if (idUsable) SetReportID(id);
  if (nameFound) SetReportName(name);
  // A report without a readable ID must not share one with another report.
  if (!idUsable && GetReportID() == id::invalidID) SetReportID(mMgr.GetNewUniqueID());
  const io::ReadError traces = ReadTraceDefBlocks(block);
  if (idUsable || !idFound || traces != io::kNoError) return traces;
  return io::kConversionFailed;
}

io::ReadError ReportDefinition::ReadTraceDefBlocks(io::CBlock& block) {
  const ReportManager::HeldIDsEdit edit(mMgr);
  io::ReadError result = io::kNoError;
  for (size_t i = 0; i < block.GetNumItems(); ++i) {
    if (block.GetItemKind(i) != io::CBlock::kBlock) continue;
    io::CBlock* item = block.GetBlockForEdit(i);
    if (item->GetName().CompareNoCase(kTraceDef) != 0) {
      // An unknown sub-block is recorded and skipped: the traces around it are still read.
      RecordError(-1);
      result = -1;
      continue;
    }
    io::CBlock& traceBlock = *item;
    int code = 0;
    ExchangeTraceDefinitionType(traceBlock, true, code);
    if (code != 1 && code != 2) {
      // A kind this build cannot create: skipped, and the report says it was not read whole.
      RecordError(-1);
      result = -1;
      continue;
    }
    std::unique_ptr<BaseTraceDefinition> trace;
    if (code == 1) {
      // Started with the display settings its read would copy: defaults made only to be replaced
      // cost a trace more than the rest of its settings.
      const io::CBlock* extInfo = BaseTraceDefinition::FindExtTraceInfoBlock(traceBlock);
      trace.reset(new TraceDefinition(mMgr, true, extInfo ? mMgr.FindExtTraceInfoRead(*extInfo) : nullptr));
    } else {
      trace.reset(new ImportedTraceDefinition(mMgr));
    }
    const io::ReadError err = trace->DoDataExchange(traceBlock, true);
    if (trace->GetID() == id::invalidID) {
      // A trace without an ID can be neither looked up nor written back as it was: left out,
      // and the report says it was not read whole.
      const io::ReadError lost = err != io::kNoError ? err : io::kMissingBlock;
      RecordError(lost);
      result = lost;
      continue;
    }
    auto* imported = dynamic_cast<ImportedTraceDefinition*>(trace.get());
    if (trace->KeptVersionOverDamagedOne() || (imported && imported->DataReadInPart())) {
      // Kept with the version it drew or the data that did read, but the report says it was not
      // read whole.
      RecordError(io::kConversionFailed);
      result = io::kConversionFailed;
    }
    m_traces.push_back(trace.release());
  }
  return result;
}

std::unique_ptr<ReportDefinition> ReportDefinition::CopyForManager(ReportManager& mgr) const {
  auto copy = std::make_unique<ReportDefinition>(mgr, GetReportName(), std::vector<IBaseTraceDefinition*>());
  copy->m_params.AssignFromSnapshot(m_params);
  copy->AppendCopiesOf(m_traces);
  return copy;
}

std::unique_ptr<ReportDefinition> ReportDefinition::TakeForManager(ReportManager& mgr) {
  auto copy = std::make_unique<ReportDefinition>(mgr, GetReportName(), std::vector<IBaseTraceDefinition*>());
  copy->m_params.AssignFromSnapshot(m_params);
  copy->AppendTakenFrom(m_traces);
  return copy;
}

std::vector<BaseTraceDefinition*> ReportDefinition::AppendCopiesOf(const std::list<BaseTraceDefinition*>& traces) {
  return AppendMadeOf(traces, [this](BaseTraceDefinition& t) { return t.CopyForManager(mMgr); });
}

std::vector<BaseTraceDefinition*> ReportDefinition::AppendTakenFrom(const std::list<BaseTraceDefinition*>& traces) {
  return AppendMadeOf(traces, [this](BaseTraceDefinition& t) { return t.TakeForManager(mMgr); });
}

template <class Copy>
std::vector<BaseTraceDefinition*> ReportDefinition::AppendMadeOf(const std::list<BaseTraceDefinition*>& traces,
                                                                 Copy copyOf) {
  const ReportManager::HeldIDsEdit edit(mMgr);
  std::vector<BaseTraceDefinition*> appended;
  for (BaseTraceDefinition* trace : traces) {
    BaseTraceDefinition* copy = copyOf(*trace);
    // As a read drops what it cannot create or look up.
    if (!copy || copy->GetID() == id::invalidID) {
      delete copy;
      continue;
    }
    m_traces.push_back(copy);
    appended.push_back(copy);
  }
  return appended;
}

io::ReadError ExchangeTraceDefinitionType(io::CBlock& block, bool read, int& code) {
  if (!read) {
    AString name = TraceDefinitionTypeName(code);
    return io::DoDataExchange(block, false, kTraceDefinitionType, name, io::kReturnCode);
  }
  AString name;
  io::DoDataExchange(block, true, kTraceDefinitionType, name, io::kReturnCode);
  code = TraceDefinitionTypeFromName(name);
  return io::kNoError;
}

int TraceDefinitionTypeFromName(const AString& name) {
  if (name.Compare(TraceDefinition::GetStaticBlockName()) == 0) return 1;
  if (name.Compare(kImportedTraceDefinition) == 0) return 2;
  return 0;
}

AString TraceDefinitionTypeName(int code) {
  if (code == 1) return TraceDefinition::GetStaticBlockName();
  if (code == 2) return kImportedTraceDefinition;
  ORVEX_ASSERT(0);
  return kUnknownTraceDefinitionType;
}

// ---- import of data files ----

bool ReportDefinition::ImportTracesFromFile(const AString& fileName, IVelmorCommand* cmd, int code) {
  if (!LongFileName(fileName).Exists()) {
    VelmorMessage message(VelmorMessage::kError, 14, 17006, 17006, 6, MessageManagerStrings::kNullStr,
                          MessageManagerStrings::kNullStr, false);
    message.AddArg(fileName, 0);
    if (IMessageManager* manager = GetGlobalIMessageManager()) manager->PostMessage(message);
    return false;
  }
  ConcreteTracesImportHelper importer(fileName, this);
  if (!importer.ImportFile()) return false;
  // Each curve set imported becomes a trace with a new ID and a version of its own.
  const long made = static_cast<long>(importer.GetYComponents().size());
  if (!mMgr.HasIDsLeftFor(L"the traces imported into " + ReportManager::Named(L"report", GetReportName()), made, made))
    return false;
  std::vector<ImportedTraceDefinition*> traces;
  importer.CreateTraceDefinitions(traces, code);
  return AddNewTraceDefinitions(std::vector<BaseTraceDefinition*>(traces.begin(), traces.end()), cmd);
}

// ---- the export form of traces with data ----

namespace {

const wchar_t* const kTraces = L"Traces";
const wchar_t* const kTraceComponents = L"TraceComponents";
const wchar_t* const kSurfsInfo = L"SurfsInfo";
const wchar_t* const kSurfNames = L"SurfNames";
const wchar_t* const kPrimarySweepInfo = L"PrimarySweepInfo";
const wchar_t* const kPrimarySweepName = L"PrimarySweepName";
const wchar_t* const kPrimarySweepCol = L"PrimarySweepCol";

// The fewest rows of any column the data holds: no curve may reach past it.
uint64_t RowsOfData(IAbstractTraceData& data) {
  uint64_t rows = std::numeric_limits<uint64_t>::max();
  if (auto* plain = dynamic_cast<BaseTraceData*>(&data)) {
    for (unsigned d = 0; d < plain->GetNumComponents(); ++d)
      if (const Column* column = plain->GetDataColumn(d)) rows = std::min<uint64_t>(rows, column->GetCount());
  } else if (auto* composite = dynamic_cast<ConcreteCompositeTraceData*>(&data)) {
    rows = composite->GetRowsOfLeaves();
  }
  if (ITraceDataSweepInfo* sweep = data.GetTraceDataSweepInfo())
    if (const Column* column = sweep->GetPrimarySweepColumn()) rows = std::min<uint64_t>(rows, column->GetCount());
  return rows;
}

bool CurvesFitTheData(IAbstractTraceData& data) {
  uint64_t points = 0;
  for (unsigned i = 0; i < data.GetNumCurves(); ++i) points += data.GetNumPointsInCurve(i);
  if (points > RowsOfData(data)) return false;
  ISurfaceAwareTraceData* surfaces = nullptr;
  if (!QueryInterfaceOf(&data, surfaces)) return true;
  uint64_t curves = 0;
  for (unsigned s = 0; s < surfaces->GetNumSurfaces(); ++s) curves += surfaces->GetNumCurvesInSurface(s);
  return curves <= data.GetNumCurves();
}

}  // namespace

bool ReportDefinition::WriteTracesWithData(io::CBlock& block, const std::vector<long>& traceIDs) {
  bool whole = true;
  io::CBlock traces(kTraces);
  const std::vector<BaseTraceDefinition*> found = FindTraces(traceIDs);
  for (size_t i = 0; i < traceIDs.size(); ++i) {
    const long traceID = traceIDs[i];
    BaseTraceDefinition* trace = found[i];
    if (!trace) {
      whole = false;
      continue;
    }
    io::CBlock traceBlock(i18n::MakeNumberString(traceID));
    AString source;
    AString dataName;
    IAbstractTraceData* data = nullptr;
    if (auto* imported = dynamic_cast<ImportedTraceDefinition*>(trace)) {
      source = imported->GetSourceDescription();
      data = imported->GetTraceData();
      // A name the data only borrows from its definition would be read back as its own.
      if (auto* plain = dynamic_cast<ConcreteTraceData*>(data)) dataName = plain->GetOwnTraceName();
      if (auto* tree = dynamic_cast<ConcreteCompositeTraceData*>(data)) dataName = tree->GetOwnTraceName();
    } else {
      ISolutionManagerForReports* solMgr = mMgr.GetISolutionManagerForReports();
      if (auto* computed = dynamic_cast<TraceDefinition*>(trace))
        if (solMgr) solMgr->GetSourceDescription(source, computed->GetDesignSolutionDefinition());
      if (IReportDataManager* dataMgr = mMgr.GetReportDataManagerForEdit()) data = dataMgr->GetIAbstractTraceData(traceID);
    }
    traceBlock << io::NamedValue(CommonTraceData::kTraceName, trace->GetName());
    traceBlock << io::NamedValue(L"SourceDesc", source);
    io::CBlock extInfo(L"ExtTraceInfo");
    trace->GetExtendedTraceInfo().Write(extInfo);
    traceBlock << std::move(extInfo);
    io::CBlock_func expressions(L"TraceCompExprs");
    for (unsigned i = 0; i < trace->GetNumComponents(); ++i) expressions << trace->GetComponent(i)->GetExpression();
    traceBlock << std::move(expressions);
    traceBlock << io::NamedValue(L"TraceDataName", dataName);

    // No trace travels without its columns.
    io::CBlock components(kTraceComponents);
    bool composite = false;
    bool written = false;
    if (auto* plain = dynamic_cast<BaseTraceData*>(data)) {
      written = plain->WriteComponentsToBlock(components);
    } else if (auto* tree = dynamic_cast<BaseCompositeTraceData*>(data)) {
      composite = true;
      written = tree->WriteComponentsToBlock(components);
    }
    ITraceDataSweepInfo* sweep = data ? data->GetTraceDataSweepInfo() : nullptr;
    io::CBlock sweepInfo(kPrimarySweepInfo);
    if (written) {
      sweepInfo << io::NamedValue(kPrimarySweepName, sweep ? sweep->GetPrimarySweepName() : AString());
      // Empty without a column: the reader takes a missing block for damage.
      io::CBlock columnBlock(kPrimarySweepCol);
      if (const Column* column = sweep ? sweep->GetPrimarySweepColumn() : nullptr) {
        FileColumnManager::LoadAndOptionallyUnloadCtxt loaded(column);
        written = column->WriteColumn(columnBlock) == io::kNoError;
      }
      sweepInfo << std::move(columnBlock);
    }
    if (!written) {
      ORVEX_ASSERT(0);
      whole = false;
      continue;
    }
    traceBlock << io::NamedValue(L"IsCompositeData", composite);
    traceBlock << std::move(components);

    io::CBlock curves(CommonTraceData::kCurvesInfo);
    for (unsigned i = 0; i < data->GetNumCurves(); ++i) {
      io::CBlock_func curve(i18n::MakeNumberString(static_cast<long>(i)));
      curve << data->GetNumPointsInCurve(i) << data->GetCurveVariationKey(i, true);
      curves << std::move(curve);
    }
    traceBlock << std::move(curves);
    ISurfaceAwareTraceData* surfaces = nullptr;
    if (QueryInterfaceOf(data, surfaces)) {
      std::vector<unsigned> counts;
      std::vector<AString> names;
      for (unsigned s = 0; s < surfaces->GetNumSurfaces(); ++s) {
        counts.push_back(surfaces->GetNumCurvesInSurface(s));
        names.push_back(surfaces->GetSurfaceVariationKey(s, true));
      }
      io::DoDataExchange(traceBlock, false, kSurfsInfo, counts, io::kReturnCode);
      io::DoDataExchange(traceBlock, false, kSurfNames, names, io::kReturnCode);
    }
    traceBlock << std::move(sweepInfo);
    traces << std::move(traceBlock);
  }
  block << std::move(traces);
  return whole;
}

long ReportDefinition::CountTracesWithData(const io::CBlock& block) {
  const io::CBlock* traces = block.FindBlock(kTraces);
  block.ResetFound(true);
  return traces ? static_cast<long>(traces->GetNumItems()) : 0;
}

bool ReportDefinition::ReadTracesWithData(io::CBlock& block, IReportPasteListener* listener, IVelmorCommand* cmd) {
  io::CBlock* traces = block.FindBlockForEdit(kTraces);
  block.ResetFound(true);
  if (!traces) return false;
  const long items = CountTracesWithData(block);
  if (!mMgr.HasIDsLeftFor(L"the traces read into " + ReportManager::Named(L"report", GetReportName()), items, items))
    return false;
  bool whole = true;
  std::vector<BaseTraceDefinition*> kept;
  // Each read name is made unique against the report as it stands, not the traces read before it:
  // adding them names them once more.
  BatchNamer namer(m_traces);
  for (size_t item = 0; item < traces->GetNumItems(); ++item) {
    io::CBlock* tdBlock = traces->GetBlockForEdit(item);
    ORVEX_ASSERT(tdBlock);
    std::unique_ptr<ImportedTraceDefinition> trace = tdBlock ? ReadTraceWithData(*tdBlock, listener, namer) : nullptr;
    if (!trace) {
      whole = false;
      continue;
    }
    kept.push_back(trace.release());
  }
  if (!kept.empty()) AddNewTraceDefinitions(kept, cmd);
  return whole;
}

std::unique_ptr<ImportedTraceDefinition> ReportDefinition::ReadTraceWithData(io::CBlock& tdBlock,
                                                                             IReportPasteListener* listener,
                                                                             BatchNamer& namer) {
  long oldID = id::invalidID;
  const bool bIsNumber = tdBlock.GetName().IsNumber(10, &oldID);
  ORVEX_ASSERT(bIsNumber);
  if (!bIsNumber) oldID = id::invalidID;

  AString name;
  AString source;
  AString dataName;
  tdBlock >> io::NamedValue(CommonTraceData::kTraceName, name);
  tdBlock >> io::NamedValue(L"SourceDesc", source);
  name = namer.UniqueName(name);
  ExtTraceInfo info;
  if (const io::CBlock* extInfo = tdBlock.FindBlock(L"ExtTraceInfo")) info.Read(*extInfo);
  tdBlock.ResetFound(true);

  std::vector<AString> expressions;
  bool isComposite = false;
  if (const io::CBlock_func* exprs = tdBlock.FindFunc(L"TraceCompExprs")) {
    AString expression;
    for (size_t a = 0; a < exprs->GetNumArgs() && exprs->QueryArg(a, expression); ++a) expressions.push_back(expression);
    tdBlock >> io::NamedValue(L"TraceDataName", dataName);
    tdBlock.ResetFound(true);
    tdBlock >> io::NamedValue(L"IsCompositeData", isComposite);
    if (!tdBlock.Found()) {
      tdBlock.ResetFound(true);
      ORVEX_ASSERT(0);
      return nullptr;
    }
  } else {
    tdBlock.ResetFound(true);
    if (!ReadComponentExpressionsFromComponentBlocks(tdBlock, expressions)) {
      ORVEX_ASSERT(0);
      return nullptr;
    }
  }
  io::CBlock* components = tdBlock.FindBlockForEdit(kTraceComponents);
  if (!components) {
    tdBlock.ResetFound(true);
    ORVEX_ASSERT(0);
    return nullptr;
  }

  auto trace = std::make_unique<ImportedTraceDefinition>(mMgr, source, name, expressions, info, false);
  const long newID = mMgr.GetNewUniqueID();
  trace->SetID(newID);
  std::unique_ptr<ConcreteTraceData> plain;
  std::unique_ptr<ConcreteCompositeTraceData> tree;
  bool read = false;
  if (isComposite) {
    tree = std::make_unique<ConcreteCompositeTraceData>(mMgr, newID);
    if (!dataName.empty()) tree->SetTraceName(dataName);
    read = tree->ReadComponentsFromBlock(*components);
  } else {
    plain = std::make_unique<ConcreteTraceData>(mMgr, newID);
    if (!dataName.empty()) plain->SetTraceName(dataName);
    read = plain->ReadComponentsFromBlock(*components);
  }
  if (!read) {
    ORVEX_ASSERT(0);
    return nullptr;
  }
  auto setCurveInfo = [&](unsigned i, unsigned count, const AString& key) {
    if (plain) plain->SetCurveInfo(i, count, key);
    if (tree) tree->SetCurveInfo(i, count, key);
  };

  const io::CBlock* curves = tdBlock.FindBlock(CommonTraceData::kCurvesInfo);
  if (!curves) {
    tdBlock.ResetFound(true);
    ORVEX_ASSERT(0);
    return nullptr;
  }
  for (size_t i = 0; i < curves->GetNumItems(); ++i) {
    const io::CBlock_func* curveFunc = curves->GetFunc(i);
    ORVEX_ASSERT(curveFunc);
    if (!curveFunc || curveFunc->GetName().CompareNoCase(i18n::MakeNumberString(static_cast<long>(i))) != 0) continue;
    unsigned count = 0;
    AString key;
    // A curve whose count or key does not read would shift every curve after it.
    if (!curveFunc->QueryArg(0, count) || !curveFunc->QueryArg(1, key)) return nullptr;
    setCurveInfo(static_cast<unsigned>(i), count, key);
  }

  std::vector<unsigned> counts;
  std::vector<AString> names;
  const io::ReadError countsRead = io::DoDataExchange(tdBlock, true, kSurfsInfo, counts, io::kReturnCode);
  const io::ReadError namesRead = io::DoDataExchange(tdBlock, true, kSurfNames, names, io::kReturnCode);
  if (countsRead == io::kKeyMissing || namesRead == io::kKeyMissing) {
    tdBlock.ResetFound(true);
  } else if (plain) {
    if (counts.size() != names.size()) {
      ORVEX_ASSERT(0);
      return nullptr;
    }
    plain->SetSurfaceInfo(counts, names);
  }

  if (tdBlock.FindBlock(kPrimarySweepInfo)) {
    AString sweepName;
    std::unique_ptr<Column> column;
    CommonTraceData::ReadPrimarySweepInfo(tdBlock, sweepName, column, CommonTraceData::SweepColumnRead::kColumnBlockRequired);
    if (plain) {
      plain->SetPrimarySweepColumn(column.release());
      plain->SetPrimarySweepName(sweepName);
    } else {
      tree->SetPrimarySweepColumn(column.release());
      tree->SetPrimarySweepName(sweepName);
    }
  } else {
    ORVEX_ASSERT(!"Block for primary column not found");
    tdBlock.ResetFound(true);
  }

  IAbstractTraceData* data = plain ? static_cast<IAbstractTraceData*>(plain.release()) : tree.release();
  trace->SetTraceData(data);
  // Points past a column, or surfaces past the curves, would be read outside the data.
  if (!CurvesFitTheData(*data)) {
    ORVEX_ASSERT(0);
    return nullptr;
  }
  if (listener) listener->OnTraceIDChanged(oldID, newID);
  return trace;
}

bool ReportDefinition::ReadComponentExpressionsFromComponentBlocks(const io::CBlock& traceBlock,
                                                                   std::vector<AString>& out) {
  const io::CBlock* components = traceBlock.FindBlock(kTraceComponents);
  if (!components) {
    traceBlock.ResetFound(true);
    ORVEX_ASSERT(0);
    return false;
  }
  for (size_t i = 0; i < components->GetNumItems(); ++i) {
    const io::CBlock* component = components->GetBlock(i);
    if (!component || component->GetName().CompareNoCase(i18n::MakeNumberString(static_cast<long>(i))) != 0) continue;
    AString expression;
    *component >> io::NamedValue(BaseTraceData::kTraceCompExpr, expression);
    if (!component->Found()) {
      component->ResetFound(true);
      ORVEX_ASSERT(0);
      return false;
    }
    out.push_back(expression);
  }
  return true;
}

}  // namespace rep
