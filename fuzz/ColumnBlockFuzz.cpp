// Feeds arbitrary bytes to the column readers; a soft assertion (a broken round trip) is a crash.
#include <cstdint>
#include <cstdlib>

#include "orvex/core/Assert.h"
#include "postorvex/columns/ColumnBlockFuzzEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  orvex::test::Asserts().SetEcho(true);
  postorvex::FuzzColumnBlock(data, size);
  if (orvex::test::Asserts().Count() != 0) std::abort();
  return 0;
}
