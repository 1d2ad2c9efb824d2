#include "refhost/ReferenceSolution.h"

#include <algorithm>

#include "orvex/core/IVelmorCommand.h"
#include "orvex/core/VelmorDeltaState.h"
#include "orvex/values/VariableNameSpace.h"
#include "postorvex/columns/DoubleColumn.h"
#include "postorvex/sweeps/Sweep.h"
#include "postorvex/sweeps/SynchronizedSweep.h"
#include "refhost/ReferenceDerivedDataDefinition.h"

namespace refhost {

ReferenceSolutionInstance::~ReferenceSolutionInstance() = default;

void ReferenceSolutionInstance::GetParentLoadDefinitions(AutoVectorOfClonablePtrs<IDerivedDataDefinition>& parents,
                                                         std::vector<long>& versionIDs) const {
  for (const Parent& p : m_parents) {
    parents.push_back(new ReferenceDerivedDataDefinition(p.solutionID, p.def));
    versionIDs.push_back(p.version);
  }
  if (m_dropOneVersion && !versionIDs.empty()) versionIDs.pop_back();
}

bool ReferenceSolutionInstance::BelongsTo(const IDerivedDataDefinition& loadDefinition) const {
  return !m_hasDefinition || loadDefinition.Matches(m_definition);
}

void ReferenceSolutionInstance::AddParent(long solutionID, const ReportTypeSolutionDefinition& def, long version) {
  m_parents.push_back({solutionID, def, version});
}

ReferenceSolution::ReferenceSolution(long id, const AString& name) : m_id(id), m_name(name) {}
ReferenceSolution::~ReferenceSolution() {
  // A defining expression refers to other variables of the solution, created before or after
  // its own: all of them must go while every variable still lives.
  for (auto& variable : m_variables) variable->SetDefinition(AString());
}

void ReferenceSolution::BuildContextObjects(const ReportTypeSolutionDefinition& def, ISolutionContextObject*& context,
                                            IDerivedDataDefinition*& loadDefinition) {
  ++m_contextObjectsBuilt;
  context = new ReferenceContextObject(static_cast<int>(m_id));
  loadDefinition = new ReferenceDerivedDataDefinition(m_id, def);
}

long ReferenceSolution::GetVersionIDForPostprocessing(const IDerivedDataDefinition&) { return m_ppVersion; }

long ReferenceSolution::GetContextVersionID(const IDerivedDataDefinition&) { return m_contextVersion; }

void ReferenceSolution::GetValidVersionIDs(std::vector<long>& out, const IDerivedDataDefinition&) {
  if (m_validVersions.empty()) {
    out.push_back(m_ppVersion);
    return;
  }
  out.insert(out.end(), m_validVersions.begin(), m_validVersions.end());
}

void ReferenceSolution::GetVariables(std::vector<Variable*>& out, const IDerivedDataDefinition&, long,
                                     const VariableValues* variation) {
  for (const Variable* v : m_majors) {
    if (variation && !variation->HasVariable(v)) continue;
    out.push_back(const_cast<Variable*>(v));
  }
}

void ReferenceSolution::GetSolutionInstances(std::vector<ISolutionInstanceForReports*>& out,
                                             const IDerivedDataDefinition& loadDefinition, long) {
  // Asked at every trace update: a solution of many points hands them out without visiting each.
  if (!m_anyInstanceForADefinition) {
    out.insert(out.end(), m_instancePointers.begin(), m_instancePointers.end());
    return;
  }
  for (auto& instance : m_instances)
    if (instance->BelongsTo(loadDefinition)) out.push_back(instance.get());
}

bool ReferenceSolution::ProvideSweepPoint(const IDerivedDataDefinition&, long, const VariableValues& combination) {
  for (auto& instance : m_instances)
    if (instance->GetVariation() == combination) return true;
  AddInstance(combination);
  return true;
}

bool ReferenceSolution::GetQuantityValueState(ValueState& out, const AString& quantity,
                                              const ReportTypeSolutionDefinition& def, long) {
  ++m_valueStateQueries;
  const ReferenceQuantity* q = FindQuantity(quantity);
  if (!q || !OffersQuantitiesFor(def)) return false;
  out = q->state;
  return true;
}

bool ReferenceSolution::GetQuantityEnumTypeName(AString& out, const AString& quantity,
                                                const ReportTypeSolutionDefinition& def, long) {
  ++m_enumNameQueries;
  const ReferenceQuantity* q = FindQuantity(quantity);
  if (!q || q->kind != ReferenceQuantity::kEnum || !OffersQuantitiesFor(def)) return false;
  out = q->enumTypeName;
  return true;
}

bool ReferenceSolution::GetOutputVariableExpression(AString& out, const AString& name) {
  auto it = m_outputVariables.find(name);
  if (it == m_outputVariables.end()) return false;
  out = it->second;
  return true;
}

IQuantityTypeProvider* ReferenceSolution::GetQuantityTypeProvider() {
  return m_describesByTypeParams ? &m_provider : nullptr;
}

SweepBase* ReferenceSolution::GetSweepOfVariable(const AString& name, const SimValueContext&, unsigned reportType) {
  if (!SupportsReportType(reportType)) return nullptr;
  for (auto& sweep : m_sweeps) {
    if (sweep->GetName().CompareNoCase(name) == 0) return sweep.get();
    if (SynchronizedSweep* sync = sweep->GetSynchronizedSweep())
      for (Sweep* member : *sync)
        if (member->GetVariable(0) && member->GetVariable(0)->GetName().CompareNoCase(name) == 0) return sweep.get();
  }
  return nullptr;
}

void ReferenceSolution::GetSweeps(std::vector<SweepBase*>& out, const SimValueContext&, unsigned reportType) {
  if (!SupportsReportType(reportType)) return;
  for (auto& sweep : m_sweeps) out.push_back(sweep.get());
}

SweepBase& ReferenceSolution::AddSweep(std::unique_ptr<SweepBase> sweep) {
  m_sweeps.push_back(std::move(sweep));
  return *m_sweeps.back();
}

SweepBase& ReferenceSolution::AddSweep(Variable* variable, const std::vector<double>& values, bool special,
                                       int defaultKind) {
  auto* column = new DoubleColumn(variable->GetUnits());
  for (double v : values) column->AddValue(v, false);
  return AddSweep(std::make_unique<Sweep>(variable->GetName(), variable, column, special, defaultKind));
}

void ReferenceSolution::NameSpaceSetupper::Setup(VariableNameSpace& ns) {
  for (const auto& v : m_solution.m_variables) ns.AddVariable(v.get());
}

bool ReferenceSolution::IsSimValueQuantity(AString& outName, const AString& expression,
                                           const ReportTypeSolutionDefinition& def) {
  const Variable* variable = FindVariable(expression.Trimmed());
  if (!variable || !OffersQuantitiesFor(def)) return false;
  auto alias = m_variableQuantities.find(variable->GetName());
  const ReferenceQuantity* q = FindQuantity(alias != m_variableQuantities.end() ? alias->second : variable->GetName());
  if (!q) return false;
  outName = alias != m_variableQuantities.end() ? alias->second : variable->GetName();
  return true;
}

void ReferenceSolution::SetVariableQuantity(const AString& variable, const AString& quantity) {
  m_variableQuantities[variable] = quantity;
}

bool ReferenceSolution::DidCommandChangeQuantity(const IVelmorCommand* cmd, const AString& quantity,
                                                 const ReportTypeSolutionDefinition&) {
  ++m_quantityChangeQueries;
  return m_quantityChanges.count({cmd, quantity.FoldedCase()}) != 0;
}

bool ReferenceSolution::DoesCommandChange(const std::vector<DataChange>& changes, const IVelmorCommand* cmd,
                                          const ReportTypeSolutionDefinition& def) {
  for (const DataChange& change : changes)
    if (change.cmd == cmd && (change.anyDefinition || change.def == def)) return true;
  return false;
}

bool ReferenceSolution::DidCommandChangeData(const IVelmorCommand* cmd, const ReportTypeSolutionDefinition& def) {
  ++m_dataChangeQueries;
  return DoesCommandChange(m_dataChanges, cmd, def);
}

bool ReferenceSolution::SupportsReportType(unsigned reportType) {
  return m_reportTypes.empty() || std::find(m_reportTypes.begin(), m_reportTypes.end(), reportType) != m_reportTypes.end();
}

bool ReferenceSolution::DoesContextFitReportType(const SimValueContext& context, unsigned reportType) {
  if (!SupportsReportType(reportType)) return false;
  return m_fittingContexts.empty() || m_fittingContexts.count({reportType, context}) != 0;
}

bool ReferenceSolution::DidCommandChangeSweeps(const IVelmorCommand* cmd, const ReportTypeSolutionDefinition& def) {
  return DoesCommandChange(m_sweepChanges, cmd, def);
}

bool ReferenceSolution::GetTextQuantityName(AString&, const AString&, const ReportTypeSolutionDefinition&) {
  return false;
}

Variable* ReferenceSolution::AddVariable(const AString& name, const Value& nominal, bool major) {
  m_variables.push_back(std::make_unique<Variable>(name, nominal.GetUnits()));
  Variable* v = m_variables.back().get();
  m_nominal[v] = nominal;
  if (major) m_majors.push_back(v);
  return v;
}

Variable* ReferenceSolution::FindVariable(const AString& name) const {
  for (const auto& v : m_variables)
    if (v->GetName().CompareNoCase(name) == 0) return v.get();
  return nullptr;
}

void ReferenceSolution::GetNominalVariation(VariableValues& out) const {
  for (const auto& entry : m_nominal) out.SetVariableValue(entry.first, entry.second);
}

ReferenceSolutionInstance& ReferenceSolution::AddInstance(const VariableValues& variation,
                                                         const ReportTypeSolutionDefinition* forDefinition) {
  m_instances.push_back(std::make_unique<ReferenceSolutionInstance>(variation, forDefinition));
  m_instances.back()->SetSolution(this);
  m_instancePointers.push_back(m_instances.back().get());
  m_anyInstanceForADefinition = m_anyInstanceForADefinition || forDefinition;
  return *m_instances.back();
}

ReferenceQuantity& ReferenceSolution::AddQuantity(const AString& name, const ValueState& state,
                                                  ReferenceQuantity::Function function) {
  ReferenceQuantity& q = m_quantities[name] = ReferenceQuantity();
  q.state = state;
  q.function = std::move(function);
  return q;
}

ReferenceQuantity& ReferenceSolution::AddEnumQuantity(const AString& name, const ValueState& state,
                                                      const AString& enumTypeName,
                                                      ReferenceQuantity::Function function) {
  ReferenceQuantity& q = AddQuantity(name, state, std::move(function));
  q.kind = ReferenceQuantity::kEnum;
  q.enumTypeName = enumTypeName;
  return q;
}

ReferenceQuantity& ReferenceSolution::AddCompositeQuantity(const AString& name, int compositeType,
                                                           const std::vector<AString>& constituents) {
  ReferenceQuantity& q = AddQuantity(name, ValueState());
  q.kind = ReferenceQuantity::kComposite;
  q.compositeType = compositeType;
  q.constituents = constituents;
  return q;
}

ReferenceQuantity& ReferenceSolution::AddOtherQuantity(const AString& name, const ValueState& state) {
  ReferenceQuantity& q = AddQuantity(name, state);
  q.kind = ReferenceQuantity::kOther;
  return q;
}

bool ReferenceSolution::RemoveQuantity(const AString& name) { return m_quantities.erase(name) != 0; }

const ReferenceQuantity* ReferenceSolution::FindQuantity(const AString& name) const {
  auto it = m_quantities.find(name);
  return it == m_quantities.end() ? nullptr : &it->second;
}

bool ReferenceSolution::OffersQuantitiesFor(const ReportTypeSolutionDefinition& def) const {
  return m_reportTypes.empty() ||
         std::find(m_reportTypes.begin(), m_reportTypes.end(), def.GetReportType()) != m_reportTypes.end();
}

bool ReferenceSolution::IsMajorVariable(const Variable* variable) const {
  return std::find(m_majors.begin(), m_majors.end(), variable) != m_majors.end();
}

bool ReferenceSolution::EvaluateQuantity(const AString& name, AComplex<double>& out) const {
  const ReferenceQuantity* q = FindQuantity(name);
  if (!q || !q->function) return false;
  std::vector<Variable*> variables;
  for (const auto& v : m_variables) variables.push_back(v.get());
  VariableValues current;
  current.CopyVarValuesFrom(variables);
  out = q->function(current);
  return true;
}

void ReferenceSolution::AddOutputVariable(const AString& name, const AString& expression) {
  m_outputVariables[name] = expression;
}

void ReferenceSolution::SetCommandChangesQuantity(const IVelmorCommand* cmd, const AString& quantity) {
  m_quantityChanges.insert({cmd, quantity.FoldedCase()});
}

void ReferenceSolution::SetCommandChangesData(const IVelmorCommand* cmd, const ReportTypeSolutionDefinition* def) {
  m_dataChanges.push_back({cmd, def == nullptr, def ? *def : ReportTypeSolutionDefinition()});
}

void ReferenceSolution::SetCommandChangesSweeps(const IVelmorCommand* cmd, const ReportTypeSolutionDefinition* def) {
  m_sweepChanges.push_back({cmd, def == nullptr, def ? *def : ReportTypeSolutionDefinition()});
}

// Holds the removed sweep while the removal stands.
class ReferenceSolution::SweepRemoval : public VelmorDeltaState {
public:
  SweepRemoval(std::vector<std::unique_ptr<SweepBase>>& sweeps, size_t position)
      : VelmorDeltaState(true), m_sweeps(sweeps), m_position(position) {
    TakeOut();
  }
  ~SweepRemoval() override;

  void UndoIt() override {
    VelmorDeltaState::UndoIt();
    m_sweeps.insert(m_sweeps.begin() + static_cast<std::ptrdiff_t>(std::min(m_position, m_sweeps.size())),
                    std::move(m_removed));
  }
  void RedoIt() override {
    VelmorDeltaState::RedoIt();
    TakeOut();
  }

private:
  void TakeOut() {
    if (m_position >= m_sweeps.size()) return;
    m_removed = std::move(m_sweeps[m_position]);
    m_sweeps.erase(m_sweeps.begin() + static_cast<std::ptrdiff_t>(m_position));
  }

  std::vector<std::unique_ptr<SweepBase>>& m_sweeps;  // the solution's
  size_t m_position;
  std::unique_ptr<SweepBase> m_removed;  // held while the removal stands
};

ReferenceSolution::SweepRemoval::~SweepRemoval() = default;

bool ReferenceSolution::RemoveSweep(const AString& name, IVelmorCommand* cmd) {
  if (!cmd) return false;
  for (size_t i = 0; i < m_sweeps.size(); ++i) {
    if (m_sweeps[i]->GetName().CompareNoCase(name) != 0) continue;
    cmd->AddDeltaState(new SweepRemoval(m_sweeps, i));
    SetCommandChangesSweeps(cmd);
    return true;
  }
  return false;
}

}  // namespace refhost
