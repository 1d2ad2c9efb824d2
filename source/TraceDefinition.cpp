#include "TraceDefinition.h"

#include "GravikUtils.h"
#include "PointsetDefinition.h"
#include "ReportDefinition.h"
#include "ReportDefinitionCmdInfo.h"
#include "ReportManager.h"
#include "hostapi/IReportPasteListener.h"
#include "hostapi/ISolutionForReports.h"
#include "hostapi/ISolutionManagerForReports.h"
#include "hostapi/IVariableNameSpaceSetupper.h"
#include "orvex/core/Assert.h"
#include "orvex/core/Ids.h"
#include "orvex/values/VariableNameSpace.h"
#include "postorvex/traceinfo/TraceDefParams.h"

namespace rep {

TraceDefinition::TraceDefinition(ReportManager& mgr, bool /*forReading*/) : BaseTraceDefinition(mgr) {
  ReadUndoableFromStorage();
}

TraceDefinition::TraceDefinition(ReportManager& mgr, const AString& name, const std::vector<AString>& expressions,
                                 const DesignSolutionDefinition& dsd, const IPointsetDefinition& pointset,
                                 const ExtTraceInfo& info, long designInstanceID, bool tiedToExpression,
                                 const TraceFamiliesDisplayParameters* familiesParams)
    : BaseTraceDefinition(mgr, name, expressions, info, tiedToExpression, familiesParams), m_dsd(dsd),
      m_pointset(pointset.Clone()), m_designInstanceID(designInstanceID) {
  ReadUndoableFromStorage();
}

TraceDefinition::TraceDefinition(ReportManager& mgr, const std::vector<AString>& expressions,
                                 const DesignSolutionDefinition& dsd, const IPointsetDefinition& pointset,
                                 const ExtTraceInfo& info, long designInstanceID,
                                 const TraceFamiliesDisplayParameters* familiesParams)
    : BaseTraceDefinition(mgr, expressions, info, familiesParams), m_dsd(dsd), m_pointset(pointset.Clone()),
      m_designInstanceID(designInstanceID) {
  ReadUndoableFromStorage();
}

TraceDefinition::TraceDefinition(const TraceDefinition& other) : TraceDefinition(other, other.GetManagerForEdit()) {}

TraceDefinition::TraceDefinition(const TraceDefinition& other, ReportManager& mgr)
    : IBaseTraceDefinition(), BaseTraceDefinition(other, mgr), ITraceDefinition(), MUndoableObject(), m_dsd(other.m_dsd),
      m_pointset(other.m_pointset ? other.m_pointset->Clone() : nullptr),
      m_designInstanceID(other.m_designInstanceID) {
  ReadUndoableFromStorage();
}

TraceDefinition::~TraceDefinition() = default;

IBaseTraceDefinition* TraceDefinition::CloneDefinition() const { return new TraceDefinition(*this); }

BaseTraceDefinition* TraceDefinition::CloneForManager(ReportManager& mgr) const {
  return new TraceDefinition(*this, mgr);
}

MUndoableObject* TraceDefinition::Clone() const { return new TraceDefinition(*this); }

void TraceDefinition::CopyFrom(const IBaseTraceDefinition& from) {
  const auto* def = dynamic_cast<const TraceDefinition*>(&from);
  ORVEX_ASSERT(def);
  if (!def || def == this) return;
  BaseTraceDefinition::CopyFrom(from);
  m_dsd = def->m_dsd;
  m_pointset.reset(def->m_pointset ? def->m_pointset->Clone() : nullptr);
  m_designInstanceID = def->m_designInstanceID;
}

void TraceDefinition::Assign(const MUndoableObject& from) {
  const auto* def = dynamic_cast<const TraceDefinition*>(&from);
  ORVEX_ASSERT(def);
  if (def) CopyFrom(*def);
}

bool TraceDefinition::ValidateDefinition(bool /*checkExpressions*/) {
  // Checks against the solution come with the expression services.
  return true;
}

bool TraceDefinition::UpdateOnCommand(IVelmorCommand* /*cmd*/) {
  // Reactions to design, solution and variable edits come with the command updates.
  return false;
}

void TraceDefinition::UpdateTraceExpressions(const QuantityRenameMap& /*renames*/, IVelmorCommand* /*cmd*/) {
  // Rewriting expressions after quantity renames comes with the expression services.
}

AString TraceDefinition::GetSolutionName() const {
  const ISolutionManagerForReports* solMgr = GetManager().GetISolutionManagerForReports();
  ISolutionForReports* solution = solMgr ? solMgr->GetSolution(m_dsd.GetSolutionID()) : nullptr;
  return solution ? solution->GetName() : AString();
}

void TraceDefinition::ActivateOutputVariables(std::set<long>& outputVariableIDs) {
  for (unsigned i = 0; i < GetNumComponents(); ++i) {
    const ITraceComponentDefinition* comp = GetComponent(i);
    if (!comp) {
      ORVEX_ASSERT(0);
      continue;
    }
    GetManagerForEdit().ActivateOutputVariablesOfExpression(outputVariableIDs, comp->GetExpression(), m_dsd);
  }
}

void TraceDefinition::SetDesignID(long) {
  m_dsd.SetDesignID(GetManager().GetDesignID());
  m_designInstanceID = GetManager().GetDesignInstanceID();
}

PointsetDefinition* TraceDefinition::GetPointsetDefinitionForEdit() {
  return dynamic_cast<PointsetDefinition*>(m_pointset.get());
}

bool TraceDefinition::SetSolutionAndContext(IReportPasteListener* listener) {
  long solutionID = id::invalidID;
  SimValueContext context(3, 0, 2, 0, 1.0, 1.0, 0.0, 0.0);
  if (!listener || !listener->GetNewSolution(solutionID, context, GetID())) return false;
  m_designInstanceID = GetManager().GetDesignInstanceID();
  m_dsd.SetSolutionID(solutionID);
  m_dsd.SetDesignID(GetManager().GetDesignID());
  ReportTypeSolutionDefinition rtsd = m_dsd.GetReportTypeSolutionDefinition();
  rtsd.SetSimValueContext(context);
  m_dsd.SetReportTypeSolutionDefinition(rtsd);
  return true;
}

bool TraceDefinition::SetPointsetFromLookup(IReportPasteListener* listener) {
  const IPointsetDefinition* pointset = listener ? listener->GetNewPointset(GetID()) : nullptr;
  if (!pointset) return false;
  if (!m_pointset) m_pointset.reset(new PointsetDefinition);
  m_pointset->CopyFrom(*pointset);
  return true;
}

bool TraceDefinition::IsPointsetValidForNumComponents(const IPointsetDefinition& pointset, unsigned numComponents) {
  const size_t numSubsweeps = pointset.GetSubsweepDefParamsContainer().Size();
  if (numComponents == 2) return numSubsweeps >= 1;
  if (numComponents == 3) return numSubsweeps >= 2;
  return true;
}

void TraceDefinition::GetTraceDefParams(TraceDefParams& params) const {
  params.SetName(GetName());
  params.SetIsNameTiedToExpressionFlag(GetIsNameTiedToExpressionFlag());
  params.SetExtendedTraceInfo(GetExtendedTraceInfo());
  std::vector<AString> expressions;
  GetTraceExpressions(expressions);
  params.SetTraceExpressions(expressions);
  params.SetDesignSolutionDefinition(m_dsd);
  if (m_pointset) params.SetPointsetDefinition(*m_pointset);
}

void TraceDefinition::GetTraceExpressions(std::vector<AString>& expressions) const {
  for (unsigned i = 0; i < GetNumComponents(); ++i)
    if (const ITraceComponentDefinition* comp = GetComponent(i)) expressions.push_back(comp->GetExpression());
}

void TraceDefinition::RecordEditInCommand(IVelmorCommand* cmd, bool recordAsEdited) {
  ReportDefinition* report = GetManager().FindReportContainingTrace(GetID());
  ReportDefinitionCmdInfo* info = GetOrCreateReportDefinitionCmdInfo(cmd, GetManagerForEdit().GetOwnerForEdit());
  if (recordAsEdited && report && info) {
    info->AddEditedTrace(report->GetReportID(), GetID());
    info->AddReportFlags(report->GetReportID(), ReportDefinitionCmdInfo::kTraceReplaced);
  }
  AddVersionToCommand(cmd);
  UpdateVersionID();
}

io::ReadError TraceDefinition::DoDataExchange(io::CBlock& block, bool read) {
  ClearReadStatus();
  if (!read) {
    io::CBlock dsdBlock(L"DesignSolnDefn");
    RecordError(m_dsd.DoDataExchange(dsdBlock, false));
    block << std::move(dsdBlock);
  } else {
    io::CBlock* dsdBlock = block.FindBlockForEdit(L"DesignSolnDefn");
    if (!dsdBlock) return -1;
    RecordError(m_dsd.DoDataExchange(*dsdBlock, true));
  }

  // The rest of the block is exchanged with the solution's variables known.
  VariableNameSpace nameSpace(1, 1, 0);
  if (ISolutionManagerForReports* solMgr = GetManagerForEdit().GetISolutionManagerForReports())
    if (IVariableNameSpaceSetupper* setupper = solMgr->GetVariableNameSpaceSetupper(m_dsd.GetSolutionID()))
      setupper->Setup(nameSpace);

  RecordError(BaseTraceDefinition::DoDataExchange(block, read));

  if (!read) {
    io::CBlock pointsetBlock(PointsetDefinition::GetStaticBlockName());
    if (auto* pointset = GetPointsetDefinitionForEdit()) RecordError(pointset->DoDataExchange(pointsetBlock, false));
    block << std::move(pointsetBlock);
  } else {
    auto* pointset = new PointsetDefinition;
    m_pointset.reset(pointset);
    io::CBlock* pointsetBlock = block.FindBlockForEdit(pointset->GetBlockName());
    if (!pointsetBlock) return -1;
    RecordError(pointset->DoDataExchange(*pointsetBlock, true));
  }

  RecordError(io::DoDataExchange(block, read, L"DesignInstanceID", m_designInstanceID, io::kReturnCode));
  return GetReadStatus();
}

}  // namespace rep
