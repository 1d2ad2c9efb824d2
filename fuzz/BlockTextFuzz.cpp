// Feeds arbitrary bytes to the block text reader; a soft assertion (a broken round trip) is a crash.
#include <cstdint>
#include <cstdlib>

#include "orvex/core/Assert.h"
#include "orvex/io/BlockTextFuzzEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  orvex::test::Asserts().SetEcho(true);
  io::FuzzBlockText(data, size);
  if (orvex::test::Asserts().Count() != 0) std::abort();
  return 0;
}
