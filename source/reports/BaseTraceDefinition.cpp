#include "reports/BaseTraceDefinition.h"

#include "reports/GravikUtils.h"
#include "reports/ReportDefinition.h"
#include "reports/ReportDefinitionCmdInfo.h"
#include "reports/ReportManager.h"
#include "reports/TraceComponentDefinition.h"
#include "hostapi/IReportPasteListener.h"
#include "orvex/core/Assert.h"
#include "orvex/core/IVelmorCommand.h"
#include "orvex/core/Ids.h"

namespace rep {

namespace {
// Keys made once: a temporary text per lookup is an allocation per trace read.
const AString kID(L"ID");
const AString kName(L"Name");
const AString kTieNameToExpr(L"TieNameToExpr");
const AString kComponents(L"Components");
const AString kExtendedTraceInfo(L"ExtendedTraceInfo");
const AString kVersionID(L"VersionID");
}  // namespace

// ---- TraceParams ----

BaseTraceDefinition::TraceParams::TraceParams(const AString& name, bool tiedToExpression)
    : m_name(name), m_tiedToExpression(tiedToExpression) {
  ReadUndoableFromStorage();
}

BaseTraceDefinition::TraceParams::TraceParams(const TraceParams& other) : MUndoableObject() {
  ReadUndoableFromStorage();
  m_name = other.m_name;
  m_tiedToExpression = other.m_tiedToExpression;
}

BaseTraceDefinition::TraceParams& BaseTraceDefinition::TraceParams::operator=(const TraceParams& other) {
  Assign(other);
  return *this;
}

BaseTraceDefinition::TraceParams::~TraceParams() = default;

MUndoableObject* BaseTraceDefinition::TraceParams::Clone() const { return new TraceParams(*this); }

void BaseTraceDefinition::TraceParams::Assign(const MUndoableObject& from) {
  const auto* params = dynamic_cast<const TraceParams*>(&from);
  ORVEX_ASSERT(params);
  if (!params || params == this) return;
  m_name = params->m_name;
  m_tiedToExpression = params->m_tiedToExpression;
}

// ---- VersionIDRecord ----

MUndoableObject* BaseTraceDefinition::VersionIDRecord::Clone() const { return new VersionIDRecord(*this); }

void BaseTraceDefinition::VersionIDRecord::Assign(const MUndoableObject& from) {
  const auto* record = dynamic_cast<const VersionIDRecord*>(&from);
  ORVEX_ASSERT(record);
  if (record) m_versionID = record->m_versionID;
}

// ---- BaseTraceDefinition ----

BaseTraceDefinition::BaseTraceDefinition(ReportManager& mgr, const ExtTraceInfo* info)
    : m_id(id::invalidID), m_extTraceInfo(info ? ExtTraceInfo(*info) : ExtTraceInfo()), mMgr(mgr),
      m_traceParams(AString(), true), m_versionID(mgr.GetNewVersionID()) {}

BaseTraceDefinition::BaseTraceDefinition(ReportManager& mgr, const AString& name,
                                         const std::vector<AString>& expressions, const ExtTraceInfo& info,
                                         bool tiedToExpression, const TraceFamiliesDisplayParameters* familiesParams)
    : m_id(id::invalidID), m_extTraceInfo(info), mMgr(mgr), m_traceParams(name, tiedToExpression),
      m_versionID(mgr.GetNewVersionID()) {
  for (const AString& e : expressions) m_components.push_back(new TraceComponentDefinition(e));
  if (familiesParams) m_familiesDisplay.SetFamiliesDisplayParams(*familiesParams);
}

BaseTraceDefinition::BaseTraceDefinition(ReportManager& mgr, const std::vector<AString>& expressions,
                                         const ExtTraceInfo& info, const TraceFamiliesDisplayParameters* familiesParams)
    : m_id(id::invalidID), m_extTraceInfo(info), mMgr(mgr), m_traceParams(AString(), true),
      m_versionID(mgr.GetNewVersionID()) {
  for (const AString& e : expressions) m_components.push_back(new TraceComponentDefinition(e));
  m_traceParams.SetName(expressions.empty() ? AString() : expressions.back());
  if (familiesParams) m_familiesDisplay.SetFamiliesDisplayParams(*familiesParams);
}

BaseTraceDefinition::BaseTraceDefinition(const BaseTraceDefinition& other) : BaseTraceDefinition(other, other.mMgr) {}

BaseTraceDefinition::BaseTraceDefinition(const BaseTraceDefinition& other, ReportManager& mgr)
    : IBaseTraceDefinition(), io::CStreamio_block_object(), m_id(other.m_id), m_extTraceInfo(other.m_extTraceInfo),
      mMgr(mgr), m_traceParams(other.m_traceParams), m_versionID(other.m_versionID),
      m_familiesDisplay(other.m_familiesDisplay) {
  m_undoVersion.CopyFrom(other.m_undoVersion);
  for (const ITraceComponentDefinition* c : other.m_components) m_components.push_back(c->Clone());
}

BaseTraceDefinition::~BaseTraceDefinition() { DeleteAllComponents(); }

const ITraceComponentDefinition* BaseTraceDefinition::GetComponent(unsigned index) const {
  if (index >= m_components.size()) {
    ORVEX_ASSERT(!"Asking for more dimensions than I have");
    return nullptr;
  }
  return m_components[index];
}

ITraceComponentDefinition* BaseTraceDefinition::GetComponentForEdit(unsigned index) {
  return const_cast<ITraceComponentDefinition*>(GetComponent(index));
}

const TraceFamiliesDisplayParameters* BaseTraceDefinition::GetFamiliesDisplayParams() const {
  return m_familiesDisplay.GetFamiliesDisplayParams();
}

void BaseTraceDefinition::DeleteAllComponents() {
  for (ITraceComponentDefinition* c : m_components) delete c;
  m_components.clear();
}

void BaseTraceDefinition::CopyFrom(const IBaseTraceDefinition& from) {
  const auto* fromBase = dynamic_cast<const BaseTraceDefinition*>(&from);
  ORVEX_ASSERT(fromBase);
  if (!fromBase || fromBase == this) return;
  const BaseTraceDefinition& btrFrom = *fromBase;
  ORVEX_ASSERT(&mMgr == &(btrFrom.mMgr));
  m_id = btrFrom.m_id;
  m_traceParams.Assign(btrFrom.m_traceParams);
  m_extTraceInfo = btrFrom.m_extTraceInfo;
  m_undoVersion.CopyFrom(btrFrom.m_undoVersion);
  m_familiesDisplay = btrFrom.m_familiesDisplay;
  DeleteAllComponents();
  for (unsigned i = 0; i < btrFrom.GetNumComponents(); ++i) m_components.push_back(btrFrom.m_components[i]->Clone());
}

BaseTraceDefinition* BaseTraceDefinition::CopyForManager(ReportManager&) const { return nullptr; }

void BaseTraceDefinition::UpdateVersionID() { m_versionID.m_versionID = mMgr.GetNewVersionID(); }

void BaseTraceDefinition::SetIDAndVersionID(long id, long versionID) {
  SetID(id);
  m_versionID.m_versionID = versionID;
}

bool BaseTraceDefinition::SetNameWithUndo(const AString& name, bool tiedToExpression, IVelmorCommand* cmd) {
  if (!cmd) return false;
  cmd->RecordUndoable(m_traceParams);
  m_traceParams.SetName(name);
  m_traceParams.SetIsNameTiedToExpressionFlag(tiedToExpression);
  return true;
}

bool BaseTraceDefinition::SetExtendedTraceInfoWithUndo(const ExtTraceInfo& info, IVelmorCommand* cmd) {
  if (!cmd) return false;
  if (!mMgr.HasIDsLeftFor(ReportManager::Named(L"trace", GetName()), 0, 1)) return false;
  cmd->RecordUndoable(m_extTraceInfo);
  AddVersionToCommand(cmd);
  m_extTraceInfo = info;
  UpdateVersionID();
  // A trace held by no report has no report to record the edit under.
  ReportDefinition* report = mMgr.FindReportContainingTrace(m_id);
  if (!report) return true;
  if (ReportDefinitionCmdInfo* info2 = GetOrCreateReportDefinitionCmdInfo(cmd, mMgr.GetOwnerForEdit())) {
    info2->AddEditedTrace(report->GetReportID(), m_id);
    info2->AddReportFlags(report->GetReportID(), ReportDefinitionCmdInfo::kTraceReplaced);
  }
  return true;
}

void BaseTraceDefinition::AddVersionToCommand(IVelmorCommand* cmd) {
  if (!cmd) return;
  cmd->RecordUndoable(m_undoVersion);
  cmd->RecordUndoable(m_versionID);
}

bool BaseTraceDefinition::AssignNewID(ReportManager& mgr, IReportPasteListener* listener) {
  long newID = mgr.GetNewUniqueID();
  if (listener) listener->OnTraceIDChanged(m_id, newID);
  SetID(newID);
  return true;
}

void BaseTraceDefinition::SetDesignID(long) {}

const io::CBlock* BaseTraceDefinition::FindExtTraceInfoBlock(const io::CBlock& traceBlock) {
  return traceBlock.FindBlock(kExtendedTraceInfo);
}

io::ReadError BaseTraceDefinition::DoDataExchange(io::CBlock& block, bool read) {
  if (!read) {
    RecordError(io::DoDataExchange(block, false, kID, m_id, io::kReturnCode));
    RecordError(m_undoVersion.DoDataExchange(block, false));
    AString name = m_traceParams.GetName();
    bool tied = m_traceParams.GetIsNameTiedToExpressionFlag();
    RecordError(io::DoDataExchange(block, false, kName, name, io::kReturnCode));
    RecordError(io::DoDataExchange(block, false, kTieNameToExpr, tied, io::kReturnCode));
    io::CBlock components(kComponents);
    for (ITraceComponentDefinition* c : m_components) {
      auto* comp = static_cast<TraceComponentDefinition*>(c);
      io::CBlock compBlock(comp->GetBlockName());
      RecordError(comp->DoDataExchange(compBlock, false));
      components << std::move(compBlock);
    }
    block << std::move(components);
    io::CBlock extInfo(kExtendedTraceInfo);
    RecordError(m_extTraceInfo.Write(extInfo));
    block << std::move(extInfo);
    io::CBlock families(m_familiesDisplay.GetBlockName());
    RecordError(m_familiesDisplay.DoDataExchange(families, false));
    block << std::move(families);
    // Kept so that a loaded trace has the version it was saved with.
    RecordError(io::DoDataExchange(block, false, kVersionID, m_versionID.m_versionID, io::kReturnCode));
    return GetReadStatus();
  }

  long readID = m_id;
  RecordError(io::DoDataExchange(block, true, kID, readID, io::kReturnCode));
  // An ID that no server issues within 32 bits is damage: the trace keeps the one it had.
  if (id::IsStorable(readID))
    m_id = readID;
  else
    RecordError(io::kConversionFailed);
  RecordError(m_undoVersion.DoDataExchange(block, true));
  AString name = m_traceParams.GetName();
  bool tied = m_traceParams.GetIsNameTiedToExpressionFlag();
  io::DoDataExchange(block, true, kName, name, io::kReturnCode);
  RecordError(io::DoDataExchange(block, true, kTieNameToExpr, tied, io::kReturnCode));
  m_traceParams.SetName(std::move(name));
  m_traceParams.SetIsNameTiedToExpressionFlag(tied);

  // Sub-blocks are read where they stand: a read changes nothing in them.
  io::CBlock* components = block.FindBlockForEdit(kComponents);
  if (!components) return -1;
  const AString& compName = TraceComponentDefinition::GetStaticBlockName();
  m_components.reserve(m_components.size() + components->GetNumItems());
  for (size_t i = 0; i < components->GetNumItems(); ++i) {
    if (components->GetItemName(i) != compName) continue;
    io::CBlock* compBlock = components->GetBlockForEdit(i);
    if (!compBlock) continue;
    auto comp = std::make_unique<TraceComponentDefinition>();
    if (comp->DoDataExchange(*compBlock, true) == -1) continue;
    m_components.push_back(comp.release());
  }
  if (const io::CBlock* extInfo = FindExtTraceInfoBlock(block))
    RecordError(mMgr.ReadExtTraceInfo(*extInfo, m_extTraceInfo));
  if (io::CBlock* families = block.FindBlockForEdit(TraceFamiliesDisplayDefinition::GetStaticBlockName()))
    RecordError(m_familiesDisplay.DoDataExchange(*families, true));
  // Older blocks carry no version: the one drawn at construction stands.
  long versionID = m_versionID.m_versionID;
  m_keptVersionOverDamagedOne = false;
  if (io::DoDataExchange(block, true, kVersionID, versionID, io::kReturnCode) == io::kNoError) {
    m_keptVersionOverDamagedOne = !id::IsStorable(versionID);
    if (m_keptVersionOverDamagedOne)
      RecordError(io::kConversionFailed);
    else
      m_versionID.m_versionID = versionID;
  }
  return GetReadStatus();
}

}  // namespace rep
