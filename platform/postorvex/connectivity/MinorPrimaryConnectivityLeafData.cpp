#include "postorvex/connectivity/MinorPrimaryConnectivityLeafData.h"

#include "postorvex/columns/Column.h"

MinorPrimaryConnectivityLeafData::MinorPrimaryConnectivityLeafData(const Column* primaryOrNull, MinorSweepCache* cache)
    : m_primary(primaryOrNull ? primaryOrNull->CloneColumn() : nullptr), m_cache(cache) {}

MinorPrimaryConnectivityLeafData::~MinorPrimaryConnectivityLeafData() = default;
