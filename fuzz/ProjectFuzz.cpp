// Feeds arbitrary bytes as a project file read, written, read and written again.
#include <cstdint>

#include "FuzzCheck.h"
#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  repfuzz::FuzzReadProject(data, size);
  AbortOnEntryCheck("ProjectFuzzEntry");
  return 0;
}
