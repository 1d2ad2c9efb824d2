// Feeds arbitrary bytes as a project file read, written, read and written again; a broken round
// trip or any soft assertion other than those the project reader raises on damaged input is a crash.
#include <cstdint>

#include "FuzzCheck.h"
#include "ProjectFuzzEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  repfuzz::FuzzProject(data, size);
  AbortOnEntryCheck(nullptr);
  return 0;
}
