#include "postorvex/sweeps/SynchronizedSubsweepDefParams.h"

#include "orvex/core/Assert.h"
#include "postorvex/sweeps/ValidateSubsweepDefParamsVisitor.h"

SynchronizedSubsweepDefParams::SynchronizedSubsweepDefParams(const AString& sweepName, int choiceType,
                                                             const Column* selected)
    : SelectableSubsweepDefParams(sweepName, choiceType, selected) {}

MUndoableObject* SynchronizedSubsweepDefParams::Clone() const { return new SynchronizedSubsweepDefParams(*this); }

void SynchronizedSubsweepDefParams::Assign(const MUndoableObject& from) {
  const auto* def = dynamic_cast<const SynchronizedSubsweepDefParams*>(&from);
  ORVEX_ASSERT(def);
  if (def && def != this) *this = *def;
}

bool SynchronizedSubsweepDefParams::Accept(ValidateSubsweepDefParamsVisitor& visitor) const {
  return visitor.VisitSynchronized(*this);
}
