// The datum at a point of a connectivity tree: the base of the caches and of the connectivity's
// own leaf data, so that one tree type holds every kind.
#pragma once

#include "orvex/core/OrvexApi.h"

class POSTORVEX_API VVLeafData {
public:
  virtual ~VVLeafData();
};
