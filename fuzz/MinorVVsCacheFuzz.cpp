// Feeds arbitrary bytes to the minor-cache file reader; a soft assertion (a read that does not
// write back the same, or a fault in the reader) is a crash.
#include <cstdint>
#include <cstdlib>

#include "orvex/core/Assert.h"
#include "postorvex/caches/MinorVVsCacheFuzzEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  orvex::test::Asserts().SetEcho(true);
  postp::FuzzMinorVVsCache(data, size);
  if (orvex::test::Asserts().Count() != 0) std::abort();
  return 0;
}
