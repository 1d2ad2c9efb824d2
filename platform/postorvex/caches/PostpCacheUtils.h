// Making and reading the sweep caches of the solution-value cache.
#pragma once

#include <set>

#include "orvex/core/OrvexApi.h"

class Column;
class IManagedFileService;
class IProgressMonitor;
class MinorPrimaryConnectivityLeafData;
class MinorSweepCache;
class Variable;

namespace postp {

// A new cache owned by the caller: a MinorSweepCache when not special; for a special sweep a
// MinorDoubleSpecialSweepCache when the variable holds doubles (type 1), else a
// MinorSpecialSweepCache.
POSTORVEX_API MinorSweepCache* CreateMinorSweepCacheForType(const Variable* sweepVariable,
                                                            IManagedFileService* service, bool special);

// The primary values of a leaf: its cache's sweep column when it has one, else the own primary
// column of the smallest of `ids` that has one; null otherwise.
POSTORVEX_API const Column* GetPrimaryColumnFromCache(const std::set<long>& ids,
                                                      const MinorPrimaryConnectivityLeafData& leaf,
                                                      IProgressMonitor* monitor);

}  // namespace postp
