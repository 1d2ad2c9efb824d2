// The sweep cache of a special primary sweep, whose values the product chooses: it also keeps
// interpolation orders and, per quantity, the primary values the quantity was pushed at.
#pragma once

#include <map>
#include <vector>

#include "postorvex/caches/MinorSweepCache.h"

class POSTORVEX_API MinorSpecialSweepCache : public MinorSweepCache {
public:
  MinorSpecialSweepCache(const Variable* sweepVariable, IManagedFileService* service);
  ~MinorSpecialSweepCache() override;

  // The quantity's own primary values; null when it shares the sweep column's rows.
  virtual const Column* GetQuantityPrimaryColumn(long id) const;  // 14

  // The minor point update, with each given ID's order column merged at the same rows.
  void UpdateWithInterpolationOrders(Column& primaryValues, const std::vector<long>& ids,
                                     const std::map<long, const CharColumn*>& orders,
                                     const std::vector<const Column*>& values, const AString& tag);
  // The given IDs' columns become copies of `values`, each with a copy of its entry of
  // `primaries` (none for a null or missing entry) and no orders; the sweep column becomes a
  // copy of `data4` when it holds values, else none. Other quantities keep theirs.
  void UpdateWithPerQuantityPrimaries(Column& data4, const std::vector<long>& ids,
                                      const std::map<long, Column*>& primaries,
                                      const std::vector<const Column*>& values, const AString& tag);

protected:
  MinorSpecialSweepCache(const Variable* sweepVariable, IManagedFileService* service, Kind kind);
};
