// The subsweep of a synchronized sweep: one selection moves every member sweep.
#pragma once

#include "postorvex/sweeps/SelectableSubsweepDefParams.h"

class POSTORVEX_API SynchronizedSubsweepDefParams : public SelectableSubsweepDefParams {
public:
  explicit SynchronizedSubsweepDefParams(const AString& sweepName = AString(),
                                         int choiceType = rep::kSelectedValuesChoice,
                                         const Column* selected = nullptr);
  SynchronizedSubsweepDefParams(const SynchronizedSubsweepDefParams& other) = default;
  SynchronizedSubsweepDefParams& operator=(const SynchronizedSubsweepDefParams& other) = default;

  MUndoableObject* Clone() const override;
  void Assign(const MUndoableObject& from) override;
  int GetSubsweepDefParamType() const override { return kSynchronized; }
  bool Accept(ValidateSubsweepDefParamsVisitor& visitor) const override;

  // Null when nothing is selected; the values of the first member sweep.
  const Column* GetSelectedValues() const { return GetSelection(); }
  void SetSelectedValues(const Column* selected) { SetSelection(selected); }
};
