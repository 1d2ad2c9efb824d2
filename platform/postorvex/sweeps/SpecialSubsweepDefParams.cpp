#include "postorvex/sweeps/SpecialSubsweepDefParams.h"

#include "orvex/core/Assert.h"
#include "postorvex/sweeps/ValidateSubsweepDefParamsVisitor.h"

SpecialSubsweepDefParams::SpecialSubsweepDefParams(const AString& sweepName)
    : AbstractSubsweepDefParams(sweepName, rep::kAllValuesChoice) {}

MUndoableObject* SpecialSubsweepDefParams::Clone() const { return new SpecialSubsweepDefParams(*this); }

void SpecialSubsweepDefParams::Assign(const MUndoableObject& from) {
  const auto* def = dynamic_cast<const SpecialSubsweepDefParams*>(&from);
  ORVEX_ASSERT(def);
  if (def && def != this) *this = *def;
}

bool SpecialSubsweepDefParams::Accept(ValidateSubsweepDefParamsVisitor& visitor) const {
  return visitor.VisitSpecial(*this);
}
