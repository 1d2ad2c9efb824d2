// Feeds arbitrary bytes as block text read from a file and from memory.
#include <cstdint>

#include "FuzzCheck.h"
#include "BlockFileFuzzEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  repfuzz::FuzzBlockFile(data, size);
  AbortOnEntryCheck("BlockFileFuzzEntry");
  return 0;
}
