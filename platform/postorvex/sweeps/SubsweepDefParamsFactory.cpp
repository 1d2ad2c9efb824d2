#include "postorvex/sweeps/SubsweepDefParamsFactory.h"

#include "postorvex/sweeps/RegularSubsweepDefParams.h"
#include "postorvex/sweeps/SpecialSubsweepDefParams.h"
#include "postorvex/sweeps/SpecifiableSubsweepDefParams.h"
#include "postorvex/sweeps/SynchronizedSubsweepDefParams.h"

AbstractSubsweepDefParams* SubsweepDefParamsFactory::Create(int kind, const AString& sweepName, const Column* selected) {
  const int choice = rep::kSelectedValuesChoice;
  switch (kind) {
    case AbstractSubsweepDefParams::kSpecial: return new SpecialSubsweepDefParams(sweepName);
    case AbstractSubsweepDefParams::kRegular: return new RegularSubsweepDefParams(sweepName, choice, selected);
    case AbstractSubsweepDefParams::kSpecifiable: return new SpecifiableSubsweepDefParams(sweepName, choice, selected);
    case AbstractSubsweepDefParams::kSynchronized: return new SynchronizedSubsweepDefParams(sweepName, choice, selected);
    default: return nullptr;
  }
}
