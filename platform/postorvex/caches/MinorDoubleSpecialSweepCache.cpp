#include "postorvex/caches/MinorDoubleSpecialSweepCache.h"

MinorDoubleSpecialSweepCache::MinorDoubleSpecialSweepCache(const Variable* sweepVariable,
                                                           IManagedFileService* service)
    : MinorSpecialSweepCache(sweepVariable, service, kDoubleSpecial) {}

MinorDoubleSpecialSweepCache::~MinorDoubleSpecialSweepCache() = default;

void MinorDoubleSpecialSweepCache::UpdateSpecial(Column& primaryValues, const std::vector<long>& ids,
                                                 const std::map<long, const CharColumn*>& orders,
                                                 const std::vector<const Column*>& values, const AString& tag) {
  UpdateWithInterpolationOrders(primaryValues, ids, orders, values, tag);
}
