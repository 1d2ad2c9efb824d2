// Feeds arbitrary bytes as a cache header (and a minor cache file) read with ReadCacheFiles.
#include <cstdint>

#include "FuzzCheck.h"
#include "CacheHeaderFuzzEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  repfuzz::FuzzCacheHeader(data, size);
  AbortOnEntryCheck("CacheHeaderFuzzEntry");
  return 0;
}
