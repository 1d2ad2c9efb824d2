// Progress of a long operation, and the user's wish to abandon it. Callers accept a null monitor.
#pragma once

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"

class ORVEX_API IProgressMonitor {
public:
  virtual ~IProgressMonitor();                                      // 0
  virtual void BeginTask(const AString& name, int total) = 0;       // 1
  virtual void Tick() = 0;                                          // 2
  virtual void EndTask() = 0;                                       // 3
  virtual void SetMessage(const AString& message) = 0;              // 4
  virtual bool IsAbandoned() = 0;                                   // 5
};
