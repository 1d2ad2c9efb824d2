// Keeps the file-managed columns of some quantities of a sweep cache loaded while they are read.
#pragma once

#include <cstddef>
#include <memory>
#include <set>

#include "orvex/core/OrvexApi.h"
#include "postorvex/columns/FileColumnManager.h"

class IProgressMonitor;
class MinorSweepCache;

class POSTORVEX_API MinorSweepCacheActivateContext {
public:
  // Loads the value, order and primary columns of those IDs that are not loaded, and unloads
  // exactly those at the end. A null cache does nothing and is not counted.
  MinorSweepCacheActivateContext(const MinorSweepCache* cache, const std::set<long>& ids,
                                 IProgressMonitor* monitor);
  ~MinorSweepCacheActivateContext();
  MinorSweepCacheActivateContext(const MinorSweepCacheActivateContext&) = delete;
  MinorSweepCacheActivateContext& operator=(const MinorSweepCacheActivateContext&) = delete;

  // Activations since the last test reset.
  static size_t GetActivationCount();

private:
  std::unique_ptr<FileColumnManager::LoadAndOptionallyUnloadCtxt> m_load;  // null for a null cache
};
