// Feeds arbitrary bytes to the stored-trace-data reader; a soft assertion that the entry leaves
// recorded (a point read outside its column, kept data that does not read back unchanged, any
// assertion other than those the readers raise on damaged input) is a crash.
#include <cstdint>
#include <cstdlib>

#include "ConcreteTraceDataFuzzEntry.h"
#include "orvex/core/Assert.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  orvex::test::Asserts().SetEcho(true);
  rep::FuzzReadConcreteTraceData(data, size);
  if (orvex::test::Asserts().Count() != 0) std::abort();
  return 0;
}
