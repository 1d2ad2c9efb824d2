#include "postorvex/caches/PostpCacheUtils.h"

#include "orvex/values/Variable.h"
#include "postorvex/caches/MinorSpecialSweepCache.h"
#include "postorvex/caches/MinorSweepCacheFactory.h"
#include "postorvex/connectivity/MinorPrimaryConnectivityLeafData.h"

namespace postp {

MinorSweepCache* CreateMinorSweepCacheForType(const Variable* sweepVariable, IManagedFileService* service,
                                              bool special) {
  MinorSweepCache::Kind kind = MinorSweepCache::kRegular;
  if (special)
    kind = sweepVariable && sweepVariable->GetParameterType() == val::kDoubleParam ? MinorSweepCache::kDoubleSpecial
                                                                                  : MinorSweepCache::kSpecial;
  return MinorSweepCacheFactory::Create(kind, sweepVariable, service).release();
}

const Column* GetPrimaryColumnFromCache(const std::set<long>& ids, const MinorPrimaryConnectivityLeafData& leaf,
                                        IProgressMonitor*) {
  const MinorSweepCache* cache = leaf.GetMinorSweepCache();
  if (!cache) return nullptr;
  if (const Column* sweep = cache->GetSweepColumn()) return sweep;
  const auto* special = dynamic_cast<const MinorSpecialSweepCache*>(cache);
  if (!special) return nullptr;
  for (long id : ids)
    if (const Column* primary = special->GetQuantityPrimaryColumn(id)) return primary;
  return nullptr;
}

}  // namespace postp
