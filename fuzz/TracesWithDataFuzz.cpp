// Reads arbitrary bytes as a block holding the export form "Traces"; a crash, a sanitizer report,
// a point read outside its column, added traces that are not written the same after they travel
// again, or any soft assertion other than those the reader raises on damaged input is a fault.
#include <cstdint>

#include "FuzzCheck.h"
#include "TracesWithDataFuzzEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  rep::FuzzTracesWithData(data, size);
  AbortOnEntryCheck(nullptr);
  return 0;
}
