// The service that makes uniquely named files under a managed root folder (caches, stored columns).
#pragma once

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"

class LongFileName;

class ORVEX_API IManagedFileService {
public:
  virtual ~IManagedFileService();  // 0
  // Creates the empty file `prefix<N>.dat` in `directory` under the root (made when missing),
  // N the smallest free number, and answers its name without a path. False when the folder or
  // the file cannot be made, and then the one refused and the system's reason are recorded as a
  // failed save's (io::SetSaveFailure). Two names made one after the other never coincide.
  virtual bool MakeUniqueFileName(AString& outName, const AString& directory, const AString& prefix) = 0;  // 1
  virtual void Reserved2() {}  // 2
  // root / directory / name.
  virtual void GetFullPath(LongFileName& outPath, const AString& directory, const AString& name) = 0;  // 3
};
