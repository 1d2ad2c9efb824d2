#include "postorvex/sweeps/AbstractSubsweepDefParams.h"

#include <memory>

#include "orvex/core/Assert.h"
#include "orvex/io/Block.h"

AbstractSubsweepDefParams::AbstractSubsweepDefParams(const AString& sweepName, int choiceType)
    : m_sweepName(sweepName), m_choiceType(choiceType) {}

AbstractSubsweepDefParams::~AbstractSubsweepDefParams() = default;

int AbstractSubsweepDefParams::GetSubsweepDefChoiceType() const { return m_choiceType; }

AString AbstractSubsweepDefParams::GetSweepName() const { return m_sweepName; }

AbstractSubsweepDefParams* AbstractSubsweepDefParams::CloneDefParams() const {
  return dynamic_cast<AbstractSubsweepDefParams*>(Clone());
}

io::ReadError AbstractSubsweepDefParams::DoDataExchange(io::CBlock& block, bool read) {
  if (!read) return ExchangeContent(block, false);
  // Read into a copy, so that a damaged block leaves this definition as it was.
  std::unique_ptr<AbstractSubsweepDefParams> copy(CloneDefParams());
  if (!copy) return 1;
  io::ReadError result = copy->ExchangeContent(block, true);
  if (result == io::kNoError) Assign(*copy);
  return result;
}

io::ReadError AbstractSubsweepDefParams::ExchangeContent(io::CBlock& block, bool read) {
  int kind = GetSubsweepDefParamType();
  if (!read) {
    io::DoDataExchange(block, false, ACHAR("Kind"), kind, io::kReturnCode);
    io::DoDataExchange(block, false, ACHAR("SweepName"), m_sweepName, io::kReturnCode);
    io::DoDataExchange(block, false, ACHAR("ChoiceType"), m_choiceType, io::kReturnCode);
    return io::kNoError;
  }
  io::ReadError result = io::DoDataExchange(block, true, ACHAR("Kind"), kind, io::kReturnCode);
  if (result == io::kNoError && kind != GetSubsweepDefParamType()) return 1;
  if (result != io::kNoError && result != 2) return result;  // no "Kind" is fine: the caller knew it
  result = io::DoDataExchange(block, true, ACHAR("SweepName"), m_sweepName, io::kReturnCode);
  if (result != io::kNoError) return result;
  int choice = m_choiceType;
  result = io::DoDataExchange(block, true, ACHAR("ChoiceType"), choice, io::kReturnCode);
  if (result != io::kNoError) return result;
  if (!IsValidChoiceType(choice)) return 1;
  m_choiceType = choice;
  return io::kNoError;
}
