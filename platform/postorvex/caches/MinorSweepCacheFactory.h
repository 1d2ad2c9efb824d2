// Makes a sweep cache of a given kind; the base class knows none of its kinds.
#pragma once

#include <memory>

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"
#include "postorvex/caches/MinorSweepCache.h"

class IManagedFileService;
class Variable;

namespace io {
class CBlock;
}
namespace postp {
class MinorCacheColumns;
}

class POSTORVEX_API MinorSweepCacheFactory {
public:
  // An empty cache of the kind.
  static std::unique_ptr<MinorSweepCache> Create(MinorSweepCache::Kind kind, const Variable* sweepVariable,
                                                 IManagedFileService* service);
  // A new cache of the block's kind for `sweepVariable` (the caller resolved the block's
  // "SweepVariable"); null, with `error` saying what is wrong, for a damaged block. With
  // `columns`, column blocks refer to the columns of a binary file.
  static std::unique_ptr<MinorSweepCache> ReadFromBlock(const io::CBlock& block, const Variable* sweepVariable,
                                                        IManagedFileService* service, AString& error,
                                                        const postp::MinorCacheColumns* columns = nullptr);
};
