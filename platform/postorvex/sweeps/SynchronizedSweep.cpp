#include "postorvex/sweeps/SynchronizedSweep.h"

#include "orvex/core/Assert.h"
#include "postorvex/sweeps/AbstractSubsweepDefParams.h"
#include "postorvex/sweeps/SubsweepDefParamsFactory.h"
#include "postorvex/sweeps/Sweep.h"

namespace {

bool HaveEqualCounts(const std::vector<Sweep*>& members) {
  for (const Sweep* s : members)
    if (s->GetNumValues() != members.front()->GetNumValues()) return false;
  return true;
}

}  // namespace

SynchronizedSweep::SynchronizedSweep(const std::vector<Sweep*>& members, bool special)
    : m_members(members), m_special(special) {
  ORVEX_ASSERT(!m_members.empty());
  ORVEX_ASSERT(m_members.empty()||HaveEqualCounts(m_members));
}

SynchronizedSweep::~SynchronizedSweep() {
  for (Sweep* s : m_members) delete s;
}

AbstractSubsweepDefParams* SynchronizedSweep::CreateDefaultSubsweepDefParams() const {
  return CreateDefaultSubsweepDefParamsSelecting(m_members.empty() ? nullptr : m_members.front()->m_values);
}

AbstractSubsweepDefParams* SynchronizedSweep::CreateDefaultSubsweepDefParamsSelecting(const Column* selected) const {
  if (m_makesNoDefault) return nullptr;
  int kind = m_special ? AbstractSubsweepDefParams::kSpecial : AbstractSubsweepDefParams::kSynchronized;
  return SubsweepDefParamsFactory::Create(kind, GetName(), selected);
}

AString SynchronizedSweep::GetValueText(unsigned index) const {
  return m_members.empty() ? AString() : m_members.front()->GetValueText(index);
}

unsigned SynchronizedSweep::GetNumValues() const {
  return m_members.empty() ? 0u : m_members.front()->GetNumValues();
}

Variable* SynchronizedSweep::GetVariable(unsigned index) const {
  return index < m_members.size() ? m_members[index]->GetVariable(0) : nullptr;
}

AString SynchronizedSweep::GetName() const { return m_members.empty() ? AString() : m_members.front()->GetName(); }
