#include "reports/TraceDefinition.h"

#include <algorithm>

#include "reports/GravikUtils.h"
#include "reports/TraceComponentDefinition.h"
#include "reports/PointsetDefinition.h"
#include "reports/ReportDefinition.h"
#include "reports/ReportDefinitionCmdInfo.h"
#include "reports/ReportManager.h"
#include "quantities/ScopedProfiler.h"
#include "orvex/core/IMessageManager.h"
#include "orvex/core/MessageQueueRestorer.h"
#include "postorvex/solution/SimValueContext.h"
#include "Gravik/IReportDefinitionCmdInfo.h"
#include "hostapi/IReportManagerOwner.h"
#include "hostapi/IReportPasteListener.h"
#include "hostapi/ISolutionForReports.h"
#include "hostapi/ISolutionManagerForReports.h"
#include "hostapi/IVariableNameSpaceSetupper.h"
#include "orvex/core/Assert.h"
#include "orvex/core/Ids.h"
#include "orvex/core/IVelmorCommand.h"
#include "orvex/values/DatasetCommandInfo.h"
#include "orvex/values/Variable.h"
#include "orvex/values/VariableNameSpace.h"
#include "orvex/values/VariableValues.h"
#include "postorvex/connectivity/PostpPopulationUtils.h"
#include "postorvex/outputvars/COutputVarVlmrCmdInfo.h"
#include "postorvex/sweeps/AbstractSubsweepDefParams.h"
#include "postorvex/sweeps/PostpSweepUtils.h"
#include "postorvex/sweeps/SelectableSubsweepDefParams.h"
#include "postorvex/sweeps/SubsweepDefParamsContainer.h"
#include "postorvex/sweeps/SweepBase.h"
#include "postorvex/sweeps/ValidateSubsweepDefParamsVisitor.h"
#include "postorvex/variation/VariableValuesDefParams.h"
#include "postorvex/traceinfo/TraceDefParams.h"

namespace rep {

namespace {
// Keys made once: a temporary text per lookup is an allocation per trace read.
const AString kDesignSolnDefn(L"DesignSolnDefn");
const AString kDesignInstanceID(L"DesignInstanceID");
}  // namespace

TraceDefinition::TraceDefinition(ReportManager& mgr, bool /*forReading*/, const ExtTraceInfo* extInfo)
    : BaseTraceDefinition(mgr, extInfo) {
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

bool TraceDefinition::ValidateDefinition(bool checkExpressions) {
  ScopedProfiler profile("TraceDefinition::ValidateDefinition");
  if (checkExpressions && !ValidateTraceExpressions(false)) return false;
  ISolutionManagerForReports* solMgr = GetManager().GetISolutionManagerForReports();
  ISolutionForReports* solution = solMgr ? solMgr->GetSolution(m_dsd.GetSolutionID()) : nullptr;
  if (!solution) return false;
  const ReportTypeSolutionDefinition& rtsd = m_dsd.GetReportTypeSolutionDefinitionRef();
  if (!solution->SupportsReportType(rtsd.GetReportType())) return false;
  const SimValueContext context = rtsd.GetSimValueContext();
  if (!solution->DoesContextFitReportType(context, rtsd.GetReportType())) return false;
  const auto* pd = dynamic_cast<const PointsetDefinition*>(m_pointset.get());
  ORVEX_ASSERT(pd);
  return pd && pd->Validate(solMgr, m_dsd);
}

bool TraceDefinition::ValidateTraceExpressions(bool deliverHeld) {
  std::vector<AString> trExprs;
  GetTraceExpressions(trExprs);
  std::vector<bool> isValid;
  GetManagerForEdit().CheckExpressions(isValid, trExprs, m_dsd);
  return ReportInvalidExpressions(trExprs, isValid, deliverHeld);
}

bool TraceDefinition::ReportInvalidExpressions(const std::vector<AString>& trExprs, const std::vector<bool>& isValid,
                                               bool deliverHeld) {
  MessageQueueRestorer held(GetGlobalIMessageManager()->GetMessageHandler(), deliverHeld);
  ORVEX_ASSERT(isValid.size()==trExprs.size());
  bool allValid = true;
  for (size_t i = 0; i < trExprs.size() && i < isValid.size(); ++i) {
    if (isValid[i]) continue;
    PostReportMessage(1, 17002, 17002, trExprs[i]);
    allValid = false;
  }
  return allValid;
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
    std::vector<long> ids;
    GetManagerForEdit().ActivateOutputVariablesOfExpressions(ids, comp->GetExpression(), m_dsd);
    outputVariableIDs.insert(ids.begin(), ids.end());
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
  // With no version ID left the trace keeps its own; the user is told.
  if (!GetManagerForEdit().HasIDsLeftFor(ReportManager::Named(L"trace", GetName()), 0, 1)) return;
  AddVersionToCommand(cmd);
  UpdateVersionID();
}

io::ReadError TraceDefinition::DoDataExchange(io::CBlock& block, bool read) {
  ClearReadStatus();
  if (!read) {
    io::CBlock dsdBlock(kDesignSolnDefn);
    RecordError(m_dsd.DoDataExchange(dsdBlock, false));
    block << std::move(dsdBlock);
  } else {
    io::CBlock* dsdBlock = block.FindBlockForEdit(kDesignSolnDefn);
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
    io::CBlock* pointsetBlock = block.FindBlockForEdit(PointsetDefinition::GetStaticBlockName());
    if (!pointsetBlock) return -1;
    RecordError(pointset->DoDataExchange(*pointsetBlock, true));
  }

  RecordError(io::DoDataExchange(block, read, kDesignInstanceID, m_designInstanceID, io::kReturnCode));
  return GetReadStatus();
}

// ---- updates on commands ----

struct TraceDefinition::CommandUpdateState {
  bool changed = false;
  bool recordAsEdited = true;                         // when changed without a replacement
  std::unique_ptr<IBaseTraceDefinition> replacement;  // a repaired copy to take the trace's place
  ISolutionForReports* solution = nullptr;            // the host's, never owned
  // One parse of the component expressions serves every check that reads them: a flagged command
  // runs on every trace of every report.
  std::unique_ptr<ReportManager::ExpressionFacts> facts;
  bool factsWithReferences = false;

  const ReportManager::ExpressionFacts& Facts(const TraceDefinition& trace, bool withReferences) {
    if (facts && (factsWithReferences || !withReferences)) return *facts;
    std::vector<AString> expressions;
    trace.GetTraceExpressions(expressions);
    facts.reset(new ReportManager::ExpressionFacts);
    factsWithReferences = withReferences;
    trace.GetManagerForEdit().ValidateExpressions(*facts, expressions, trace.m_dsd, withReferences);
    return *facts;
  }
};

namespace {

bool ContainsNoCase(const std::vector<AString>& names, const AString& name) {
  for (const AString& n : names)
    if (n.CompareNoCase(name) == 0) return true;
  return false;
}

// What a point set or an expression names a sweep by: the name of its first variable.
AString VariableNameOfSweep(const SweepBase& sweep) {
  const Variable* variable = sweep.GetVariable(0);
  return variable ? variable->GetName() : sweep.GetName();
}

bool IsAmongSweeps(const std::vector<SweepBase*>& sweeps, const Variable* variable) {
  return postp::FindSweepInVector(sweeps, variable) || postp::FindSweepInVector(sweeps, variable->GetName());
}

}  // namespace

ISolutionForReports* TraceDefinition::GetSolutionObject() const {
  ISolutionManagerForReports* solMgr = GetManager().GetISolutionManagerForReports();
  return solMgr ? solMgr->GetSolution(m_dsd.GetSolutionID()) : nullptr;
}

bool TraceDefinition::UpdateOnCommand(IVelmorCommand* cmd) {
  IReportManagerOwner* owner = GetManager().GetOwnerForEdit();
  if (!(owner && owner->ShouldUpdateTracesOnCommand(cmd)) && !IsReportFlaggedInCommand(cmd)) return false;

  // Without the host's solutions nothing can be judged: the trace stays as it is.
  ISolutionManagerForReports* solMgr = GetManager().GetISolutionManagerForReports();
  if (!solMgr) return false;
  const ReportTypeSolutionDefinition& rtsd = m_dsd.GetReportTypeSolutionDefinitionRef();
  std::vector<long> offered;
  solMgr->GetSolutionsForReportType(offered, rtsd.GetReportType());
  ISolutionForReports* solution = solMgr->GetSolution(m_dsd.GetSolutionID());
  if (!solution || std::find(offered.begin(), offered.end(), m_dsd.GetSolutionID()) == offered.end()) {
    PostReportMessage(0, 17009, 17008, GetName());
    return true;
  }
  if (!solution->SupportsReportType(rtsd.GetReportType()) ||
      !solution->DoesContextFitReportType(rtsd.GetSimValueContext(), rtsd.GetReportType())) {
    PostReportMessage(0, 17014, -1, GetName());
    return true;
  }

  CommandUpdateState state;  // deletes any replacement on every way out
  state.solution = solution;
  if (UpdateSweepsOnCommand(state, cmd)) return true;
  if (UpdateDependentVariablesOnCommand(state, cmd)) return true;
  if (solution->DidCommandChangeData(cmd, rtsd)) state.changed = true;
  UpdateOutputVariablesOnCommand(state, cmd);
  UpdateDatasetsOnCommand(state, cmd);
  {
    std::vector<AString> expressions;
    GetTraceExpressions(expressions);
    if (!ReportInvalidExpressions(expressions, state.Facts(*this, false).valid, false)) state.changed = true;
  }
  CheckDigitalComponentsOnCommand(state, cmd);
  if (!state.changed) return false;

  if (state.replacement) {
    ReportDefinition* ird = GetManager().FindReportContainingTrace(GetID());
    ORVEX_ASSERT(ird);
    // A trace no report holds has nothing to be replaced in, nor a report to mark.
    if (!ird) return false;
    ird->ReplaceTraceDefinition(*state.replacement, GetID(), cmd);
  } else {
    RecordEditInCommand(cmd, state.recordAsEdited);
  }
  AddUpdatedTraceToCommand(cmd);
  MarkTracesUpdatedInCommand(cmd, GetManagerForEdit().GetOwnerForEdit());
  return false;
}

bool TraceDefinition::UpdateOutputVariablesOnCommand(CommandUpdateState& state, IVelmorCommand* cmd) {
  const ReportManager::ExpressionFacts& facts = state.Facts(*this, false);
  // Every expression must parse and every output variable activate, as for an activation.
  for (bool valid : facts.valid)
    if (!valid) return false;
  const auto* outputVarInfo =
      dynamic_cast<const COutputVarVlmrCmdInfo*>(cmd ? cmd->GetInfo(COutputVarVlmrCmdInfo::kKind) : nullptr);
  if (outputVarInfo) {
    for (const std::vector<AString>& names : facts.userOutputVariableNames)
      for (const AString& name : names)
        if (outputVarInfo->IsOutputVarEdited(name)) {
          state.changed = true;
          return false;
        }
  }
  if (!state.solution) return false;
  const ReportTypeSolutionDefinition& rtsd = m_dsd.GetReportTypeSolutionDefinitionRef();
  for (const auto* perExpression : {&facts.compositeQuantities, &facts.simValueQuantities})
    for (const std::vector<AString>& quantities : *perExpression)
      for (const AString& quantity : quantities)
        if (state.solution->DidCommandChangeQuantity(cmd, quantity, rtsd)) {
          state.changed = true;
          return false;
        }
  return false;
}

bool TraceDefinition::UpdateDatasetsOnCommand(CommandUpdateState& state, IVelmorCommand* cmd) {
  if (!cmd) return false;
  ORVEX_ASSERT(!cmd->GetInfo(id::kProjectDataset));
  VelmorCommandInfo* info = cmd->GetInfo(DatasetCommandInfo::kKind);
  if (!info) return false;
  const auto* realDesignDatasetInfo = dynamic_cast<const DatasetCommandInfo*>(info);
  ORVEX_ASSERT(realDesignDatasetInfo);
  if (!realDesignDatasetInfo || !realDesignDatasetInfo->IsAnyDatasetEdited()) return false;
  for (const ReferencedDatasetMap& datasets : state.Facts(*this, true).datasets)
    for (const ReferencedDatasetMap::value_type& entry : datasets)
      if (realDesignDatasetInfo->IsAnyDatasetEdited(entry)) {
        state.changed = true;
        return false;
      }
  return false;
}

void TraceDefinition::CheckDigitalComponentsOnCommand(CommandUpdateState& state, IVelmorCommand* cmd) {
  if (state.changed || !IsReportFlaggedInCommand(cmd)) return;
  const ReportManager::ExpressionFacts& facts = state.Facts(*this, false);
  size_t index = 0;  // of the expression: a missing component has none
  for (unsigned i = 0; i < GetNumComponents(); ++i) {
    if (!GetComponent(i)) {
      ORVEX_ASSERT(0);
      continue;
    }
    if (index >= facts.valid.size() || !facts.valid[index]) return;
    if (IsDigitalParameterType(facts.valueStates[index].GetParameterType())) {
      state.changed = true;
      return;
    }
    ++index;
  }
}

bool TraceDefinition::IsReportFlaggedInCommand(IVelmorCommand* cmd) const {
  const IReportManagerOwner* owner = GetManager().GetOwner();
  if (!owner || !cmd) return false;
  VelmorCommandInfo* info =
      GetManager().GetOwnerForEdit()->GetContextedInfoFromCmd(cmd, owner->GetCmdInfoSourceForReports());
  const auto* reportInfo = dynamic_cast<const IReportDefinitionCmdInfo*>(info);
  if (!reportInfo || !reportInfo->GetFlag()) return false;
  // The flag first: finding the trace's report walks every trace of the manager.
  const ReportDefinition* report = GetManager().FindReportContainingTrace(GetID());
  return report && info->IsEditedElement(report->GetReportID());
}

void TraceDefinition::AddUpdatedTraceToCommand(IVelmorCommand* cmd) {
  if (!cmd) return;
  ReportDefinition* report = GetManager().FindReportContainingTrace(GetID());
  if (!report) {
    ORVEX_ASSERT(0);
    return;
  }
  if (ReportDefinitionCmdInfo* info = GetOrCreateReportDefinitionCmdInfo(cmd, GetManagerForEdit().GetOwnerForEdit()))
    info->AddUpdatedTrace(report->GetReportID(), GetID());
}

void TraceDefinition::UpdateTraceExpressions(const QuantityRenameMap& renames, IVelmorCommand* cmd) {
  MessageQueueRestorer held(GetGlobalIMessageManager()->GetMessageHandler(), false);
  std::vector<AString> expressions;
  GetTraceExpressions(expressions);
  std::vector<AString> renamed = expressions;
  ReportManager& mgr = GetManagerForEdit();
  bool changed = false;
  for (size_t i = 0; i < expressions.size(); ++i) {
    AString newText;
    GenerateNewValueTextOfExpression(newText, expressions[i], renames, mgr.GetISolutionManagerForReports(),
                                     mgr.GetIOutputVariableMgrForEdit(), mgr.GetISimValueInfoCache(), m_dsd);
    if (newText.empty()) continue;
    renamed[i] = newText;
    changed = true;
  }
  if (!changed) return;

  std::unique_ptr<IBaseTraceDefinition> cloned(CloneDefinition());
  auto* clone = dynamic_cast<TraceDefinition*>(cloned.get());
  if (!clone || clone->GetNumComponents() != renamed.size()) {
    ORVEX_ASSERT(0);
    return;
  }
  for (unsigned i = 0; i < clone->GetNumComponents(); ++i)
    if (auto* component = dynamic_cast<TraceComponentDefinition*>(clone->GetComponentForEdit(i)))
      component->SetExpression(renamed[i]);
  ReportDefinition* ird = mgr.FindReportContainingTrace(GetID());
  ORVEX_ASSERT(ird);
  if (ird) ird->ReplaceTraceDefinition(*clone, GetID(), cmd);
}

// ---- sweep repair ----

bool TraceDefinition::UpdateSweepsOnCommand(CommandUpdateState& state, IVelmorCommand* cmd) {
  if (!cmd) return false;
  ISolutionForReports* isde = GetSolutionObject();
  ORVEX_ASSERT(isde);
  if (!isde) return true;
  const ReportTypeSolutionDefinition& rtsd = m_dsd.GetReportTypeSolutionDefinitionRef();
  if (!isde->DidCommandChangeSweeps(cmd, rtsd)) return false;
  bool invalid = false;
  std::unique_ptr<PointsetDefinition> rebuilt = RebuildPointsetForSolution(invalid);
  if (!rebuilt) return false;
  PostReportMessage(0, 17015, -1, GetName());

  std::vector<SweepBase*> sweeps;
  isde->GetSweeps(sweeps, rtsd.GetSimValueContext(), rtsd.GetReportType());
  std::vector<AString> expressions;
  GetTraceExpressions(expressions);
  for (AString& expression : expressions) {
    if (expression.empty()) {
      if (sweeps.size() > 1) expression = VariableNameOfSweep(*sweeps[1]);
      continue;
    }
    const Variable* intrinsic = Value::GetIntrinsicVariable(expression.Trimmed());
    if (!intrinsic || IsAmongSweeps(sweeps, intrinsic)) continue;
    ORVEX_ASSERT(sweeps.size()>0);
    if (!sweeps.empty()) expression = VariableNameOfSweep(*sweeps[0]);
  }
  state.replacement.reset(new TraceDefinition(GetManagerForEdit(), GetName(), expressions, m_dsd, *rebuilt,
                                              GetExtendedTraceInfo(), m_designInstanceID,
                                              GetIsNameTiedToExpressionFlag(), nullptr));
  state.changed = true;
  return false;
}

std::unique_ptr<PointsetDefinition> TraceDefinition::RebuildPointsetForSolution(bool& invalid) const {
  ISolutionForReports* isde = GetSolutionObject();
  ORVEX_ASSERT(isde);
  if (!isde) return nullptr;
  const ReportTypeSolutionDefinition& rtsd = m_dsd.GetReportTypeSolutionDefinitionRef();
  std::vector<SweepBase*> sweeps;
  isde->GetSweeps(sweeps, rtsd.GetSimValueContext(), rtsd.GetReportType());

  SubsweepDefParamsContainer subsweeps;
  std::vector<VariableValuesDefParams> families;
  SubsweepDefParamsContainer specifiable;
  if (m_pointset) {
    subsweeps = m_pointset->GetSubsweepDefParamsContainer();
    m_pointset->GetVariableValuesDefParams(families);
    specifiable = m_pointset->GetSpecifiableSubsweepsIfInFamilies();
  }
  bool modified = false;

  for (size_t i = 0; i < subsweeps.Size();) {
    ValidateSubsweepDefParamsVisitor visitor(sweeps);
    subsweeps[i]->Accept(visitor);
    if (visitor.IsValid()) {
      ++i;
      continue;
    }
    modified = true;
    const SweepBase* sweep = postp::FindSweepInVector(sweeps, subsweeps[i]->GetSweepName());
    AbstractSubsweepDefParams* fresh = sweep ? sweep->CreateDefaultSubsweepDefParams() : nullptr;
    if (!fresh) {
      subsweeps.Remove(i);
      continue;
    }
    subsweeps.Replace(i++, fresh);
  }

  for (VariableValuesDefParams& family : families) {
    for (const SweepBase* sweep : sweeps) {
      const AString name = VariableNameOfSweep(*sweep);
      if (!sweep->IsSpecialSweep() || !family.DoesVariableExist(name)) continue;
      const bool retval = family.RemoveVariableValue(name);
      ORVEX_ASSERT(retval);
      modified = true;
    }
    std::vector<AString> names;
    family.GetVariableNames(names);
    for (const AString& name : names) {
      if (postp::FindSweepInVector(sweeps, name)) continue;
      const bool retval = family.RemoveVariableValue(name);
      ORVEX_ASSERT(retval);
      modified = true;
    }
  }
  // Families that lost every variable tell nothing apart.
  if (std::all_of(families.begin(), families.end(), [](const VariableValuesDefParams& f) { return f.empty(); }))
    families.clear();

  const ValidateSubsweepDefParamsVisitor specifiableCheck(sweeps);
  for (size_t i = 0; i < specifiable.Size();) {
    if (specifiableCheck.IsSpecifiableSweep(postp::FindSweepInVector(sweeps, specifiable[i]->GetSweepName()))) {
      ++i;
      continue;
    }
    specifiable.Remove(i);
    modified = true;
  }

  VariableValues variation;
  if (ISolutionManagerForReports* solMgr = GetManager().GetISolutionManagerForReports())
    solMgr->GetSolutionVariation(variation, m_dsd.GetSolutionID(), m_designInstanceID, rtsd);

  for (const SweepBase* sweep : sweeps) {
    const AString name = VariableNameOfSweep(*sweep);
    if (subsweeps.GetDefParamsFromSweepName(sweep->GetName()) ||
        (!families.empty() && families.front().DoesVariableExist(name)) || variation.DoesVariableExist(name))
      continue;
    if (sweep->IsSpecialSweep() || sweep->GetNumValues() == 0) {
      invalid = true;
      return nullptr;
    }
    modified = true;
    if (families.empty()) {
      std::unique_ptr<SelectableSubsweepDefParams> def = PointsetDefinition::CreateDefaultSelectableSubsweep(*sweep);
      if (!def) {
        ORVEX_ASSERT(0);
        invalid = true;
        return nullptr;
      }
      def->SetSubsweepDefChoiceType(kSelectedValuesChoice);
      subsweeps.PushBackAndOwn(def.release());
      continue;
    }
    Value first(Units::kNoUnit);
    first.SetValueText(sweep->GetValueText(0), Units::kNoUnit);
    for (VariableValuesDefParams& family : families) family.AddVariableValue(name, first);
  }

  if (!subsweeps.empty() || !families.empty()) {
    if (!modified) return nullptr;
    return std::make_unique<PointsetDefinition>(subsweeps, families, specifiable);
  }
  AbstractSubsweepDefParams* fallback = sweeps.empty() ? nullptr : sweeps.front()->CreateDefaultSubsweepDefParams();
  if (!fallback) {
    invalid = true;
    return nullptr;
  }
  subsweeps.PushBackAndOwn(fallback);
  return std::make_unique<PointsetDefinition>(subsweeps, families, specifiable);
}

bool TraceDefinition::UpdateDependentVariablesOnCommand(CommandUpdateState& state, IVelmorCommand* cmd) {
  ISolutionManagerForReports* solMgr = GetManager().GetISolutionManagerForReports();
  if (!solMgr) return false;
  const ReportTypeSolutionDefinition& rtsd = m_dsd.GetReportTypeSolutionDefinitionRef();
  std::vector<AString> added, sweepsToRemove, namesToCheck;
  solMgr->GetVariableChanges(added, sweepsToRemove, namesToCheck, cmd, m_dsd.GetSolutionID(), rtsd,
                             m_designInstanceID);
  VariableValues variation;
  solMgr->GetSolutionVariation(variation, m_dsd.GetSolutionID(), m_designInstanceID, rtsd);
  for (const Variable* dependent : postp::GetDependentVariables(variation)) {
    const AString& name = dependent->GetName();
    if (!ContainsNoCase(namesToCheck, name)) continue;
    auto same = std::find(namesToCheck.begin(), namesToCheck.end(), name);
    if (same != namesToCheck.end()) namesToCheck.erase(same);
    sweepsToRemove.push_back(name);
  }

  if (!sweepsToRemove.empty()) {
    // A replacement the sweep check made carries repairs of its own: reduce that one.
    const TraceDefinition* base = this;
    if (const auto* repaired = dynamic_cast<const TraceDefinition*>(state.replacement.get())) base = repaired;
    std::unique_ptr<IBaseTraceDefinition> cloned(base->CloneDefinition());
    auto* replacement = dynamic_cast<TraceDefinition*>(cloned.get());
    PointsetDefinition* reduced = replacement ? replacement->GetPointsetDefinitionForEdit() : nullptr;
    if (reduced) {
      reduced->RemoveSweeps(sweepsToRemove);
      if (!IsPointsetValidForNumComponents(*reduced)) return true;
      state.replacement = std::move(cloned);
      state.changed = true;
    }
  }

  if (namesToCheck.empty() || !m_pointset) return false;
  std::vector<AString> swept;
  if (const auto* pointset = dynamic_cast<const PointsetDefinition*>(m_pointset.get())) pointset->GetSweepNames(swept);
  for (const AString& name : namesToCheck) {
    const AbstractSubsweepDefParams* def = m_pointset->GetSubsweepDefParamsContainer().GetDefParamsFromSweepName(name);
    if (ContainsNoCase(swept, name) && !(def && def->GetSubsweepDefChoiceType() == kNominalValueChoice)) continue;
    // The data follows the variable's new value; what the trace plots stays as it was.
    state.changed = true;
    state.recordAsEdited = false;
    return false;
  }
  return false;
}

}  // namespace rep
