// The subsweep of a special sweep: its whole range, which the product provides.
#pragma once

#include "postorvex/sweeps/AbstractSubsweepDefParams.h"

class POSTORVEX_API SpecialSubsweepDefParams : public AbstractSubsweepDefParams {
public:
  explicit SpecialSubsweepDefParams(const AString& sweepName = AString());

  MUndoableObject* Clone() const override;
  void Assign(const MUndoableObject& from) override;
  int GetSubsweepDefParamType() const override { return kSpecial; }
  // Always every value of the sweep.
  int GetSubsweepDefChoiceType() const override { return rep::kAllValuesChoice; }
  bool Accept(ValidateSubsweepDefParamsVisitor& visitor) const override;
};
