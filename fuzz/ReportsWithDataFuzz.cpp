// Reads arbitrary bytes as a block of whole reports with their data; a crash, a sanitizer report, a
// point read outside its column, reports that are not written the same after they travel again, or
// any soft assertion other than those the reader raises on damaged input is a fault.
#include <cstdint>

#include "FuzzCheck.h"
#include "TracesWithDataFuzzEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  rep::FuzzReportsWithData(data, size);
  AbortOnEntryCheck(nullptr);
  return 0;
}
