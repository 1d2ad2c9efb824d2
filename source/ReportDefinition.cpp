#include "ReportDefinition.h"

#include <algorithm>
#include <iterator>
#include <memory>

#include "GravikUtils.h"
#include "ListDeltaState.h"
#include "ReportDefinitionCmdInfo.h"
#include "ReportManager.h"
#include "TraceDefinition.h"
#include "hostapi/IReportManagerOwner.h"
#include "hostapi/IReportPasteListener.h"
#include "orvex/core/Assert.h"
#include "orvex/core/IVelmorCommand.h"
#include "orvex/core/Ids.h"
#include "orvex/io/NamedValue.h"

namespace rep {

namespace {
const wchar_t* const kTraceDef = L"TraceDef";
const wchar_t* const kTraceDefinitionType = L"TraceDefinitionType";
const wchar_t* const kUnknownTraceDefinitionType = L"UnknownTraceDefinitionType";
const wchar_t* const kImportedTraceDefinition = L"ImportedTraceDefinition";

// A copy bound to the report's manager, which outlives it, whoever made the source.
// Null for a source of a kind that a report cannot hold.
BaseTraceDefinition* CloneIntoReport(const IBaseTraceDefinition* source, ReportManager& mgr) {
  const auto* base = dynamic_cast<const BaseTraceDefinition*>(source);
  return base ? base->CloneForManager(mgr) : nullptr;
}
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
  for (IBaseTraceDefinition* source : sourceTraces) {
    BaseTraceDefinition* clone = CloneIntoReport(source, mgr);
    if (!clone) continue;
    const long versionID = mgr.GetNewVersionID();
    clone->SetIDAndVersionID(mgr.GetNewUniqueID(), versionID);
    m_traces.push_back(clone);
    MakeTraceNameUnique(*clone);
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

IBaseTraceDefinition* ReportDefinition::GetTraceDefinition(long traceID) const { return FindTrace(traceID); }

std::list<BaseTraceDefinition*>::iterator ReportDefinition::FindTraceIter(long traceID, unsigned* position) {
  unsigned pos = 0;
  for (auto it = m_traces.begin(); it != m_traces.end(); ++it, ++pos) {
    if ((*it)->GetID() != traceID) continue;
    if (position) *position = pos;
    return it;
  }
  return m_traces.end();
}

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
  // Only imported traces hold stored columns to convert, and this build reads no imported traces yet.
  (void)cmd;
}

void ReportDefinition::GetNames(std::list<AString>& names) const {
  for (const BaseTraceDefinition* trace : m_traces) names.push_back(trace->GetName());
}

// ---- naming ----

int ReportDefinition::GetUniqueTraceNames(std::vector<AString>& out, const std::vector<AString>& wanted) const {
  LocalNameServer local;
  std::list<AString> names;
  GetNames(names);
  local.AddNames(names);
  for (const AString& name : wanted) {
    AString unique = local.GetUniqueName(name, 1);
    out.push_back(unique);
    local.AddName(unique);
  }
  return static_cast<int>(out.size());
}

AString ReportDefinition::GetDefaultTraceName(const BaseTraceDefinition& trace) const {
  // A trace without components has no expression to be named after.
  AString expression;
  if (trace.GetNumComponents() > 0)
    if (const ITraceComponentDefinition* last = trace.GetComponent(trace.GetNumComponents() - 1))
      expression = last->GetExpression();
  LocalNameServer others;
  for (const BaseTraceDefinition* t : m_traces)
    if (t->GetID() != trace.GetID()) others.AddName(t->GetName());
  if (others.IsNameUnique(expression)) return expression;
  return others.GetUniqueName(expression + L"_", 1);
}

void ReportDefinition::MakeTraceNameUnique(BaseTraceDefinition& trace) {
  if (trace.GetIsNameTiedToExpressionFlag()) {
    trace.SetName(GetDefaultTraceName(trace));
    return;
  }
  // The report allows a trace its own name once; a trace not yet in the list has no name there.
  const bool held = std::find(m_traces.begin(), m_traces.end(), &trace) != m_traces.end();
  if (!held || !IsTraceNameUnique(trace.GetName())) trace.SetName(GetUniqueTraceName(trace.GetName()));
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
  for (BaseTraceDefinition* trace : added) MakeTraceNameUnique(*trace);
  if (delta) cmd->AddDeltaState(delta);
  return true;
}

bool ReportDefinition::AddNewTraceDefinitions(const std::vector<BaseTraceDefinition*>& traces, IVelmorCommand* cmd) {
  const ReportManager::HeldIDsEdit edit(mMgr);
  ReportDefinitionCmdInfo* info = cmd ? GetOrCreateReportDefinitionCmdInfo(cmd, mMgr.GetOwnerForEdit()) : nullptr;
  if (info) info->AddEditedElement(GetReportID());
  auto* delta = cmd ? new HeldIDsListDelta<BaseTraceDefinition*>(mMgr, m_traces) : nullptr;
  for (BaseTraceDefinition* trace : traces) {
    if (!trace) continue;
    MakeTraceNameUnique(*trace);
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
  for (long id : traceIDs)
    if (!FindTrace(id)) return false;
  ReportDefinitionCmdInfo* info = GetOrCreateReportDefinitionCmdInfo(cmd, mMgr.GetOwnerForEdit());
  auto* delta = new HeldIDsListDelta<BaseTraceDefinition*>(mMgr, m_traces);
  for (long id : traceIDs) {
    unsigned position = 0;
    auto it = FindTraceIter(id, &position);
    const bool found = it != m_traces.end();
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
  for (long id : traceIDs) {
    auto it = FindTraceIter(id);
    if (it == m_traces.end()) continue;
    BaseTraceDefinition* trace = *it;
    m_traces.erase(it);
    delete trace;
  }
}

bool ReportDefinition::SetTraceDefinitions(const ReportDefinition& source, IVelmorCommand* cmd) {
  const ReportManager::HeldIDsEdit edit(mMgr);
  if (!cmd || &source == this) return false;
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
  auto needsOwnID = [&](long id) { return id == ownID || FindTrace(id) || !mMgr.IsTraceIDFree(id); };
  for (const BaseTraceDefinition* trace : source.m_traces) {
    BaseTraceDefinition* clone = CloneIntoReport(trace, mMgr);
    if (!clone) continue;
    if (needsOwnID(clone->GetID())) {
      const long versionID = mMgr.GetNewVersionID();
      clone->SetIDAndVersionID(mMgr.GetNewUniqueID(), versionID);
    }
    m_traces.push_back(clone);
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
  for (long id : traceIDs) {
    BaseTraceDefinition* trace = FindTrace(id);
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
  std::vector<AString> names;
  for (const BaseTraceDefinition* trace : m_traces) names.push_back(trace->GetName());
  auto* other = dynamic_cast<ReportDefinition*>(mgr.GetReportDefinition(reportID));
  if (!other) {
    ORVEX_ASSERT(0);
    return;
  }
  std::vector<AString> unique;
  other->GetUniqueTraceNames(unique, names);
  if (unique.size() != m_traces.size()) {
    ORVEX_ASSERT(0);
    return;
  }
  auto name = unique.begin();
  for (BaseTraceDefinition* trace : m_traces) trace->SetName(*name++);
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
  for (long id : traceIDs) {
    BaseTraceDefinition* baseTraceDef = FindTrace(id);
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
  // Each value that was read is taken, so that a lost name does not cost the report its ID.
  if (idFound) SetReportID(id);
  if (nameFound) SetReportName(name);
  // A report without a readable ID must not share one with another report.
  if (!idFound && GetReportID() == id::invalidID) SetReportID(mMgr.GetNewUniqueID());
  return ReadTraceDefBlocks(block);
}

io::ReadError ReportDefinition::ReadTraceDefBlocks(io::CBlock& block) {
  const ReportManager::HeldIDsEdit edit(mMgr);
  io::ReadError result = io::kNoError;
  for (size_t i = 0; i < block.GetNumItems(); ++i) {
    if (block.GetItemKind(i) != io::CBlock::kBlock) continue;
    const io::CBlock* item = block.GetBlock(i);
    if (item->GetName().CompareNoCase(kTraceDef) != 0) {
      // An unknown sub-block is recorded and skipped: the traces around it are still read.
      RecordError(-1);
      result = -1;
      continue;
    }
    io::CBlock traceBlock(*item);
    int code = 0;
    ExchangeTraceDefinitionType(traceBlock, true, code);
    if (code != 1) {
      // A kind this build cannot create: skipped, and the report says it was not read whole.
      RecordError(-1);
      result = -1;
      continue;
    }
    std::unique_ptr<BaseTraceDefinition> trace(new TraceDefinition(mMgr, true));
    const io::ReadError err = trace->DoDataExchange(traceBlock, true);
    if (trace->GetID() == id::invalidID) {
      // A trace without an ID can be neither looked up nor written back as it was: left out,
      // and the report says it was not read whole.
      const io::ReadError lost = err != io::kNoError ? err : io::kMissingBlock;
      RecordError(lost);
      result = lost;
      continue;
    }
    m_traces.push_back(trace.release());
  }
  return result;
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

}  // namespace rep
