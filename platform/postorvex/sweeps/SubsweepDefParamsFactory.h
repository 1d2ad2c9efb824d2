// Makes a subsweep definition of a given kind; the base class knows none of its kinds.
#pragma once

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"

class AbstractSubsweepDefParams;
class Column;
class SweepBase;

class POSTORVEX_API SubsweepDefParamsFactory {
public:
  // A new definition of a kind (AbstractSubsweepDefParams::Kind), owned by the caller; null for
  // any other number. Every kind but the special one starts with choice type 3 and a copy of
  // `selected` as its selection.
  static AbstractSubsweepDefParams* Create(int kind, const AString& sweepName = AString(),
                                           const Column* selected = nullptr);
  // The sweep's default definition with nothing selected, for a caller that selects its own
  // values or wants only the kind: the core library's sweeps make it without copying all their
  // values; any other sweep gives its default.
  static AbstractSubsweepDefParams* CreateDefaultSelectingNothing(const SweepBase& sweep);
};
