// Feeds arbitrary bytes as block text read from a file and from memory.
#include <cstdint>

#include "FuzzCheck.h"
#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  repfuzz::FuzzReadBlockFileAgainstMemory(data, size);
  AbortOnEntryCheck("BlockFileFuzzEntry");
  return 0;
}
