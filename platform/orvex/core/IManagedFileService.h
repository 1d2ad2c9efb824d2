// Makes and finds the files that columns and caches keep beside a project.
#pragma once

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"

class ORVEX_API IManagedFileService {
public:
  virtual ~IManagedFileService();
  // Creates the empty file prefix<N>.dat in `directory` (below the service's root; made when
  // missing), N the smallest free number from 1, and answers its name without the path. False
  // when the directory or the file cannot be made.
  virtual bool MakeUniqueFileName(AString& outName, const AString& directory, const AString& prefix) = 0;
  virtual void Reserved2() {}
  // root / directory / name.
  virtual void GetFullPath(AString& outPath, const AString& directory, const AString& name) = 0;
};
