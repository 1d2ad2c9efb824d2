#include "postorvex/sweeps/RegularSubsweepDefParams.h"

#include "orvex/core/Assert.h"
#include "postorvex/sweeps/ValidateSubsweepDefParamsVisitor.h"

RegularSubsweepDefParams::RegularSubsweepDefParams(const AString& sweepName, int choiceType, const Column* selected)
    : SelectableSubsweepDefParams(sweepName, choiceType, selected) {}

MUndoableObject* RegularSubsweepDefParams::Clone() const { return new RegularSubsweepDefParams(*this); }

void RegularSubsweepDefParams::Assign(const MUndoableObject& from) {
  const auto* def = dynamic_cast<const RegularSubsweepDefParams*>(&from);
  ORVEX_ASSERT(def);
  if (def && def != this) RegularSubsweepDefParams::operator=(*def);
}

bool RegularSubsweepDefParams::Accept(ValidateSubsweepDefParamsVisitor& visitor) const {
  return visitor.VisitRegular(*this);
}
