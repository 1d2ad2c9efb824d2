#include "postorvex/sweeps/ValidateSubsweepDefParamsVisitor.h"

#include <memory>

#include "postorvex/columns/Column.h"
#include "postorvex/sweeps/RegularSubsweepDefParams.h"
#include "postorvex/sweeps/SpecialSubsweepDefParams.h"
#include "postorvex/sweeps/SpecifiableSubsweepDefParams.h"
#include "postorvex/sweeps/SubsweepDefParamsFactory.h"
#include "postorvex/sweeps/SweepBase.h"
#include "postorvex/sweeps/SynchronizedSubsweepDefParams.h"

ValidateSubsweepDefParamsVisitor::ValidateSubsweepDefParamsVisitor(const std::vector<SweepBase*>& sweeps)
    : m_sweeps(sweeps) {}

ValidateSubsweepDefParamsVisitor::~ValidateSubsweepDefParamsVisitor() = default;

bool ValidateSubsweepDefParamsVisitor::VisitSpecial(const SpecialSubsweepDefParams& def) { return Check(def, 0); }

bool ValidateSubsweepDefParamsVisitor::VisitRegular(const RegularSubsweepDefParams& def) {
  return Check(def, def.GetNumSelectedValues());
}

bool ValidateSubsweepDefParamsVisitor::VisitSpecifiable(const SpecifiableSubsweepDefParams& def) {
  // Values the user specified stand for the selection.
  const Column* overriding = def.GetOverridingColumnData();
  return Check(def, overriding ? static_cast<unsigned>(overriding->GetCount()) : def.GetNumSelectedValues());
}

bool ValidateSubsweepDefParamsVisitor::VisitSynchronized(const SynchronizedSubsweepDefParams& def) {
  return Check(def, def.GetNumSelectedValues());
}

bool ValidateSubsweepDefParamsVisitor::IsSpecifiableSweep(const SweepBase* sweep) const {
  return sweep && GetDefaultKind(*sweep) == AbstractSubsweepDefParams::kSpecifiable;
}

int ValidateSubsweepDefParamsVisitor::GetDefaultKind(const SweepBase& sweep) {
  std::unique_ptr<AbstractSubsweepDefParams> def(SubsweepDefParamsFactory::CreateDefaultSelectingNothing(sweep));
  return def ? def->GetSubsweepDefParamType() : 0;
}

SweepBase* ValidateSubsweepDefParamsVisitor::FindSweep(const AbstractSubsweepDefParams& def) const {
  const AString name = def.GetSweepName();
  for (SweepBase* s : m_sweeps)
    if (s && s->GetName().CompareNoCase(name) == 0) return s;
  return nullptr;
}

bool ValidateSubsweepDefParamsVisitor::Check(const AbstractSubsweepDefParams& def, unsigned numSelected) {
  m_valid = false;
  SweepBase* sweep = FindSweep(def);
  if (!sweep) return false;
  const int kind = def.GetSubsweepDefParamType();
  const int defaultKind = GetDefaultKind(*sweep);
  // A specifiable sweep also takes a regular definition.
  if (kind != defaultKind &&
      !(kind == AbstractSubsweepDefParams::kRegular && defaultKind == AbstractSubsweepDefParams::kSpecifiable))
    return false;
  if (kind == AbstractSubsweepDefParams::kSpecial && !sweep->IsSpecialSweep()) return false;
  if (kind == AbstractSubsweepDefParams::kSynchronized && !sweep->GetSynchronizedSweep()) return false;
  if (def.GetSubsweepDefChoiceType() == rep::kSelectedValuesChoice && numSelected == 0) return false;
  m_valid = true;
  return true;
}
