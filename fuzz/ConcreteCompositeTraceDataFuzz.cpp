// Feeds arbitrary bytes to the reader of stored composite trace data; a check of the entry (a
// point read outside its leaf, a tree read in part, kept data that does not read back unchanged)
// or any assertion other than those the readers raise on damaged input is a crash.
#include <cstdint>

#include "ConcreteCompositeTraceDataFuzzEntry.h"
#include "FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  rep::FuzzConcreteCompositeTraceData(data, size);
  AbortOnEntryCheck(nullptr);
  return 0;
}
