// Feeds arbitrary bytes as a cache header (and a minor cache file) read with ReadCacheFiles; a broken
// round trip or any soft assertion other than those the cache readers raise on damaged files is a crash.
#include <cstdint>

#include "FuzzCheck.h"
#include "CacheHeaderFuzzEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  repfuzz::FuzzCacheHeader(data, size);
  AbortOnEntryCheck(nullptr);
  return 0;
}
