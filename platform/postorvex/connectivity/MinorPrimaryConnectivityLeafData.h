// The datum at a point of a minor-primary connectivity: the point's sweep cache and its own copy
// of the primary values it was populated with.
#pragma once

#include <memory>

#include "orvex/core/OrvexApi.h"
#include "postorvex/connectivity/VVLeafData.h"

class Column;
class MinorSweepCache;

class POSTORVEX_API MinorPrimaryConnectivityLeafData : public VVLeafData {
public:
  // Clones the column (the caller deletes its own); the cache stays its owner's.
  MinorPrimaryConnectivityLeafData(const Column* primaryOrNull, MinorSweepCache* cache);
  ~MinorPrimaryConnectivityLeafData() override;

  MinorSweepCache* GetMinorSweepCache() const { return m_cache; }
  // Null for a special primary, whose values the cache keeps.
  const Column* GetPrimaryColumn() const { return m_primary.get(); }

private:
  std::unique_ptr<Column> m_primary;
  MinorSweepCache* m_cache;  // not owned: it belongs to its MinorVVsCache
};
