// Feeds arbitrary bytes as a project file read, written, read and written again.
#include <cstdint>

#include "FuzzCheck.h"
#include "ProjectFuzzEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  repfuzz::FuzzProject(data, size);
  AbortOnEntryCheck("ProjectFuzzEntry");
  return 0;
}
