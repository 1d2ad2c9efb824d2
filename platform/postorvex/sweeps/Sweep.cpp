#include "postorvex/sweeps/Sweep.h"

#include "orvex/core/Assert.h"
#include "orvex/values/Variable.h"
#include "postorvex/columns/Column.h"
#include "postorvex/sweeps/AbstractSubsweepDefParams.h"
#include "postorvex/sweeps/SubsweepDefParamsFactory.h"

namespace {

bool IsKind(int kind) { return kind >= 1 && kind <= 4; }

}  // namespace

Sweep::Sweep(const AString& name, Variable* variable, Column* values, bool special, int defaultKind)
    : m_name(name), m_variable(variable), m_values(values), m_special(special), m_defaultKind(defaultKind) {
  ORVEX_ASSERT(IsKind(defaultKind));
  if (!IsKind(defaultKind)) m_defaultKind = AbstractSubsweepDefParams::kRegular;
}

Sweep::~Sweep() { delete m_values; }

AbstractSubsweepDefParams* Sweep::CreateDefaultSubsweepDefParams() const {
  return CreateDefaultSubsweepDefParamsSelecting(m_values);
}

AbstractSubsweepDefParams* Sweep::CreateDefaultSubsweepDefParamsSelecting(const Column* selected) const {
  if (m_makesNoDefault) return nullptr;
  return SubsweepDefParamsFactory::Create(GetDefaultKind(), GetName(), selected);
}

AString Sweep::GetValueText(unsigned index) const {
  return m_values ? m_values->GetSingleValueText(index) : AString();
}

unsigned Sweep::GetNumValues() const { return m_values ? static_cast<unsigned>(m_values->GetCount()) : 0u; }

Variable* Sweep::GetVariable(unsigned index) const { return index == 0 ? m_variable : nullptr; }

AString Sweep::GetName() const {
  if (!m_name.empty() || !m_variable) return m_name;
  return m_variable->GetName();
}
