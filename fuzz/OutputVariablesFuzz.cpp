// Feeds arbitrary bytes to the reader of the block "OutputVariables"; a check of the entry (kept
// variables that do not read back unchanged, a new ID that repeats one read or leaves the range)
// or any soft assertion is a crash.
#include <cstdint>

#include "FuzzCheck.h"
#include "OutputVariablesFuzzEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  rep::FuzzOutputVariables(data, size);
  AbortOnEntryCheck(nullptr);
  return 0;
}
