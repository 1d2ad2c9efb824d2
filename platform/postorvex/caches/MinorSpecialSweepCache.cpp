#include "postorvex/caches/MinorSpecialSweepCache.h"

MinorSpecialSweepCache::MinorSpecialSweepCache(const Variable* sweepVariable, IManagedFileService* service)
    : MinorSweepCache(sweepVariable, service, kSpecial) {}

MinorSpecialSweepCache::MinorSpecialSweepCache(const Variable* sweepVariable, IManagedFileService* service,
                                               Kind kind)
    : MinorSweepCache(sweepVariable, service, kind) {}

MinorSpecialSweepCache::~MinorSpecialSweepCache() = default;

const Column* MinorSpecialSweepCache::GetQuantityPrimaryColumn(long id) const { return GetQuantityPrimary(id); }

void MinorSpecialSweepCache::UpdateWithInterpolationOrders(Column& primaryValues, const std::vector<long>& ids,
                                                           const std::map<long, const CharColumn*>& orders,
                                                           const std::vector<const Column*>& values,
                                                           const AString& tag) {
  MergeUpdate(primaryValues, false, ids, values, &orders, tag);
}

void MinorSpecialSweepCache::UpdateWithPerQuantityPrimaries(Column& data4, const std::vector<long>& ids,
                                                            const std::map<long, Column*>& primaries,
                                                            const std::vector<const Column*>& values,
                                                            const AString& tag) {
  ReplaceWithPerQuantityPrimaries(data4, ids, primaries, values, tag);
}
