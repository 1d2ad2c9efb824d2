// The product's loader of solution data, handed through the engine to the centralized update.
#pragma once

#include "orvex/core/OrvexApi.h"

class CentralizedLoadUnitInfo;

class ORVEX_API IDerivedDataManager {
public:
  virtual ~IDerivedDataManager();                                  // 0
  // False when the unit could not be loaded.
  virtual bool LoadUnit(const CentralizedLoadUnitInfo& unit) = 0;  // 1
};
