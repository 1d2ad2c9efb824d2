// The core library's centralized update: every object says which units it needs, each unit is
// loaded once for all of them, and each object is told about its units and then that it is done.
#pragma once

#include <functional>
#include <vector>

#include "orvex/core/OrvexApi.h"

class ICentralizedUpdateObject;
class IDerivedDataManager;
class IProgressMonitor;
class CentralizedLoadUnitInfo;

class ORVEX_API CentralizedUpdateUtility {
public:
  // Objects delete themselves in NotifyDoneUpdate, also when something throws (the exception is
  // then passed on). True when every unit was loaded and notified.
  static bool UpdateObjects(IDerivedDataManager* manager, const std::vector<ICentralizedUpdateObject*>& objects,
                            IProgressMonitor* monitor);

  // Ways for tests to disturb a run; reset by the global test reset. Unit indices count merged
  // units in load order, from 0.
  struct TestScript {
    int dropUnit = -1;            // never loaded
    int deliverTwice = -1;        // notified twice
    bool notifyEveryObject = false;  // also objects that did not ask for the unit
    int abandonAfter = -1;        // stop after this many units, as if abandoned
    int throwOnLoad = -1;         // std::runtime_error from that unit's load
    bool reverseOrder = false;
    // (object, call, unit index); call is "units", "load", "ignore" or "done".
    std::function<void(const ICentralizedUpdateObject*, const char*, int)> record;
  };
  static TestScript& GetTestScript();
};
