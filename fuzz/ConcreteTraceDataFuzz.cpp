// Feeds arbitrary bytes to the stored-trace-data reader; a check of the entry (a point read
// outside its column, kept data that does not read back unchanged) or any assertion other than
// those the readers raise on damaged input is a crash.
#include <cstdint>

#include "ConcreteTraceDataFuzzEntry.h"
#include "FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  rep::FuzzConcreteTraceData(data, size);
  AbortOnEntryCheck(nullptr);
  return 0;
}
