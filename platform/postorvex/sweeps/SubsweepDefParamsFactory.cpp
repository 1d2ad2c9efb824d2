#include "postorvex/sweeps/SubsweepDefParamsFactory.h"

#include "postorvex/sweeps/RegularSubsweepDefParams.h"
#include "postorvex/sweeps/SpecialSubsweepDefParams.h"
#include "postorvex/sweeps/SpecifiableSubsweepDefParams.h"
#include "postorvex/sweeps/SynchronizedSubsweepDefParams.h"
#include "postorvex/sweeps/SynchronizedSweep.h"
#include "postorvex/sweeps/Sweep.h"

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

AbstractSubsweepDefParams* SubsweepDefParamsFactory::CreateDefaultSelectingNothing(const SweepBase& sweep) {
  auto& asked = const_cast<SweepBase&>(sweep);  // its kind getters are not const, and change nothing
  if (const Sweep* single = asked.GetSweep()) return single->CreateDefaultSubsweepDefParamsSelecting(nullptr);
  if (const SynchronizedSweep* synchronized = asked.GetSynchronizedSweep())
    return synchronized->CreateDefaultSubsweepDefParamsSelecting(nullptr);
  return sweep.CreateDefaultSubsweepDefParams();
}
