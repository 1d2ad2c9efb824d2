// Reads arbitrary bytes as a block holding the export form "Traces"; a crash, a sanitizer report,
// a point read outside its column, added traces that do not travel again, or any soft assertion
// other than those the reader raises on damaged input is a fault.
#include <cstdint>
#include <cstdlib>

#include "TracesImportFuzzEntry.h"
#include "orvex/core/Assert.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  orvex::test::Asserts().SetEcho(true);
  rep::FuzzReadTracesWithData(data, size);
  if (orvex::test::Asserts().Count() != 0) std::abort();
  return 0;
}
