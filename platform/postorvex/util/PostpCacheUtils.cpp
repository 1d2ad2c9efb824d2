#include "postorvex/util/PostpCacheUtils.h"

#include "orvex/values/Variable.h"
#include "postorvex/caches/MinorDoubleSpecialSweepCache.h"
#include "postorvex/connectivity/MinorPrimaryConnectivityLeafData.h"

namespace postp {

MinorSweepCache* CreateMinorSweepCacheForType(const Variable* sweepVariable, IManagedFileService* service,
                                              bool special) {
  if (!special) return new MinorSweepCache(sweepVariable, service);
  if (sweepVariable && sweepVariable->GetParameterType() == val::kDoubleParam)
    return new MinorDoubleSpecialSweepCache(sweepVariable, service);
  return new MinorSpecialSweepCache(sweepVariable, service);
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
