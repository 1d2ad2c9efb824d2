// An object that takes part in a centralized update: asks for load units, is told when they load.
#pragma once

#include <vector>

#include "orvex/core/OrvexApi.h"

class CentralizedLoadUnitInfo;
class IProgressMonitor;

class ORVEX_API ICentralizedUpdateObject {
public:
  virtual ~ICentralizedUpdateObject();                                                         // 0
  // Appends; never clears.
  virtual void GetNeededLoadUnits(std::vector<CentralizedLoadUnitInfo>& units) = 0;            // 1
  virtual void NotifyOnLoad(const CentralizedLoadUnitInfo& unit, IProgressMonitor* monitor) = 0;  // 2
  // A unit was loaded that this object did not ask for.
  virtual void IgnoreNotification(const void* unit) = 0;                                       // 3
  // The last call of an update: the object deletes itself here.
  virtual void NotifyDoneUpdate(IProgressMonitor* monitor) = 0;                                // 4
};
