// A regular subsweep whose values may be overridden by values the user specifies.
#pragma once

#include <memory>

#include "postorvex/sweeps/RegularSubsweepDefParams.h"

class POSTORVEX_API SpecifiableSubsweepDefParams : public RegularSubsweepDefParams {
public:
  explicit SpecifiableSubsweepDefParams(const AString& sweepName = AString(),
                                        int choiceType = rep::kSelectedValuesChoice,
                                        const Column* selected = nullptr);
  ~SpecifiableSubsweepDefParams() override;
  SpecifiableSubsweepDefParams(const SpecifiableSubsweepDefParams& other);
  SpecifiableSubsweepDefParams& operator=(const SpecifiableSubsweepDefParams& other);

  MUndoableObject* Clone() const override;
  void Assign(const MUndoableObject& from) override;
  int GetSubsweepDefParamType() const override { return kSpecifiable; }
  bool Accept(ValidateSubsweepDefParamsVisitor& visitor) const override;

  // Null when none.
  const Column* GetOverridingColumnData() const { return m_overriding.get(); }
  // Copies the column; the caller keeps its own. Null clears it.
  void SetOverridingColumnData(const Column* overriding);

protected:
  io::ReadError ExchangeContent(io::CBlock& block, bool read) override;

private:
  std::unique_ptr<Column> m_overriding;
};
