#include "postorvex/caches/MinorSweepCacheActivateContext.h"

#include "orvex/core/TestHooks.h"
#include "postorvex/caches/MinorSpecialSweepCache.h"
#include "postorvex/columns/Column.h"

namespace {

size_t s_activations = 0;

void ResetActivations() { s_activations = 0; }

const bool s_registered = orvex::test::RegisterGlobalState({"sweep cache activations", &ResetActivations, nullptr});

}  // namespace

MinorSweepCacheActivateContext::MinorSweepCacheActivateContext(const MinorSweepCache* cache,
                                                               const std::set<long>& ids,
                                                               IProgressMonitor* monitor) {
  (void)s_registered;
  if (!cache) return;
  ++s_activations;
  const auto* special = dynamic_cast<const MinorSpecialSweepCache*>(cache);
  std::set<Column*> columns;
  for (long id : ids) {
    for (const Column* c : {static_cast<const Column*>(cache->GetQuantityColumn(id)),
                            static_cast<const Column*>(cache->GetQuantityInterpOrderColumn(id)),
                            special ? special->GetQuantityPrimaryColumn(id) : nullptr})
      if (c) columns.insert(const_cast<Column*>(c));
  }
  m_load = std::make_unique<FileColumnManager::LoadAndOptionallyUnloadCtxt>(columns, monitor);
}

MinorSweepCacheActivateContext::~MinorSweepCacheActivateContext() = default;

size_t MinorSweepCacheActivateContext::GetActivationCount() { return s_activations; }
