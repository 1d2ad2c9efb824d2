// The special sweep cache of a special primary whose values are doubles.
#pragma once

#include "postorvex/caches/MinorSpecialSweepCache.h"

class POSTORVEX_API MinorDoubleSpecialSweepCache : public MinorSpecialSweepCache {
public:
  MinorDoubleSpecialSweepCache(const Variable* sweepVariable, IManagedFileService* service);
  ~MinorDoubleSpecialSweepCache() override;

  // Stored as UpdateWithInterpolationOrders stores.
  void UpdateSpecial(Column& primaryValues, const std::vector<long>& ids,
                     const std::map<long, const CharColumn*>& orders, const std::vector<const Column*>& values,
                     const AString& tag);
};
