#include "postorvex/sweeps/SpecifiableSubsweepDefParams.h"

#include "orvex/core/Assert.h"
#include "orvex/io/Block.h"
#include "postorvex/columns/Column.h"
#include "postorvex/sweeps/ValidateSubsweepDefParamsVisitor.h"

SpecifiableSubsweepDefParams::SpecifiableSubsweepDefParams(const AString& sweepName, int choiceType,
                                                           const Column* selected)
    : RegularSubsweepDefParams(sweepName, choiceType, selected) {}

SpecifiableSubsweepDefParams::~SpecifiableSubsweepDefParams() = default;

SpecifiableSubsweepDefParams::SpecifiableSubsweepDefParams(const SpecifiableSubsweepDefParams& other)
    : RegularSubsweepDefParams(other),
      m_overriding(other.m_overriding ? other.m_overriding->CloneColumn() : nullptr) {}

SpecifiableSubsweepDefParams& SpecifiableSubsweepDefParams::operator=(const SpecifiableSubsweepDefParams& other) {
  if (this == &other) return *this;
  RegularSubsweepDefParams::operator=(other);
  SetOverridingColumnData(other.m_overriding.get());
  return *this;
}

MUndoableObject* SpecifiableSubsweepDefParams::Clone() const { return new SpecifiableSubsweepDefParams(*this); }

void SpecifiableSubsweepDefParams::Assign(const MUndoableObject& from) {
  const auto* def = dynamic_cast<const SpecifiableSubsweepDefParams*>(&from);
  ORVEX_ASSERT(def);
  if (def) *this = *def;
}

bool SpecifiableSubsweepDefParams::Accept(ValidateSubsweepDefParamsVisitor& visitor) const {
  return visitor.VisitSpecifiable(*this);
}

void SpecifiableSubsweepDefParams::SetOverridingColumnData(const Column* overriding) {
  if (overriding == m_overriding.get()) return;
  m_overriding.reset(overriding ? overriding->CloneColumn() : nullptr);
}

io::ReadError SpecifiableSubsweepDefParams::ExchangeContent(io::CBlock& block, bool read) {
  const io::ReadError result = RegularSubsweepDefParams::ExchangeContent(block, read);
  return ExchangeOptionalColumn(block, read, ACHAR("Overriding"), m_overriding, result);
}
