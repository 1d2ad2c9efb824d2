#include "postorvex/sweeps/SweepsIterator.h"

#include <algorithm>
#include <cmath>

#include "postorvex/sweeps/SweepsAbstraction.h"

SweepsVarInfoAbstraction::~SweepsVarInfoAbstraction() = default;
SweepsValuesInfoAbstraction::~SweepsValuesInfoAbstraction() = default;
SweepsAbstraction::~SweepsAbstraction() = default;
SweepsIteratorBase::~SweepsIteratorBase() = default;

namespace {

bool NearlySame(const Value& a, const Value& b) {
  if (a.GetParameterType() == val::kStringParam || b.GetParameterType() == val::kStringParam)
    return a.GetStringValue() == b.GetStringValue();
  const AComplex<double> x = a.GetSIComplexValue();
  const AComplex<double> y = b.GetSIComplexValue();
  const double scale = std::max(std::abs(x), std::abs(y));
  return std::abs(x - y) <= 1e-12 * scale;
}

}  // namespace

SweepsIterator::SweepsIterator(const SweepsValuesInfoAbstraction* info) : m_info(info) {}

SweepsIterator::SweepsIterator(const std::vector<bool>& active, const SweepsValuesInfoAbstraction* info)
    : m_info(info) {
  const unsigned n = info ? info->GetNumSweepVariables() : 0;
  for (unsigned i = 0; i < active.size() && i < n; ++i)
    if (active[i]) AddAxis(i);
  m_empty = m_empty || m_axes.empty();
  m_done = m_empty;
}

SweepsIterator::~SweepsIterator() = default;

void SweepsIterator::AddAxis(unsigned i) {
  Variable* variable = m_info->GetSweepVariable(i);
  const unsigned count = m_info->GetNumValues(i);
  if (count == 0) {
    m_activeWithoutValues.push_back(variable);
    m_empty = true;
    return;
  }
  Axis axis{variable, {}, {}};
  axis.values.reserve(count);
  for (unsigned k = 0; k < count; ++k) {
    Value v;
    m_info->GetValue(v, i, k, nullptr);
    axis.values.push_back(v);
  }
  bool real = true;
  for (const Value& v : axis.values) {
    const AComplex<double> si = v.GetSIComplexValue();
    real = real && v.GetParameterType() != val::kStringParam && si.imag() == 0.0 && std::isfinite(si.real());
    if (real) axis.sortedSI.push_back(si.real());
  }
  if (real)
    std::sort(axis.sortedSI.begin(), axis.sortedSI.end());
  else
    axis.sortedSI.clear();
  m_axes.push_back(std::move(axis));
  m_position.push_back(0);
}

void SweepsIterator::Begin() {
  std::fill(m_position.begin(), m_position.end(), 0);
  m_done = m_empty;
  if (!m_done) Compose();
}

bool SweepsIterator::End() const { return m_done; }

bool SweepsIterator::StepAxes() {
  for (size_t a = 0; a < m_axes.size(); ++a) {
    if (++m_position[a] < m_axes[a].values.size()) return true;
    m_position[a] = 0;
  }
  return false;
}

void SweepsIterator::Advance() {
  if (m_done) return;
  if (!StepAxes()) {
    m_done = true;
    return;
  }
  Compose();
}

void SweepsIterator::Compose() {
  m_current = m_fixed;
  for (size_t a = 0; a < m_axes.size(); ++a) m_current.SetVariableValue(m_axes[a].variable, m_axes[a].values[m_position[a]]);
}

bool SweepsIterator::IsOneOf(const Value& value, const Axis& axis) {
  if (!axis.sortedSI.empty() && value.GetParameterType() != val::kStringParam) {
    const AComplex<double> si = value.GetSIComplexValue();
    if (si.imag() != 0.0 || !std::isfinite(si.real())) return false;
    const double tolerance = 1e-12 * std::abs(si.real());
    auto it = std::lower_bound(axis.sortedSI.begin(), axis.sortedSI.end(), si.real() - 2 * tolerance);
    for (; it != axis.sortedSI.end() && *it <= si.real() + 2 * tolerance; ++it)
      if (std::abs(*it - si.real()) <= 1e-12 * std::max(std::abs(*it), std::abs(si.real()))) return true;
    return false;
  }
  for (const Value& v : axis.values)
    if (NearlySame(value, v)) return true;
  return false;
}

bool SweepsIterator::AxesAccept(const VariableValues& point, VariableValues& constantPart,
                                const VariableValues* designVariation) const {
  for (const Axis& axis : m_axes) {
    const Value* v = point.GetVariableValue(axis.variable);
    if (!v || !IsOneOf(*v, axis)) return false;
    constantPart.SetVariableValue(axis.variable, *v);
  }
  for (Variable* variable : m_activeWithoutValues) {
    const Value* v = point.GetVariableValue(variable);
    if (!v) return false;
    const Value* design = designVariation ? designVariation->GetVariableValue(variable) : nullptr;
    if (designVariation && (!design || !NearlySame(*v, *design))) return false;
    constantPart.SetVariableValue(variable, *v);
  }
  return true;
}

bool SweepsIterator::IsConstituent(const VariableValues& point, VariableValues& constantPart,
                                   const VariableValues* designVariation) const {
  constantPart.clear();
  return AxesAccept(point, constantPart, designVariation);
}

SweepsAndFamiliesIterator::SweepsAndFamiliesIterator(const std::set<Variable*>& active,
                                                     const SweepsValuesInfoAbstraction* info)
    : SweepsIterator(info) {
  const std::vector<VariableValues>* families = info ? info->GetExplicitFamiliesIfAny() : nullptr;
  std::set<Variable*> inFamilies;
  if (families) {
    for (const VariableValues& family : *families) {
      VariableValues restricted;
      for (const auto& entry : family.GetVariableValueMap()) {
        auto* variable = const_cast<Variable*>(entry.first);
        if (!active.count(variable)) continue;
        restricted.SetVariableValue(variable, entry.second);
        if (inFamilies.insert(variable).second) m_familyVariables.push_back(variable);
      }
      if (std::find(m_families.begin(), m_families.end(), restricted) == m_families.end())
        m_families.push_back(restricted);
    }
  }
  const unsigned n = info ? info->GetNumSweepVariables() : 0;
  for (unsigned i = 0; i < n; ++i) {
    Variable* variable = info->GetSweepVariable(i);
    if (active.count(variable) && !inFamilies.count(variable)) AddAxis(i);
  }
  if (m_families.empty()) m_empty = m_empty || m_axes.empty();
  m_done = m_empty;
}

SweepsAndFamiliesIterator::~SweepsAndFamiliesIterator() = default;

void SweepsAndFamiliesIterator::Begin() {
  m_family = 0;
  if (!m_families.empty()) m_fixed = m_families[0];
  SweepsIterator::Begin();
}

bool SweepsAndFamiliesIterator::End() const { return m_done; }

void SweepsAndFamiliesIterator::Advance() {
  if (m_done) return;
  if (StepAxes()) {
    Compose();
    return;
  }
  if (++m_family >= m_families.size()) {
    m_done = true;
    return;
  }
  m_fixed = m_families[m_family];
  Compose();
}

bool SweepsAndFamiliesIterator::IsConstituent(const VariableValues& point, VariableValues& constantPart,
                                              const VariableValues* designVariation) const {
  constantPart.clear();
  if (!m_families.empty()) {
    bool matched = false;
    for (const VariableValues& family : m_families) {
      bool all = true;
      for (const auto& entry : family.GetVariableValueMap()) {
        const Value* v = point.GetVariableValue(entry.first);
        if (!v || !NearlySame(*v, entry.second)) {
          all = false;
          break;
        }
      }
      if (all) {
        matched = true;
        for (const auto& entry : family.GetVariableValueMap())
          constantPart.SetVariableValue(entry.first, *point.GetVariableValue(entry.first));
        break;
      }
    }
    if (!matched) return false;
  }
  return AxesAccept(point, constantPart, designVariation);
}

DegeneracyAwareSweepsIterator::DegeneracyAwareSweepsIterator(std::unique_ptr<SweepsIteratorBase> wrapped)
    : m_wrapped(std::move(wrapped)), m_degenerate(!m_wrapped || m_wrapped->End()) {}

DegeneracyAwareSweepsIterator::~DegeneracyAwareSweepsIterator() = default;

void DegeneracyAwareSweepsIterator::Begin() {
  if (m_degenerate) {
    m_degenerateDone = false;
    return;
  }
  m_wrapped->Begin();
}

bool DegeneracyAwareSweepsIterator::End() const { return m_degenerate ? m_degenerateDone : m_wrapped->End(); }

void DegeneracyAwareSweepsIterator::Advance() {
  if (m_degenerate)
    m_degenerateDone = true;
  else
    m_wrapped->Advance();
}

const VariableValues& DegeneracyAwareSweepsIterator::GetVariableValues() const {
  return m_degenerate ? m_none : m_wrapped->GetVariableValues();
}

bool DegeneracyAwareSweepsIterator::IsConstituent(const VariableValues& point, VariableValues& constantPart,
                                                  const VariableValues* designVariation) const {
  if (m_degenerate) {
    constantPart.clear();
    return true;
  }
  return m_wrapped->IsConstituent(point, constantPart, designVariation);
}
