// Makes a subsweep definition of a given kind; the base class knows none of its kinds.
#pragma once

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"

class AbstractSubsweepDefParams;
class Column;

class POSTORVEX_API SubsweepDefParamsFactory {
public:
  // A new definition of a kind (AbstractSubsweepDefParams::Kind), owned by the caller; null for
  // any other number. Every kind but the special one starts with choice type 3 and a copy of
  // `selected` as its selection.
  static AbstractSubsweepDefParams* Create(int kind, const AString& sweepName = AString(),
                                           const Column* selected = nullptr);
};
