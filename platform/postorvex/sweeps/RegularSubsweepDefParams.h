// The subsweep of an ordinary sweep, with its selected values as a column.
#pragma once

#include "postorvex/sweeps/SelectableSubsweepDefParams.h"

class POSTORVEX_API RegularSubsweepDefParams : public SelectableSubsweepDefParams {
public:
  explicit RegularSubsweepDefParams(const AString& sweepName = AString(), int choiceType = rep::kSelectedValuesChoice,
                                    const Column* selected = nullptr);
  RegularSubsweepDefParams(const RegularSubsweepDefParams& other) = default;
  RegularSubsweepDefParams& operator=(const RegularSubsweepDefParams& other) = default;

  MUndoableObject* Clone() const override;
  void Assign(const MUndoableObject& from) override;
  int GetSubsweepDefParamType() const override { return kRegular; }
  bool Accept(ValidateSubsweepDefParamsVisitor& visitor) const override;

  // Null when nothing is selected.
  const Column* GetSelectedValues() const { return GetSelection(); }
  // Copies the column; the caller keeps its own. Null clears the selection.
  void SetSelectedValues(const Column* selected) { SetSelection(selected); }
};
