#include "postorvex/sweeps/SubsweepsAdapter.h"

#include "hostapi/ISolutionForReports.h"
#include "hostapi/ISolutionManagerForReports.h"
#include "orvex/values/Value.h"
#include "orvex/values/Variable.h"
#include "postorvex/columns/Column.h"
#include "postorvex/solution/DesignSolutionDefinition.h"
#include "postorvex/sweeps/AbstractSubsweepDefParams.h"
#include "postorvex/sweeps/RegularSubsweepDefParams.h"
#include "postorvex/sweeps/SynchronizedSubsweepDefParams.h"
#include "postorvex/sweeps/SpecifiableSubsweepDefParams.h"
#include "postorvex/sweeps/SubsweepDefParamsContainer.h"
#include "postorvex/sweeps/PostprocessSweep.h"
#include "postorvex/sweeps/SweepBase.h"

namespace {

// What the definition selects: an overriding column, a selection, the nominal value, or else
// every value of the sweep.
Column* SelectedValues(const AbstractSubsweepDefParams& def, SweepBase& sweep, const VariableValues& nominal) {
  Variable* variable = sweep.GetVariable(0);
  if (!variable) return nullptr;
  if (auto* specifiable = dynamic_cast<const SpecifiableSubsweepDefParams*>(&def))
    if (const Column* overriding = specifiable->GetOverridingColumnData()) return overriding->CloneColumn();
  Column* values = Column::CreateColumn(variable->GetParameterType(), variable->GetUnits());
  if (!values) return nullptr;
  const int choice = def.GetSubsweepDefParamType() == 1 ? 1 : def.GetSubsweepDefChoiceType();
  if (choice == 3) {
    const Column* selection = nullptr;
    if (auto* regular = dynamic_cast<const RegularSubsweepDefParams*>(&def)) selection = regular->GetSelectedValues();
    if (auto* synchronized = dynamic_cast<const SynchronizedSubsweepDefParams*>(&def))
      selection = synchronized->GetSelectedValues();
    if (selection) {
      values->AppendFrom(*selection, nullptr);
      return values;
    }
  }
  if (choice == 2) {
    if (const Value* v = nominal.GetVariableValue(variable)) {
      values->AppendValue(*v);
      return values;
    }
  }
  for (unsigned i = 0; i < sweep.GetNumValues(); ++i) values->AppendValue(Value(sweep.GetValueText(i), variable->GetUnits()));
  return values;
}

}  // namespace

SubsweepAdapter::SubsweepAdapter(const AbstractSubsweepDefParams& def, SweepBase* sweep, const VariableValues& nominal)
    : m_sweep(sweep), m_values(sweep ? SelectedValues(def, *sweep, nominal) : nullptr) {}

SubsweepAdapter::~SubsweepAdapter() = default;
SubsweepAdapter::SubsweepAdapter(SubsweepAdapter&&) noexcept = default;

unsigned SubsweepAdapter::GetNumVariables() const {
  if (!m_sweep) return 0;
  unsigned n = 0;
  while (m_sweep->GetVariable(n)) ++n;
  return n;
}

Variable* SubsweepAdapter::GetVariable(unsigned j) const { return m_sweep ? m_sweep->GetVariable(j) : nullptr; }

unsigned SubsweepAdapter::GetValueCount() const { return m_values ? static_cast<unsigned>(m_values->GetCount()) : 0; }

AString SubsweepAdapter::GetSingleValueText(unsigned valueIndex, const VariableValues*) const {
  return m_values && valueIndex < m_values->GetCount() ? m_values->GetSingleValueText(valueIndex) : AString();
}

bool SubsweepAdapter::IsPostprocessSubsweep() const {
  PostprocessSweep* pp = m_sweep ? m_sweep->GetPostprocessSweep() : nullptr;
  return pp && pp->DoesCreatePostprocessSubsweep();
}

Column* SubsweepAdapter::CreateCopyOfValues() const { return m_values ? m_values->CloneColumn() : nullptr; }

namespace rep {

SubsweepsAdapter::SubsweepsAdapter(const SubsweepDefParamsContainer& subsweeps, const DesignSolutionDefinition& dsd,
                                   long designInstanceID, ISolutionManagerForReports* solMgr,
                                   const std::vector<VariableValues>& explicitFamilies)
    : m_families(explicitFamilies) {
  ISolutionForReports* solution = solMgr ? solMgr->GetSolution(dsd.GetSolutionID()) : nullptr;
  VariableValues nominal;
  if (solMgr) solMgr->GetSolutionVariation(nominal, dsd.GetSolutionID(), designInstanceID,
                                           dsd.GetReportTypeSolutionDefinitionRef());
  const ReportTypeSolutionDefinition& def = dsd.GetReportTypeSolutionDefinitionRef();
  for (size_t i = 0; i < subsweeps.Size(); ++i) {
    const AbstractSubsweepDefParams* params = subsweeps[i];
    if (!params) continue;
    SweepBase* sweep = solution ? solution->GetSweepOfVariable(params->GetSweepName(), def.GetSimValueContextRef(),
                                                               def.GetReportType())
                                : nullptr;
    m_adapters.emplace_back(*params, sweep, nominal);
  }
}

SubsweepsAdapter::~SubsweepsAdapter() = default;

}  // namespace rep
