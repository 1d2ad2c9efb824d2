#include "tracedata/TraceStateData.h"

#include "Gravik/IPointsetDefinition.h"
#include "quantities/NearlyEqual.h"
#include "tracedata/TraceDataDatasets.h"
#include "hostapi/ISolutionForReports.h"
#include "hostapi/ISolutionManagerForReports.h"
#include "orvex/core/Assert.h"
#include "orvex/values/ConstantValues.h"
#include "orvex/values/Variable.h"
#include "postorvex/columns/Column.h"
#include "postorvex/columns/LinkVariableToColumnContext.h"
#include "postorvex/sweeps/SelectableSubsweepDefParams.h"
#include "postorvex/sweeps/SpecifiableSubsweepDefParams.h"
#include "postorvex/sweeps/SubsweepDefParamsContainer.h"
#include "postorvex/sweeps/Sweep.h"
#include "postorvex/sweeps/SynchronizedSweep.h"
#include "postorvex/variation/VariableValuesDefParams.h"

namespace rep {

namespace {

// Each part by itself.
bool AreComplexNearlyEqual(const AComplex<double>& a, const AComplex<double>& b, const AComplex<double>& relTols,
                           const AComplex<double>& absTols) {
  return IsNearlyEqual(a.real(), b.real(), relTols.real(), absTols.real()) &&
         IsNearlyEqual(a.imag(), b.imag(), relTols.imag(), absTols.imag());
}

// A float never compares with a complex by tolerance.
bool AreValuesNearlyEqual(const Value& a, const Value& b, double relTol) {
  auto* fa = dynamic_cast<const FloatValue*>(a.GetValueBase());
  auto* fb = dynamic_cast<const FloatValue*>(b.GetValueBase());
  if (fa && fb) return IsNearlyEqual(fa->GetValue(), fb->GetValue(), relTol, 0.0);
  auto* ca = dynamic_cast<const ComplexValue*>(a.GetValueBase());
  auto* cb = dynamic_cast<const ComplexValue*>(b.GetValueBase());
  if (ca && cb)
    return AreComplexNearlyEqual(ca->GetComplexValue(), cb->GetComplexValue(), AComplex<double>(relTol, relTol),
                                 AComplex<double>(0.0, 0.0));
  return a.IsEqual(b);
}

}  // namespace

TraceStateData::TraceStateData() = default;
TraceStateData::~TraceStateData() = default;

void TraceStateData::SetConnectivity(SPS2Connectivity* connectivity) {
  ORVEX_ASSERT(connectivity);
  m_connectivity.reset(connectivity);
}

void TraceStateData::SetDatasets(TraceDataDatasets* datasets) {
  ORVEX_ASSERT(datasets);
  m_datasets.reset(datasets);
}

void TraceStateData::Reset() {
  m_datasets.reset();
  m_connectivity.reset();
  m_variableValues.clear();
  m_needsUpdate = true;
  m_updateRequested = false;
  mVariablesWithNonNominalValues.clear();
}

void TraceStateData::FindVariablesWithNonNominalValues(const IPointsetDefinition& pointset,
                                                       ISolutionManagerForReports* solMgr, long designInstanceID) {
  ORVEX_ASSERT(mVariablesWithNonNominalValues.empty());
  mVariablesWithNonNominalValues.clear();
  ISolutionForReports* solution = solMgr ? solMgr->GetSolution(m_dsd.GetSolutionID()) : nullptr;
  if (!solution) {
    ORVEX_ASSERT(0);
    return;
  }
  VariableValues nominal;
  solMgr->GetSolutionVariation(nominal, m_dsd.GetSolutionID(), designInstanceID, m_dsd.GetReportTypeSolutionDefinitionRef());
  auto append = [&](const AString& name) {
    const Variable* variable = FindSweepVariable(name, solution);
    if (variable) mVariablesWithNonNominalValues.push_back(variable);
  };
  for (const AbstractSubsweepDefParams* def : pointset.GetSubsweepDefParamsContainer()) {
    auto* selectable = dynamic_cast<const SelectableSubsweepDefParams*>(def);
    if (selectable && IsSubsweepAtNominalValue(selectable, solMgr, nominal)) continue;
    if (def) append(def->GetSweepName());
  }
  std::vector<VariableValuesDefParams> families;
  if (pointset.GetVariableValuesDefParams(families) == 0 || families.empty()) return;
  std::vector<AString> names;
  families.front().GetVariableNames(names);
  for (const AString& name : names) append(name);
}

void TraceStateData::AddNonNominalVariableValues(VariableValues& to, const VariableValues& from) const {
  for (const Variable* variable : mVariablesWithNonNominalValues)
    if (const Value* v = from.GetVariableValue(variable)) to.SetVariableValue(variable, *v);
}

const Variable* TraceStateData::FindSweepVariable(const AString& name, ISolutionForReports* solution) const {
  SweepBase* sweep = solution ? solution->GetSweepOfVariable(name, m_dsd.GetReportTypeSolutionDefinitionRef().GetSimValueContextRef(),
                                                              m_dsd.GetReportTypeSolutionDefinitionRef().GetReportType())
                              : nullptr;
  if (!sweep) {
    ORVEX_ASSERT(0);
    return nullptr;
  }
  if (Sweep* single = sweep->GetSweep()) return single->GetVariable(0);
  SynchronizedSweep* synchronized = sweep->GetSynchronizedSweep();
  if (!synchronized) {
    ORVEX_ASSERT(0);
    return nullptr;
  }
  for (const Sweep* member : *synchronized) {
    const Variable* variable = member ? member->GetVariable(0) : nullptr;
    if (!variable) {
      ORVEX_ASSERT(0);
      continue;
    }
    if (variable->GetName().CompareNoCase(name) == 0) return variable;
  }
  ORVEX_ASSERT(0);
  return nullptr;
}

bool TraceStateData::IsSubsweepAtNominalValue(const SelectableSubsweepDefParams* subsweep,
                                              ISolutionManagerForReports* solMgr, const VariableValues& nominal) const {
  if (!subsweep) {
    ORVEX_ASSERT(0);
    return false;
  }
  const int choice = subsweep->GetSubsweepDefChoiceType();
  if (choice == 2) return true;
  if (choice != 1) return false;
  ISolutionForReports* solution = solMgr ? solMgr->GetSolution(m_dsd.GetSolutionID()) : nullptr;
  SweepBase* sweep = solution ? solution->GetSweepOfVariable(subsweep->GetSweepName(),
                                                              m_dsd.GetReportTypeSolutionDefinitionRef().GetSimValueContextRef(),
                                                              m_dsd.GetReportTypeSolutionDefinitionRef().GetReportType())
                              : nullptr;
  if (!sweep) {
    ORVEX_ASSERT(0);
    return false;
  }
  if (subsweep->GetSubsweepDefParamType() == 4) {
    SynchronizedSweep* synchronized = sweep->GetSynchronizedSweep();
    if (!synchronized) {
      ORVEX_ASSERT(0);
      return false;
    }
    for (const Sweep* member : *synchronized) {
      const Variable* variable = member ? member->GetVariable(0) : nullptr;
      if (!variable || !member->GetValuesColumn()) {
        ORVEX_ASSERT(0);
        return false;
      }
      if (!IsColumnAtNominalValue(*member->GetValuesColumn(), variable, nominal)) return false;
    }
    return true;
  }
  Sweep* single = sweep->GetSweep();
  const Variable* variable = single ? single->GetVariable(0) : nullptr;
  if (!variable) {
    ORVEX_ASSERT(0);
    return false;
  }
  auto* specifiable = dynamic_cast<const SpecifiableSubsweepDefParams*>(subsweep);
  const Column* values = specifiable && specifiable->GetOverridingColumnData() ? specifiable->GetOverridingColumnData()
                                                                               : single->GetValuesColumn();
  return values && IsColumnAtNominalValue(*values, variable, nominal);
}

bool TraceStateData::IsColumnAtNominalValue(const Column& values, const Variable* variable,
                                            const VariableValues& nominal) {
  std::vector<Value> extracted;
  ColumnValueExtractionVisitor::GetColumnValues(values, extracted);
  if (extracted.size() != 1) return false;
  const Value* nominalValue = nominal.GetVariableValue(variable);
  if (!nominalValue) return false;
  return AreValuesNearlyEqual(extracted.front(), *nominalValue, 1e-12);
}

}  // namespace rep
