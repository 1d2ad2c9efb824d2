// The desktop that the engine asks, on every creating call, whether the product takes the new reporter.
#pragma once

#include "orvex/core/OrvexApi.h"

class ORVEX_API IOrvDesktop {
public:
  virtual bool SupportsNewReporter() = 0;  // 0
  virtual ~IOrvDesktop();
};

// The installed desktop; never null (a default one answers true).
ORVEX_API IOrvDesktop* GetIOrvDesktop();
// Not owned; null puts the default back. Returns the previous one. The test reset puts the
// default back as well.
ORVEX_API IOrvDesktop* SetIOrvDesktop(IOrvDesktop* desktop);
