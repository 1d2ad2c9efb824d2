#include "postorvex/caches/MinorSweepCacheFactory.h"

#include "postorvex/caches/MinorDoubleSpecialSweepCache.h"
#include "postorvex/caches/MinorSpecialSweepCache.h"

std::unique_ptr<MinorSweepCache> MinorSweepCacheFactory::Create(MinorSweepCache::Kind kind,
                                                                const Variable* sweepVariable,
                                                                IManagedFileService* service) {
  switch (kind) {
    case MinorSweepCache::kRegular: return std::unique_ptr<MinorSweepCache>(new MinorSweepCache(sweepVariable, service));
    case MinorSweepCache::kSpecial:
      return std::unique_ptr<MinorSweepCache>(new MinorSpecialSweepCache(sweepVariable, service));
    default: return std::unique_ptr<MinorSweepCache>(new MinorDoubleSpecialSweepCache(sweepVariable, service));
  }
}

std::unique_ptr<MinorSweepCache> MinorSweepCacheFactory::ReadFromBlock(const io::CBlock& block,
                                                                       const Variable* sweepVariable,
                                                                       IManagedFileService* service, AString& error,
                                                                       const postp::MinorCacheColumns* columns) {
  MinorSweepCache::Kind kind = MinorSweepCache::kRegular;
  if (!MinorSweepCache::ReadKind(block, kind, error)) return nullptr;
  std::unique_ptr<MinorSweepCache> cache = Create(kind, sweepVariable, service);
  if (!cache->ReadContent(block, error, columns)) return nullptr;
  return cache;
}
