#include "update/SweepsVariableInfoMediator2.h"

#include "quantities/SweepPointsStore.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "hostapi/ISolutionContextObject.h"
#include "hostapi/ISolutionForReports.h"
#include "hostapi/ISolutionInstanceForReports.h"
#include "orvex/centupd/IDerivedDataDefinition.h"
#include "orvex/core/Assert.h"
#include "orvex/core/VelDebug.h"
#include "orvex/values/Variable.h"
#include "postorvex/connectivity/ConnectedVVObject.h"
#include "postorvex/sweeps/SubsweepsAdapter.h"
#include "postorvex/sweeps/PostprocessSweep.h"
#include "postorvex/sweeps/SweepBase.h"
#include "postorvex/sweeps/SweepsIterator.h"
#include "postorvex/connectivity/PostpPopulationUtils.h"

namespace rep {

namespace {

bool DoesCreatePostprocessSubsweep(ISolutionForReports* solution, const AString& name,
                                   const ReportTypeSolutionDefinition& def) {
  SweepBase* sb = solution ? solution->GetSweepOfVariable(name, def.GetSimValueContextRef(), def.GetReportType())
                           : nullptr;
  ORVEX_ASSERT(sb);
  if (!sb) return false;
  PostprocessSweep* pp = sb->GetPostprocessSweep();
  return pp && pp->DoesCreatePostprocessSubsweep();
}

// Wider than the major sweeps' own test of nearness, so that it never drops a point they accept.
bool PassesFilter(const VariableValues& point, const std::pair<Variable*, std::vector<double>>& filter) {
  const Value* v = point.GetVariableValue(filter.first);
  if (!v) return false;
  if (v->GetParameterType() == val::kStringParam) return true;
  const AComplex<double> si = v->GetSIComplexValue();
  if (si.imag() != 0.0 || !std::isfinite(si.real())) return false;
  const double x = si.real();
  const double window = 1e-9 * std::abs(x);
  auto it = std::lower_bound(filter.second.begin(), filter.second.end(), x - window);
  return it != filter.second.end() && *it <= x + window;
}

bool HasNameOf(const std::vector<Variable*>& variables, const AString& name) {
  for (const Variable* v : variables)
    if (v && v->GetName().CompareNoCase(name) == 0) return true;
  return false;
}

}  // namespace

const VariableValues* SweepsVariableInfoMediator2::SweepPointsIndex::FindPoint(const VariableValues& values) const {
  auto it = m_positions.find(values);
  return it == m_positions.end() ? nullptr : &it->first;
}

ISolutionInstanceForReports* SweepsVariableInfoMediator2::SweepPointsIndex::FindInstance(
    const VariableValues& values) const {
  auto it = m_positions.find(values);
  return it == m_positions.end() || it->second >= m_instances.size() ? nullptr : m_instances[it->second];
}

SweepsVariableInfoMediator2::SweepsVariableInfoMediator2(SubsweepsAdapter* subsweeps,
                                                         const ReportTypeSolutionDefinition& def,
                                                         ISolutionForReports* solution,
                                                         const VariableValues& designVariation,
                                                         bool skipClassification, SweepPointsStore* store)
    : m_solution(solution), m_subsweeps(subsweeps), m_def(def), m_store(store) {
  std::vector<Variable*> sweepVariables;
  const size_t numSubsweeps = subsweeps ? subsweeps->size() : 0;
  for (size_t i = 0; i < numSubsweeps; ++i) {
    const SubsweepAdapter& sub = (*subsweeps)[i];
    mVars.push_back(sub.GetVariable(0));
    sweepVariables.push_back(sub.GetVariable(0));
    if (sub.GetSweep() && sub.GetSweep()->GetSynchronizedSweep())
      for (unsigned j = 1; j < sub.GetNumVariables(); ++j) sweepVariables.push_back(sub.GetVariable(j));
  }
  const std::vector<Variable*> dependent = postp::GetDependentVariables(designVariation);
  std::vector<Variable*> familyVariables;
  const std::vector<VariableValues>* families = subsweeps ? GetExplicitFamiliesIfAny(*subsweeps) : nullptr;
  if (families && !families->empty())
    for (const auto& entry : families->front().GetVariableValueMap()) {
      familyVariables.push_back(const_cast<Variable*>(entry.first));
      sweepVariables.push_back(const_cast<Variable*>(entry.first));
    }
  if (!skipClassification) {
    for (const auto& entry : designVariation.GetVariableValueMap()) {
      auto* variable = const_cast<Variable*>(entry.first);
      if (HasNameOf(sweepVariables, variable->GetName())) continue;
      if (std::find(dependent.begin(), dependent.end(), variable) != dependent.end()) continue;
      m_constantValues[static_cast<unsigned>(mVars.size())] = entry.second;
      m_constantVariableValues.SetVariableValue(variable, entry.second);
      mVars.push_back(variable);
    }
  }
  m_numValued = static_cast<unsigned>(mVars.size());
  mVars.insert(mVars.end(), familyVariables.begin(), familyVariables.end());
  mIsMajor.assign(mVars.size(), false);
  mIsSpecial.assign(mVars.size(), false);
  mIsDemandable.assign(mVars.size(), false);
  if (!skipClassification) {
    for (size_t i = 0; i < numSubsweeps; ++i) {
      const SubsweepAdapter& sub = (*subsweeps)[i];
      mIsSpecial[i] = sub.GetSweep() && sub.GetSweep()->IsSpecialSweep();
      mIsDemandable[i] = sub.IsPostprocessSubsweep();
    }
    for (size_t i = m_numValued; i < mVars.size(); ++i)
      mIsDemandable[i] = DoesCreatePostprocessSubsweep(solution, mVars[i]->GetName(), def);
  }

  if (solution) {
    ISolutionContextObject* context = nullptr;
    IDerivedDataDefinition* load = nullptr;
    solution->BuildContextObjects(def, context, load);
    m_context.reset(context);
    m_loadDefinition.reset(load);
    if (m_loadDefinition) m_loadVersion = solution->GetVersionIDForPostprocessing(*m_loadDefinition);
  }
  std::vector<Variable*> majors;
  if (solution && m_loadDefinition) solution->GetVariables(majors, *m_loadDefinition, m_loadVersion);
  if (!skipClassification) {
    for (size_t i = 0; i < mVars.size(); ++i) mIsMajor[i] = mVars[i] && HasNameOf(majors, mVars[i]->GetName());
    const VariableValues dependentValues = postp::GetDependentVariableValues(designVariation);
    for (const auto& entry : dependentValues.GetVariableValueMap())
      if (HasNameOf(majors, entry.first->GetName())) m_dependentValues.SetVariableValue(entry.first, entry.second);
  }
  if (VelDebug::IsOn(1)) {
    std::vector<Variable*> logged;
    if (solution && m_loadDefinition) solution->GetVariables(logged, *m_loadDefinition, m_loadVersion);
    if (logged.empty()) {
      VelDebug::Printf(1, L"\n\tCoreCentUpd: From Product: No major variables\n");
    } else {
      VelDebug::Printf(1, L"\n\tCoreCentUpd: From Product: MajorVars... ");
      for (const Variable* v : logged) VelDebug::Printf(1, L"[%s]", v->GetName());
    }
  }
  ORVEX_ASSERT(mVars.size()==mIsMajor.size());
  ORVEX_ASSERT(mVars.size()==mIsSpecial.size());
  ORVEX_ASSERT(mVars.size()==mIsDemandable.size());
}

SweepsVariableInfoMediator2::~SweepsVariableInfoMediator2() = default;

Variable* SweepsVariableInfoMediator2::GetVariable(unsigned index) const {
  if (index >= mVars.size()) {
    ORVEX_ASSERT(!"Don't give me indeces outside the range");
    return nullptr;
  }
  return mVars[index];
}

bool SweepsVariableInfoMediator2::DoSpecialSweepsExist() const {
  return std::find(mIsSpecial.begin(), mIsSpecial.end(), true) != mIsSpecial.end();
}

bool SweepsVariableInfoMediator2::IsVariableMajor(unsigned varIndex) const {
  ORVEX_ASSERT(varIndex<mIsMajor.size());
  return varIndex < mIsMajor.size() && mIsMajor[varIndex];
}

int SweepsVariableInfoMediator2::GetVariableIndex(const AString& name) const {
  for (size_t i = 0; i < mVars.size(); ++i)
    if (mVars[i] && mVars[i]->GetName().CompareNoCase(name) == 0) return static_cast<int>(i);
  return -1;
}

bool SweepsVariableInfoMediator2::IsVariableSpecial(unsigned varIndex) const {
  if (varIndex >= mIsSpecial.size()) {
    ORVEX_ASSERT(0);
    return false;
  }
  return mIsSpecial[varIndex];
}

unsigned SweepsVariableInfoMediator2::GetNumValues(unsigned varIndex) const {
  if (varIndex >= mVars.size()) {
    ORVEX_ASSERT(!"don't give me indeces outside the range");
    return 0;
  }
  const size_t numSubsweeps = m_subsweeps ? m_subsweeps->size() : 0;
  return varIndex < numSubsweeps ? (*m_subsweeps)[varIndex].GetValueCount() : 1;
}

bool SweepsVariableInfoMediator2::GetValue(Value& out, unsigned varIndex, unsigned valueIndex,
                                           const VariableValues* context) const {
  if (varIndex >= mVars.size()) {
    ORVEX_ASSERT(!"Don't give me indeces outside the range");
    return false;
  }
  const size_t numSubsweeps = m_subsweeps ? m_subsweeps->size() : 0;
  if (varIndex < numSubsweeps) {
    const SubsweepAdapter& sub = (*m_subsweeps)[varIndex];
    if (sub.GetValueCount() == 0) return false;
    Variable* variable = mVars[varIndex];
    out = Value(variable ? variable->GetUnits() : Units::kNoUnit);
    out.SetValueText(sub.GetSingleValueText(valueIndex, context), variable ? variable->GetUnits() : Units::kNoUnit);
    return true;
  }
  auto it = m_constantValues.find(varIndex);
  if (it == m_constantValues.end()) return false;
  out = it->second;
  return true;
}

const std::vector<VariableValues>* SweepsVariableInfoMediator2::GetExplicitFamiliesIfAny() const {
  return m_subsweeps ? GetExplicitFamiliesIfAny(*m_subsweeps) : nullptr;
}

bool SweepsVariableInfoMediator2::IsSpecialVariable(const Variable* variable) const {
  const int index = variable ? GetVariableIndex(variable->GetName()) : -1;
  return index >= 0 && mIsSpecial[static_cast<size_t>(index)];
}

bool SweepsVariableInfoMediator2::IsVariableDemandable(unsigned varIndex) const {
  ORVEX_ASSERT(varIndex<mIsDemandable.size());
  return varIndex < mIsDemandable.size() && mIsDemandable[varIndex];
}

bool SweepsVariableInfoMediator2::RemoveDemandableVariableValues(VariableValues& values) const {
  bool removed = false;
  for (size_t i = 0; i < mVars.size(); ++i)
    if (mIsDemandable[i] && mVars[i]) removed = values.RemoveVariableValue(mVars[i]) || removed;
  return removed;
}

void SweepsVariableInfoMediator2::CreateIterator(const std::vector<bool>& active,
                                                 std::unique_ptr<SweepsIteratorBase>& out) const {
  if (GetExplicitFamiliesIfAny()) {
    std::set<Variable*> activeSet;
    for (size_t i = 0; i < active.size(); ++i)
      if (active[i]) activeSet.insert(mVars[i]);
    out = std::make_unique<SweepsAndFamiliesIterator>(activeSet, this);
  } else {
    out = std::make_unique<SweepsIterator>(active, this);
  }
}

void SweepsVariableInfoMediator2::CreateMinorSweepsIteratorExcludingSpecialsAndPrimary(
    std::unique_ptr<SweepsIteratorBase>& out) const {
  std::vector<bool> active(mVars.size(), false);
  for (size_t i = 1; i < mVars.size(); ++i) active[i] = !mIsMajor[i] && !mIsSpecial[i];
  CreateIterator(active, out);
}

void SweepsVariableInfoMediator2::CreateMajorSweepsIterator(std::unique_ptr<SweepsIteratorBase>& out) const {
  CreateIterator(mIsMajor, out);
}

void SweepsVariableInfoMediator2::CreateDemandableMajorSweepsIterator(std::unique_ptr<SweepsIteratorBase>& out) const {
  std::vector<bool> active(mVars.size(), false);
  for (size_t i = 0; i < mVars.size(); ++i) active[i] = mIsMajor[i] && mIsDemandable[i];
  CreateIterator(active, out);
}

ConnectedVVObject* SweepsVariableInfoMediator2::CreateConnectedVVObject() const {
  std::vector<Variable*> variables;
  std::vector<bool> major;
  if (!mVars.empty() && mIsMajor[0]) {
    variables.push_back(mVars[0]);
    major.push_back(true);
  }
  for (size_t i = 1; i < mVars.size(); ++i) {
    if (mIsSpecial[i]) continue;
    variables.push_back(mVars[i]);
    major.push_back(mIsMajor[i]);
  }
  return ConnectedVVObject::CreateConnectedVVObjectWithMajorMinorKnowledge(variables, major);
}

void SweepsVariableInfoMediator2::CollectPoints(std::vector<VariableValues>& out,
                                                std::vector<ISolutionInstanceForReports*>* instancesOut) const {
  out.clear();
  if (instancesOut) instancesOut->clear();
  if (!m_solution || !m_loadDefinition) return;
  std::vector<ISolutionInstanceForReports*> instances;
  m_solution->GetSolutionInstances(instances, *m_loadDefinition, m_loadVersion);
  out.resize(instances.size());
  for (size_t i = 0; i < instances.size(); ++i) instances[i]->GetVariableValues(out[i]);
  if (instancesOut) *instancesOut = instances;
}

SweepsVariableInfoMediator2::ValueFilters SweepsVariableInfoMediator2::GetMajorValueFilters() const {
  ValueFilters filters;
  const std::vector<VariableValues>* families = GetExplicitFamiliesIfAny();
  for (unsigned i = 0; i < m_numValued; ++i) {
    if (!mIsMajor[i] || !mVars[i]) continue;
    bool inFamilies = false;
    if (families)
      for (const VariableValues& family : *families) inFamilies = inFamilies || family.HasVariable(mVars[i]);
    const unsigned count = GetNumValues(i);
    if (inFamilies || count == 0) continue;
    std::vector<double> sorted;
    bool real = true;
    for (unsigned k = 0; k < count && real; ++k) {
      Value v;
      if (!GetValue(v, i, k, nullptr)) return {};
      const AComplex<double> si = v.GetSIComplexValue();
      real = v.GetParameterType() != val::kStringParam && si.imag() == 0.0 && std::isfinite(si.real());
      sorted.push_back(si.real());
    }
    if (!real) continue;
    std::sort(sorted.begin(), sorted.end());
    filters.emplace_back(mVars[i], std::move(sorted));
  }
  return filters;
}

void SweepsVariableInfoMediator2::IndexPoints(const std::vector<VariableValues>& points,
                                              const std::vector<ISolutionInstanceForReports*>& instances,
                                              const std::vector<size_t>& positions, const ValueFilters& filters) {
  m_points = std::make_unique<SweepPointsIndex>();
  for (size_t i : positions) {
    bool kept = true;
    for (size_t f = 0; f < filters.size() && kept; ++f) kept = PassesFilter(points[i], filters[f]);
    if (kept && m_points->m_positions.emplace(points[i], m_points->m_instances.size()).second)
      m_points->m_instances.push_back(i < instances.size() ? instances[i] : nullptr);
  }
}

const SweepsVariableInfoMediator2::SweepPointsIndex& SweepsVariableInfoMediator2::GetAllSweepPointsVariableValues() {
  if (m_points) return *m_points;
  bool anyDemandableMajor = false;
  for (size_t i = 0; i < mVars.size(); ++i) anyDemandableMajor = anyDemandableMajor || (mIsMajor[i] && mIsDemandable[i]);
  std::vector<size_t> positions;
  // Ordering every point of a solution with many major variations costs far more than the one
  // variation a trace usually asks for: only the points the major sweeps can accept are kept.
  if (m_store && !anyDemandableMajor && m_solution && m_loadDefinition) {
    const std::shared_ptr<SweepPointsStore::Points> shared =
        m_store->Get(*m_solution, *m_loadDefinition, m_def, m_loadVersion);
    const auto filters = GetMajorValueFilters();
    if (filters.empty()) {
      for (size_t i = 0; i < shared->GetVariations().size(); ++i) positions.push_back(i);
    } else {
      // Wider than the filter's own window around the point's value.
      for (double value : filters.front().second)
        shared->FindPositions(positions, filters.front().first, value - 2e-9 * std::abs(value),
                              value + 2e-9 * std::abs(value));
      std::sort(positions.begin(), positions.end());
      positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    }
    IndexPoints(shared->GetVariations(), shared->GetInstances(), positions, filters);
    return *m_points;
  }
  std::vector<VariableValues> points;
  std::vector<ISolutionInstanceForReports*> instances;
  CollectPoints(points, &instances);
  if (anyDemandableMajor && m_solution && m_loadDefinition) {
    std::set<VariableValues> all(points.begin(), points.end());
    std::set<VariableValues> strippedSet;
    for (const VariableValues& p : points) {
      VariableValues stripped = p;
      bool removed = RemoveDemandableVariableValues(stripped);
      ORVEX_ASSERT(removed);
      (void)removed;
      strippedSet.insert(stripped);
    }
    for (const VariableValues& stripped : strippedSet) {
      std::unique_ptr<SweepsIteratorBase> it;
      CreateDemandableMajorSweepsIterator(it);
      for (it->Begin(); !it->End(); it->Advance()) {
        VariableValues combination = it->GetVariableValues();
        combination.Merge(stripped, true);
        if (!all.count(combination)) m_solution->ProvideSweepPoint(*m_loadDefinition, m_loadVersion, combination);
      }
    }
    CollectPoints(points, &instances);
  }
  for (size_t i = 0; i < points.size(); ++i) positions.push_back(i);
  IndexPoints(points, instances, positions, GetMajorValueFilters());
  return *m_points;
}

bool SweepsVariableInfoMediator2::HaveExactlySameVariables(const std::vector<VariableValues>& families) {
  if (families.size() < 2) return true;
  const VariableValues& first = families.front();
  for (const VariableValues& f : families) {
    if (f.size() != first.size()) return false;
    for (const auto& entry : first.GetVariableValueMap())
      if (!f.HasVariable(entry.first)) return false;
  }
  return true;
}

const std::vector<VariableValues>* SweepsVariableInfoMediator2::GetExplicitFamiliesIfAny(
    const SubsweepsAdapter& subsweeps) {
  const std::vector<VariableValues>* retval = subsweeps.GetExplicitFamiliesIfAny();
  if (retval) ORVEX_ASSERT(HaveExactlySameVariables(*retval));
  return retval;
}

}  // namespace rep
