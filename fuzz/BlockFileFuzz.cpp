// Feeds arbitrary bytes as block text read from a file and from memory; two answers that differ, or
// any soft assertion, is a crash.
#include <cstdint>

#include "FuzzCheck.h"
#include "BlockFileFuzzEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  repfuzz::FuzzBlockFile(data, size);
  AbortOnEntryCheck(nullptr);
  return 0;
}
